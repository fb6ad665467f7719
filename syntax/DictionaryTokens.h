// Reading values out of a dictionary held as one token list ("<<" key value ... ">>").
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "syntax/SyntaxTypes.h"

namespace folivo {

// tokens[at] starts a reference "N G R".
bool IsReference(const TokenList& tokens, size_t at);

// Calls visit(i) for each key tokens[i] of the dictionary whose "<<" is tokens[start] that has
// a value after it, until visit returns false: the one walk that every lookup of keys shares.
// Keys and values alternate, so a name that is a value ("/S /Font") is never taken for a key.
template <typename Visit>
void VisitTopLevelNames(const TokenList& tokens, size_t start, Visit visit)
{
    if (start >= tokens.size() || tokens[start] != "<<") return;
    int depth = 0;
    bool keyNext = true;
    for (size_t i = start; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if (token == "<<" || token == "[") {
            ++depth;
        } else if (token == ">>" || token == "]") {
            if (--depth <= 0) return;
            // A nested value ended: the next token is a key again.
            if (depth == 1) keyNext = true;
        } else if (depth == 1 && keyNext) {
            const bool key = !token.empty() && token[0] == '/' && i + 1 < tokens.size() && tokens[i + 1] != ">>";
            if (key && !visit(i)) return;
            // Anything else where a key belongs is skipped: damage, not a value.
            keyNext = !key;
        } else if (depth == 1) {
            // A value of one token, or a reference of three.
            if (IsReference(tokens, i)) i += 2;
            keyNext = true;
        }
    }
}

// Where the value of `key` starts in the dictionary whose "<<" is tokens[start], at its top
// level only; 0 when the key is missing.
size_t ValueIndex(const TokenList& tokens, size_t start, std::string_view key);

// The object number of a reference "N G R" at tokens[at]; none for anything else or at 0.
std::optional<int32_t> ReferenceAt(const TokenList& tokens, size_t at);

// For each name at the top level of the dictionary whose "<<" is tokens[start], what
// ReferenceAt(tokens, ValueIndex(tokens, start, name)) gives: one pass for a dictionary whose
// names are looked up many times.
std::unordered_map<std::string, std::optional<int32_t>> ReferencesByName(const TokenList& tokens, size_t start);

// The first `count` (at most 6) numbers of the array whose "[" is tokens[at]; false, with the
// values unchanged, unless it starts with that many numbers.
bool NumbersAt(const TokenList& tokens, size_t at, double* values, size_t count);

// A hex string's first token: "<" with the first digits that follow without a blank.
bool StartsHexString(const std::string& token);


// The elements of the array whose "[" is at tokens[at]: a reference, a nested array or
// dictionary, or a hex string is one element of several tokens.
std::vector<TokenList> ArrayElements(const TokenList& tokens, size_t at);
// Where those elements start.
std::vector<size_t> ArrayElementStarts(const TokenList& tokens, size_t at);

// Parsed entries (key and value tokens each): the entry's key is `key`.
inline bool IsKey(const TokenList& entry, std::string_view key) { return !entry.empty() && entry[0] == key; }
// The first entry with the key and at least `minimumTokens` tokens, the key counted; else null.
const TokenList* FindEntry(const std::vector<TokenList>& entries, std::string_view key, size_t minimumTokens = 1);
// The whole numbers among an entry's value tokens ("/W [1 2 1]" gives 1, 2, 1); none for null.
std::vector<int64_t> EntryIntegers(const TokenList* entry);
// The integer after the first `key` among the tokens (a dictionary, or an entry whose value is
// one), or `fallback` when the key is missing or no integer follows it.
int IntegerAfter(const TokenList& tokens, std::string_view key, int fallback);

// The tokens of the array whose "[" is tokens[at], without its brackets; nested arrays keep
// theirs. Empty when tokens[at] is no "[".
TokenList InnerArray(const TokenList& tokens, size_t at);

}  // namespace folivo
