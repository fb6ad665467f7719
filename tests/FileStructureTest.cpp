// The file structure: "%%EOF" and "startxref", cross-reference sections, trailers, refusal.
#include <gtest/gtest.h>

#include "tests/ReaderTestSupport.h"

namespace folivo::test {
namespace {

const std::string InvalidMessage = "Dies ist keine gültige PDF-Datei.";
const std::string EncryptedMessage = "Diese PDF-Datei verwendet ein unbekanntes Verschlüsselungsverfahren (Revision 0).";

std::string OnePageDocument(const std::string& header = "%PDF-1.4\n")
{
    PdfBuilder builder = DocumentWithPages("/Kids [3 0 R] /Count 1", {"<< /Type /Page /Parent 2 0 R >>"});
    builder.header = header;
    return builder.Build();
}

TEST(FileStructure, ReadsASimpleDocument)
{
    OpenedDocument opened(OnePageDocument());
    EXPECT_FALSE(opened->invalid);
    ASSERT_EQ(opened->pages.Count(), 1u);
    EXPECT_EQ(opened.Page(0).objectNumber, 3);
    EXPECT_TRUE(opened.port.messages.empty());
    EXPECT_EQ(opened.port.finishedPageCount, 1);
    EXPECT_EQ(opened.port.progressWindowShown, 1);
    EXPECT_EQ(opened.port.progressWindowClosed, 1);
    EXPECT_FALSE(opened->readingInProgress);
    EXPECT_EQ(opened.port.memo,
              (std::vector<std::string>{"1 Seiten gefunden...", "0 Schriftarten gefunden...", "0 Bilder/Objekte gefunden...",
                                        "0 JPEG-Bilder gelesen...", "Lese Seiten..."}));
}

TEST(FileStructure, HeaderVersionSelectsTheVersionItem)
{
    EXPECT_EQ(OpenedDocument(OnePageDocument("%PDF-1.2\n"))->versionItem, 0);
    EXPECT_EQ(OpenedDocument(OnePageDocument("%PDF-1.3\n"))->versionItem, 1);
    EXPECT_EQ(OpenedDocument(OnePageDocument("%PDF-1.4\n"))->versionItem, 2);
    EXPECT_EQ(OpenedDocument(OnePageDocument("%PDF-1.7\n"))->versionItem, 5);
    EXPECT_EQ(OpenedDocument(OnePageDocument("%PDF-2.0\n"))->versionItem, 6);
    // A version the box does not offer leaves it as it was.
    RecordingPort port;
    PdfDocument document(port);
    document.OpenBytes(Bytes(OnePageDocument("%PDF-1.2\n")), "a.pdf");
    document.OpenBytes(Bytes(OnePageDocument("%PDF-1.8\n")), "b.pdf");
    EXPECT_EQ(document.versionItem, 0);
}

TEST(FileStructure, FindsEofWhateverFollowsIt)
{
    const std::string pdf = OnePageDocument();
    // Trailing garbage on the %%EOF line, several line ends, or further lines after it.
    for (const std::string& tail : {std::string("%%EOF\n"), std::string("%%EOF junk\r\n\r\n\n"),
                                    std::string("%%EOF\nmore\nlines\n"), std::string("%%EOF")}) {
        std::string variant = pdf.substr(0, pdf.rfind("%%EOF")) + tail;
        OpenedDocument opened(variant);
        EXPECT_FALSE(opened->invalid) << tail;
        EXPECT_EQ(opened->pages.Count(), 1u) << tail;
    }
}

TEST(FileStructure, DamagedStructureIsRepaired)
{
    PdfBuilder builder = DocumentWithPages("/Kids [3 0 R] /Count 1", {"<< /Type /Page /Parent 2 0 R >>", "<< /Title (Heil) >>"});
    builder.trailerEntries = "/Root 1 0 R /Info 4 0 R";
    const std::string pdf = builder.Build();
    auto replaced = [&](const std::string& what, const std::string& by, size_t from = std::string::npos) {
        std::string variant = pdf;
        const size_t at = from == std::string::npos ? variant.rfind(what) : from;
        return variant.replace(at, what.size(), by);
    };
    const size_t startxref = pdf.rfind("startxref\n") + 10;
    const std::string sectionOffset = pdf.substr(startxref, pdf.find('\n', startxref) - startxref);
    const std::pair<const char*, std::string> cases[] = {
        {"no %%EOF", pdf.substr(0, pdf.rfind("%%EOF"))},
        {"no startxref", replaced("startxref", "startXref")},
        {"section offset not at xref", replaced(sectionOffset, "5", startxref)},
        {"absurd subsection", replaced("xref\n0 5", "xref\n2000000000 2000000000")},
        {"negative subsection", replaced("xref\n0 5", "xref\n-3 5")},
        {"no trailer keyword", replaced("trailer", "trailor")},
        {"offsets that miss their objects", replaced("0000000009 00000 n", "0000000011 00000 n")},
    };
    for (const auto& [name, variant] : cases) {
        OpenedDocument opened(variant);
        EXPECT_FALSE(opened->invalid) << name;
        EXPECT_EQ(opened->pages.Count(), 1u) << name;
        // The trailer found by the scan still names the information.
        EXPECT_EQ(opened->info.title, std::string(name) == "no trailer keyword" ? "" : "Heil") << name;
        EXPECT_LT(opened->XrefTable.size(), 1000u) << name;
        EXPECT_EQ(opened.port.memo.front(), "Die Querverweise der Datei waren beschädigt; die Datei wurde repariert.") << name;
        EXPECT_TRUE(opened.port.messages.empty()) << name;
    }
    // A repaired file stays refused when its trailer names an encryption that cannot be used.
    OpenedDocument encrypted(replaced("startxref", "startXref").replace(pdf.find("/Info 4 0 R"), 0, "/Encrypt 4 0 R "));
    EXPECT_TRUE(encrypted->encrypted);
    EXPECT_TRUE(encrypted->invalid);

    // Without any catalog there is nothing to repair.
    for (const std::string& nothing : {std::string(), std::string("%%EOF"), std::string("%PDF-1.4\n1 0 obj\n(x)\nendobj\n")}) {
        OpenedDocument opened(nothing);
        EXPECT_TRUE(opened->invalid);
        EXPECT_EQ(opened.port.MessageTexts(), std::vector<std::string>{InvalidMessage});
    }
}

TEST(FileStructure, FileThatCannotBeOpened)
{
    RecordingPort port;
    PdfDocument document(port);
    document.openfilenow("/nonexistent/folder/file.pdf");
    EXPECT_EQ(port.MessageTexts(),
              std::vector<std::string>{"Konnte die Datei /nonexistent/folder/file.pdf nicht öffnen."});
    EXPECT_FALSE(document.documentRead);
    EXPECT_EQ(port.finishedPageCount, 0);
    EXPECT_EQ(port.progressWindowClosed, 1);
}

// An original document plus an incremental update that replaces the page (object 3) and adds
// object 4; the update's table names object 3 and 4 only.
std::string IncrementalDocument(const std::string& prevValue)
{
    const std::string original = OnePageDocument();
    const size_t originalXref = std::stoul(original.substr(original.rfind("startxref\n") + 10));
    std::string pdf = original;
    const size_t page = pdf.size();
    pdf += "3 0 obj\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>\nendobj\n";
    const size_t extra = pdf.size();
    pdf += "4 0 obj\n(unused)\nendobj\n";
    const size_t xref = pdf.size();
    char entries[64];
    std::snprintf(entries, sizeof entries, "%010zu 00000 n\r\n%010zu 00000 n\r\n", page, extra);
    pdf += std::string("xref\n3 2\n") + entries;
    pdf += "trailer\n<< /Size 5 /Root 1 0 R /Prev " + (prevValue.empty() ? std::to_string(originalXref) : prevValue) +
           " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

TEST(FileStructure, NewestSectionWinsAndOlderObjectsAreFound)
{
    OpenedDocument opened(IncrementalDocument(""));
    EXPECT_FALSE(opened->invalid);
    ASSERT_EQ(opened->pages.Count(), 1u);
    EXPECT_EQ(opened.Page(0).mediaBox[2], 612);  // the updated page
    EXPECT_EQ(opened->XrefTable.size(), 5u);
}

TEST(FileStructure, PrevChainLoopsEnd)
{
    // /Prev pointing at the section itself: the older section with the catalog is never read,
    // so the file is repaired from its objects.
    const std::string update = IncrementalDocument("0");
    const std::string xref = update.substr(update.rfind("startxref\n") + 10, update.rfind("\n%%EOF") - update.rfind("startxref\n") - 10);
    std::string selfLoop = update;
    selfLoop.replace(selfLoop.rfind("/Prev 0"), 7, "/Prev " + xref);
    OpenedDocument self(selfLoop);
    EXPECT_FALSE(self->invalid);
    EXPECT_EQ(self->XrefTable.size(), 5u);
    ASSERT_EQ(self->pages.Count(), 1u);
    EXPECT_EQ(self.Page(0).mediaBox[2], 612);  // the newest definition of the page

    // Two sections pointing at each other; a fixed-width placeholder keeps every offset.
    std::string mutual = IncrementalDocument("");
    const size_t original = mutual.find(">>", mutual.find("trailer"));
    mutual.replace(original, 2, "/Prev 0000000000 >>");
    // The insertion moved the update by the placeholder's length; shift its offsets.
    const size_t shift = std::string("/Prev 0000000000 ").size();
    const std::string tail = mutual.substr(mutual.rfind("xref\n3 2\n"));
    std::string fixed = mutual.substr(0, mutual.size() - tail.size());
    size_t pageAt = std::stoul(tail.substr(9, 10)) + shift, extraAt = std::stoul(tail.substr(29, 10)) + shift;
    const size_t updateXref = fixed.size();
    char entries[64];
    std::snprintf(entries, sizeof entries, "%010zu 00000 n\r\n%010zu 00000 n\r\n", pageAt, extraAt);
    const size_t originalXref = std::stoul(fixed.substr(fixed.find("startxref\n") + 10));
    fixed += std::string("xref\n3 2\n") + entries + "trailer\n<< /Size 5 /Root 1 0 R /Prev " + std::to_string(originalXref) +
             " >>\nstartxref\n" + std::to_string(updateXref) + "\n%%EOF\n";
    char placeholder[16];
    std::snprintf(placeholder, sizeof placeholder, "%010zu", updateXref);
    fixed.replace(fixed.find("/Prev 0000000000") + 6, 10, placeholder);
    OpenedDocument loop(fixed);
    EXPECT_FALSE(loop->invalid);
    ASSERT_EQ(loop->pages.Count(), 1u);
    EXPECT_EQ(loop.Page(0).mediaBox[2], 612);
}

TEST(FileStructure, UnconvertibleNumbersAreSkipped)
{
    std::string pdf = OnePageDocument();
    pdf.replace(pdf.find("/Size"), 5, "/Prev x /Size");
    EXPECT_FALSE(OpenedDocument(pdf)->invalid);
}

TEST(FileStructure, EntriesSplitOverLinesAndSubsections)
{
    PdfBuilder builder = DocumentWithPages("/Kids [3 0 R] /Count 1", {"<< /Type /Page /Parent 2 0 R >>"});
    std::string pdf = builder.Build();
    // Rewrite the table as two subsections with entries spread over odd line breaks.
    const size_t xref = pdf.find("xref\n");
    const size_t trailer = pdf.find("trailer");
    std::vector<std::string> offsets;
    size_t line = pdf.find('\n', xref + 5) + 1;
    for (int i = 0; i < 4; ++i, line += 20) offsets.push_back(pdf.substr(line, 10));
    const std::string table = "xref\n0 2\n" + offsets[0] + " 65535 f " + offsets[1] + "\n00000\nn\n2 2\n" + offsets[2] +
                              " 00000 n\r\n" + offsets[3] + " 00000 n\r\n";
    pdf.replace(xref, trailer - xref, table);
    const size_t startxref = pdf.rfind("startxref\n") + 10;
    pdf.replace(startxref, pdf.find('\n', startxref) - startxref, std::to_string(xref));
    OpenedDocument opened(pdf);
    EXPECT_FALSE(opened->invalid);
    EXPECT_EQ(opened->pages.Count(), 1u);
}

TEST(FileStructure, EncryptionWithoutRevisionIsRefused)
{
    PdfBuilder builder = DocumentWithPages("/Kids [3 0 R] /Count 1",
                                           {"<< /Type /Page /Parent 2 0 R >>", "<< /Filter /Standard /V 1 >>",
                                            "<< /Title (secret) >>"});
    builder.trailerEntries = "/Root 1 0 R /Encrypt 4 0 R /Info 5 0 R";
    OpenedDocument opened(builder.Build());
    EXPECT_TRUE(opened->encrypted);
    EXPECT_TRUE(opened->invalid);
    EXPECT_EQ(opened->pages.Count(), 0u);
    EXPECT_EQ(opened.port.MessageTexts(), (std::vector<std::string>{EncryptedMessage}));
    EXPECT_EQ(opened->info.title, "");
}

TEST(FileStructure, MissingRootIsTheCatalogAmongTheObjects)
{
    PdfBuilder builder = DocumentWithPages("/Kids [3 0 R] /Count 1", {"<< /Type /Page /Parent 2 0 R >>"});
    for (const char* trailer : {"", "/Root 99 0 R"}) {
        builder.trailerEntries = trailer;
        OpenedDocument opened(builder.Build());
        EXPECT_FALSE(opened->invalid) << trailer;
        EXPECT_EQ(opened->pages.Count(), 1u) << trailer;
    }
    // Without a catalog the file stays invalid.
    builder.objects[0] = "<< /Pages 2 0 R >>";
    EXPECT_TRUE(OpenedDocument(builder.Build())->invalid);
}

TEST(FileStructure, ReadingAgainDiscardsThePreviousDocument)
{
    RecordingPort port;
    PdfDocument document(port);
    PdfBuilder two = DocumentWithPages("/Kids [3 0 R 4 0 R] /Count 2",
                                       {"<< /Type /Page /Parent 2 0 R /Annots [5 0 R] >>",
                                        "<< /Type /Page /Parent 2 0 R >>", "<< /Subtype /Text >>"});
    document.OpenBytes(Bytes(two.Build()), "two.pdf");
    ASSERT_EQ(document.pages.Count(), 2u);
    document.OpenBytes(Bytes("not a pdf"), "bad.pdf");
    EXPECT_EQ(document.pages.Count(), 0u);
    EXPECT_EQ(document.fonts.Count(), 0u);
    EXPECT_EQ(port.finishedPageCount, 0);
    // The memo keeps the lines of earlier readings.
    EXPECT_EQ(port.memo.front(), "2 Seiten gefunden...");
}

TEST(FileStructure, ReadingInProgressIgnoresASecondRequest)
{
    // A port whose message loop tries to start another reading while the first one runs.
    struct ReenteringPort : RecordingPort {
        PdfDocument* document = nullptr;
        void ProcessMessages() override
        {
            RecordingPort::ProcessMessages();
            document->OpenBytes(Bytes("garbage"), "other.pdf");
        }
    } port;
    PdfDocument document(port);
    port.document = &document;
    document.OpenBytes(Bytes(OnePageDocument()), "one.pdf");
    EXPECT_EQ(port.progressWindowShown, 1);
    EXPECT_FALSE(document.invalid);
    EXPECT_EQ(document.pages.Count(), 1u);
}

}  // namespace
}  // namespace folivo::test
