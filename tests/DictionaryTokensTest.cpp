// Dictionaries held as token lists: a name table read in one pass finds what a lookup by key
// finds, for every name of the dictionary.
#include <gtest/gtest.h>

#include "syntax/DictionaryTokens.h"

namespace folivo::test {
namespace {

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
