#include "core/CharsetTables.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

namespace folivo {
namespace {

const std::string kDash = "\xC2\x97";

std::vector<std::string> SplitRow(std::string_view row)
{
    std::string text(row);
    std::vector<std::string> fields;
    while (!text.empty()) fields.push_back(NextField(text));
    return fields;
}

int RowOf(std::string_view name)
{
    const auto row = FindByName(name);
    return row ? row->index : -1;
}

std::array<int, EncodingCount> CodesOf(std::string_view name)
{
    const int row = RowOf(name);
    std::array<int, EncodingCount> codes{};
    for (int j = 0; j < EncodingCount; ++j) codes[j] = row < 0 ? -1 : CharsetCode(row, j);
    return codes;
}

TEST(CharsetConvert, LookupTableAgreesWithScanForEveryCodeAndPair)
{
    BuildCharsetTables();
    BuildCharsetTables();  // a second build must not change anything
    for (int from = 0; from < EncodingCount; ++from) {
        for (int to = 0; to < EncodingCount; ++to) {
            for (int code = 0; code < 256; ++code) {
                const auto byte = static_cast<uint8_t>(code);
                ASSERT_EQ(Convert(byte, from, to), ConvertByScan(byte, from, to))
                    << "code " << code << " from " << from << " to " << to;
            }
        }
    }
}

TEST(CharsetConvert, KnownConversions)
{
    EXPECT_EQ(Convert(65, StandardEncoding, WinAnsiEncoding), 65);
    EXPECT_EQ(Convert(225, StandardEncoding, WinAnsiEncoding), 198);  // AE
    EXPECT_EQ(Convert(128, MacRomanEncoding, WinAnsiEncoding), 196);  // Adieresis
    EXPECT_EQ(Convert(128, WinAnsiEncoding, PDFDocEncoding), 160);    // Euro
    EXPECT_EQ(Convert(174, StandardEncoding, WinAnsiEncoding), 0);    // fi has no WinAnsi code
    EXPECT_EQ(Convert(7, StandardEncoding, WinAnsiEncoding), 7);      // in no row: passes through
    // Rows without a Standard code hold 0 there; the first of them is Aacute.
    EXPECT_EQ(Convert(0, StandardEncoding, WinAnsiEncoding), 193);
    EXPECT_EQ(Convert(0, WinAnsiEncoding, PDFDocEncoding), 149);  // first row without WinAnsi: Slash
    EXPECT_EQ(Convert(149, PDFDocEncoding, StandardEncoding), 232);  // Lslash, stored as "Slash"
    EXPECT_EQ(Convert(138, PDFDocEncoding, WinAnsiEncoding), 0);     // minus, stored as "nus"
}

TEST(CharsetConvert, FirstMatchingRowWins)
{
    // Both "space" rows hold 32 in WinAnsi; the first one has MacRoman 32, the second 202.
    EXPECT_EQ(Convert(32, WinAnsiEncoding, MacRomanEncoding), 32);
    EXPECT_EQ(Convert(202, MacRomanEncoding, WinAnsiEncoding), 32);
    // WinAnsi 176 is both degree and ring; degree comes first and has no Standard code.
    EXPECT_EQ(Convert(176, WinAnsiEncoding, StandardEncoding), 0);
    EXPECT_EQ(Convert(176, WinAnsiEncoding, MacRomanEncoding), 161);
    EXPECT_EQ(Convert(202, StandardEncoding, WinAnsiEncoding), 176);  // ring
}

TEST(CharsetConvert, SameEncodingAndBadEncodingNumbersKeepTheCode)
{
    for (int code = 0; code < 256; ++code) {
        const auto byte = static_cast<uint8_t>(code);
        for (int j = 0; j < EncodingCount; ++j) ASSERT_EQ(Convert(byte, j, j), byte);
        ASSERT_EQ(Convert(byte, -1, WinAnsiEncoding), byte);
        ASSERT_EQ(Convert(byte, StandardEncoding, 4), byte);
        ASSERT_EQ(Convert(byte, 1000, -1000), byte);
        ASSERT_EQ(ConvertByScan(byte, 4, 0), byte);
    }
}

TEST(CharsetFindByName, NamesAsStored)
{
    const auto a = FindByName("A");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->index, 0);
    EXPECT_EQ(a->winAnsiCode, std::optional<uint8_t>(65));

    const auto zero = FindByName("zero");
    ASSERT_TRUE(zero);
    EXPECT_EQ(zero->index, CharsetRowCount - 1);

    EXPECT_EQ(FindByName("Euro")->winAnsiCode, std::optional<uint8_t>(128));
    EXPECT_EQ(FindByName("a")->winAnsiCode, std::optional<uint8_t>(97));  // names are case-sensitive

    // A glyph without WinAnsi code is found, but has no number.
    const auto fi = FindByName("fi");
    ASSERT_TRUE(fi);
    EXPECT_FALSE(fi->winAnsiCode);
    EXPECT_FALSE(FindByName("nus")->winAnsiCode);

    // The codes of Lslash and minus sit in rows named "Slash" and "nus".
    EXPECT_FALSE(FindByName("Lslash"));
    EXPECT_FALSE(FindByName("minus"));
    EXPECT_TRUE(FindByName("Slash"));

    EXPECT_FALSE(FindByName(""));
    EXPECT_FALSE(FindByName("Aacut"));
    EXPECT_FALSE(FindByName("A "));
    EXPECT_FALSE(FindByName("zzz"));
}

TEST(CharsetFindByName, FirstOfDuplicateNamesWins)
{
    const auto space = FindByName("space");
    ASSERT_TRUE(space);
    EXPECT_EQ(SplitRow(CharsetSourceRow(space->index))[3], "32");  // MacRoman 32, not 202
    EXPECT_EQ(SplitRow(CharsetSourceRow(space->index + 1))[0], "space");
    EXPECT_EQ(space->index, RowOf("slash") + 1);
}

TEST(CharsetSourceRows, EveryRowHasNineConsistentFields)
{
    for (int i = 0; i < CharsetRowCount; ++i) {
        const std::vector<std::string> fields = SplitRow(CharsetSourceRow(i));
        ASSERT_EQ(fields.size(), 9u) << "row " << i;
        for (int j = 0; j < EncodingCount; ++j) {
            const std::string& decimal = fields[1 + 2 * j];
            const std::string& octal = fields[2 + 2 * j];
            if (decimal == kDash) {
                EXPECT_EQ(octal, kDash) << fields[0];
                EXPECT_EQ(CharsetCode(i, j), 0) << fields[0];
                continue;
            }
            const int value = std::stoi(decimal);
            ASSERT_GT(value, 0) << fields[0];
            ASSERT_LT(value, 256) << fields[0];
            EXPECT_EQ(std::stoi(octal, nullptr, 8), value) << fields[0] << " encoding " << j;
            EXPECT_EQ(CharsetCode(i, j), value) << fields[0] << " encoding " << j;
        }
    }
    EXPECT_EQ(CharsetSourceRow(-1), "");
    EXPECT_EQ(CharsetSourceRow(CharsetRowCount), "");
    for (int j = 0; j < EncodingCount; ++j) EXPECT_EQ(CharsetCode(CharsetRowCount, j), 0);
    EXPECT_EQ(CharsetCode(0, 4), 0);
}

// The names ascend (Slash and nus standing for Lslash and minus), so a dropped, doubled or
// moved row shows up here.
TEST(CharsetSourceRows, NamesAscend)
{
    std::string previous;
    for (int i = 0; i < CharsetRowCount; ++i) {
        std::string name = SplitRow(CharsetSourceRow(i))[0];
        if (name == "Slash") name = "Lslash";
        if (name == "nus") name = "minus";
        if (name == "space" && previous == "space") continue;
        EXPECT_LT(previous, name) << "row " << i;
        previous = name;
    }
}

TEST(CharsetSourceRows, ColumnsHoldTheExpectedCodes)
{
    const std::array<int, EncodingCount> expectedCount = {150, 208, 218, 230};
    // Checksums guard against a slipped digit that keeps the row well-formed.
    const std::array<int, EncodingCount> expectedSum = {18119, 29157, 31178, 31937};
    // Codes held by more than one row: the two space rows, and degree/ring in WinAnsi.
    const std::array<std::vector<int>, EncodingCount> expectedShared = {
        std::vector<int>{32}, std::vector<int>{}, std::vector<int>{32, 176}, std::vector<int>{32}};

    for (int j = 0; j < EncodingCount; ++j) {
        int count = 0;
        int sum = 0;
        std::map<int, int> uses;
        for (int i = 0; i < CharsetRowCount; ++i) {
            const int code = CharsetCode(i, j);
            if (code == 0) continue;
            ++count;
            sum += code;
            ++uses[code];
        }
        std::vector<int> shared;
        for (const auto& [code, n] : uses)
            if (n > 1) shared.push_back(code);
        EXPECT_EQ(count, expectedCount[j]) << "encoding " << j;
        EXPECT_EQ(sum, expectedSum[j]) << "encoding " << j;
        EXPECT_EQ(shared, expectedShared[j]) << "encoding " << j;
    }
}

TEST(CharsetSourceRows, SpotChecks)
{
    using Codes = std::array<int, EncodingCount>;
    EXPECT_EQ(CodesOf("Euro"), (Codes{0, 0, 128, 160}));
    EXPECT_EQ(CodesOf("germandbls"), (Codes{251, 167, 223, 223}));
    EXPECT_EQ(CodesOf("Ydieresis"), (Codes{0, 217, 159, 152}));
    EXPECT_EQ(CodesOf("bullet"), (Codes{183, 165, 149, 128}));
    EXPECT_EQ(CodesOf("OE"), (Codes{234, 206, 140, 150}));
    EXPECT_EQ(CodesOf("quotesingle"), (Codes{169, 39, 39, 39}));
    EXPECT_EQ(CodesOf("trademark"), (Codes{0, 170, 153, 146}));
    EXPECT_EQ(CodesOf("ring"), (Codes{202, 251, 176, 30}));
    EXPECT_EQ(CodesOf("Slash"), (Codes{232, 0, 0, 149}));
    EXPECT_EQ(CodesOf("nus"), (Codes{0, 0, 0, 138}));
    EXPECT_EQ(CodesOf("ydieresis"), (Codes{0, 216, 255, 255}));
    EXPECT_EQ(CodesOf("dotlessi"), (Codes{245, 245, 0, 154}));
    EXPECT_EQ(CodesOf("yen"), (Codes{165, 180, 165, 165}));
}

TEST(CharsetNextField, SplitsAtTheFirstSpace)
{
    std::string text = "Aring - 129";
    EXPECT_EQ(NextField(text), "Aring");
    EXPECT_EQ(text, "- 129");

    text = "last";
    EXPECT_EQ(NextField(text), "last");
    EXPECT_EQ(text, "");
    EXPECT_EQ(NextField(text), "");
    EXPECT_EQ(text, "");

    text = " lead";
    EXPECT_EQ(NextField(text), "");
    EXPECT_EQ(text, "lead");

    text = "a  b";
    EXPECT_EQ(NextField(text), "a");
    EXPECT_EQ(text, " b");

    text = "end ";
    EXPECT_EQ(NextField(text), "end");
    EXPECT_EQ(text, "");
}

}  // namespace
}  // namespace folivo
