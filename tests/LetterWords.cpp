#include "tests/LetterWords.h"

#include "core/Windows1252.h"

namespace folivo::test {

namespace {

// The folded Latin-1 letter, or 0 for a character that is no letter.
char FoldedLetter(char32_t c)
{
    if (c >= U'a' && c <= U'z') return static_cast<char>(c);
    if (c >= U'A' && c <= U'Z') return static_cast<char>(c - U'A' + U'a');
    if (c < 0xC0 || c > 0xFF || c == 0xD7 || c == 0xF7) return 0;
    // 0xDF (sharp s) has no capital in Latin-1; 0xC0 ... 0xDE are the capitals of 0xE0 ... 0xFE.
    const char32_t lower = c < 0xDF ? c + 0x20 : c;
    return static_cast<char>(static_cast<unsigned char>(lower));
}

}  // namespace

std::string FoldedLetters(std::string_view utf8)
{
    std::string letters;
    for (char32_t c : Utf8ToCodePoints(utf8)) {
        if (const char letter = FoldedLetter(c)) letters += letter;
    }
    return letters;
}

std::vector<std::string> LetterWords(std::string_view utf8, size_t minLetters)
{
    std::vector<std::string> words;
    std::string word;
    auto finish = [&] {
        if (word.size() >= minLetters) words.push_back(word);
        word.clear();
    };
    for (char32_t c : Utf8ToCodePoints(utf8)) {
        if (const char letter = FoldedLetter(c)) {
            word += letter;
        } else {
            finish();
        }
    }
    finish();
    return words;
}

}  // namespace folivo::test
