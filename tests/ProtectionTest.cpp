// The document protection: the added font's names and descriptor, the text object on every page,
// and the saved file.
#include <gtest/gtest.h>

#include "document/DocumentWriter.h"
#include "pdfwrite/Protection.h"
#include "tests/ReaderTestSupport.h"
#include "tests/ScratchFolder.h"

namespace folivo::test {
namespace {

class FakeMetrics : public OutlineFontMetrics {
public:
    FontMeasurement measurement;
    std::vector<DisplayFont> asked;

    FakeMetrics()
    {
        measurement.hasOutline = true;
        measurement.boxLeft = -1;
        measurement.boxBottom = -4;
        measurement.boxRight = 17;
        measurement.boxTop = 15;
        measurement.italicAngle = -120;
        measurement.ascent = 14;
        measurement.descent = -3;
        measurement.firstChar = 32;
        measurement.lastChar = 34;
        measurement.widths[32] = 4;
        measurement.widths[33] = 4;
        measurement.widths[34] = 5;
        measurement.widths[35] = 9;  // beyond the last character
    }
    FontMeasurement Measure(const DisplayFont& font) override
    {
        asked.push_back(font);
        return measurement;
    }
};

const std::string OutlineDescriptor =
    "/FontDescriptor <</Type/FontDescriptor /FontBBox[-83 -333 1416 1250] /Flags 4/Ascent 1166/Descent -250"
    "/ItalicAngle -120>> /FirstChar 32 /LastChar 34 /Widths [333 333 416 ] ";

const std::string FinalMessage =
    "Der PDF-Datei Schutz wurde hinzugefügt. Nach dem Speichern kann der Text durch Acrobat nun nicht mehr verändert "
    "werden!";

// Two pages: the first with the font `fontName` in an inline font dictionary, the second with
// resources but no font dictionary.
std::string TwoPages(const std::string& fontName = "/F1")
{
    return DocumentWithPages(
               "/Kids [3 0 R 4 0 R] /Count 2",
               {"<< /Type /Page /Parent 2 0 R /Resources << /Font << " + fontName + " 6 0 R >> >> /Contents 5 0 R >>",
                "<< /Type /Page /Parent 2 0 R /Resources << /ProcSet [/PDF] >> /Contents 7 0 R >>",
                StreamObject("", "BT " + fontName + " 12 Tf 10 10 Td (Eins) Tj ET"),
                "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>", StreamObject("", "0 0 m 50 50 l S")})
        .Build();
}

std::string ContentOf(const PageRecord& page)
{
    return std::string(reinterpret_cast<const char*>(page.content), static_cast<size_t>(page.contentLength));
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(ProtectionNames, FaceNamesBecomeResourceAndBaseFontNames)
{
    EXPECT_EQ(ProtectionFontName("Times New Roman"), "TimesNewRoman");
    EXPECT_EQ(ProtectionBaseFont("Times New Roman", true, false), "Times#20New#20Roman,Bold");
    EXPECT_EQ(ProtectionBaseFont("Arial", false, false), "Arial");
    EXPECT_EQ(ProtectionBaseFont("Arial", false, true), "Arial,Italic");
    EXPECT_EQ(ProtectionBaseFont("Arial", true, true), "Arial,BoldItalic");

    const std::string delimiters = "A(#%)/<>[]{}!~";
    EXPECT_EQ(ProtectionFontName(delimiters), "A#28#23#25#29#2F#3C#3E#5B#5D#7B#7D!~");
    EXPECT_EQ(ProtectionBaseFont(delimiters, false, false), "A#28#23#25#29#2F#3C#3E#5B#5D#7B#7D!~");

    // Control and high bytes are dropped from the resource name, escaped in the base font;
    // a zero byte is dropped from both.
    const char raw[] = "a\x01" "b\x7F" "c\xE4" "d\x00" "e \xFF";
    const std::string face(raw, sizeof raw - 1);
    EXPECT_EQ(ProtectionFontName(face), "abcde");
    EXPECT_EQ(ProtectionBaseFont(face, false, false), "a#01b#7Fc#E4de#20#FF");
}

TEST(ProtectionNames, UniqueNameAppendsDigitsUntilNoFontHasIt)
{
    TDynaArray<FontRecord> fonts;
    for (const char* name : {"/Arial", "/Arial7"}) fonts.Append()->resourceName = MakeText(name);

    EXPECT_EQ(UniqueResourceName("/Tahoma", fonts), "/Tahoma");
    EXPECT_EQ(UniqueResourceName("/arial", fonts), "/arial");  // case-sensitive
    // The first digit gives a taken name, so a second one is appended.
    std::string digits = "73";
    size_t next = 0;
    EXPECT_EQ(UniqueResourceName("/Arial", fonts, [&] { return digits[next++]; }), "/Arial73");

    const std::string unique = UniqueResourceName("/Arial", fonts);
    EXPECT_GT(unique.size(), 6u);
    EXPECT_EQ(unique.find_first_not_of("0123456789", 6), std::string::npos) << unique;
    EXPECT_NE(unique, "/Arial7");

    for (uint32_t i = 0; i < fonts.Count(); ++i) ReleaseText(fonts.At(i)->resourceName);
}

TEST(ProtectionDescriptor, MetricsAreScaledAndTruncated)
{
    FakeMetrics fake;
    double widths[256] = {};
    uint8_t present[256] = {};
    EXPECT_EQ(DescriptorText(fake.measurement, widths, present), OutlineDescriptor);
    EXPECT_EQ(widths[34], 416);
    EXPECT_EQ(present[34], 1);
    EXPECT_EQ(present[31] + present[35], 0);

    // Plain metrics: no angle, a box from the height and the widest character.
    FontMeasurement plain;
    plain.height = 17;
    plain.maxCharWidth = 28;
    plain.ascent = 14;
    plain.descent = 3;
    plain.firstChar = 65;
    plain.lastChar = 66;
    plain.widths[65] = 12;
    plain.widths[66] = 1;
    EXPECT_EQ(DescriptorText(plain, widths, present),
              "/FontDescriptor <</Type/FontDescriptor /FontBBox[0 1416 2333 0] /Flags 4/Ascent 1166/Descent 250>> "
              "/FirstChar 65 /LastChar 66 /Widths [1000 83 ] ");
}

TEST(ProtectionDescriptor, CharacterRangeStaysWithinTheWidthTable)
{
    FontMeasurement wide;
    wide.firstChar = -5;
    wide.lastChar = 70000;
    double widths[256] = {};
    uint8_t present[256] = {};
    EXPECT_NE(DescriptorText(wide, widths, present).find("/FirstChar 0 /LastChar 255 "), std::string::npos);
    EXPECT_EQ(present[0] + present[255], 2);

    FontMeasurement reversed;
    reversed.firstChar = 200;
    reversed.lastChar = 100;
    EXPECT_TRUE(EndsWith(DescriptorText(reversed, widths, present), "/Widths [] "));
}

struct Protected {
    OpenedDocument opened;
    FakeMetrics metrics;
    std::vector<int> viewedPages;

    explicit Protected(const std::string& pdf) : opened(pdf) {}

    void Run(const DisplayFont& font = {})
    {
        opened.port.messages.clear();
        opened->FileProtectBtnClick(
            font, metrics,
            [this](int page) {
                viewedPages.push_back(page);
                return 1123;
            },
            96, 50);
    }
    const FontRecord& LastFont() { return *opened->fonts.At(opened->fonts.Count() - 1); }
};

TEST(FileProtectBtnClick, AddsTheFontAndSelectsItOnEveryPage)
{
    Protected doc(TwoPages());
    doc.opened->addTextSettings.lines = {"weg damit"};
    doc.opened->currentPageNumber = 2;
    const uint32_t fontsBefore = doc.opened->fonts.Count();
    DisplayFont font;
    font.family = "Arial";
    font.bold = true;
    doc.Run(font);

    ASSERT_EQ(doc.metrics.asked.size(), 1u);
    EXPECT_EQ(doc.metrics.asked[0].family, "Arial");
    EXPECT_TRUE(doc.metrics.asked[0].bold);

    ASSERT_EQ(doc.opened->fonts.Count(), fontsBefore + 1);
    const FontRecord& added = doc.LastFont();
    EXPECT_EQ(added.resourceName.View(), "/Arial");
    EXPECT_EQ(added.baseFontText.View(), "/Arial,Bold");
    EXPECT_EQ(added.fontDictionaryText.View(), OutlineDescriptor);
    EXPECT_EQ(added.addedByUser, 1);
    EXPECT_EQ(added.pageIndex, 0u);
    EXPECT_EQ(added.encoding, 3);
    EXPECT_EQ(added.firstChar, 0u);
    EXPECT_EQ(added.boxWidth, 1.0);
    EXPECT_EQ(added.boxHeight, 1.0);
    EXPECT_EQ(added.widths[33], 333);
    EXPECT_EQ(added.widthPresent[33], 1);
    EXPECT_EQ(added.widthPresent[35], 0);
    EXPECT_FALSE(added.isType3);

    // The list offered the second page's fonts (none) when the operation began, then the new one.
    const AddTextSettings& settings = doc.opened->addTextSettings;
    EXPECT_EQ(settings.fontNames, std::vector<std::string>{"/Arial"});
    EXPECT_EQ(settings.SelectedFontName(), "/Arial");
    EXPECT_TRUE(settings.lines.empty());

    EXPECT_TRUE(doc.opened->documentModified);
    EXPECT_EQ(doc.viewedPages, (std::vector<int>{1, 2}));
    for (uint32_t i = 0; i < 2; ++i) {
        const PageRecord& page = doc.opened.Page(i);
        EXPECT_TRUE(page.modified) << i;
        const std::string content = ContentOf(page);
        EXPECT_EQ(content.substr(0, 3), "q\r\n");
        EXPECT_TRUE(EndsWith(content, "Q\r\n1 0 0 1 0 0 cm\r\n0 0 0 rg\r\nBT\r\n/Arial 1 Tf\r\nET\r\n")) << content;
    }
    EXPECT_EQ(doc.opened->currentPageNumber, 1);
    ASSERT_EQ(doc.opened.port.messages.size(), 1u);
    EXPECT_EQ(doc.opened.port.messages[0].text, FinalMessage);
    EXPECT_EQ(doc.opened.port.messages[0].caption, "Fertig");
    EXPECT_EQ(doc.opened.port.messages[0].icon, MessageIcon::Information);
}

TEST(FileProtectBtnClick, ATakenNameGetsDigitsAndEachRunAddsAnotherFont)
{
    Protected doc(TwoPages("/Arial"));
    doc.opened->addTextSettings.selectedFont = 5;  // kept although the list is shorter
    doc.Run();
    const std::string first(doc.LastFont().resourceName.View());
    ASSERT_GT(first.size(), 6u);
    EXPECT_EQ(first.substr(0, 6), "/Arial");
    EXPECT_EQ(first.find_first_not_of("0123456789", 6), std::string::npos);
    EXPECT_TRUE(EndsWith(ContentOf(doc.opened.Page(0)), "BT\r\n" + first + " 1 Tf\r\nET\r\n"));

    EXPECT_EQ(doc.opened->addTextSettings.fontNames, (std::vector<std::string>{"/Arial", first}));

    // Begun on page 2, which has no fonts of its own, the list offers the font added before.
    doc.opened->currentPageNumber = 2;
    doc.Run();
    const std::string second(doc.LastFont().resourceName.View());
    EXPECT_NE(second, first);
    EXPECT_NE(second, "/Arial");
    EXPECT_EQ(doc.opened->addTextSettings.fontNames, (std::vector<std::string>{first, second}));
    EXPECT_EQ(doc.opened->addTextSettings.selectedFont, 1);
    for (uint32_t i = 0; i < 2; ++i) {
        const std::string content = ContentOf(doc.opened.Page(i));
        EXPECT_TRUE(EndsWith(content, "BT\r\n" + second + " 1 Tf\r\nET\r\n")) << content;
        EXPECT_NE(content.find("BT\r\n" + first + " 1 Tf\r\nET\r\n"), std::string::npos) << content;
        EXPECT_EQ(content.substr(0, 6), "q\r\nq\r\n");
    }
}

TEST(FileProtectBtnClick, UndecodedPagesAreReportedOnceAndTheOthersProtected)
{
    // Page 1 has a filter that is not decoded, page 3 no content at all.
    const std::string pdf =
        DocumentWithPages("/Kids [3 0 R 4 0 R 5 0 R] /Count 3",
                          {"<< /Type /Page /Contents 6 0 R >>", "<< /Type /Page /Contents 7 0 R >>",
                           "<< /Type /Page >>", StreamObject("/Filter /RunLengthDecode", "x"),
                           StreamObject("", "0 0 m")})
            .Build();
    Protected doc(pdf);
    doc.Run();
    EXPECT_FALSE(doc.opened.Page(0).modified);
    EXPECT_TRUE(doc.opened.Page(1).modified);
    EXPECT_FALSE(doc.opened.Page(2).modified);
    ASSERT_EQ(doc.opened.port.messages.size(), 2u);
    EXPECT_EQ(doc.opened.port.messages[0].text, "Der Inhalt der Seite konnte nicht dekodiert werden!");
    EXPECT_EQ(doc.opened.port.messages[1].text, FinalMessage);
}

TEST(FileProtectBtnClick, WithoutADocumentTheFontIsStillAddedAndReported)
{
    RecordingPort port;
    PdfDocument document(port);
    FakeMetrics metrics;
    int viewed = 0;
    document.FileProtectBtnClick(DisplayFont{}, metrics, [&](int) { return ++viewed; }, 96, 100);
    EXPECT_EQ(viewed, 0);
    ASSERT_EQ(document.fonts.Count(), 1u);
    EXPECT_EQ(document.fonts.At(0)->resourceName.View(), "/Arial");
    ASSERT_EQ(port.messages.size(), 1u);
    EXPECT_EQ(port.messages[0].text, FinalMessage);
}

TEST(FileProtectBtnClick, SavedFileCarriesTheFontOnEveryPage)
{
    Protected doc(TwoPages());
    doc.Run();
    ScratchFolder folder;
    const std::string path = folder.File("protected.pdf");
    ASSERT_TRUE(doc.opened->SavePDFNew(path));
    const std::string saved = ReadBytes(path);
    EXPECT_NE(saved.find("/Subtype /TrueType\r/Name /Arial\r/Encoding /WinAnsiEncoding\r/BaseFont /Arial\r" +
                         OutlineDescriptor + "\r>>\r"),
              std::string::npos);

    RecordingPort port;
    PdfDocument reopened(port);
    reopened.openfilenow(path);
    EXPECT_FALSE(reopened.invalid);
    ASSERT_EQ(reopened.pages.Count(), 2u);
    const FontRecord* arial = nullptr;
    for (uint32_t i = 0; i < reopened.fonts.Count(); ++i)
        if (reopened.fonts.At(i)->resourceName.View() == "/Arial") arial = reopened.fonts.At(i);
    ASSERT_NE(arial, nullptr);
    EXPECT_EQ(arial->firstChar, 32u);
    EXPECT_EQ(arial->widths[2], 416);
    EXPECT_EQ(arial->encoding, 2);

    const std::string_view bytes(reinterpret_cast<const char*>(reopened.fileBuffer.data), reopened.fileBuffer.size);
    for (uint32_t i = 0; i < 2; ++i) {
        const PageRecord& page = *reopened.pages.At(i);
        ASSERT_TRUE(page.hasFonts) << i;
        const std::string_view fonts = bytes.substr(page.fontDictionaryPosition);
        EXPECT_NE(fonts.substr(0, fonts.find(">>")).find("/Arial "), std::string_view::npos) << i;
        ASSERT_TRUE(page.contentLoaded) << i;
        EXPECT_TRUE(EndsWith(ContentOf(page), "BT\r\n/Arial 1 Tf\r\nET\r\n\n")) << i;
    }
    const std::string wrapped = "q\r\n0 0 m 50 50 l S\nQ\r\n";
    EXPECT_EQ(ContentOf(*reopened.pages.At(1)).substr(0, wrapped.size()), wrapped);
}

TEST(FileProtectBtnClick, ADocumentReadWithoutItemsIsProtectedAlike)
{
    // The batch save reads no page items; the protected file must not differ for that.
    Protected withItems(TwoPages());
    withItems.Run();
    RecordingPort port;
    PdfDocument withoutItems(port);
    withoutItems.interpretPages = false;
    withoutItems.OpenBytes(Bytes(TwoPages()), "test.pdf");
    FakeMetrics metrics;
    withoutItems.FileProtectBtnClick(DisplayFont{}, metrics, [](int) { return 1123; }, 96, 50);

    EXPECT_GT(withItems.opened->PageItemList.Count(), 0u);
    EXPECT_EQ(withoutItems.PageItemList.Count(), 0u);
    // Alike but for the identifier, which includes the moment of saving.
    auto withoutIdentifier = [](std::string bytes) { return bytes.erase(bytes.find("/ID [")); };
    EXPECT_EQ(withoutIdentifier(DocumentWriter(withoutItems).Write()),
              withoutIdentifier(DocumentWriter(*withItems.opened.document).Write()));
}

}  // namespace
}  // namespace folivo::test
