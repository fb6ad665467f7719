// The option table that every folivo-cli command reads its arguments with: help, unknown options,
// missing values, the forms a value may take, and the options every document command shares.
#include "cli/CommandOptions.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace folivo::cli {
namespace {

std::vector<char*> Argv(std::vector<std::string>& words)
{
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    return argv;
}

struct Row {
    std::vector<std::string> arguments;
    std::optional<int> status;
    std::string complaint;  // after "folivo-cli probe: "; empty: nothing on standard error
    std::string file = "", name = "";
    bool flag = false;
};

TEST(OptionTable, ReadsArgumentsAsEveryCommandDoes)
{
    const Row rows[] = {
        {{}, std::nullopt, ""},
        {{"a.pdf", "--flag"}, std::nullopt, "", "a.pdf", "", true},
        {{"a.pdf", "b.pdf"}, 1, "ungültige Angabe b.pdf", "a.pdf"},
        {{""}, 1, "ungültige Angabe "},
        {{"-"}, 1, "ungültige Angabe -"},
        {{"--", "a.pdf"}, 1, "ungültige Angabe --"},
        {{"--bogus"}, 1, "ungültige Angabe --bogus"},
        {{"--name=x"}, 1, "ungültige Angabe --name=x"},
        {{"--flag=yes"}, 1, "ungültige Angabe --flag=yes"},
        {{"--name"}, 1, "ungültige Angabe --name"},
        {{"--level"}, 1, "--level braucht einen Wert"},
        {{"--level", "4"}, 1, "ungültige Stufe 4"},
        {{"--level", "--help"}, 1, "ungültige Stufe --help"},
        {{"--name", "--help"}, std::nullopt, "", "", "--help"},
        {{"--name", "-x", "--name", "y", "--flag", "--flag"}, std::nullopt, "", "", "y", true},
        {{"--name", "", "a.pdf"}, std::nullopt, "", "a.pdf", ""},
        {{"--help", "--bogus"}, 0, ""},
        {{"a.pdf", "-h"}, 0, "", "a.pdf"},
        {{"--bogus", "--help"}, 1, "ungültige Angabe --bogus"},
        {{"--flag", "b.pdf", "--level", "2"}, std::nullopt, "", "b.pdf", "", true},
    };
    for (const Row& row : rows) {
        std::vector<std::string> words = row.arguments;
        SCOPED_TRACE(::testing::PrintToString(words));
        std::ostringstream out, err;
        std::string file, name;
        bool flag = false;
        OptionTable table("probe", "Hilfe\n", out, err);
        table.Positional(file);
        table.Flag("--flag", flag);
        table.Text("--name", name, MissingValue::Unknown);
        table.Value("--level", MissingValue::Named, [](const std::string& value) -> OptionError {
            if (value == "1" || value == "2" || value == "3") return std::nullopt;
            return "ungültige Stufe " + value;
        });
        std::vector<char*> argv = Argv(words);
        EXPECT_EQ(table.Parse(static_cast<int>(argv.size()), argv.data()), row.status);
        EXPECT_EQ(err.str(), row.complaint.empty() ? "" : "folivo-cli probe: " + row.complaint + "\nHilfe\n");
        EXPECT_EQ(out.str(), row.status == 0 ? "Hilfe\n" : "");
        EXPECT_EQ(file, row.file);
        EXPECT_EQ(name, row.name);
        EXPECT_EQ(flag, row.flag);
    }
}

struct DocumentRow {
    bool json;  // whether the command has --json
    std::vector<std::string> arguments;
    std::string complaint;  // empty: read
    std::string family = "Arial";
    bool bold = false, italic = false;
};

TEST(OptionTable, DocumentOptionsOfEveryCommand)
{
    const DocumentRow rows[] = {
        {true, {"a.pdf", "--json", "--no-images", "--password", "-geheim"}, ""},
        {false, {"a.pdf", "--json"}, "ungültige Angabe --json"},
        {false, {"a.pdf", "--font", "Times New Roman,italic,bold"}, "", "Times New Roman", true, true},
        {false, {"a.pdf", "--font", "--help"}, "", "--help"},
        {false, {"a.pdf", "--font", ",bold"}, "ungültige Angabe --font"},
        {false, {"a.pdf", "--font", "Arial,fett"}, "ungültige Angabe --font"},
        {false, {"a.pdf", "--font", ""}, "ungültige Angabe --font"},
        {false, {"a.pdf", "--font"}, "ungültige Angabe --font"},
        {false, {"a.pdf", "--password"}, "ungültige Angabe --password"},
    };
    for (const DocumentRow& row : rows) {
        std::vector<std::string> words = row.arguments;
        SCOPED_TRACE(::testing::PrintToString(words));
        std::ostringstream out, err;
        CommandOptions options;
        OptionTable table("probe", "", out, err);
        AddDocumentOptions(table, options, row.json);
        std::vector<char*> argv = Argv(words);
        const std::optional<int> status = table.Parse(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(status, row.complaint.empty() ? std::nullopt : std::optional<int>(1));
        EXPECT_EQ(err.str(), row.complaint.empty() ? "" : "folivo-cli probe: " + row.complaint + "\n");
        if (status) continue;
        EXPECT_EQ(options.path, "a.pdf");
        EXPECT_EQ(options.json, row.json);
        EXPECT_EQ(options.readImages, !row.json);
        EXPECT_EQ(options.password, row.json ? "-geheim" : "");
        EXPECT_EQ(options.font.family, row.family);
        EXPECT_EQ(options.font.bold, row.bold);
        EXPECT_EQ(options.font.italic, row.italic);
    }
}

}  // namespace
}  // namespace folivo::cli
