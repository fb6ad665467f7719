// What a saved file keeps: the meaning of information texts and dates, page boxes, comments
// written into the /Annots array, fonts for pages without resources; and saving damaged page
// trees without turning them into broken files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <ctime>

#include "core/PdfDocEncoding.h"
#include "core/Windows1252.h"
#include "document/DocumentWriter.h"
#include "pdfwrite/InformationFields.h"
#include "tests/ReaderTestSupport.h"
#include "tests/ScratchFolder.h"
#include "tests/ToolOutput.h"

namespace folivo::test {
namespace {

std::string Saved(PdfDocument& document) { return DocumentWriter(document).Write(); }

// Runs the test under a fixed time zone, so that written offsets are known.
class BerlinTime : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("TZ")) saved_ = old;
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
    }
    void TearDown() override
    {
        if (saved_) setenv("TZ", saved_->c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> saved_;
};

PdfBuilder WithInformation(const std::string& information)
{
    PdfBuilder builder = DocumentWithPages("/Kids [3 0 R]", {"<< /Type /Page >>", information});
    builder.trailerEntries = "/Root 1 0 R /Info 4 0 R";
    return builder;
}

TEST(PdfDocEncoding, EveryCodeOfTheUpperControlsBothWays)
{
    // Bytes 0x80 ... 0x9F, where PDFDocEncoding and Windows-1252 differ; 0x9F is unassigned.
    const char32_t expected[32] = {0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044,
                                   0x2039, 0x203A, 0x2212, 0x2030, 0x201E, 0x201C, 0x201D, 0x2018,
                                   0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141, 0x0152, 0x0160,
                                   0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E, 0x009F};
    std::string bytes, text;
    for (int i = 0; i < 32; ++i) {
        const auto byte = static_cast<uint8_t>(0x80 + i);
        EXPECT_EQ(UnicodeOfPdfDoc(byte), expected[i]) << i;
        EXPECT_EQ(PdfDocOfUnicode(expected[i]), byte) << i;
        bytes += static_cast<char>(byte);
        AppendUtf8(text, expected[i]);
    }
    EXPECT_EQ(UnicodeOfPdfDoc(0xA0), U'\u20AC');
    EXPECT_EQ(UnicodeOfPdfDoc(0x18), U'\u02D8');
    EXPECT_EQ(PdfDocOfUnicode(0xA0), std::nullopt);  // no-break space has no form

    // Read from a file, shown as Unicode, written back as the same bytes.
    std::string escaped;
    for (char c : bytes) escaped += "\\" + std::to_string((static_cast<uint8_t>(c) >> 6) & 7) +
                                    std::to_string((static_cast<uint8_t>(c) >> 3) & 7) + std::to_string(c & 7);
    OpenedDocument opened(WithInformation("<< /Title (" + escaped + ") /Author (1998\\2051999) >>").Build());
    EXPECT_EQ(opened->info.title, text);
    EXPECT_EQ(opened->info.author, "1998–1999");
    const std::string output = Saved(*opened.document);
    EXPECT_NE(output.find("/Title (" + bytes + ")"), std::string::npos);
    EXPECT_NE(output.find("/Author (1998\x85" "1999)"), std::string::npos);
    EXPECT_EQ(InformationStringBytes("A–€“B”"), "A\x85\xA0\x8D" "B\x8E");
    EXPECT_EQ(InformationStringBytes("a\xC2\xA0" "b"), std::string("\xFE\xFF\0a\0\xA0\0b", 8));
}

TEST_F(BerlinTime, DatesKeepTheirZoneAndAbsentOnesStayAbsent)
{
    OpenedDocument opened(
        WithInformation("<< /CreationDate (D:20220101012900-07'00') /ModDate (D:20220701120000Z) >>").Build());
    const InfoFields& info = opened->info;
    EXPECT_TRUE(info.createdPresent);
    EXPECT_EQ(info.createdTime, (CivilTime{1, 29, 0}));
    std::string output = Saved(*opened.document);
    EXPECT_NE(output.find("/CreationDate (D:20220101012900-07'00')\r/ModDate (D:20220701120000Z)\r"), std::string::npos)
        << output;

    // Edited dates carry the local zone's offset of their day, summer time included.
    opened->info.createdTime = {2, 0, 0};
    opened->info.modifiedDate = {2022, 7, 2};
    output = Saved(*opened.document);
    EXPECT_NE(output.find("/CreationDate (D:20220101020000+01'00')\r/ModDate (D:20220702120000+02'00')\r"),
              std::string::npos)
        << output;

    // A document without dates: none is written on a plain save, and one the user sets is.
    OpenedDocument undated(WithInformation("<< /Title (T) /CreationDate (D:2022) >>").Build());
    EXPECT_FALSE(undated->info.createdPresent);
    EXPECT_FALSE(undated->info.modifiedPresent);
    output = Saved(*undated.document);
    EXPECT_EQ(output.find("/CreationDate"), std::string::npos);
    EXPECT_EQ(output.find("/ModDate"), std::string::npos);
    SetModifiedToNow(undated->info);
    EXPECT_NE(Saved(*undated.document).find("/ModDate (D:"), std::string::npos);
}

TEST(SavedPages, BoxesAreWrittenAsRead)
{
    OpenedDocument opened(
        DocumentWithPages("/Kids [3 0 R]", {"<< /Type /Page /MediaBox [0 0 595.276 841.89] /CropBox [0.5 0 595.276 841.89] >>"})
            .Build());
    const std::string output = Saved(*opened.document);
    EXPECT_NE(output.find("/MediaBox [ 0 0 595.276 841.89 ]"), std::string::npos) << output;
    EXPECT_NE(output.find("/CropBox [ 0.5 0 595.276 841.89 ]"), std::string::npos);
    EXPECT_EQ(PdfNumber(1e20), "100000000000000000000");
    EXPECT_EQ(PdfNumber(-0.25), "-0.25");
    EXPECT_EQ(PdfNumber(-0.0), "0");
}

TEST(SavedPages, CommentsWrittenIntoTheArrayStay)
{
    const std::string attachment = "<< /Type /Annot /Subtype /FileAttachment /Rect [10 10 30 30] /FS 5 0 R /AP << /N 6 0 R >> >>";
    const std::string note = "<< /Subtype /Text /Rect [100 700 120 720] /Contents (Hallo \\(1\\)) >>";
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R]",
                                            {"<< /Type /Page /Annots [" + attachment + " 4 0 R\n" + note + "] >>",
                                             "<< /Subtype /Text /Rect [0 0 10 10] /Contents (ref) >>",
                                             "<< /Type /Filespec /F (a.txt) >>", StreamObject("/BBox [0 0 20 20]", "")})
                              .Build());
    ASSERT_EQ(opened.Page(0).comments->Count(), 3u);
    const AnnotationRecord& direct = *opened.Page(0).comments->At(2);
    EXPECT_EQ(direct.kind, AnnotText);
    EXPECT_EQ(direct.text.View(), "Hallo (1)");
    EXPECT_EQ(opened.Page(0).comments->At(1)->objectNumber, 4);

    const std::string output = Saved(*opened.document);
    EXPECT_NE(output.find("[ " + attachment + " 4 0 R " + note + " ]"), std::string::npos) << output;
    OpenedDocument reopened(output);
    ASSERT_EQ(reopened.Page(0).comments->Count(), 3u);
    EXPECT_EQ(reopened.Page(0).comments->At(2)->text.View(), "Hallo (1)");
    EXPECT_FALSE(reopened->invalid);
}

TEST(SavedPages, PagesWithoutFontsGetTheAddedOnes)
{
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R 4 0 R]",
                                            {"<< /Type /Page >>", "<< /Type /Page /Resources << /ProcSet [/PDF] >> >>"})
                              .Build());
    FontRecord* font = opened->fonts.Append();
    font->resourceName = MakeText("/Arial");
    font->baseFontText = MakeText("/Arial");
    font->fontDictionaryText = MakeText("");
    font->addedByUser = 1;
    const std::string output = Saved(*opened.document);
    EXPECT_NE(output.find("3 0 obj\r<<\r/Type /Page\r/Resources << /Font << /Arial 5 0 R >> >>\r"), std::string::npos)
        << output;
    EXPECT_NE(output.find("/Resources << /XObject <<  >> /Font << /Arial 5 0 R >> /ProcSet [ /PDF ] >>"), std::string::npos);
}

// Damaged page trees and references to objects that do not exist: what is saved numbers only
// what it writes, and every page is a page.
TEST(SavedPages, DamagedTreesSaveSoundFiles)
{
    struct Case {
        const char* name;
        std::string root;
        std::vector<std::string> objects;
        std::string trailer;
        uint32_t pages;
        bool invalid;
    };
    const std::string page = "<< /Type /Page >>";
    const Case cases[] = {
        {"kid far beyond the table", "/Kids [3 0 R 20000000 0 R]", {page}, "", 1, true},
        {"negative kid", "/Kids [-3 0 R 3 0 R]", {page}, "", 1, true},
        {"loop between nodes", "/Kids [3 0 R]", {"<< /Type /Pages /Kids [4 0 R] >>", "<< /Type /Pages /Kids [3 0 R 5 0 R] >>", page},
         "", 1, false},
        {"empty inner node", "/Kids [3 0 R 4 0 R]", {"<< /Type /Pages /Kids [] >>", page}, "", 1, false},
        {"references to the highest number",
         "/Kids [3 0 R]",
         {"<< /Type /Page /Contents [2147483647 0 R 4 0 R] /Annots [2147483647 0 R] >>", StreamObject("", "0 0 m")},
         " /Info 2147483647 0 R",
         1,
         false},
    };
    for (const Case& c : cases) {
        PdfBuilder builder = DocumentWithPages(c.root, c.objects);
        builder.trailerEntries += c.trailer;
        OpenedDocument opened(builder.Build());
        EXPECT_EQ(opened->pages.Count(), c.pages) << c.name;
        EXPECT_EQ(opened->invalid, c.invalid) << c.name;
        for (uint32_t i = 0; i < opened->pages.Count(); ++i) opened.Page(i).modified = 1;
        opened->info.changedByUser = true;
        const std::string output = Saved(*opened.document);
        EXPECT_LT(output.size(), 4000u) << c.name;
        EXPECT_EQ(output.find("-3 0 obj"), std::string::npos) << c.name;
        OpenedDocument reopened(output);
        EXPECT_FALSE(reopened->invalid) << c.name << '\n' << output;
        EXPECT_EQ(reopened->pages.Count(), c.pages) << c.name;
        EXPECT_LT(reopened->XrefTable.size(), 12u) << c.name;
    }

    // A pages root that the file does not hold: nothing is saved.
    PdfBuilder builder;
    builder.objects = {"<< /Type /Catalog /Pages 2147483647 0 R >>"};
    builder.trailerEntries = "/Root 1 0 R";
    OpenedDocument rootless(builder.Build());
    EXPECT_TRUE(rootless->invalid);
    EXPECT_FALSE(rootless->HasPagesRoot());
}

// The command line writes what was read of a damaged file but says so once, with status 2;
// a file without a pages root is not written.
TEST(SavedPages, SaveCommandReportsInvalidInput)
{
    ScratchFolder folder;
    const std::string damaged =
        folder.Write("damaged.pdf", DocumentWithPages("/Kids [3 0 R 20000000 0 R]", {"<< /Type /Page >>"}).Build());
    const std::string save = "( " + ShellQuoted(FOLIVO_CLI_PATH) + " save ";
    ToolRun run = RunTool(save + ShellQuoted(damaged) + " -o " + ShellQuoted(folder.File("out.pdf")) + " 2>&1 )");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.output, "folivo-cli: Dies ist keine gültige PDF-Datei.\n");
    OpenedDocument saved(ReadBytes(folder.File("out.pdf")));
    EXPECT_FALSE(saved->invalid);
    EXPECT_EQ(saved->pages.Count(), 1u);

    PdfBuilder rootless;
    rootless.objects = {"<< /Type /Catalog /Pages 2147483647 0 R >>"};
    rootless.trailerEntries = "/Root 1 0 R";
    const std::string input = folder.Write("rootless.pdf", rootless.Build());
    run = RunTool(save + ShellQuoted(input) + " --protect -o " + ShellQuoted(folder.File("none.pdf")) + " 2>&1 )");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.output, "folivo-cli: Dies ist keine gültige PDF-Datei.\n");
    EXPECT_FALSE(std::filesystem::exists(folder.File("none.pdf")));
}

}  // namespace
}  // namespace folivo::test
