#include "syntax/TokenReader.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "syntax/Names.h"

namespace folivo {
namespace {

using Strings = std::vector<std::string>;

FileBuffer Over(const std::string& text, int32_t position = 0)
{
    return FileBuffer{reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()), position};
}

struct Scan {
    Strings tokens;
    std::vector<int32_t> starts;
    int32_t end = 0;
};

Scan ScanAll(const std::string& text)
{
    Scan scan;
    FileBuffer buffer = Over(text);
    while (buffer.position < buffer.size) {
        scan.starts.push_back(buffer.position);
        scan.tokens.push_back(ReadToken(buffer));
    }
    scan.end = buffer.position;
    return scan;
}

Strings Tokens(const std::string& text) { return ScanAll(text).tokens; }

TEST(TokenReader, SplitsOperatorsNamesAndDictionaries)
{
    EXPECT_EQ(Tokens("/F1 12 Tf"), (Strings{"/F1", "12", "Tf"}));
    EXPECT_EQ(Tokens("<</Type/Page>>"), (Strings{"<<", "/Type", "/Page", ">>"}));
    EXPECT_EQ(Tokens("<</A<</B 1>>>>"), (Strings{"<<", "/A", "<<", "/B", "1", ">>", ">>"}));
    EXPECT_EQ(Tokens("[(a) 12 (b)]TJ"), (Strings{"[", "(a)", "12", "(b)", "]", "TJ"}));
    EXPECT_EQ(Tokens("[1 2]"), (Strings{"[", "1", "2", "]"}));
    // Only LF, CR and space separate; a tab is an ordinary byte.
    EXPECT_EQ(Tokens("a\tb c"), (Strings{"a\tb", "c"}));
    EXPECT_EQ(Tokens("  \r\n/F1 Tf"), (Strings{"", "/F1", "Tf"}));
}

TEST(TokenReader, HexStringLeavesItsClosingBracketAsNextToken)
{
    EXPECT_EQ(Tokens("<48656C6C6F> Tj"), (Strings{"<48656C6C6F", ">", "Tj"}));
    EXPECT_EQ(Tokens("<41><42>"), (Strings{"<41", ">", "<42", ">"}));
    EXPECT_EQ(Tokens("<4142>Tj"), (Strings{"<4142", ">", "Tj"}));
    EXPECT_EQ(Tokens("<</A 1>>stream"), (Strings{"<<", "/A", "1", ">>", "stream"}));
}

TEST(TokenReader, LiteralStringsKeepEscapesAsWritten)
{
    EXPECT_EQ(Tokens("(a\\)b) Tj"), (Strings{"(a\\)b)", "Tj"}));
    EXPECT_EQ(DecodeStringEscapes("a\\)b"), "a)b");
    EXPECT_EQ(Tokens("(C:\\\\dir)"), (Strings{"(C:\\\\dir)"}));
    // An escaped backslash does not escape the closing parenthesis after it.
    EXPECT_EQ(Tokens("(ab\\\\) x"), (Strings{"(ab\\\\)", "x"}));
    EXPECT_EQ(Tokens("(a b\nc)"), (Strings{"(a b\nc)"}));
    EXPECT_EQ(Tokens("x(y)"), (Strings{"x", "(y)"}));
}

TEST(TokenReader, BalancedParenthesesNestInsideStrings)
{
    EXPECT_EQ(Tokens("(a(b)c) d"), (Strings{"(a(b)c)", "d"}));
    EXPECT_EQ(Tokens("((x)) y"), (Strings{"((x))", "y"}));
    // Escaped parentheses never count towards the nesting.
    EXPECT_EQ(Tokens("(a\\(b) c"), (Strings{"(a\\(b)", "c"}));
    EXPECT_EQ(Tokens("(a(b\\)c)) d"), (Strings{"(a(b\\)c))", "d"}));
}

// Written, canonical, the bytes: escapes resolved, bytes that cannot stand bare escaped again in
// upper case, and a "#" without two hex digits standing for itself.
TEST(TokenReader, NamesWithEscapesComeInTheirCanonicalForm)
{
    const Strings cases[] = {
        {"/Im#31", "/Im1", "Im1"}, {"/Flate#44ecode", "/FlateDecode", "FlateDecode"}, {"/#41#7e", "/A~", "A~"},
        {"/A#20B", "/A#20B", "A B"}, {"/a#2fb", "/a#2Fb", "a/b"}, {"/#28#3c#5B#7B#25", "/#28#3C#5B#7B#25", "(<[{%"},
        {"/A#e9#7F#00", "/A#E9#7F#00", std::string("A\xE9\x7F\0", 4)}, {"/#23", "/#23", "#"}, {"/A#G1", "/A#23G1", "A#G1"},
        {"/A#", "/A#23", "A#"}, {"/A#4#41", "/A#234A", "A#4A"}, {"/", "/", ""}};
    for (const Strings& c : cases) {
        EXPECT_EQ(Tokens(c[0] + " Do"), (Strings{c[1], "Do"})) << c[0];
        EXPECT_EQ(Tokens("[" + c[1] + "]"), (Strings{"[", c[1], "]"})) << c[0];
        EXPECT_EQ(NameBytes(c[0]), c[2]) << c[0];
    }
    EXPECT_EQ(Tokens("<</Ty#70e/P#61ge/A#G1/B#>>(a#20b)"), (Strings{"<<", "/Type", "/Page", "/A#23G1", "/B#23", ">>", "(a#20b)"}));
    EXPECT_EQ(ScanAll("/A#42 1").starts, (std::vector<int32_t>{0, 6}));
    // Spellings are the same name exactly when they stand for the same bytes.
    EXPECT_EQ(CanonicalName("/A#2"), CanonicalName("/A#232"));
    EXPECT_NE(CanonicalName("/A#2"), CanonicalName("/A2"));
}

TEST(TokenReader, AQuickLookFindsEverySpellingOfAName)
{
    for (const std::string& mentions : Strings{"<< /Encrypt 5 0 R >>", "/Encr#79pt 5", "/#45#6E#63#72#79#70#74", "/Encrypt#20More"})
        EXPECT_TRUE(MayMentionName(mentions, "/Encrypt")) << mentions;
    for (const std::string& other : Strings{"/Size 5 # #41 /En#63 x#ypt", "#/Encr#", std::string(40, '#') + "/Enc", ""})
        EXPECT_FALSE(MayMentionName(other, "/Encrypt")) << other;
}

TEST(TokenReader, TokenAtEndOfDataIsComplete)
{
    EXPECT_EQ(Tokens("1 0 R"), (Strings{"1", "0", "R"}));
    EXPECT_EQ(Tokens("/Name"), (Strings{"/Name"}));
    EXPECT_EQ(Tokens("a\\"), (Strings{"a\\"}));
    // An unterminated string stops at the end-of-data substitute.
    EXPECT_EQ(Tokens("(abc"), (Strings{"(abc\r"}));
}

TEST(TokenReader, PositionIsLeftAtTheFirstByteOfTheNextToken)
{
    const std::string text = "  7 0 obj\r\n<</Length 2>>\r\nstream\r\nXY";
    const Scan scan = ScanAll(text);
    ASSERT_EQ(scan.tokens, (Strings{"", "7", "0", "obj", "<<", "/Length", "2", ">>", "stream", "XY"}));
    EXPECT_EQ(scan.starts, (std::vector<int32_t>{0, 2, 4, 6, 11, 13, 21, 22, 26, 34}));
    EXPECT_EQ(scan.end, static_cast<int32_t>(text.size()) + 1);

    const Scan strings = ScanAll("(a)(b) [/x]");
    EXPECT_EQ(strings.starts, (std::vector<int32_t>{0, 3, 7, 8, 10}));
}

TEST(TokenReader, ReadByteSubstitutesPastTheEndAndBeforeTheStart)
{
    const std::string text = "ab";
    FileBuffer buffer = Over(text);
    std::string bytes;
    for (int i = 0; i < 6; ++i) bytes.push_back(static_cast<char>(ReadByte(buffer)));
    EXPECT_EQ(bytes, "ab\r`\r`");
    EXPECT_EQ(buffer.position, 6);

    buffer.position = -2;
    EXPECT_EQ(ReadByte(buffer), '\r');
    EXPECT_EQ(ReadByte(buffer), '\r');
    EXPECT_EQ(ReadByte(buffer), 'a');

    buffer.position = std::numeric_limits<int32_t>::max();
    ReadByte(buffer);
    EXPECT_EQ(buffer.position, std::numeric_limits<int32_t>::max());
}

TEST(TokenReader, ExtremePositionsStayInBounds)
{
    const std::string text = "/A 1";
    for (const int32_t start : {std::numeric_limits<int32_t>::min(), -3, 5, 6, std::numeric_limits<int32_t>::max()}) {
        FileBuffer buffer = Over(text, start);
        ReadToken(buffer);
        EXPECT_GE(buffer.position, 0) << start;
    }
    FileBuffer empty{};
    EXPECT_EQ(ReadToken(empty), "");
    EXPECT_EQ(ReadLine(empty), "");
}

TEST(TokenReader, IntegerTokensAndLines)
{
    const std::string text = "12 x -5\n34\r\n\r\nabc\n";
    FileBuffer buffer = Over(text);
    EXPECT_EQ(ReadTokenAsInteger(buffer), 12);
    EXPECT_EQ(ReadTokenAsInteger(buffer), 0);
    EXPECT_EQ(ReadTokenAsInteger(buffer), -5);
    EXPECT_EQ(ReadLineAsInteger(buffer), 34);
    EXPECT_EQ(buffer.position, 14);  // every following line end is consumed
    EXPECT_EQ(ReadLineAsInteger(buffer), 0);

    const std::string padded = " 1234 \t\n";
    FileBuffer offsetLine = Over(padded);
    EXPECT_EQ(ReadLineAsInteger(offsetLine), 1234);
}

TEST(LineReading, ReadAndSkipStopAtTheEnds)
{
    const std::string text = "first\r\nsecond\n\nthird";
    FileBuffer buffer = Over(text, -4);
    EXPECT_EQ(ReadLine(buffer), "first");
    EXPECT_EQ(buffer.position, 7);
    buffer.position = 9;
    SkipLine(buffer);
    EXPECT_EQ(buffer.position, 15);
    EXPECT_EQ(ReadLine(buffer), "third");
    EXPECT_EQ(buffer.position, 20);
    EXPECT_EQ(ReadLine(buffer), "");
    buffer.position = 99;
    SkipLine(buffer);
    EXPECT_EQ(buffer.position, 20);
}

TEST(LineReading, BackToPreviousLineFindsLineStarts)
{
    const std::string text = "startxref\n123\n%%EOF\r\n";
    FileBuffer buffer = Over(text, static_cast<int32_t>(text.size()));
    BackToPreviousLine(buffer);
    EXPECT_EQ(buffer.position, 14);
    BackToPreviousLine(buffer);
    EXPECT_EQ(buffer.position, 10);
    BackToPreviousLine(buffer);
    EXPECT_EQ(buffer.position, 0);
    BackToPreviousLine(buffer);
    EXPECT_EQ(buffer.position, 0);

    buffer.position = 12;  // inside a line: back to its own start
    BackToPreviousLine(buffer);
    EXPECT_EQ(buffer.position, 10);
    buffer.position = 500;
    BackToPreviousLine(buffer);
    EXPECT_EQ(buffer.position, 14);
}

TEST(LineReading, PreviousByteIsLineEnd)
{
    const std::string text = "a\nb\r";
    FileBuffer buffer = Over(text);
    std::vector<bool> seen;
    for (const int32_t position : {-1, 0, 1, 2, 3, 4, 5}) {
        buffer.position = position;
        seen.push_back(PreviousByteIsLineEnd(buffer));
    }
    EXPECT_EQ(seen, (std::vector<bool>{false, false, false, true, false, true, false}));
}

TEST(StringEscapes, DecodesNamedOctalAndDropsTheRest)
{
    EXPECT_EQ(DecodeStringEscapes("a\\)b"), "a)b");
    EXPECT_EQ(DecodeStringEscapes("C:\\\\dir"), "C:\\dir");
    EXPECT_EQ(DecodeStringEscapes("\\(\\)\\n\\r\\t\\b\\f"), "()\n\r\t\b\f");
    EXPECT_EQ(DecodeStringEscapes("\\101"), "A");
    EXPECT_EQ(DecodeStringEscapes("\\1012"), "A2");
    EXPECT_EQ(DecodeStringEscapes("\\777"), "\xFF");
    // Fewer than three digits lose the escape and the byte after it.
    EXPECT_EQ(DecodeStringEscapes("\\12x"), "");
    EXPECT_EQ(DecodeStringEscapes("\\1xy"), "y");
    EXPECT_EQ(DecodeStringEscapes("a\\\nb\\q"), "ab");
    EXPECT_EQ(DecodeStringEscapes("end\\"), "end");
}

TEST(Numbers, NumberTextAcceptsOnlyWholeDecimalNumbers)
{
    EXPECT_EQ(NumberText("12"), 12.0);
    EXPECT_EQ(NumberText("-3.5"), -3.5);
    EXPECT_EQ(NumberText(".5"), 0.5);
    EXPECT_EQ(NumberText("-.5"), -0.5);
    EXPECT_EQ(NumberText("5."), 5.0);
    EXPECT_EQ(NumberText("+2.25"), 2.25);
    for (const char* bad : {"", "-", "+", ".", "1,5", "12a", " 1", "1 ", "inf", "-nan", "0x10", "+-1", "1.2.3"})
        EXPECT_FALSE(NumberText(bad).has_value()) << bad;
}

TEST(Numbers, ShortDecimalsRoundAsTheFullConversionDoes)
{
    // Short plain decimals take a shortcut; it must give the very same doubles, at every length
    // of digits around the shortcut's bound and with the point anywhere.
    std::mt19937 random(4711);
    for (int round = 0; round < 20000; ++round) {
        const size_t digits = 1 + random() % 18;
        std::string text = random() % 3 == 0 ? "-" : "";
        const size_t point = random() % (digits + 2);  // past the digits: no point
        for (size_t i = 0; i < digits; ++i) {
            if (i == point) text += '.';
            text += static_cast<char>('0' + random() % 10);
        }
        if (point == digits) text += '.';
        double expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        const auto value = NumberText(text);
        ASSERT_TRUE(value.has_value()) << text;
        ASSERT_EQ(std::memcmp(&*value, &expected, sizeof expected), 0) << text << ": " << *value << " != " << expected;
    }
    EXPECT_TRUE(std::signbit(*NumberText("-0")));
    EXPECT_EQ(NumberText("0.1"), 0.1);
    EXPECT_EQ(NumberText("123456789012345"), 123456789012345.0);
    EXPECT_EQ(NumberText("9007199254740993"), 9007199254740992.0);  // 2^53 + 1 rounds to even
}

TEST(Numbers, IntegerTextIsWholeAndWithin32Bits)
{
    EXPECT_EQ(IntegerText("42"), 42);
    EXPECT_EQ(IntegerText("+7"), 7);
    EXPECT_EQ(IntegerText("2147483647"), 2147483647);
    EXPECT_EQ(IntegerText("-2147483648"), std::numeric_limits<int32_t>::min());
    for (const char* bad : {"", "+", "-", "2147483648", "1.0", "12 ", "+-1", "0x1"})
        EXPECT_FALSE(IntegerText(bad).has_value()) << bad;
    EXPECT_EQ(IntegerOrZero("n"), 0);
}

TEST(TokenReaderRobustness, RandomBuffersTerminateInBounds)
{
    const std::string alphabet = "()[]<>/\\ \r\n\t0a.-";
    std::mt19937 random(20240611);
    for (int round = 0; round < 4000; ++round) {
        // An exact-size heap copy so that ASan sees any read past the end.
        std::string text(random() % 48, '\0');
        for (char& c : text)
            c = random() % 4 == 0 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
        const std::vector<uint8_t> bytes(text.begin(), text.end());
        FileBuffer buffer{bytes.data(), static_cast<int32_t>(bytes.size()), 0};

        int count = 0;
        while (buffer.position < buffer.size) {
            const int32_t start = buffer.position;
            const std::string token = ReadToken(buffer);
            ASSERT_GT(buffer.position, start) << "no progress in round " << round;
            // Every token but a leading empty one starts with the byte it was read from.
            if (count > 0) {
                ASSERT_FALSE(token.empty());
            }
            if (!token.empty()) {
                ASSERT_EQ(token[0], text[start]);
            }
            ++count;
        }
        EXPECT_EQ(buffer.position, bytes.empty() ? 0 : buffer.size + 1);

        buffer.position = static_cast<int32_t>(random() % 64) - 8;
        ReadLine(buffer);
        BackToPreviousLine(buffer);
        SkipLine(buffer);
        PreviousByteIsLineEnd(buffer);
        DecodeStringEscapes(text);
        NumberText(text);
    }
}

}  // namespace
}  // namespace folivo
