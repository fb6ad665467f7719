// Glyph outlines of real font programs embedded in generated documents: glyphs chosen through
// encodings, differences, character maps and CID maps; substitutes for the standard 14 and for
// damaged programs. The font files come from the system; a test skips when its file is absent.
#include "view/FontPrograms.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tests/ReaderTestSupport.h"

namespace folivo::test {
namespace {

// The bytes of the first file fontconfig lists for the pattern with the ending; empty for none.
std::string FontFile(const std::string& pattern, const std::string& ending)
{
    const std::string command = "fc-list -f '%{file}\\n' '" + pattern + "' 2>/dev/null";
    std::string path;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (path.empty() && fgets(buffer, sizeof buffer, pipe)) {
            std::string line(buffer);
            if (!line.empty() && line.back() == '\n') line.pop_back();
            if (line.ends_with(ending)) path = line;
        }
        pclose(pipe);
    }
    if (path.empty()) return {};
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The TrueType program with its (3,1) character map relabelled (3,0), as symbolic fonts have.
std::string WithSymbolCharmap(std::string font)
{
    auto u16 = [&](size_t at) { return at + 2 <= font.size() ? (uint8_t(font[at]) << 8) | uint8_t(font[at + 1]) : 0; };
    auto u32 = [&](size_t at) { return (uint32_t(u16(at)) << 16) | uint32_t(u16(at + 2)); };
    for (size_t table = 0, tables = u16(4); table < tables; ++table) {
        const size_t record = 12 + 16 * table;
        if (font.compare(record, 4, "cmap") != 0) continue;
        const size_t cmap = u32(record + 8);
        for (size_t i = 0, maps = u16(cmap + 2); i < maps; ++i) {
            const size_t entry = cmap + 4 + 8 * i;
            if (u16(entry) == 3 && u16(entry + 2) == 1) font[entry + 3] = 0;
            // Other Unicode maps go, so that only the symbol map is left.
            if (u16(entry) == 0) font[entry] = 9;
        }
    }
    return font;
}

struct Fonts {
    std::string trueType = FontFile("Liberation Sans:style=Regular", ".ttf");
    std::string type1 = FontFile("Nimbus Sans:style=Regular", ".t1");
    std::string openType = FontFile("Nimbus Roman:style=Regular", ".otf");
    bool Present() const { return !trueType.empty() && !type1.empty() && !openType.empty(); }
};

const Fonts& SystemFonts()
{
    static const Fonts fonts;
    return fonts;
}

// One document with every font the checks use; the object numbers are those of the map.
struct FontDocument {
    std::map<std::string, int32_t> fonts;
    std::unique_ptr<OpenedDocument> opened;

    FontDocument()
    {
        const Fonts& files = SystemFonts();
        std::vector<std::string> objects;
        auto add = [&](std::string body) {
            objects.push_back(std::move(body));
            return std::to_string(objects.size() + 2) + " 0 R";
        };
        auto font = [&](const std::string& name, const std::string& body) {
            add(body);
            fonts[name] = static_cast<int32_t>(objects.size() + 2);
        };
        auto program = [&](const std::string& entries, const std::string& bytes) {
            return add(StreamObject(entries + " /Filter /FlateDecode", Deflate(bytes)));
        };
        const std::string tt = program("", files.trueType);
        const std::string symbolTt = program("", WithSymbolCharmap(files.trueType));
        const std::string t1 = program("/Length1 0 /Length2 0 /Length3 0", files.type1);
        const std::string otf = program("/Subtype /OpenType", files.openType);
        const std::string damaged = program("", files.trueType.substr(0, 200) + std::string(3000, 'x'));
        const std::string number = add("42");
        const std::string garbage = program("", "%!PS-AdobeFont-1.0: Broken\n/FontName /Broken def eexec \xff\xff");

        font("truetype", "<< /Subtype /TrueType /BaseFont /ABCDEF+LiberationSans /FontDescriptor << /Flags 32 /FontFile2 " + tt +
                             " >> /Encoding << /BaseEncoding /WinAnsiEncoding /Differences [65 /B /A 200 /ring] >> >>");
        font("symbolic", "<< /Subtype /TrueType /BaseFont /Pictos /FontDescriptor << /Flags 4 /FontFile2 " + symbolTt +
                             " >> /Encoding << /Differences [65 /B] >> >>");
        font("type1", "<< /Subtype /Type1 /BaseFont /NimbusSans-Regular /FontDescriptor << /Flags 32 /FontFile " + t1 +
                          " >> /Encoding << /BaseEncoding /WinAnsiEncoding /Differences [97 /Adieresis] >> >>");
        font("type1-own", "<< /Subtype /Type1 /BaseFont /NimbusSans-Regular /FontDescriptor << /Flags 4 /FontFile " + t1 + " >> >>");
        font("opentype", "<< /Subtype /Type1 /BaseFont /NimbusRoman-Regular /FontDescriptor << /Flags 34 /FontFile3 " + otf +
                             " >> /Encoding /WinAnsiEncoding >>");
        const std::string gidMap = add(StreamObject("", std::string("\0\0\0\x03\0\0", 6)));
        font("cid-identity", "<< /Subtype /Type0 /BaseFont /LiberationSans /Encoding /Identity-H /DescendantFonts [<< /Subtype "
                             "/CIDFontType2 /CIDToGIDMap /Identity /FontDescriptor << /Flags 32 /FontFile2 " + tt + " >> >>] >>");
        font("cid-mapped", "<< /Subtype /Type0 /Encoding /Identity-H /DescendantFonts [<< /Subtype /CIDFontType2 /CIDToGIDMap " +
                               gidMap + " /FontDescriptor << /FontFile2 " + tt + " >> >>] >>");
        font("helvetica-bold", "<< /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>");
        font("times-italic", "<< /Subtype /Type1 /BaseFont /Times-Italic >>");
        font("courier", "<< /Subtype /Type1 /BaseFont /Courier /FontDescriptor << /Flags 35 >> >>");
        font("zapf", "<< /Subtype /Type1 /BaseFont /ZapfDingbats /FontDescriptor << /Flags 4 >> >>");
        font("symbol", "<< /Subtype /Type1 /BaseFont /Symbol >>");
        font("zapf-named", "<< /Subtype /Type1 /BaseFont /ZapfDingbats /Encoding << /Differences [65 /a4 /a20] >> >>");
        font("arial", "<< /Subtype /TrueType /BaseFont /Arial,Bold /Encoding /WinAnsiEncoding >>");
        font("times-new-roman", "<< /Subtype /TrueType /BaseFont /TimesNewRomanPSMT /Encoding /WinAnsiEncoding >>");
        font("damaged", "<< /Subtype /TrueType /BaseFont /QWERTY+Arial /FontDescriptor << /Flags 32 /FontFile2 " + damaged +
                            " >> /Encoding /WinAnsiEncoding >>");
        font("garbage", "<< /Subtype /Type1 /BaseFont /Helvetica /FontDescriptor << /FontFile " + garbage + " >> >>");
        font("no-stream", "<< /Subtype /Type1 /BaseFont /Courier /FontDescriptor << /FontFile " + number + " >> >>");
        font("type3", "<< /Subtype /Type3 /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << >> /Encoding << /Differences [65 /A] >> >>");
        opened = std::make_unique<OpenedDocument>(DocumentWithPages("/Kids [] /Count 0", objects).Build());
    }
    int32_t operator[](const std::string& name) const { return fonts.at(name); }
};

class FontProgramsTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!SystemFonts().Present()) GTEST_SKIP() << "Liberation Sans or the URW fonts are not installed";
        static FontDocument shared;
        document = &shared;
        programs = std::make_unique<FontPrograms>(*document->opened->document);
    }
    const FontGlyphs& Font(const std::string& name)
    {
        const FontGlyphs* font = programs->Font((*document)[name]);
        EXPECT_NE(font, nullptr) << name;
        return *font;
    }
    FontDocument* document = nullptr;
    std::unique_ptr<FontPrograms> programs;
};

struct ExpectedGlyph {
    const char* font;
    uint32_t code;
    const char* glyphName;
    bool substitute;
};

TEST_F(FontProgramsTest, CodesChooseTheGlyphsTheirEncodingNames)
{
    const ExpectedGlyph cases[] = {
        // TrueType, not symbolic: encoding and differences name the glyph, (3,1) finds it.
        {"truetype", 'A', "B", false},        {"truetype", 'B', "A", false},       {"truetype", 'l', "l", false},
        {"truetype", 0xE9, "eacute", false},  {"truetype", 200, "ring", false},    {"truetype", 0x80, "Euro", false},
        // Symbolic with a (3,0) map: the code decides, the differences do not.
        {"symbolic", 'A', "A", false},        {"symbolic", 'z', "z", false},
        // Type 1: by glyph name; without an encoding the program's own.
        {"type1", 'a', "Adieresis", false},   {"type1", 0xE9, "eacute", false},    {"type1", 'B', "B", false},
        {"type1-own", 'a', "a", false},       {"type1-own", 0xE1, "AE", false},
        {"opentype", 'l', "l", false},        {"opentype", 0xFC, "udieresis", false},
        // Standard 14 and Windows names: substitutes, by name; symbol sets by their own encoding
        // ('4' is the check mark that check boxes show).
        {"helvetica-bold", 'A', "A", true},   {"times-italic", 0xE1, "AE", true},  {"courier", 'x', "x", true},
        {"zapf", 0x34, "a20", true},           {"zapf", 0x6C, "a71", true},         {"symbol", 'a', "alpha", true},
        {"zapf-named", 'A', "a4", true},      {"zapf-named", 'B', "a20", true},
        {"arial", 0xE4, "adieresis", true},   {"times-new-roman", 'Q', "Q", true},
        // A damaged program: the substitute draws.
        {"damaged", 'A', "A", true},          {"garbage", 'g', "g", true},         {"no-stream", '1', "one", true},
    };
    for (const ExpectedGlyph& e : cases) {
        SCOPED_TRACE(std::string(e.font) + " " + std::to_string(e.code));
        const GlyphChoice choice = Font(e.font).Choose(e.code);
        EXPECT_TRUE(choice.found);
        EXPECT_EQ(choice.glyphName, e.glyphName);
        EXPECT_EQ(choice.substitute, e.substitute);
        EXPECT_FALSE(Font(e.font).Outline(e.code).isEmpty());
    }
    // Codes no glyph stands for draw nothing.
    for (const auto& [font, code] : std::vector<std::pair<const char*, uint32_t>>{{"truetype", 0}, {"type1", 0x1F}, {"type3", 'A'}, {"zapf", 0x20}})
        EXPECT_TRUE(Font(font).Outline(code).isEmpty()) << font << " " << code;
}

TEST_F(FontProgramsTest, SubstitutesFollowTheNameAndStyle)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"helvetica-bold", "Nimbus Sans", "Bold"},  {"times-italic", "Nimbus Roman", "Italic"},
        {"courier", "Nimbus Mono PS", "Regular"},   {"zapf", "D050000L", "Regular"},
        {"symbol", "Standard Symbols PS", "Regular"}, {"arial", "Liberation Sans", "Bold"},
        {"times-new-roman", "Liberation Serif", "Regular"},
    };
    for (const auto& [font, family, style] : cases) {
        const FontGlyphs& glyphs = Font(font);
        glyphs.Choose('A');
        EXPECT_FALSE(glyphs.Embedded()) << font;
        EXPECT_FALSE(glyphs.Problem().has_value()) << font;  // not embedding is no problem
        EXPECT_EQ(glyphs.SubstituteFamily(), family) << font;
        EXPECT_EQ(glyphs.SubstituteStyle(), style) << font;
    }
    // The bold face's stems are thicker than the regular program's.
    EXPECT_GT(Font("helvetica-bold").Outline('l').boundingRect().width(), Font("type1").Outline('l').boundingRect().width() * 1.2);
}

TEST_F(FontProgramsTest, OutlinesAreInTextSpaceWithYUp)
{
    struct Box {
        const char* font;
        uint32_t code;
        double minHeight, maxHeight, maxWidth;
    };
    // 'l' is tall and thin, '.' small and on the baseline, 'A' cap-high and wide.
    const Box boxes[] = {
        {"truetype", 'l', 0.65, 0.8, 0.12}, {"type1", 'l', 0.65, 0.8, 0.12}, {"opentype", 'l', 0.65, 0.75, 0.3},
        {"truetype", '.', 0.05, 0.15, 0.15}, {"type1", '.', 0.05, 0.15, 0.15},
        {"truetype", 'B', 0.6, 0.75, 0.75}, {"zapf", 0x34, 0.6, 0.8, 0.9},
    };
    for (const Box& b : boxes) {
        SCOPED_TRACE(std::string(b.font) + " " + std::to_string(b.code));
        const QRectF box = Font(b.font).Outline(b.code).boundingRect();
        EXPECT_GE(box.height(), b.minHeight);
        EXPECT_LE(box.height(), b.maxHeight);
        EXPECT_LE(box.width(), b.maxWidth);
        EXPECT_GT(box.width(), 0.01);
        // Glyphs stand on the baseline: y grows upwards, nothing far below.
        EXPECT_GT(box.top(), -0.02);
        EXPECT_GT(box.bottom(), b.minHeight - 0.02);
    }
    EXPECT_EQ(Font("truetype").Outline('A').fillRule(), Qt::WindingFill);
}

TEST_F(FontProgramsTest, CompositeFontsDrawTheGlyphOfEachCid)
{
    // Identity: the CID is the glyph index of the program; the mapped font draws glyph 3 for CID 1.
    const GlyphChoice a = Font("truetype").Choose('B');  // the glyph "A" by the differences
    ASSERT_TRUE(a.found);
    const GlyphChoice byCid = Font("cid-identity").Choose(a.glyphIndex);
    EXPECT_TRUE(byCid.found);
    EXPECT_FALSE(byCid.substitute);
    EXPECT_EQ(byCid.glyphName, "A");
    EXPECT_EQ(Font("cid-identity").Outline(a.glyphIndex).boundingRect(), Font("truetype").Outline('B').boundingRect());
    EXPECT_EQ(Font("cid-mapped").Choose(1).glyphIndex, 3u);
    for (const uint32_t cid : {0u, 2u, 3u, 70000u}) {
        EXPECT_FALSE(Font("cid-mapped").Choose(cid).found) << cid;
        EXPECT_TRUE(Font("cid-mapped").Outline(cid).isEmpty()) << cid;
    }
    EXPECT_TRUE(Font("cid-identity").Embedded());
}

TEST_F(FontProgramsTest, DamagedProgramsAreReportedOnceAndSubstituted)
{
    const std::pair<const char*, const char*> cases[] = {
        {"damaged", "Schrift Arial konnte nicht geladen werden; sie wird durch Liberation Sans ersetzt."},
        {"garbage", "Schrift Helvetica konnte nicht geladen werden; sie wird durch Nimbus Sans ersetzt."},
        {"no-stream", "Schrift Courier konnte nicht geladen werden; sie wird durch Nimbus Mono PS ersetzt."},
    };
    for (const auto& [font, problem] : cases) {
        const FontGlyphs& glyphs = Font(font);
        EXPECT_FALSE(glyphs.Embedded()) << font;
        EXPECT_EQ(glyphs.Problem().value_or(""), problem);
        // The same object gives the same font, loaded once.
        EXPECT_EQ(programs->Font((*document)[font]), &glyphs);
        for (uint32_t code = 0; code < 256; ++code) glyphs.Outline(code);
    }
    for (const char* font : {"truetype", "type1", "opentype", "cid-identity"}) {
        EXPECT_TRUE(Font(font).Embedded()) << font;
        EXPECT_FALSE(Font(font).Problem().has_value()) << font;
    }
    EXPECT_EQ(programs->Font(1)->Source().subtype, FontSubtype::Unknown);  // the catalog: no font, no glyphs
    EXPECT_EQ(programs->Font(9999), nullptr);
}

TEST_F(FontProgramsTest, OutlinesAreCachedWithinTheBound)
{
    const FontGlyphs& font = Font("type1");
    const QPainterPath first = font.Outline('a');
    const size_t bytes = programs->CachedOutlineBytes();
    const size_t count = programs->CachedOutlines();
    EXPECT_EQ(font.Outline('a'), first);
    EXPECT_EQ(programs->CachedOutlineBytes(), bytes);
    EXPECT_EQ(programs->CachedOutlines(), count);
    for (uint32_t code = 0; code < 256; ++code) font.Outline(code);
    EXPECT_GT(programs->CachedOutlineBytes(), bytes);
    EXPECT_LE(programs->CachedOutlineBytes(), FontPrograms::OutlineCacheBytes);
    EXPECT_EQ(programs->CachedOutlines(), count + 255);
}

TEST(FontProgramsHostile, ProgramBytesOfEveryKindNeverCrash)
{
    const std::string trueType = SystemFonts().trueType;
    const std::string sfntHeader("\0\1\0\0\xff\xff\0\0\0\0\0\0cmap\0\0\0\0\xff\xff\xff\xf0\xff\xff\xff\xff", 28);
    const std::string programs[] = {
        "", "x", std::string(100, '\0'), sfntHeader, "OTTO" + sfntHeader.substr(4), "\x01\x00\x04\x02\xff\xff\xff\xff",
        "%!PS-AdobeFont-1.0\n/Encoding 256 array\neexec", trueType.substr(0, trueType.size() / 2),
        trueType.substr(0, 512),
    };
    FontPrograms fonts;
    const FontProgramKind kinds[] = {FontProgramKind::Type1, FontProgramKind::TrueType, FontProgramKind::Type1C,
                                     FontProgramKind::CIDFontType0C, FontProgramKind::OpenType};
    for (const std::string& bytes : programs) {
        for (const FontProgramKind kind : kinds) {
            FontProgramSource source;
            source.subtype = kind == FontProgramKind::CIDFontType0C ? FontSubtype::Type0 : FontSubtype::TrueType;
            source.cidKind = kind == FontProgramKind::CIDFontType0C ? CidFontKind::CIDFontType0 : CidFontKind::None;
            source.baseFont = "Broken";
            source.programKind = kind;
            source.program = bytes;
            source.programUnreadable = bytes.empty();
            const FontGlyphs* font = fonts.Add(source);
            ASSERT_NE(font, nullptr);
            for (const uint32_t code : {0u, 1u, 65u, 255u, 65535u}) font->Outline(code);
            if (!font->Embedded()) {
                EXPECT_TRUE(font->Problem().has_value());
            }
        }
    }
}

}  // namespace
}  // namespace folivo::test
