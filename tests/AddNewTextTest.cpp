// Adding text to a page: the lines written around the old content, and the page afterwards.
#include <gtest/gtest.h>

#include "edit/AddTextLines.h"
#include "tests/ReaderTestSupport.h"

namespace folivo::test {
namespace {

const std::string CRLF = "\r\n";

// A one-page document whose content stream holds `data`, with the font /F1.
std::string OnePage(const std::string& data)
{
    return DocumentWithPages("/Kids [3 0 R] /Count 1",
                             {"<< /Type /Page /Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>",
                              StreamObject("", data), "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"})
        .Build();
}

struct Page {
    OpenedDocument opened;

    explicit Page(const std::string& data) : opened(OnePage(data))
    {
        AddTextSettings& settings = opened->addTextSettings;
        settings.fontNames = {"/F1"};
        settings.selectedFont = 0;
    }
    AddTextSettings& Settings() { return opened->addTextSettings; }
    PageRecord& Record() { return opened.Page(0); }
    std::string Content() { return std::string(reinterpret_cast<const char*>(Record().content), Record().contentLength); }
};

std::string Lines(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const std::string& line : lines) text += line + CRLF;
    return text;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(AddNewText, OnTopWrapsTheOldContentAndAppendsTheTextObject)
{
    Page page("0 0 m 10 10 l S");
    page.Settings().lines = {"Hallo"};
    const uint32_t itemsBefore = page.opened->ItemCountsByPage()[0];
    page.opened->AddNewText(100, 700);

    EXPECT_EQ(page.Content(), "q\r\n0 0 m 10 10 l S\n" + Lines({"Q", "1 0 0 1 0 0 cm", "0 0 0 rg", "BT", "/F1 1 Tf",
                                                                 "12 0 0 12 100.00 700.00 Tm", "(Hallo)Tj", "ET"}));
    EXPECT_TRUE(page.Record().modified);
    // The page was interpreted again: the text is one more item.
    EXPECT_GT(page.opened->ItemCountsByPage()[0], itemsBefore);
    EXPECT_TRUE(page.opened.port.messages.empty());
}

TEST(AddNewText, LinesAreOneSizeApartAndBehindComeInReverseBeforeTheOldContent)
{
    Page page("0 0 m 10 10 l S");
    page.Settings().lines = {"eins", "zwei"};
    page.Settings().pasteInBack = true;
    page.opened->AddNewText(100, 700);
    EXPECT_EQ(page.Content(), Lines({"q", "1 0 0 1 0 0 cm", "0 0 0 rg", "BT", "/F1 1 Tf", "12 0 0 12 100.00 688.00 Tm",
                                     "(zwei)Tj", "12 0 0 12 100.00 700.00 Tm", "(eins)Tj", "ET", "Q"}) +
                                  "0 0 m 10 10 l S\n");
    EXPECT_TRUE(page.Record().modified);
}

TEST(AddNewText, SizeColourPositionAndTextAreWrittenInTheirFixedForms)
{
    Page page("");
    AddTextSettings& settings = page.Settings();
    settings.lines = {"a", "b", "(c)\\"};
    settings.fontSize = 20;
    settings.color = 0x00FF8000;  // red 0, green 128, blue 255
    page.opened->AddNewText(-3.256, 25.005);
    const std::string content = page.Content();
    EXPECT_NE(content.find("0 0.501960784313725 1 rg\r\n"), std::string::npos) << content;
    EXPECT_NE(content.find("20 0 0 20 -3.26 25.00 Tm\r\n(a)Tj\r\n"), std::string::npos) << content;
    EXPECT_NE(content.find("20 0 0 20 -3.26 5.00 Tm\r\n(b)Tj\r\n"), std::string::npos) << content;
    EXPECT_NE(content.find("20 0 0 20 -3.26 -15.00 Tm\r\n(\\(c\\)\\\\)Tj\r\n"), std::string::npos) << content;
    EXPECT_EQ(ColorComponentText(1), "0.00392156862745098");
    EXPECT_EQ(TwoDecimalsText(1e9), "1000000000.00");
}

TEST(AddNewText, WithoutLinesTheTextObjectOnlySelectsTheFont)
{
    Page page("0 0 m");
    page.opened->AddNewText(100, 700);
    EXPECT_TRUE(EndsWith(page.Content(), "\nQ\r\n1 0 0 1 0 0 cm\r\n0 0 0 rg\r\nBT\r\n/F1 1 Tf\r\nET\r\n"))
        << page.Content();

    Page behind("0 0 m");
    behind.Settings().pasteInBack = true;
    behind.opened->AddNewText(100, 700);
    EXPECT_EQ(behind.Content(), Lines({"q", "1 0 0 1 0 0 cm", "0 0 0 rg", "BT", "/F1 1 Tf", "ET", "Q"}) + "0 0 m\n");
}

TEST(AddNewText, OldContentBytesSurviveExactly)
{
    // Lone CR and LF (as inline image data and strings hold them), a zero byte and "#".
    const char raw[] = "BT (a\rb\nc\x00#d) Tj ET\r\r\n\n";
    const std::string old(raw, sizeof raw - 1);
    Page page(old);
    page.Settings().lines = {"x"};
    page.opened->AddNewText(1, 2);
    const std::string content = page.Content();
    EXPECT_EQ(content.substr(0, 3 + old.size() + 1), "q\r\n" + old + "\n");
    EXPECT_EQ(content.substr(3 + old.size() + 1, 3), "Q\r\n");

    page.Settings().pasteInBack = true;
    const std::string before = page.Content();
    page.opened->AddNewText(1, 2);
    EXPECT_TRUE(EndsWith(page.Content(), "ET\r\nQ\r\n" + before));
}

TEST(AddNewText, ALineEndIsSuppliedOnlyWhereTheOldContentLacksOne)
{
    AddTextSettings settings;
    settings.fontNames = {"/F"};
    settings.selectedFont = 0;
    const AddedTextBlock block = BuildAddedTextBlock(settings, 0, 0);
    EXPECT_EQ(ContentWithAddedText("S", block, false), "q\r\nS\r\nQ\r\n" + block.after.substr(3));
    EXPECT_EQ(ContentWithAddedText("S\r", block, false), "q\r\nS\rQ\r\n" + block.after.substr(3));
    EXPECT_EQ(ContentWithAddedText("", block, false), "q\r\nQ\r\n" + block.after.substr(3));

    settings.pasteInBack = true;
    const AddedTextBlock behind = BuildAddedTextBlock(settings, 0, 0);
    EXPECT_EQ(ContentWithAddedText("S", behind, true), behind.before + "S");
    EXPECT_TRUE(behind.after.empty());
}

TEST(AddNewText, PageWithoutDecodedContentIsLeftAndReported)
{
    const std::string pdf =
        DocumentWithPages("/Kids [3 0 R] /Count 1",
                          {"<< /Type /Page /Contents 4 0 R >>", StreamObject("/Filter /RunLengthDecode", "x")})
            .Build();
    OpenedDocument opened(pdf);
    ASSERT_FALSE(opened.Page(0).contentLoaded);
    const uint8_t* content = opened.Page(0).content;
    const int32_t length = opened.Page(0).contentLength;
    opened.port.messages.clear();
    opened->addTextSettings.lines = {"Hallo"};
    opened->AddNewText(0, 0);

    ASSERT_EQ(opened.port.messages.size(), 1u);
    EXPECT_EQ(opened.port.messages[0].text, "Der Inhalt der Seite konnte nicht dekodiert werden!");
    EXPECT_EQ(opened.port.messages[0].caption, ApplicationTitle);
    EXPECT_EQ(opened.port.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(opened.Page(0).content, content);
    EXPECT_EQ(opened.Page(0).contentLength, length);
    EXPECT_FALSE(opened.Page(0).modified);
}

TEST(AddNewText, NoValidCurrentPageChangesNothing)
{
    Page page("0 0 m");
    page.Settings().lines = {"Hallo"};
    for (int number : {0, -1, 2}) {
        page.opened->currentPageNumber = number;
        page.opened->AddNewText(0, 0);
    }
    EXPECT_EQ(page.Content(), "0 0 m\n");
    EXPECT_FALSE(page.Record().modified);
    EXPECT_TRUE(page.opened.port.messages.empty());
}

}  // namespace
}  // namespace folivo::test
