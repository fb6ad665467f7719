// Font resources: one record per name, widths, box, encodings and differences.
#include <gtest/gtest.h>

#include "core/CharsetTables.h"
#include "tests/ReaderTestSupport.h"

namespace folivo::test {
namespace {

// Page 3 uses /F1 = object 5 (and optional more); page 4 uses /F1 = object 6.
OpenedDocument WithFonts(const std::string& font5, const std::string& font6 = "<< /Type /Font >>",
                         std::vector<std::string> extra = {})
{
    std::vector<std::string> objects = {"<< /Type /Page /Resources << /Font << /F1 5 0 R >> >> >>",
                                        "<< /Type /Page /Resources << /Font << /F1 6 0 R /F2 6 0 R >> >> >>", font5,
                                        font6};
    objects.insert(objects.end(), extra.begin(), extra.end());
    return OpenedDocument(DocumentWithPages("/Kids [3 0 R 4 0 R]", objects).Build());
}

const FontRecord& Font(OpenedDocument& opened, uint32_t index) { return *opened->fonts.At(index); }

TEST(FontListReader, OneRecordPerResourceNameOwnedByTheFirstPage)
{
    auto opened = WithFonts("<< /Type /Font /Subtype /Type3 /FirstChar 32 >>", "<< /Subtype /Type1 /FirstChar 1 >>");
    ASSERT_EQ(opened->fonts.Count(), 2u);
    EXPECT_EQ(Font(opened, 0).resourceName.View(), "/F1");
    EXPECT_EQ(Font(opened, 0).pageIndex, 0u);
    EXPECT_TRUE(Font(opened, 0).isType3);
    EXPECT_EQ(Font(opened, 0).firstChar, 32u);  // the second page's /F1 is never read
    EXPECT_EQ(Font(opened, 1).resourceName.View(), "/F2");
    EXPECT_EQ(Font(opened, 1).pageIndex, 1u);
    EXPECT_EQ(Font(opened, 1).firstChar, 1u);
    EXPECT_EQ(opened.port.memo[1], "2 Schriftarten gefunden...");
}

TEST(FontListReader, StylesFromBaseNamesAndDescriptorFlags)
{
    const std::pair<const char*, uint8_t> cases[] = {
        {"<< /BaseFont /Helvetica >>", 0},
        {"<< /BaseFont /ABCDEF+Times-BoldItalic >>", StyleSerif | StyleBold | StyleItalic},
        {"<< /BaseFont /Arial,Bold >>", StyleBold},
        {"<< /BaseFont /Courier-Oblique >>", StyleFixedPitch | StyleItalic},
        {"<< /BaseFont /DejaVuSans >>", 0},
        {"<< /BaseFont /XYZ /FontDescriptor 7 0 R >>", StyleFixedPitch | StyleItalic | StyleBold},
        {"<< /BaseFont /TimesNewRoman /FontDescriptor 8 0 R >>", StyleFixedPitch},  // flags say mono
    };
    for (const auto& [font, style] : cases) {
        auto opened = WithFonts(font, "<< >>", {"<< /Flags 65 /FontWeight 700 >>", "<< /Flags 1 >>"});
        EXPECT_EQ(Font(opened, 0).style, style) << font;
    }
}

TEST(FontListReader, Type3FontMatrixScales)
{
    auto opened = WithFonts("<< /Subtype /Type3 /FontMatrix [0.001 0 0 -0.002 0 0] /FontBBox [0 0 750 1000] >>",
                            "<< /Subtype /Type3 /FontMatrix [x 0 0 1 0 0] >>");
    EXPECT_TRUE(Font(opened, 0).hasFontMatrix);
    EXPECT_EQ(Font(opened, 0).fontMatrixX, 0.001);
    EXPECT_EQ(Font(opened, 0).fontMatrixY, -0.002);
    EXPECT_FALSE(Font(opened, 1).hasFontMatrix);  // a matrix that does not read counts as none
}

TEST(FontListReader, DefaultsWhenTheDictionaryIsUnreachable)
{
    PdfBuilder builder = DocumentWithPages("/Kids [3 0 R]", {"<< /Type /Page /Resources << /Font << /F9 99 0 R >> >> >>"});
    OpenedDocument opened(builder.Build());
    ASSERT_EQ(opened->fonts.Count(), 1u);
    EXPECT_EQ(Font(opened, 0).encoding, PDFDocEncoding);
    EXPECT_EQ(Font(opened, 0).boxWidth, 1.0);
    EXPECT_EQ(Font(opened, 0).boxHeight, 1.0);
    EXPECT_TRUE(opened->invalid);  // parsing at position 0 finds no "<<"
}

TEST(FontListReader, WidthsInlineReferencedAndCapped)
{
    std::string many = "[";
    for (int i = 0; i < 300; ++i) many += std::to_string(i) + " ";
    many += "]";
    auto opened = WithFonts("<< /Widths [500 x 250.5 -3] >>", "<< /Widths 7 0 R >>", {many});
    const FontRecord& inline_ = Font(opened, 0);
    EXPECT_EQ(inline_.widths[0], 500);
    EXPECT_FALSE(inline_.widthPresent[1]);  // does not convert, but keeps its slot
    EXPECT_EQ(inline_.widths[2], 250.5);
    EXPECT_EQ(inline_.widths[3], -3);
    EXPECT_FALSE(inline_.widthPresent[4]);
    const FontRecord& referenced = Font(opened, 1);
    EXPECT_EQ(referenced.widths[255], 255);
    EXPECT_TRUE(referenced.widthPresent[255]);
}

TEST(FontListReader, BoxAndEncodingNames)
{
    auto opened = WithFonts("<< /FontBBox [0 -200 1000 800] /Encoding /WinAnsiEncoding >>",
                            "<< /FontBBox [0 x 1000 800] /Encoding << /Differences [65 /B] >> >>");
    EXPECT_EQ(Font(opened, 0).boxWidth, 1000);
    EXPECT_EQ(Font(opened, 0).boxHeight, 1000);
    EXPECT_EQ(Font(opened, 0).encoding, WinAnsiEncoding);
    // An unconvertible value keeps the box; an inline encoding dictionary keeps encoding 3.
    EXPECT_EQ(Font(opened, 1).boxHeight, 1.0);
    EXPECT_EQ(Font(opened, 1).encoding, PDFDocEncoding);
    EXPECT_FALSE(Font(opened, 1).hasEncodingDictionary);
    EXPECT_FALSE(Font(opened, 1).differencePresent[65]);
}

TEST(FontListReader, Differences)
{
    auto opened = WithFonts("<< /Encoding 7 0 R >>", "<< >>",
                            {"<< /Type /Encoding /Differences [32 /space 65 /A /Euro /customglyph /B 300 /C -1 /D] >>"});
    const FontRecord& font = Font(opened, 0);
    ASSERT_TRUE(font.hasEncodingDictionary);
    EXPECT_EQ(font.differences[32], 32);
    EXPECT_EQ(font.differences[65], 65);
    EXPECT_EQ(font.differences[66], 128);
    EXPECT_FALSE(font.differencePresent[67]);  // an unknown name still advances the code
    EXPECT_EQ(font.differences[68], 'B');
    int present = 0;
    for (int code = 0; code < 256; ++code) present += font.differencePresent[code];
    EXPECT_EQ(present, 4);  // codes outside 0 ... 255 set nothing
}

TEST(FontListReader, CharSetOfTheDescriptor)
{
    auto opened = WithFonts("<< /FontDescriptor 7 0 R >>", "<< /FontDescriptor << /CharSet (/A) >> >>",
                            {"<< /Type /FontDescriptor /CharSet (/A/germandbls/unknown/fi) >>"});
    const FontRecord& font = Font(opened, 0);
    ASSERT_TRUE(font.hasCharSet);
    EXPECT_EQ(font.charSetText.View(), "(/A/germandbls/unknown/fi)");
    ASSERT_EQ(font.charSetCount, 4u);
    EXPECT_EQ(font.charSetCodes[0], 'A');
    EXPECT_EQ(font.charSetCodes[1], 223);
    EXPECT_EQ(font.charSetCodes[2], 32);  // not found
    EXPECT_EQ(font.charSetCodes[3], 32);  // no WinAnsi code
    EXPECT_TRUE(Font(opened, 1).hasCharSet);
}

}  // namespace
}  // namespace folivo::test
