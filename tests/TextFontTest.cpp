// Text in any font: glyph names, /ToUnicode maps, composite fonts with their CMaps and CID
// widths, fonts named in form resources, and item text as UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/CMap.h"
#include "core/GlyphList.h"
#include "tests/ReaderTestSupport.h"

namespace folivo::test {
namespace {

TEST(GlyphNames, NamesBecomeTheirCharacters)
{
    const std::pair<const char*, const char*> cases[] = {
        {"A", "A"},           {"adieresis", "ä"},     {"fi", "fi"},   {"ffl", "ffl"},   {"f_f_i", "ffi"},
        {"uni00410042", "AB"}, {"u1F600", "😀"},     {"a.sc", "a"},  {"Euro", "€"},    {"afii10017", "А"},
        {"g123", ""},         {"uniD800", ""},        {"uni004", ""}, {"uniface", ""},  {"", ""},
    };
    for (const auto& [name, text] : cases) EXPECT_EQ(GlyphNameText(name), text) << name;
}

TEST(CharacterMaps, CodesSplitAndMapAsTheMapSays)
{
    const CMap map = CMap::Parse(
        "%!PS-Adobe-3.0 Resource-CMap\n/CIDInit /ProcSet findresource begin (a string with endbfchar) pop\n"
        "2 begincodespacerange <00> <7F> <8000> <FFFF> endcodespacerange\n"
        "1 begincidrange <8000> <8FFF> 10 endcidrange 1 begincidchar <41> 1 endcidchar\n"
        "4 beginbfchar <41> <0041> <42> /f_i <43> <D83DDE00> <44> <> <45> /f#5fl endbfchar\n"
        "2 beginbfrange <8000> <8002> <FB01> <8003> <8004> [<0058> <00590059>] endbfrange\n"
        "1 beginbfrange <00010000> <FFFFFFFF> <0030> endbfrange\n");
    EXPECT_EQ(map.CodeLength("\x41\x80"), 1u);
    EXPECT_EQ(map.CodeLength(std::string("\x80\x01", 2)), 2u);
    EXPECT_EQ(map.Cid(0x41), 1u);
    EXPECT_EQ(map.Cid(0x8005), 15u);
    EXPECT_EQ(map.Cid(0x9000), 0u);
    const std::pair<uint32_t, const char*> texts[] = {
        {0x41, "A"}, {0x42, "fi"}, {0x43, "😀"}, {0x44, ""}, {0x45, "fl"}, {0x8000, "fi"}, {0x8001, "fl"}, {0x8003, "X"}, {0x8004, "YY"},
        {0x10005, "5"},  // a range over 2^32 codes stays a range
    };
    for (const auto& [code, text] : texts) {
        ASSERT_TRUE(map.Text(code).has_value()) << code;
        EXPECT_EQ(*map.Text(code), text) << code;
    }
    EXPECT_FALSE(map.Text(0x46).has_value());

    // Garbage and cut-off text make an empty map, never a crash.
    for (const char* text : {"", "begincodespacerange <00", "beginbfrange <0000> <FFFF> [", "(unclosed", "1 beginbfchar <> <> endbfchar"}) {
        const CMap broken = CMap::Parse(text);
        EXPECT_FALSE(broken.HasCids()) << text;
    }
}

TEST(CharacterMaps, EntriesStopAtTheBoundGiven)
{
    // Entries count in the order the map gives them, ranges as one each.
    const std::string text = "3 beginbfchar <41> <0041> <42> <0042> <43> <0043> endbfchar\n"
                             "1 beginbfrange <50> <5F> <0050> endbfrange 1 begincidchar <44> 4 endcidchar\n";
    for (const size_t bound : {size_t{0}, size_t{2}, size_t{4}, size_t{5}, size_t{9}}) {
        SCOPED_TRACE(bound);
        const CMap map = CMap::Parse(text, bound);
        EXPECT_EQ(map.Entries(), std::min<size_t>(bound, 5));
        EXPECT_EQ(map.Truncated(), bound < 5);
        EXPECT_EQ(map.Text(0x42).has_value(), bound >= 2);
        EXPECT_EQ(map.Text(0x43).has_value(), bound >= 3);
        EXPECT_EQ(map.Text(0x55).has_value(), bound >= 4);
        EXPECT_EQ(map.Cid(0x44), bound >= 5 ? 4u : 0u);
    }
}

// Page 1 shows text in five fonts and a form with a font of its own; page 2 names another
// font /F1.
std::vector<std::string> TextDocument()
{
    const std::string content =
        "BT /F1 10 Tf (ABCDE) Tj ET\n"
        "BT /F2 10 Tf (\\200\\201\\202\\203) Tj ET\n"
        "BT /F3 10 Tf <0001000200100015 0101> Tj ET\n"
        "BT /F4 10 Tf <41 8001 7A> Tj ET\n"
        "BT /F5 10 Tf (ok) Tj ET\n"
        "/Fm Do\n";
    return {
        // 3, 4: page 1 and its content
        "<< /Type /Page /MediaBox [0 0 600 800] /Resources << /Font << /F1 5 0 R /F2 6 0 R /F3 7 0 R /F4 8 0 R "
        "/F5 11 0 R >> /XObject << /Fm 13 0 R >> >> /Contents 4 0 R >>",
        StreamObject("", content),
        // 5: differences over the standard encoding; widths by shown code
        "<< /Type /Font /Subtype /Type1 /BaseFont /Demo /FirstChar 65 /Widths [100 200 300 400 500] "
        "/Encoding << /BaseEncoding /StandardEncoding /Differences [65 /fi /ffl /uni0041 /g33 /mu] >> >>",
        // 6: MacRoman with a /ToUnicode map
        "<< /Type /Font /Subtype /TrueType /BaseFont /Demo2 /FirstChar 128 /Widths [10 20] /Encoding /MacRomanEncoding "
        "/ToUnicode 9 0 R >>",
        // 7: Identity-H with a /ToUnicode map
        "<< /Type /Font /Subtype /Type0 /BaseFont /Cid /Encoding /Identity-H /DescendantFonts [10 0 R] /ToUnicode 12 0 R >>",
        // 8: an embedded encoding CMap with codes of one and two bytes, no /ToUnicode
        "<< /Type /Font /Subtype /Type0 /BaseFont /Cid /Encoding 14 0 R /DescendantFonts [10 0 R] >>",
        // 9
        StreamObject("", "1 beginbfchar <80> <0041> endbfchar 1 beginbfrange <81> <82> [<0042> <D83DDE00>] endbfrange"),
        // 10: the CID font
        "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /Cid /DW 700 /W [1 [500 600] 10 20 300] >>",
        // 11: a /ToUnicode that is no stream
        "<< /Type /Font /Subtype /TrueType /BaseFont /Plain /Encoding /WinAnsiEncoding /ToUnicode /Identity-H >>",
        // 12
        StreamObject("", "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
                         "2 beginbfchar <0001> <0041> <0002> <> endbfchar\n"
                         "2 beginbfrange <0010> <0015> <0061> <0100> <FFFF> <4E00> endbfrange"),
        // 13: a form whose font only its own resources name
        StreamObject("/Type /XObject /Subtype /Form /BBox [0 0 100 100] /Resources << /Font << /FX 15 0 R >> >>",
                     "BT /FX 10 Tf (x) Tj ET"),
        // 14
        StreamObject("", "2 begincodespacerange <00> <7F> <8000> <FFFF> endcodespacerange\n"
                         "1 begincidrange <8000> <8FFF> 10 endcidrange 1 begincidchar <41> 1 endcidchar"),
        // 15
        "<< /Type /Font /Subtype /Type1 /BaseFont /Form /Encoding /WinAnsiEncoding /FirstChar 120 /Widths [777] >>",
        // 16, 17, 18: page 2, its /F1 and its content
        "<< /Type /Page /MediaBox [0 0 600 800] /Resources << /Font << /F1 17 0 R >> >> /Contents 18 0 R >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Other /Encoding /WinAnsiEncoding /FirstChar 65 /Widths [900] >>",
        StreamObject("", "BT /F1 10 Tf (A) Tj ET"),
    };
}

std::vector<const PageItem*> TextRuns(PdfDocument& document, uint32_t page)
{
    std::vector<const PageItem*> runs;
    const PageItemRanges::Range range = document.pageItemRanges.Of(page);
    for (uint32_t i = range.first; i < range.first + range.count; ++i) {
        const PageItem* item = document.PageItemList.At(i);
        if (!item->IsImage && !item->IsPath) runs.push_back(item);
    }
    return runs;
}

TEST(TextFonts, EveryFontShowsItsCharactersWithItsWidths)
{
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R 16 0 R] /Count 2", TextDocument()).Build());
    ASSERT_FALSE(opened->invalid);
    const std::vector<const PageItem*> runs = TextRuns(*opened.document, 1);
    ASSERT_EQ(runs.size(), 6u);
    struct Expected {
        const char* text;
        double textWidth;  // < 0: measured with the display font, not checked
    };
    const Expected expected[] = {
        {"fifflADµ", 15},               // /g33 names nothing: the byte's standard character
        {"AB😀É", -1},                  // the last two codes have no width
        {"Aaf丁", 5 + 6 + 3 + 7 + 7},  // the code mapped to nothing still advances
        {"\uFFFD\uFFFD\uFFFD", 5 + 3 + 7},
        {"ok", -1},
        {"x", 7.77},
    };
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(std::string(runs[i]->Text.View()), expected[i].text) << i;
        if (expected[i].textWidth >= 0) {
            EXPECT_NEAR(runs[i]->TextWidth, expected[i].textWidth, 1e-9) << i;
        }
    }
    // A ligature's two letters share its width; the unmapped code widens the spacing after "A".
    EXPECT_DOUBLE_EQ(runs[0]->CharWidths[0], 0.5);
    EXPECT_DOUBLE_EQ(runs[0]->CharWidths[1], 0.5);
    EXPECT_DOUBLE_EQ(runs[1]->CharWidths[0], 0.1);
    EXPECT_DOUBLE_EQ(runs[1]->CharWidths[1], 0.2);
    EXPECT_DOUBLE_EQ(runs[2]->CharSpacings[0], 6);

    // Page 2's /F1 is its own font, not page 1's.
    const std::vector<const PageItem*> second = TextRuns(*opened.document, 2);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_DOUBLE_EQ(second[0]->TextWidth, 9);
}

}  // namespace
}  // namespace folivo::test
