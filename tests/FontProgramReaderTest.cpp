// Font dictionaries as the painter reads them: subtype, names and flags, the embedded program
// of each kind, encodings with differences, CID-to-glyph maps, and damage that leaves a
// substitute to draw.
#include "document/FontProgramReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ReaderTestSupport.h"

namespace folivo::test {
namespace {

// Objects 3 on: fonts, descriptors and streams; one document for every check below.
std::vector<std::string> FontObjects()
{
    return {
        /* 3 */ "<< /Type /Font /Subtype /TrueType /BaseFont /ABCDEF+Arial,BoldItalic /FontDescriptor 4 0 R"
                " /Encoding << /BaseEncoding /WinAnsiEncoding /Differences [65 /B /A 200 /Euro] >> >>",
        /* 4 */ "<< /Type /FontDescriptor /Flags 32 /FontFile2 5 0 R >>",
        /* 5 */ StreamObject("/Filter /FlateDecode", Deflate("true program bytes")),
        /* 6 */ "<< /Subtype /Type1 /BaseFont /Times-Roman /Encoding 7 0 R /FontDescriptor 8 0 R >>",
        /* 7 */ "<< /Differences 9 0 R >>",
        /* 8 */ "<< /Flags 262178 /FontWeight 400 /FontFile3 10 0 R >>",
        /* 9 */ "[ 32 /space /a.sc 250 /x /y /z ]",
        /* 10 */ StreamObject("/Subtype /OpenType", "OTTO"),
        /* 11 */ "<< /Subtype /Type0 /BaseFont /XYZABC+Mincho-Identity-H /Encoding /Identity-H /DescendantFonts [12 0 R] >>",
        /* 12 */ "<< /Subtype /CIDFontType2 /BaseFont /XYZABC+Mincho /CIDToGIDMap 13 0 R"
                 " /CIDSystemInfo << /Registry (Adobe) /Ordering (Japan1) /Supplement 4 >> /FontDescriptor 14 0 R >>",
        /* 13 */ StreamObject("/Filter /FlateDecode", Deflate(std::string("\0\0\0\7\1\2", 6))),
        /* 14 */ "<< /Flags 4 /FontWeight 700 /FontFile3 15 0 R >>",
        /* 15 */ StreamObject("/Subtype /CIDFontType0C", "cff"),
        /* 16 */ "<< /Subtype /Type0 /Encoding 17 0 R /DescendantFonts [<< /Subtype /CIDFontType0 /CIDToGIDMap /Identity >>] >>",
        /* 17 */ StreamObject("", "begincmap"),
        /* 18 */ "<< /Subtype /Type1 /BaseFont /Helvetica /FontDescriptor << /Flags 64 /FontFile 19 0 R >> >>",
        /* 19 */ "42",  // no stream
        /* 20 */ "<< /Subtype /TrueType /FontDescriptor << /FontFile2 21 0 R >> /Encoding /MacRomanEncoding >>",
        /* 21 */ StreamObject("/Filter /FlateDecode", "not zlib at all"),
        /* 22 */ "<< /Subtype /Type3 /Encoding << /Differences [0 /g0] >> /FontDescriptor << /FontFile 5 0 R >> >>",
        /* 23 */ "[ /not /a /dictionary ]",
        /* 24 */ "<< /Subtype /Type1 /BaseFont /Courier /Encoding /FantasyEncoding >>",
        // Names with escapes mean their bytes, also where a blank keeps its escape.
        /* 25 */ "<< /Subtype /Tr#75eType /BaseFont /Times#20New#20Roman#2cBold /Encoding << /Differences [65 /a#20b] >> >>",
    };
}

struct Expected {
    int32_t object;
    FontSubtype subtype;
    CidFontKind cidKind;
    const char* baseFont;
    uint32_t flags;
    bool bold, italic;
    FontProgramKind kind;
    const char* program;
    bool unreadable;
    BaseEncoding encoding;
    bool encodingGiven;
};

TEST(FontProgramReader, ReadsWhatEachFontDictionarySays)
{
    OpenedDocument opened(DocumentWithPages("/Kids [] /Count 0", FontObjects()).Build());
    using S = FontSubtype;
    using K = FontProgramKind;
    using E = BaseEncoding;
    const Expected cases[] = {
        {3, S::TrueType, CidFontKind::None, "ABCDEF+Arial,BoldItalic", 32, true, true, K::TrueType, "true program bytes", false, E::WinAnsi, true},
        {6, S::Type1, CidFontKind::None, "Times-Roman", 262178, true, false, K::OpenType, "OTTO", false, E::None, true},
        {11, S::Type0, CidFontKind::CIDFontType2, "XYZABC+Mincho", 4, true, false, K::CIDFontType0C, "cff", false, E::None, false},
        {16, S::Type0, CidFontKind::CIDFontType0, "", 0, false, false, K::None, "", false, E::None, false},
        {18, S::Type1, CidFontKind::None, "Helvetica", 64, false, true, K::Type1, "", true, E::None, false},
        {20, S::TrueType, CidFontKind::None, "", 0, false, false, K::TrueType, "", true, E::MacRoman, true},
        // A Type 3 font's glyphs are content: no program is read even where one is named.
        {22, S::Type3, CidFontKind::None, "", 0, false, false, K::None, "", false, E::None, false},
        {24, S::Type1, CidFontKind::None, "Courier", 0, false, false, K::None, "", false, E::None, true},
        {25, S::TrueType, CidFontKind::None, "Times New Roman,Bold", 0, true, false, K::None, "", false, E::None, true},
    };
    for (const Expected& e : cases) {
        SCOPED_TRACE(e.object);
        const auto source = ReadFontProgramSource(opened->objects, e.object);
        ASSERT_TRUE(source.has_value());
        EXPECT_EQ(source->objectNumber, e.object);
        EXPECT_EQ(source->subtype, e.subtype);
        EXPECT_EQ(source->cidKind, e.cidKind);
        EXPECT_EQ(source->baseFont, e.baseFont);
        EXPECT_EQ(source->flags, e.flags);
        EXPECT_EQ(source->bold, e.bold);
        EXPECT_EQ(source->italic, e.italic);
        EXPECT_EQ(source->programKind, e.kind);
        EXPECT_EQ(source->program, e.program);
        EXPECT_EQ(source->programUnreadable, e.unreadable);
        EXPECT_EQ(source->baseEncoding, e.encoding);
        EXPECT_EQ(source->encodingGiven, e.encodingGiven);
    }
    EXPECT_FALSE(ReadFontProgramSource(opened->objects, 23).has_value());
    EXPECT_FALSE(ReadFontProgramSource(opened->objects, 999).has_value());
}

TEST(FontProgramReader, CodesNameGlyphsThroughDifferencesOverTheBaseEncoding)
{
    OpenedDocument opened(DocumentWithPages("/Kids [] /Count 0", FontObjects()).Build());
    const auto winAnsi = ReadFontProgramSource(opened->objects, 3);
    const auto ownEncoding = ReadFontProgramSource(opened->objects, 6);
    const auto type3 = ReadFontProgramSource(opened->objects, 22);
    const auto escaped = ReadFontProgramSource(opened->objects, 25);
    ASSERT_TRUE(winAnsi && ownEncoding && type3 && escaped);
    const std::tuple<const FontProgramSource*, int, const char*> cases[] = {
        {&*winAnsi, 'A', "B"},   {&*winAnsi, 'B', "A"},       {&*winAnsi, 'C', "C"},      {&*winAnsi, 0xE4, "adieresis"},
        {&*winAnsi, 200, "Euro"}, {&*winAnsi, 0x80, "Euro"},  {&*winAnsi, 0, ""},
        // Differences by reference; names run on from their code; none past 255.
        {&*ownEncoding, 32, "space"}, {&*ownEncoding, 33, "a.sc"}, {&*ownEncoding, 250, "x"}, {&*ownEncoding, 252, "z"},
        {&*ownEncoding, 'A', ""}, {&*type3, 0, ""}, {&*escaped, 'A', "a b"},
    };
    for (const auto& [source, code, name] : cases)
        EXPECT_EQ(source->GlyphName(static_cast<uint8_t>(code)), name) << source->objectNumber << " " << code;
    EXPECT_EQ(GlyphNameInEncoding(BaseEncoding::MacRoman, 0x8A), "adieresis");
    EXPECT_EQ(GlyphNameInEncoding(BaseEncoding::Standard, 0xE1), "AE");
    EXPECT_EQ(GlyphNameInEncoding(BaseEncoding::None, 'A'), "");
}

TEST(FontProgramReader, CompositeFontsKeepTheirGlyphMapAndCharacterCollection)
{
    OpenedDocument opened(DocumentWithPages("/Kids [] /Count 0", FontObjects()).Build());
    const auto mapped = ReadFontProgramSource(opened->objects, 11);
    const auto identity = ReadFontProgramSource(opened->objects, 16);
    ASSERT_TRUE(mapped && identity);
    EXPECT_EQ(mapped->encodingName, "Identity-H");
    EXPECT_EQ(mapped->cidOrdering, "Adobe-Japan1");
    EXPECT_FALSE(mapped->cidToGidIdentity);
    EXPECT_EQ(identity->encodingName, "");  // an embedded CMap: the interpreter reads it
    EXPECT_TRUE(identity->cidToGidIdentity);
    // Three CIDs mapped; beyond the map's end, and past the largest CID, no glyph.
    const std::pair<uint32_t, uint32_t> glyphs[] = {{0, 0}, {1, 7}, {2, 0x102}, {3, 0}, {0x10000, 0}, {0xFFFFFFFF, 0}};
    for (const auto& [cid, glyph] : glyphs) EXPECT_EQ(mapped->GlyphOfCid(cid), glyph) << cid;
    for (const uint32_t cid : {0u, 5u, 0xFFFFu}) EXPECT_EQ(identity->GlyphOfCid(cid), cid);
}

TEST(FontProgramReader, SubsetTagsComeOffOnlyWhenTheyAreTags)
{
    const std::pair<const char*, const char*> names[] = {
        {"/ABCDEF+Times-Bold", "Times-Bold"}, {"ABCDEF+X", "X"}, {"ABCDEF+", "ABCDEF+"}, {"AbCDEF+Times", "AbCDEF+Times"},
        {"ABCDE+Times", "ABCDE+Times"},       {"", ""},          {"/", ""},
    };
    for (const auto& [name, without] : names) EXPECT_EQ(WithoutSubsetTag(name), without) << name;
}

TEST(FontProgramReader, ProgramsPastTheBoundAreNotHeld)
{
    // Zeros deflate to a small stream; decoded they pass the bound by one byte, or fit exactly.
    for (const size_t size : {MaxFontProgramBytes, MaxFontProgramBytes + 1}) {
        SCOPED_TRACE(size);
        OpenedDocument opened(DocumentWithPages("/Kids [] /Count 0",
                                                {"<< /Subtype /TrueType /FontDescriptor << /FontFile2 4 0 R >> >>",
                                                 StreamObject("/Filter /FlateDecode", Deflate(std::string(size, '\0')))})
                                  .Build());
        const auto source = ReadFontProgramSource(opened->objects, 3);
        ASSERT_TRUE(source.has_value());
        EXPECT_EQ(source->programUnreadable, size > MaxFontProgramBytes);
        EXPECT_EQ(source->program.size(), size > MaxFontProgramBytes ? 0 : size);
    }
}

}  // namespace
}  // namespace folivo::test
