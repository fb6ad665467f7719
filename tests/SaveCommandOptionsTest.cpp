// folivo-cli save's protection, date and version options on the sample document, judged by
// qpdf and pdfinfo: what each option writes, who can open the result, and the usage errors and
// refusals with their exit statuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/ScratchFolder.h"
#include "tests/ToolOutput.h"

namespace folivo::test {
namespace {

const std::string CliPath = FOLIVO_CLI_PATH;
const std::string SamplePath = std::string(FOLIVO_SOURCE_DIR) + "/examples/sample.pdf";

struct SaveRun {
    int status = -1;
    std::string errors;  // standard error
};

// folivo-cli save with arguments written as shell words.
SaveRun Save(const std::string& arguments)
{
    const ToolRun run = RunTool("( " + ShellQuoted(CliPath) + " save " + arguments + " 2>&1 >/dev/null )");
    return {run.exitCode, run.output};
}

bool PeersMissing() { return !ToolWorks("qpdf --version") || !ToolWorks("pdfinfo -v"); }

std::string Output(const std::string& command) { return RunTool(command).output; }

bool Contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

TEST(SaveCommandOptions, ProtectionOpensWithItsPasswordsAndDeniesWhatWasAsked)
{
    if (PeersMissing()) GTEST_SKIP() << "qpdf or pdfinfo is missing";
    struct Case {
        std::string options;
        std::vector<std::pair<std::string, std::string>> passwords;  // password, role ("": refused)
        std::vector<std::string> permissions;                        // lines of qpdf --show-encryption
        std::string header;
        std::string note;  // on standard error; empty: nothing written there
    };
    const Case cases[] = {
        {"--encrypt-user nutzer --encrypt-owner eigner --deny print,copy",
         {{"nutzer", "user"}, {"eigner", "owner"}, {"", ""}, {"falsch", ""}},
         {"print low resolution: not allowed", "print high resolution: not allowed",
          "extract for any purpose: not allowed", "extract for accessibility: allowed", "modify other: allowed",
          "modify annotations: allowed"},
         "%PDF-1.7",
         ""},
        {"--encrypt-owner eigner --deny modify,annotate --version 2.0",
         {{"", "user"}, {"eigner", "owner"}, {"nutzer", ""}},
         {"modify other: not allowed", "modify annotations: not allowed", "modify forms: not allowed",
          "modify document assembly: not allowed", "print high resolution: allowed",
          "extract for any purpose: allowed"},
         "%PDF-2.0",
         ""},
        // AES-256 needs 1.7 at least: a lower version asked for is raised, and said so.
        {"--encrypt-owner eigner --version 1.5",
         {{"", "user"}, {"eigner", "owner"}},
         {"modify anything: allowed", "print high resolution: allowed", "extract for any purpose: allowed"},
         "%PDF-1.7",
         "als PDF 1.7 gespeichert"},
    };
    ScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const std::string saved = folder.File("geschuetzt.pdf");
        const SaveRun run = Save(ShellQuoted(SamplePath) + " -o " + ShellQuoted(saved) + " " + c.options);
        ASSERT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(run.errors.empty(), c.note.empty()) << run.errors;
        EXPECT_TRUE(Contains(run.errors, c.note)) << run.errors;
        EXPECT_EQ(ReadBytes(saved).substr(0, 8), c.header);
        for (const auto& [password, role] : c.passwords) {
            const std::string quoted = ShellQuoted("--password=" + password);
            const std::string shown = Output("qpdf --show-encryption " + quoted + " " + ShellQuoted(saved));
            EXPECT_EQ(Contains(shown, "Supplied password is " + role + " password"), !role.empty()) << password;
            EXPECT_EQ(RunTool("qpdf --check " + quoted + " " + ShellQuoted(saved)).exitCode == 0, !role.empty())
                << password;
        }
        const std::string shown = Output("qpdf --show-encryption --password=eigner " + ShellQuoted(saved));
        EXPECT_TRUE(Contains(shown, "R = 6")) << shown;
        for (const std::string& line : c.permissions)
            EXPECT_TRUE(Contains(shown, line + "\n")) << line << "\n" << shown;
        // A 1.7 file announces the AES-256 extension in its catalog.
        if (c.header == "%PDF-1.7") {
            const std::string objects = Output("qpdf --json=2 --json-key=qpdf --password=eigner " + ShellQuoted(saved));
            EXPECT_TRUE(Contains(objects, "\"/ExtensionLevel\": 8")) << objects.substr(0, 2000);
        }
    }
}

TEST(SaveCommandOptions, DatesAndVersionAsPdfinfoReadsThem)
{
    if (PeersMissing()) GTEST_SKIP() << "qpdf or pdfinfo is missing";
    struct Case {
        std::string options;
        std::string version;
        std::string created;  // start of the raw date
        std::string modified;
    };
    // The sample's own dates stay when no option names them.
    const Case cases[] = {
        {"--created '2021-02-03 04:05:06' --modified '2022-12-31 23:59:58'", "1.4", "D:20210203040506",
         "D:20221231235958"},
        {"--modified '2000-01-01 00:00:00' --version 1.3", "1.3", "D:20240315123045", "D:20000101000000"},
        {"--version 1.6", "1.6", "D:20240315123045", "D:20240316080910"},
        {"--version 2.0 --created '1999-12-31 23:59:59'", "2.0", "D:19991231235959", "D:20240316080910"},
    };
    ScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const std::string saved = folder.File("daten.pdf");
        const SaveRun run = Save(ShellQuoted(SamplePath) + " -o " + ShellQuoted(saved) + " " + c.options);
        ASSERT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(run.errors, "");
        EXPECT_EQ(ReadBytes(saved).substr(0, 8), "%PDF-" + c.version);
        EXPECT_EQ(RunTool("qpdf --check " + ShellQuoted(saved)).exitCode, 0);
        const std::string info = Output("pdfinfo -rawdates " + ShellQuoted(saved));
        EXPECT_TRUE(Contains(info, "PDF version:     " + c.version + "\n")) << info;
        EXPECT_TRUE(Contains(info, "CreationDate:    " + c.created)) << info;
        EXPECT_TRUE(Contains(info, "ModDate:         " + c.modified)) << info;
        EXPECT_TRUE(Contains(info, "Pages:           2\n")) << info;
    }
}

TEST(SaveCommandOptions, DecryptTakesThePasswordForChanges)
{
    if (PeersMissing()) GTEST_SKIP() << "qpdf or pdfinfo is missing";
    ScratchFolder folder;
    // User password, owner password, further qpdf options.
    const std::vector<std::vector<std::string>> inputs = {
        {"nutzer", "eigner", ""}, {"", "eigner", "--modify=none"}, {"", "eigner", ""}};
    for (size_t i = 0; i < inputs.size(); ++i) {
        const std::string input = folder.File("verschluesselt" + std::to_string(i) + ".pdf");
        ASSERT_EQ(RunTool("qpdf --encrypt " + ShellQuoted(inputs[i][0]) + " " + inputs[i][1] + " 256 " + inputs[i][2] +
                          " -- " + ShellQuoted(SamplePath) + " " + ShellQuoted(input))
                      .exitCode,
                  0);
    }
    struct Case {
        size_t input;
        std::string options;
        int status;
        std::string message;  // found in standard error
    };
    const Case cases[] = {
        {0, "--password eigner", 0, ""},
        {0, "--password nutzer", 2, "nur mit dem Kennwort für Änderungen"},
        {0, "", 2, "durch ein Kennwort geschützt"},
        {0, "--password falsch", 2, "Kennwort ist falsch"},
        {1, "--password eigner", 0, ""},
        {1, "", 2, "nur mit dem Kennwort für Änderungen"},
        // Anyone may change a file that opens without a password and allows changes.
        {2, "", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.input) + " " + c.options);
        const std::string saved = folder.File("offen.pdf");
        std::filesystem::remove(saved);
        const SaveRun run = Save(ShellQuoted(folder.File("verschluesselt" + std::to_string(c.input) + ".pdf")) +
                                 " --decrypt -o " + ShellQuoted(saved) + " " + c.options);
        EXPECT_EQ(run.status, c.status) << run.errors;
        EXPECT_TRUE(Contains(run.errors, c.message)) << run.errors;
        EXPECT_EQ(std::filesystem::exists(saved), c.status == 0);
        if (c.status != 0) continue;
        EXPECT_EQ(run.errors, "");
        EXPECT_TRUE(Contains(Output("qpdf --show-encryption " + ShellQuoted(saved)), "File is not encrypted"));
        EXPECT_TRUE(Contains(Output("pdfinfo " + ShellQuoted(saved)), "Encrypted:       no\n"));
    }
}

TEST(SaveCommandOptions, UsageErrorsExitWithOneAndWriteNothing)
{
    const struct {
        std::string options;
        std::string message;
    } cases[] = {
        {"--created 2021-02-03", "\"JJJJ-MM-TT HH:MM:SS\" angeben"},
        {"--created '2021-02-30 04:05:06'", "\"JJJJ-MM-TT HH:MM:SS\" angeben"},
        {"--modified '2021-02-03T04:05:06'", "\"JJJJ-MM-TT HH:MM:SS\" angeben"},
        {"--modified '2021-02-03 24:00:00'", "\"JJJJ-MM-TT HH:MM:SS\" angeben"},
        {"--append --version 1.7", "beim Anhängen (--append)"},
        {"--append --encrypt-owner eigner", "beim Anhängen (--append)"},
        {"--append --decrypt", "beim Anhängen (--append)"},
        {"--encrypt-user nutzer", "braucht --encrypt-owner KENNWORT"},
        {"--deny print", "braucht --encrypt-owner KENNWORT"},
        {"--encrypt-owner ''", "braucht --encrypt-owner KENNWORT"},
        {"--decrypt --encrypt-owner eigner", "schließen einander aus"},
        {"--encrypt-owner eigner --deny print,scan", "--deny kennt nur print, modify, copy und annotate"},
        {"--version 1.8", "unbekannte Version 1.8"},
        {"--version", "--version braucht einen Wert"},
    };
    ScratchFolder folder;
    const std::string saved = folder.File("nie.pdf");
    for (const auto& c : cases) {
        const SaveRun run = Save(ShellQuoted(SamplePath) + " -o " + ShellQuoted(saved) + " " + c.options);
        EXPECT_EQ(run.status, 1) << c.options;
        EXPECT_TRUE(Contains(run.errors, "folivo-cli save: ")) << c.options << "\n" << run.errors;
        EXPECT_TRUE(Contains(run.errors, c.message)) << c.options << "\n" << run.errors;
        EXPECT_FALSE(std::filesystem::exists(saved)) << c.options;
    }
}

}  // namespace
}  // namespace folivo::test
