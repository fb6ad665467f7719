// Where one value of the file's syntax ends, found from its bytes alone: an object needs no
// "endobj" to end, and an object-stream member ends with its value.
#pragma once

#include <cstddef>
#include <string_view>

namespace folivo {

// The position after the value that starts at `start` (blanks and comments in front are passed
// over): a dictionary or array with everything nested in it, a string, a name, a number, a
// keyword, or a reference "N G R". At most data.size(); an unclosed value ends there.
size_t ValueEnd(std::string_view data, size_t start);

// The position of the first byte at or after `at` that is neither blank nor part of a comment.
size_t SkipBlanksAndComments(std::string_view data, size_t at);

// The keyword `word` stands at `at` as a whole word.
bool KeywordAt(std::string_view data, size_t at, std::string_view word);

}  // namespace folivo
