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

// Calls visit(i) for each name tokens[i] at the top level of the dictionary whose "<<" is
// tokens[start] that has a token after it, until visit returns false: the one walk that every
// lookup of keys shares.
template <typename Visit>
void VisitTopLevelNames(const TokenList& tokens, size_t start, Visit visit)
{
    int depth = 0;
    for (size_t i = start; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if (token == "<<" || token == "[") {
            ++depth;
        } else if (token == ">>" || token == "]") {
            if (--depth <= 0) return;
        } else if (depth == 1 && !token.empty() && token[0] == '/' && i + 1 < tokens.size()) {
            if (!visit(i)) return;
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

// tokens[at] starts a reference "N G R".
bool IsReference(const TokenList& tokens, size_t at);

// The elements of the array whose "[" is at tokens[at]: a reference, a nested array or
// dictionary, or a hex string is one element of several tokens.
std::vector<TokenList> ArrayElements(const TokenList& tokens, size_t at);

}  // namespace folivo
