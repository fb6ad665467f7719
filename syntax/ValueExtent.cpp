#include "syntax/ValueExtent.h"

#include <string>

#include "syntax/SyntaxTypes.h"

namespace folivo {

namespace {

bool IsDelimiterByte(char c) { return std::string_view("()<>[]{}/%").find(c) != std::string_view::npos; }

bool EndsWord(char c) { return IsWhiteSpace(c) || IsDelimiterByte(c); }

// After a literal string's "(": past its balancing ")".
size_t LiteralStringEnd(std::string_view data, size_t at)
{
    size_t depth = 1;
    while (at < data.size() && depth > 0) {
        const char c = data[at++];
        if (c == '\\') ++at;
        else if (c == '(') ++depth;
        else if (c == ')') --depth;
    }
    return std::min(at, data.size());
}

// A name, number or keyword: the run of bytes up to the next blank or delimiter.
size_t WordEnd(std::string_view data, size_t at)
{
    while (at < data.size() && !EndsWord(data[at])) ++at;
    return at;
}

bool IsUnsignedInteger(std::string_view word)
{
    return !word.empty() && word.find_first_not_of("0123456789") == std::string_view::npos;
}

// One token from `at` (no blanks in front): its end.
size_t TokenEnd(std::string_view data, size_t at)
{
    const char c = data[at];
    if (c == '(') return LiteralStringEnd(data, at + 1);
    if (c == '<' && at + 1 < data.size() && data[at + 1] == '<') return at + 2;
    if (c == '>' && at + 1 < data.size() && data[at + 1] == '>') return at + 2;
    if (c == '<') {
        const size_t close = data.find('>', at + 1);
        return close == std::string_view::npos ? data.size() : close + 1;
    }
    if (c == '/') return WordEnd(data, at + 1);
    if (IsDelimiterByte(c)) return at + 1;
    return WordEnd(data, at);
}

}  // namespace

size_t SkipBlanksAndComments(std::string_view data, size_t at)
{
    while (at < data.size()) {
        if (IsWhiteSpace(data[at])) {
            ++at;
        } else if (data[at] == '%') {
            const size_t lineEnd = data.find_first_of("\r\n", at);
            at = lineEnd == std::string_view::npos ? data.size() : lineEnd;
        } else {
            break;
        }
    }
    return at;
}

bool KeywordAt(std::string_view data, size_t at, std::string_view word)
{
    return at <= data.size() && data.substr(at, word.size()) == word &&
           (at + word.size() == data.size() || EndsWord(data[at + word.size()]));
}

size_t ValueEnd(std::string_view data, size_t start)
{
    size_t at = SkipBlanksAndComments(data, start);
    if (at >= data.size()) return data.size();
    // Dictionaries and arrays: tokens until the depth returns to zero.
    if (data.substr(at, 2) == "<<" || data[at] == '[') {
        size_t depth = 0;
        while (at < data.size()) {
            at = SkipBlanksAndComments(data, at);
            if (at >= data.size()) break;
            const size_t end = TokenEnd(data, at);
            const std::string_view token = data.substr(at, end - at);
            if (token == "<<" || token == "[") ++depth;
            else if ((token == ">>" || token == "]") && depth > 0) --depth;
            at = end;
            if (depth == 0) return at;
        }
        return data.size();
    }
    const size_t end = TokenEnd(data, at);
    // "N G R" is one value.
    if (IsUnsignedInteger(data.substr(at, end - at))) {
        const size_t second = SkipBlanksAndComments(data, end);
        const size_t secondEnd = second < data.size() ? TokenEnd(data, second) : second;
        const size_t keyword = SkipBlanksAndComments(data, secondEnd);
        if (second < data.size() && IsUnsignedInteger(data.substr(second, secondEnd - second)) && KeywordAt(data, keyword, "R"))
            return keyword + 1;
    }
    return end;
}

}  // namespace folivo
