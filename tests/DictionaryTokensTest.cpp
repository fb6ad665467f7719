// Dictionaries held as token lists: lookups stay at the top level, references and number arrays
// are read whole, and a name table read in one pass finds what a lookup by key finds.
#include <gtest/gtest.h>

#include "syntax/DictionaryTokens.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "syntax/TokenReader.h"

namespace folivo::test {
namespace {

// Token lists as the file reader makes them, from PDF text.
TokenList Tokens(const std::string& text)
{
    TokenList tokens;
    FileBuffer buffer{reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()), 0};
    while (buffer.position < buffer.size) tokens.push_back(ReadToken(buffer));
    return tokens;
}

std::string Joined(const TokenList& tokens)
{
    std::string text;
    for (const std::string& token : tokens) text += (text.empty() ? "" : " ") + token;
    return text;
}

TEST(DictionaryTokens, ValueIndexFindsKeysAtTheTopLevelOnly)
{
    struct Case {
        const char* text;
        size_t start;
        const char* key;
        size_t expected;  // 0: not found
    };
    const Case cases[] = {
        {"<< /A 1 /B (x) >>", 0, "/B", 4},
        {"<< /AB 1 /A 2 >>", 0, "/A", 4},
        {"<< /A 1 0 R /A 2 >>", 0, "/A", 2},
        {"<< /T (/B) /B 3 >>", 0, "/B", 4},
        {"<< /ID <41 42> /B 3 >>", 0, "/B", 6},
        {"<< /A << /B 1 >> /C 2 >>", 0, "/B", 0},
        {"<< /A [ /B 1 ] >>", 0, "/B", 0},
        {"<< /A << /B 1 >> /B 2 >>", 0, "/B", 7},
        {"<< /A << /B 1 >> /B 2 >>", 2, "/B", 4},
        {"<< /A << /B 1 >> /C 2 >>", 2, "/C", 0},
        {"<< /A 1 >> /B 2", 0, "/B", 0},
        // Unbalanced: an unclosed inner dictionary keeps what follows; a stray "]" ends the walk.
        {"<< /A << /X 1 /B 2 >>", 0, "/B", 0},
        {"<< /A ] /B 2 >>", 0, "/B", 0},
        // A key as the last token has no value.
        {"<< /A 1 /B", 0, "/B", 0},
        {"<< /A 1 >>", 3, "/A", 0},
        {"<< /A 1 >>", 4, "/A", 0},
        {"<< /A 1 >>", 99, "/A", 0},
        {"", 0, "/A", 0},
    };
    for (const Case& c : cases) {
        const TokenList tokens = Tokens(c.text);
        EXPECT_EQ(ValueIndex(tokens, c.start, c.key), c.expected) << c.text << " from " << c.start << ": " << c.key;
    }
}

// Fails today: every name at the top level counts as a key, so a name value equal to a later
// key hides that key's value.
TEST(DictionaryTokens, NameValueIsNoKey)
{
    const TokenList tokens = Tokens("<< /S /Font /Font 7 0 R >>");
    EXPECT_EQ(ValueIndex(tokens, 0, "/Font"), 4u);
    EXPECT_EQ(ReferencesByName(tokens, 0).at("/Font"), 7);
}

TEST(DictionaryTokens, VisitTopLevelNamesStopsWhenAsked)
{
    // Values (/B), names in nested values and after the dictionary's end are not visited.
    const TokenList tokens = Tokens("<< /A /B /C [ /D ] /E << /F 1 >> >> /G 1");
    const TokenList all = {"/A", "/C", "/E"};
    for (size_t limit : {1u, 2u, 4u, 9u}) {
        TokenList seen;
        VisitTopLevelNames(tokens, 0, [&](size_t i) {
            seen.push_back(tokens[i]);
            return seen.size() < limit;
        });
        EXPECT_EQ(seen, TokenList(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(std::min(limit, all.size()))))
            << limit;
    }
}

TEST(DictionaryTokens, ReferencesAreWholeNumberTriples)
{
    struct Case {
        const char* text;
        size_t at;
        std::optional<int32_t> reference;
        bool isReference;
    };
    const Case cases[] = {
        {"/P 12 0 R", 1, 12, true},
        {"12 0 R", 0, std::nullopt, true},  // index 0 stands for "no value"
        {"/P +2147483647 0 R", 1, 2147483647, true},
        // Read as written: callers reject numbers outside the cross-reference table.
        {"/P -1 0 R", 1, -1, true},
        {"/P x 0 R", 1, std::nullopt, false},
        {"/P 1.5 0 R", 1, std::nullopt, false},
        {"/P 99999999999 0 R", 1, std::nullopt, false},
        {"/P 12 0 obj", 1, std::nullopt, false},
        {"/P 12 0", 1, std::nullopt, false},
        {"/P 12", 5, std::nullopt, false},
        {"", 0, std::nullopt, false},
    };
    for (const Case& c : cases) {
        const TokenList tokens = Tokens(c.text);
        EXPECT_EQ(ReferenceAt(tokens, c.at), c.reference) << c.text;
        EXPECT_EQ(IsReference(tokens, c.at), c.isReference) << c.text;
    }
}

TEST(DictionaryTokens, NumbersAtTakesAnArrayThatStartsWithEnoughNumbers)
{
    struct Case {
        const char* text;
        size_t at;
        size_t count;
        std::vector<double> expected;  // empty: refused, values unchanged
    };
    const Case cases[] = {
        {"/M [ 1 -2.5 .5 4 5 6 ]", 1, 6, {1, -2.5, 0.5, 4, 5, 6}},
        {"/M [ 1 2 3 4 5 6 ]", 1, 2, {1, 2}},
        {"/M [ 1 2 ]", 1, 3, {}},
        {"/M [ 1 x 3 ]", 1, 3, {}},
        {"/M [ 1 2 3 4 5 6 7 ]", 1, 7, {}},
        {"/M [ 1 2", 1, 3, {}},
        {"/M 1 2 3", 1, 2, {}},
        {"[ 1 2 ]", 0, 2, {}},
        {"/M [ 1 ]", 9, 1, {}},
    };
    for (const Case& c : cases) {
        double values[7] = {7, 7, 7, 7, 7, 7, 7};
        const bool read = NumbersAt(Tokens(c.text), c.at, values, c.count);
        EXPECT_EQ(read, !c.expected.empty()) << c.text;
        for (size_t i = 0; i < std::size(values); ++i)
            EXPECT_EQ(values[i], i < c.expected.size() ? c.expected[i] : 7) << c.text << " value " << i;
    }
}

TEST(DictionaryTokens, ArrayElementsKeepMultiTokenValuesTogether)
{
    struct Case {
        const char* text;
        size_t at;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"/K [ 1 2 0 R /N (a b) 1 0 ]", 1, {"1", "2 0 R", "/N", "(a b)", "1", "0"}},
        {"/K [ <41 42> <> [ 1 [ 2 ] ] << /A [ 3 ] >> ] 9", 1, {"<41 42 >", "< >", "[ 1 [ 2 ] ]", "<< /A [ 3 ] >>"}},
        {"/K [ ]", 1, {}},
        {"/K [ 1 [ 2", 1, {"1", "[ 2"}},
        {"/K [ << /A 1", 1, {"<< /A 1"}},
        {"/K [ <41", 1, {"<41"}},
        {"/K [ 1 ]", 0, {}},
        {"/K [ 1 ]", 9, {}},
        {"", 0, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> elements;
        for (const TokenList& element : ArrayElements(Tokens(c.text), c.at)) elements.push_back(Joined(element));
        EXPECT_EQ(elements, c.expected) << c.text;
    }
}

TEST(DictionaryTokens, ReferencesByNameAgreeWithLookupsByKey)
{
    struct Case {
        const char* name;
        TokenList tokens;
        size_t start;
    };
    const Case cases[] = {
        {"references, a number and a name value", {"<<", "/A", "5", "0", "R", "/B", "7", "/C", "/A", ">>"}, 0},
        {"a key given twice: the first counts", {"<<", "/A", "1", "0", "R", "/A", "2", "0", "R", ">>"}, 0},
        {"nested dictionary and array keys stay inside",
         {"<<", "/A", "<<", "/X", "3", "0", "R", ">>", "/B", "[", "/Y", "4", "0", "R", "]", "/X", "9", "0", "R", ">>"}, 0},
        {"an inner dictionary from its own start",
         {"<<", "/Font", "<<", "/F1", "6", "0", "R", ">>", "/F2", "8", "0", "R", ">>"}, 2},
        {"cut short after a key", {"<<", "/A", "5", "0", "R", "/B"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto table = ReferencesByName(c.tokens, c.start);
        for (const std::string& token : c.tokens) {
            if (token.empty() || token[0] != '/') continue;
            const auto expected = ReferenceAt(c.tokens, ValueIndex(c.tokens, c.start, token));
            const auto found = table.find(token);
            EXPECT_EQ(found == table.end() ? std::nullopt : found->second, expected) << token;
        }
    }
    EXPECT_EQ(ReferencesByName({"<<", "/Font", "<<", "/F1", "6", "0", "R", ">>", "/F2", "8", "0", "R", ">>"}, 2).count("/F2"),
              0u);
}

}  // namespace
}  // namespace folivo::test
