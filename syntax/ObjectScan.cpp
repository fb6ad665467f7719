#include "syntax/ObjectScan.h"

#include "syntax/SyntaxTypes.h"

namespace folivo {

namespace {

bool IsDelimiter(char c) { return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' || c == '/' || c == '%'; }
bool EndsWord(char c) { return IsWhiteSpace(c) || IsDelimiter(c); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The digits that end just before `end`, at most ten; their start, or `end` when none.
size_t DigitsBefore(std::string_view file, size_t end)
{
    size_t start = end;
    while (start > 0 && end - start < 10 && IsDigit(file[start - 1])) --start;
    return start;
}

int64_t Value(std::string_view digits)
{
    int64_t value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

}  // namespace

std::vector<int64_t> FindKeyword(std::string_view file, std::string_view word)
{
    std::vector<int64_t> found;
    for (size_t at = file.find(word); at != std::string_view::npos; at = file.find(word, at + 1)) {
        const bool alone = (at == 0 || EndsWord(file[at - 1])) &&
                           (at + word.size() == file.size() || EndsWord(file[at + word.size()]));
        if (alone) found.push_back(static_cast<int64_t>(at));
    }
    return found;
}

std::vector<FoundObject> ScanObjectHeaders(std::string_view file)
{
    std::vector<FoundObject> objects;
    for (const int64_t keyword : FindKeyword(file, "obj")) {
        // Backwards: blanks, the generation, blanks, the number, and a word boundary.
        size_t at = static_cast<size_t>(keyword);
        const size_t generationEnd = at;
        while (at > 0 && IsWhiteSpace(file[at - 1])) --at;
        if (at == generationEnd) continue;
        const size_t generationStart = DigitsBefore(file, at);
        if (generationStart == at) continue;
        const std::string_view generation = file.substr(generationStart, at - generationStart);
        at = generationStart;
        const size_t numberEnd = at;
        while (at > 0 && IsWhiteSpace(file[at - 1])) --at;
        if (at == numberEnd) continue;
        const size_t numberStart = DigitsBefore(file, at);
        if (numberStart == at || (numberStart > 0 && !EndsWord(file[numberStart - 1]))) continue;
        const int64_t number = Value(file.substr(numberStart, at - numberStart));
        const int64_t generationValue = Value(generation);
        if (number > INT32_MAX || generationValue > 65535) continue;
        objects.push_back({static_cast<int32_t>(number), static_cast<int32_t>(generationValue),
                           static_cast<int64_t>(numberStart)});
    }
    return objects;
}

}  // namespace folivo
