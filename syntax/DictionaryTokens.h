// Reading values out of a dictionary held as one token list ("<<" key value ... ">>").
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "syntax/SyntaxTypes.h"

namespace folivo {

// Where the value of `key` starts in the dictionary whose "<<" is tokens[start], at its top
// level only; 0 when the key is missing.
size_t ValueIndex(const TokenList& tokens, size_t start, std::string_view key);

// The object number of a reference "N G R" at tokens[at]; none for anything else or at 0.
std::optional<int32_t> ReferenceAt(const TokenList& tokens, size_t at);

// The first `count` (at most 6) numbers of the array whose "[" is tokens[at]; false, with the
// values unchanged, unless it starts with that many numbers.
bool NumbersAt(const TokenList& tokens, size_t at, double* values, size_t count);

}  // namespace folivo
