// Text reduced to its letters, for comparing the text the reader finds on a page with what
// another tool extracts: letters are the ASCII letters and those of Latin-1 (U+00C0 to U+00FF
// without the multiplication and division signs), lower-cased, one Latin-1 byte each. Every
// other character separates words.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace folivo::test {

// The letters of UTF-8 text, folded, everything else dropped.
std::string FoldedLetters(std::string_view utf8);

// The folded words of UTF-8 text that have at least minLetters letters.
std::vector<std::string> LetterWords(std::string_view utf8, size_t minLetters);

}  // namespace folivo::test
