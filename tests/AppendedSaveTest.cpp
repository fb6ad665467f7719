// Saving by appending: the input's bytes stay in front, a section of the input's last kind
// extends its cross-references, new objects of an encrypted file are encrypted, signatures stay
// valid where a complete new file breaks them, and damaged files are refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "document/DocumentWriter.h"
#include "tests/CorpusFixture.h"
#include "tests/ReaderTestSupport.h"
#include "tests/ScratchFolder.h"
#include "tests/ToolOutput.h"

namespace folivo::test {
namespace {

const std::string CliPath = FOLIVO_CLI_PATH;

std::string OnePage()
{
    PdfBuilder builder = DocumentWithPages(
        "/Kids [3 0 R] /Count 1",
        {"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R /Annots [5 0 R] >>",
         StreamObject("", "0 0 m 9 9 l S"),
         "<< /Type /Annot /Subtype /Text /Rect [0 0 20 20] /Contents (Notiz) >>", "<< /Title (Alt) >>"});
    builder.trailerEntries = "/Root 1 0 R /Info 6 0 R";
    return builder.Build();
}

std::string Appended(PdfDocument& document)
{
    document.appendChanges = true;
    return DocumentWriter(document).Write();
}

std::string FileBytes(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

TEST(AppendedSave, ExtendsTheInputsLastSectionOfTheSameKind)
{
    OpenedDocument classic(OnePage());
    classic->versionItem = 3;  // a compact copy of the same document
    const std::string compact = DocumentWriter(*classic.document).Write();
    for (const auto& [input, stream] : {std::pair{OnePage(), false}, std::pair{compact, true}}) {
        OpenedDocument opened(input);
        EXPECT_EQ(Appended(*opened.document), input) << "an unchanged document is the input itself";
        opened->info.title = "Neu";
        opened->info.changedByUser = true;
        opened->versionItem = 0;  // the version stays as read
        const std::string saved = Appended(*opened.document);
        ASSERT_EQ(saved.compare(0, input.size(), input), 0);
        const std::string update = saved.substr(input.size());
        EXPECT_EQ(update.find("/Type /XRef") != std::string::npos, stream) << update;
        EXPECT_EQ(update.find("\rxref\r") != std::string::npos, !stream) << update;
        EXPECT_NE(update.find("/Prev " + std::to_string(opened->lastSectionOffset)), std::string::npos) << update;

        OpenedDocument reopened(saved);
        EXPECT_FALSE(reopened->invalid);
        EXPECT_FALSE(reopened->repaired);
        EXPECT_EQ(reopened->info.title, "Neu");
        ASSERT_EQ(reopened->pages.Count(), 1u);
        EXPECT_EQ(reopened.Page(0).comments->Count(), 1u);
        EXPECT_EQ(reopened->fileIds.size(), 2u);
    }
}

TEST(AppendedSave, AddedTextReplacesThePagesContent)
{
    OpenedDocument opened(OnePage());
    opened->addTextSettings.lines = {"Nachtrag"};
    ASSERT_TRUE(opened->AddNewTextToDecodedPage(20, 20));
    const std::string saved = Appended(*opened.document);
    OpenedDocument reopened(saved);
    ASSERT_EQ(reopened->pages.Count(), 1u);
    const PageRecord& page = reopened.Page(0);
    const std::string content(reinterpret_cast<const char*>(page.content), static_cast<size_t>(page.contentLength));
    EXPECT_NE(content.find("0 0 m 9 9 l S"), std::string::npos);
    EXPECT_NE(content.find("(Nachtrag)"), std::string::npos) << content;
    EXPECT_EQ(reopened->info.title, "Alt");
}

TEST(AppendedSave, EncryptsItsObjectsAsTheInputDoes)
{
    if (!ToolWorks("qpdf --version")) GTEST_SKIP() << "qpdf is missing";
    ScratchFolder folder;
    folder.Write("plain.pdf", OnePage());
    for (const char* keyBits : {"128 --use-aes=y", "256"}) {
        const std::string input = folder.File("encrypted.pdf");
        const ToolRun encrypt = RunTool("( qpdf --encrypt user owner " + std::string(keyBits) + " -- " +
                                        ShellQuoted(folder.File("plain.pdf")) + " " + ShellQuoted(input) + " 2>&1 )");
        ASSERT_EQ(encrypt.exitCode, 0) << encrypt.output;
        RecordingPort port;
        PdfDocument document(port);
        document.password = "owner";
        document.openfilenow(input);
        document.info.title = "Geheimer Titel";
        document.info.changedByUser = true;
        document.appendChanges = true;
        const std::string saved = folder.File("saved.pdf");
        ASSERT_TRUE(document.SavePDFNew(saved)) << keyBits;
        EXPECT_EQ(FileBytes(saved).find("Geheimer Titel"), std::string::npos) << keyBits;
        EXPECT_EQ(RunTool("qpdf --check --password=user " + ShellQuoted(saved)).exitCode, 0) << keyBits;

        RecordingPort again;
        PdfDocument reopened(again);
        reopened.password = "user";
        reopened.openfilenow(saved);
        EXPECT_EQ(reopened.info.title, "Geheimer Titel") << keyBits;
        // Revision 4 derives its keys from the identifier: both elements stay; AES-256 does not.
        ASSERT_EQ(reopened.fileIds.size(), 2u);
        EXPECT_EQ(reopened.fileIds[0], document.fileIds[0]) << keyBits;
        EXPECT_EQ(reopened.fileIds[1] == document.fileIds[1], document.encryption.handler->Parameters().revision <= 4)
            << keyBits;
    }
}

TEST(AppendedSave, PageListedTwiceStaysOneObject)
{
    // The input's tree names page 3 twice; an update rewrites that object once, from the first
    // changed occurrence, and both places show the change.
    const std::string input = DocumentWithPages("/Kids [4 0 R 3 0 R 3 0 R] /Count 3",
                                                {"<< /Type /Page /Parent 2 0 R /Contents 5 0 R >>",
                                                 "<< /Type /Page /Parent 2 0 R >>", StreamObject("", "0 0 m 9 9 l S")})
                                  .Build();
    OpenedDocument opened(input);
    ASSERT_EQ(opened->pages.Count(), 3u);
    // The third page's content gains a second path, as added text would change it.
    const std::string changed = "0 0 m 9 9 l S 1 1 m 5 5 l S";
    PageRecord& page = opened.Page(2);
    delete[] page.content;
    page.content = new uint8_t[changed.size()];
    std::copy(changed.begin(), changed.end(), page.content);
    page.contentLength = static_cast<int32_t>(changed.size());
    page.modified = 1;
    const std::string output = Appended(*opened.document);
    ASSERT_EQ(output.compare(0, input.size(), input), 0);
    const std::string update = output.substr(input.size());
    EXPECT_NE(update.find("3 0 obj"), std::string::npos);
    EXPECT_EQ(update.find("3 0 obj"), update.rfind("3 0 obj"));
    OpenedDocument reopened(output);
    EXPECT_FALSE(reopened->invalid);
    EXPECT_EQ(reopened->ItemCountsByPage(), (std::vector<uint32_t>{0, 2, 2}));
}

TEST(AppendedSave, RefusedForRepairedFilesAndNewProtection)
{
    std::string damaged = OnePage();
    damaged.replace(damaged.rfind("startxref\n") + 10, damaged.rfind("\n%%EOF") - damaged.rfind("startxref\n") - 10, "9");
    for (const bool repairedFile : {true, false}) {
        OpenedDocument opened(repairedFile ? damaged : OnePage());
        EXPECT_EQ(opened->repaired, repairedFile);
        opened->appendChanges = true;
        if (!repairedFile) opened->passwordSettings = {PasswordSettings::Mode::Encrypt, "", "owner", 0};
        ScratchFolder folder;
        EXPECT_FALSE(opened->SavePDFNew(folder.File("saved.pdf")));
        EXPECT_FALSE(std::filesystem::exists(folder.File("saved.pdf")));
        ASSERT_FALSE(opened.port.messages.empty());
        EXPECT_NE(opened.port.messages.back().text.find(repairedFile ? "repariert" : "Kennwortschutz"),
                  std::string::npos);
    }
    // The command line refuses what cannot change in an appended save before reading anything.
    for (const char* option : {"--version 1.7", "--decrypt", "--encrypt-owner x"}) {
        EXPECT_EQ(RunTool(ShellQuoted(CliPath) + " save in.pdf -o out.pdf --append " + option + " 2>/dev/null").exitCode,
                  1)
            << option;
    }
}

TEST(SignatureFields, FoundInTheFieldTreeWithInheritedTypes)
{
    PdfBuilder builder = DocumentWithPages(
        "/Kids [3 0 R] /Count 1",
        {"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>",
         "<< /T (Vertrag) /FT /Sig /Kids [5 0 R 6 0 R 7 0 R] >>",  // 4: a parent that names the type
         "<< /T (Kunde) /V 9 0 R /Parent 4 0 R >>", "<< /T (Firma) /V null /Parent 4 0 R >>",
         "<< /T <FEFF00DC> /FT /Tx /V (Text) /Kids [4 0 R] >>",  // a text field, and a cycle back
         "<< /Fields [4 0 R 8 0 R] /SigFlags 3 >>",
         "<< /Type /Sig /Name (Anna Berg) /M (D:20260101120000+01'00') /Contents <00> >>"});
    builder.objects[0] = "<< /Type /Catalog /Pages 2 0 R /AcroForm 8 0 R >>";
    OpenedDocument opened(builder.Build());
    ASSERT_EQ(opened->signatures.size(), 1u);
    EXPECT_EQ(opened->signatures[0].fieldName, "Vertrag.Kunde");
    EXPECT_EQ(opened->signatures[0].signerName, "Anna Berg");
    EXPECT_EQ(opened->signatures[0].signingTime, "D:20260101120000+01'00'");
}

class SignedCorpusTest : public CorpusFixture {};

TEST_F(SignedCorpusTest, AnAppendedSaveKeepsEverySignatureValid)
{
    if (!ToolWorks("pdfsig -v")) GTEST_SKIP() << "pdfsig is missing";
    ScratchFolder folder;
    const std::string saved = folder.File("saved.pdf");
    int signedFiles = 0;
    for (size_t row = 0; row < manifest->RowCount(); ++row) {
        const std::string file = Cell(row, "file");
        if (file.rfind("signed-", 0) != 0) continue;
        ++signedFiles;
        const std::string input = CorpusDir + "/" + file;
        for (const bool append : {true, false}) {
            std::filesystem::remove(saved);
            const ToolRun save = RunTool("( " + ShellQuoted(CliPath) + " save " + ShellQuoted(input) + " -o " +
                                         ShellQuoted(saved) + " --title Gegengezeichnet --protect" +
                                         (append ? " --append" : "") + " 2>&1 )");
            EXPECT_EQ(save.exitCode, 0) << file << save.output;
            EXPECT_EQ(save.output.find("Signaturen dieses Dokuments sind in der neuen Datei ungültig") != std::string::npos,
                      !append)
                << file;
            const ToolRun check = RunTool("pdfsig " + ShellQuoted(saved) + " 2>&1");
            EXPECT_EQ(check.output.find("Signature is Valid.") != std::string::npos, append) << file << check.output;
        }
    }
    EXPECT_GE(signedFiles, 1);
}

}  // namespace
}  // namespace folivo::test
