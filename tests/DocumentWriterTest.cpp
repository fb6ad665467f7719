// The document writer: byte layout, copying, numbering, information and atomic saving.
#include <gtest/gtest.h>

#include <filesystem>

#include "document/DocumentWriter.h"
#include "pdfwrite/InformationFields.h"
#include "tests/ReaderTestSupport.h"
#include "tests/ScratchFolder.h"

namespace folivo::test {
namespace {

std::string Saved(PdfDocument& document) { return DocumentWriter(document).Write(); }

// The lines of the written file up to the table, split at CR (the writer's line end).
std::vector<std::string> Lines(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find('\r', start)) != std::string::npos; start = end + 1)
        lines.push_back(bytes.substr(start, end - start));
    return lines;
}

PdfBuilder OnePage()
{
    PdfBuilder builder;
    builder.header = "%PDF-1.3\n";
    builder.objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                       "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R >>",
                       StreamObject("", "0 0 m 10 10 l S")};
    builder.trailerEntries = "/Root 1 0 R";
    return builder;
}

TEST(DocumentWriter, UnchangedOnePageDocument)
{
    const std::string input = OnePage().Build();
    OpenedDocument opened(input);
    const std::string output = Saved(*opened.document);
    const std::vector<std::string> lines = Lines(output);
    ASSERT_GE(lines.size(), 20u);
    EXPECT_EQ(lines[0], "%PDF-1.3");
    EXPECT_EQ(lines[1], "%\xE2\xE3\xCF\xD3");
    // Objects 1 and 4 are copied byte for byte, each followed by CR.
    const std::string catalog = "1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj";
    EXPECT_EQ(output.substr(15, catalog.size() + 1), catalog + "\r");
    const size_t stream = input.find("4 0 obj");
    const std::string streamObject = input.substr(stream, input.find("endobj", stream) + 6 - stream);
    EXPECT_NE(output.find(streamObject + "\r2 0 obj\r<<\r/Type /Pages\r/Kids [ 3 0 R ]\r/Count 1\r>>\rendobj\r"),
              std::string::npos);
    EXPECT_NE(output.find("3 0 obj\r<<\r/Type /Page\r/Contents 4 0 R\r/MediaBox [ 0 0 612 792 ]\r/Annots 5 0 R\r"
                          "/Parent 2 0 R\r>>\rendobj\r5 0 obj\r[ ]\rendobj\rxref\r0 6\r0000000000 65535 f\r\n"),
              std::string::npos)
        << output;
    // A file without an identifier gets one, both elements alike.
    const std::string trailer = "trailer\r<<\r/Size 6\r/Root 1 0 R\r/ID [ ";
    const size_t id = output.find(trailer) + trailer.size();
    ASSERT_NE(output.find(trailer), std::string::npos);
    const std::string first = output.substr(id, 34);
    EXPECT_EQ(output.substr(id + 34, 51), " " + first + " ]\r>>\rstartxref\r") << output;
    EXPECT_EQ(output.substr(output.size() - 6), "%%EOF\r");

    // Every table entry points at its object's header.
    OpenedDocument reopened(output);
    EXPECT_FALSE(reopened->invalid);
    for (int32_t number = 1; number <= 5; ++number) {
        const XrefEntry& entry = reopened->XrefTable[static_cast<size_t>(number)];
        EXPECT_EQ(output.substr(static_cast<size_t>(entry.offset), std::to_string(number).size() + 6),
                  std::to_string(number) + " 0 obj");
    }
}

TEST(DocumentWriter, VersionItemsGiveTheHeader)
{
    OpenedDocument opened(OnePage().Build());
    for (int item = 0; item <= 2; ++item) {
        opened->versionItem = item;
        EXPECT_EQ(Saved(*opened.document).substr(0, 9), "%PDF-1." + std::to_string(item + 2) + "\r");
    }
}

TEST(DocumentWriter, StreamDataHoldingEndobjIsCopiedWhole)
{
    PdfBuilder builder = OnePage();
    builder.objects.push_back(StreamObject("/Type /XObject /Subtype /Form /BBox [0 0 1 1]", "(endobj) Tj\nendobj"));
    OpenedDocument opened(builder.Build());
    const std::string output = Saved(*opened.document);
    EXPECT_NE(output.find("(endobj) Tj\nendobj\nendstream\nendobj\r"), std::string::npos);
    // Referenced lengths are followed too.
    builder.objects.back() = "<< /Length 6 0 R >>\nstream\nendobj endobj\nendstream";
    builder.objects.push_back("13");
    OpenedDocument referenced(builder.Build());
    EXPECT_NE(Saved(*referenced.document).find("endobj endobj\nendstream\nendobj\r"), std::string::npos);
}

TEST(DocumentWriter, FreeEntriesAndNumbering)
{
    PdfBuilder builder = OnePage();
    std::string pdf = builder.Build();
    // Object 5 listed free in the input.
    builder.objects.push_back("(unused)");
    pdf = builder.Build();
    const size_t entryOfFive = pdf.find("xref\n0 6\n") + 9 + 5 * 20;
    pdf.replace(entryOfFive + 10, 8, " 00003 f");
    OpenedDocument opened(pdf);
    const std::string output = Saved(*opened.document);
    // 5 stays free with its generation, 6 is the comment array; free entries are linked.
    EXPECT_NE(output.find("xref\r0 7\r0000000005 65535 f\r\n"), std::string::npos) << output;
    EXPECT_NE(output.find("0000000000 00003 f\r\n"), std::string::npos);
    EXPECT_NE(output.find("/Annots 6 0 R"), std::string::npos);
}

TEST(DocumentWriter, InformationFields)
{
    PdfBuilder builder = OnePage();
    builder.objects.push_back("<< /Title (Old) /Trapped /False /Author (A) >>");
    builder.trailerEntries = "/Root 1 0 R /Info 5 0 R";
    OpenedDocument opened(builder.Build());
    opened->info.title = "Größe (neu) \\";
    opened->info.author = "Ωμέγα";
    opened->info.createdDate = {2003, 2, 3};
    opened->info.createdTime = {14, 5, 9};
    opened->info.createdPresent = true;
    const std::string output = Saved(*opened.document);
    const int offset = LocalOffsetMinutes({2003, 2, 3}, {14, 5, 9});
    EXPECT_NE(output.find("5 0 obj\r<<\r/Trapped /False\r/Producer ()\r/Creator ()\r/Author (\xFE\xFF\\003\xA9\\003\xBC\\003\xAD"
                          "\\003\xB3\\003\xB1)\r/Title (Gr\xF6\xDF" "e \\(neu\\) \\\\)\r/Subject ()\r/Keywords ()\r"
                          "/CreationDate (" + PdfDateText({2003, 2, 3}, {14, 5, 9}, offset) + ")\r>>\r"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("/Info 5 0 R\r/Root 1 0 R"), std::string::npos);
    OpenedDocument reopened(output);
    EXPECT_EQ(reopened->info.title, "Größe (neu) \\");
    EXPECT_EQ(reopened->info.author, "Ωμέγα");
}

TEST(DocumentWriter, InformationOnlyWhenThereIsSomeToWrite)
{
    OpenedDocument opened(OnePage().Build());
    EXPECT_EQ(Saved(*opened.document).find("/Info"), std::string::npos);
    opened->info.title = "Neu";
    opened->info.changedByUser = true;
    const std::string output = Saved(*opened.document);
    EXPECT_NE(output.find("/Info 5 0 R"), std::string::npos);  // a new object after the input's
    EXPECT_NE(output.find("/Annots 6 0 R"), std::string::npos);
    OpenedDocument reopened(output);
    EXPECT_EQ(reopened->info.title, "Neu");
}

TEST(DocumentWriter, ResourceInsertionsForAddedFonts)
{
    PdfBuilder builder;
    builder.objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R 4 0 R] >>",
                       "<< /Type /Page /Resources 5 0 R >>", "<< /Type /Page /Resources 5 0 R >>",
                       "<< /ProcSet [/PDF] >>", "<< /Type /Page /Resources << /Font << /F1 7 0 R >> >> >>",
                       "<< /Type /Font >>"};
    builder.objects[1] = "<< /Type /Pages /Kids [3 0 R 4 0 R 6 0 R] >>";
    builder.trailerEntries = "/Root 1 0 R";
    OpenedDocument opened(builder.Build());
    FontRecord* font = opened->fonts.Append();
    font->resourceName = MakeText("/Arial");
    font->baseFontText = MakeText("/Arial");
    font->fontDictionaryText = MakeText("/FontDescriptor <<>>");
    font->addedByUser = 1;
    const std::string output = Saved(*opened.document);
    // The shared resource dictionary gets its font and XObject dictionaries once.
    EXPECT_NE(output.find("5 0 obj\n<< /Font << /Arial 8 0 R >> /XObject <<  >> /ProcSet [/PDF] >>\nendobj\r"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find("/Resources << /XObject <<  >> /Font << /Arial 8 0 R /F1 7 0 R >> >>"), std::string::npos);
    EXPECT_NE(output.find("8 0 obj\r<<\r/Type /Font\r/Subtype /TrueType\r/Name /Arial\r/Encoding /WinAnsiEncoding\r"
                          "/BaseFont /Arial\r/FontDescriptor <<>>\r>>\rendobj\r"),
              std::string::npos);
}

TEST(DocumentWriter, ModifiedPagesGetTheirOwnContentStreams)
{
    PdfBuilder builder;
    builder.objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R 8 0 R] >>",
                       "<< /Type /Page /Contents [6 0 R 7 0 R] >>", "<< /Type /Page /Contents [6 0 R] >>",
                       "<< /Type /Page /Contents 7 0 R >>", StreamObject("", "0 0 m"), StreamObject("", "1 1 l S"),
                       "<< /Type /Page >>"};
    builder.trailerEntries = "/Root 1 0 R";
    OpenedDocument opened(builder.Build());
    for (uint32_t i : {0u, 1u, 3u}) opened.Page(i).modified = 1;
    const std::string output = Saved(*opened.document);
    // Page 3 keeps stream 7 unchanged, so page 1's content cannot replace it; stream 6 goes to
    // page 1, page 2 and the page without content get new numbers.
    EXPECT_NE(output.find("3 0 obj\r<<\r/Type /Page\r/Contents 6 0 R"), std::string::npos) << output;
    EXPECT_NE(output.find("4 0 obj\r<<\r/Type /Page\r/Contents 9 0 R"), std::string::npos);
    EXPECT_NE(output.find("8 0 obj\r<<\r/Type /Page\r/Contents 10 0 R"), std::string::npos);
    EXPECT_NE(output.find("7 0 obj\n<<  /Length"), std::string::npos);
    OpenedDocument reopened(output);
    EXPECT_FALSE(reopened->invalid);
    EXPECT_EQ(reopened->pages.Count(), 4u);
    EXPECT_EQ(reopened->ItemCountsByPage(), (std::vector<uint32_t>{1, 0, 1, 0}));
}

TEST(DocumentWriter, PageListedTwiceIsWrittenAsTwoPageObjects)
{
    // Page 3 stands twice in the tree and carries a comment; page 4 once.
    PdfBuilder builder = DocumentWithPages(
        "/Kids [3 0 R 3 0 R 4 0 R] /Count 3",
        {"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 5 0 R /Annots [7 0 R] >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 6 0 R >>", StreamObject("", "0 0 m 9 9 l S"),
         StreamObject("", "0 0 m 5 5 l S 1 1 m 2 2 l S"), "<< /Type /Annot /Subtype /Text /Rect [0 0 20 20] /Contents (Notiz) >>"});
    for (const bool changed : {false, true}) {
        SCOPED_TRACE(changed ? "second occurrence changed" : "unchanged");
        OpenedDocument opened(builder.Build());
        ASSERT_EQ(opened->pages.Count(), 3u);
        if (changed) opened.Page(1).modified = 1;
        const std::string output = Saved(*opened.document);
        OpenedDocument reopened(output);
        EXPECT_FALSE(reopened->invalid);
        ASSERT_EQ(reopened->pages.Count(), 3u);
        // Three page objects, each with one parent; the copy shares the content unless changed.
        EXPECT_EQ(reopened.Page(0).objectNumber, 3);
        EXPECT_NE(reopened.Page(1).objectNumber, 3);
        EXPECT_EQ(reopened.Page(2).objectNumber, 4);
        const int32_t firstContent = reopened.Page(0).contentStreams->At(0)->objectNumber;
        const int32_t secondContent = reopened.Page(1).contentStreams->At(0)->objectNumber;
        EXPECT_EQ(firstContent == secondContent, !changed);
        EXPECT_EQ(reopened->ItemCountsByPage(), (std::vector<uint32_t>{1, 1, 2}));
        // Both occurrences list the comment, whose object is written once.
        EXPECT_EQ(reopened.Page(1).comments->Count(), 1u);
        size_t commentObjects = 0;
        for (size_t at = 0; (at = output.find("\r7 0 obj\r", at)) != std::string::npos; ++at) ++commentObjects;
        EXPECT_EQ(commentObjects, 1u);
    }
}

TEST(DocumentWriter, CropBoxAndInheritedAttributesAreKept)
{
    PdfBuilder builder;
    builder.objects = {"<< /Type /Catalog /Pages 2 0 R >>",
                       "<< /Type /Pages /Kids [3 0 R] /Rotate 90 /MediaBox [0 0 200 300] >>",
                       "<< /Type /Pages /Kids [4 0 R] /Resources << /ProcSet [/PDF] >> /CropBox [1 1 100 100] >>",
                       "<< /Type /Page /CropBox [2 2 50 50] >>"};
    builder.trailerEntries = "/Root 1 0 R";
    OpenedDocument opened(builder.Build());
    const std::string output = Saved(*opened.document);
    EXPECT_NE(output.find("4 0 obj\r<<\r/Type /Page\r/CropBox [ 2 2 50 50 ]\r/Resources << /XObject <<  >> /Font <<  >> "
                          "/ProcSet [ /PDF ] >>\r/Rotate 90\r/MediaBox [ 0 0 200 300 ]"),
              std::string::npos)
        << output;
}

TEST(DocumentWriter, SavingIsAtomic)
{
    ScratchFolder folder;
    OpenedDocument opened(OnePage().Build());
    const std::string target = folder.Write("target.pdf", "old bytes");
    EXPECT_TRUE(opened->SavePDFNew(target));
    EXPECT_EQ(ReadBytes(target).substr(0, 8), "%PDF-1.3");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.File("")), {}), 1);

    // A folder that does not exist, or one that takes no files: nothing written, the folder named.
    EXPECT_FALSE(opened->SavePDFNew(folder.File("missing/target.pdf")));
    EXPECT_EQ(opened.port.messages.back().text, "Den Ordner " + folder.File("missing") + " gibt es nicht.");
    // sysfs takes no new files, not even from root.
    EXPECT_FALSE(opened->SavePDFNew("/sys/target.pdf"));
    EXPECT_EQ(opened.port.messages.back().text,
              "In den Ordner /sys kann nicht geschrieben werden. Bitte wählen Sie einen anderen Ordner.");

    // A target that cannot be replaced (a folder of that name) keeps what it was.
    std::filesystem::create_directory(folder.File("taken.pdf"));
    EXPECT_FALSE(opened->SavePDFNew(folder.File("taken.pdf")));
    EXPECT_TRUE(std::filesystem::is_directory(folder.File("taken.pdf")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.File("")), {}), 2);
}

TEST(DocumentWriter, DocumentWithoutPagesRootIsNotSaved)
{
    ScratchFolder folder;
    OpenedDocument opened("not a pdf");
    EXPECT_FALSE(opened->SavePDFNew(folder.File("out.pdf")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("out.pdf")));
    EXPECT_EQ(opened.port.messages.back().text, "Dies ist keine gültige PDF-Datei.");
}

TEST(WriterText, EscapingAndDates)
{
    EXPECT_EQ(EscapeLiteralString(std::string("a\\(b)\b\t\n\f\r\x01\x1B\xFF", 13)), "a\\\\\\(b\\)\\b\\t\\n\\f\\r\\001\\033\xFF");
    EXPECT_EQ(ZeroPad("42", 5), "00042");
    EXPECT_EQ(ZeroPad("123456", 5), "123456");
    EXPECT_EQ(PdfDateText({2003, 2, 3}, {14, 5, 9}, 60), "D:20030203140509+01'00'");
    EXPECT_EQ(PdfDateText({2022, 1, 1}, {1, 29, 0}, -420), "D:20220101012900-07'00'");
    EXPECT_EQ(PdfDateText({2022, 1, 1}, {1, 29, 0}, 330), "D:20220101012900+05'30'");
    EXPECT_EQ(PdfDateText({2022, 1, 1}, {1, 29, 0}, 0), "D:20220101012900Z");
    EXPECT_EQ(InformationStringBytes("Größe €"), "Gr\xF6\xDF" "e \xA0");
    EXPECT_EQ(InformationStringBytes("\xF0\x9F\x98\x80"), std::string("\xFE\xFF\xD8\x3D\xDE\x00", 6));
}

}  // namespace
}  // namespace folivo::test
