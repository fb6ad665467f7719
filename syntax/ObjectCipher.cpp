#include "syntax/ObjectCipher.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "syntax/Names.h"
#include "syntax/StreamData.h"
#include "syntax/SyntaxTypes.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

bool IsRegular(char c) { return !IsWhiteSpace(c) && std::strchr("()<>[]{}/%", c) == nullptr; }

size_t RegularEnd(std::string_view text, size_t at)
{
    while (at < text.size() && IsRegular(text[at])) ++at;
    return at;
}

size_t BlanksEnd(std::string_view text, size_t at)
{
    while (at < text.size() && IsWhiteSpace(text[at])) ++at;
    return at;
}

// Past the ")" that closes the literal string opening at `at`; nested parentheses pair up and a
// backslash escapes the byte after it.
size_t LiteralEnd(std::string_view text, size_t at)
{
    int depth = 0;
    for (size_t i = at; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == '(') {
            ++depth;
        } else if (text[i] == ')' && --depth == 0) {
            return i + 1;
        }
    }
    return text.size();
}

struct Span {
    size_t start;
    size_t end;
};

// What converting needs to know of an object's value.
struct ValueScan {
    std::vector<Span> strings;
    // The value of the stream dictionary's /Length: a number, or "N G R".
    std::optional<Span> length;
    std::optional<int64_t> directLength;
    // Just after the first "<<".
    std::optional<size_t> dictionaryStart;
    // Where the keyword "stream" or "endobj" begins, or the text's end.
    size_t end = 0;
    bool stream = false;
};

// The value of a /Length key whose name ends at `at`.
void ScanLength(std::string_view text, size_t at, ValueScan& scan)
{
    const size_t number = BlanksEnd(text, at);
    const size_t numberEnd = RegularEnd(text, number);
    if (numberEnd == number) return;
    const size_t generation = BlanksEnd(text, numberEnd);
    const size_t generationEnd = RegularEnd(text, generation);
    const size_t keyword = BlanksEnd(text, generationEnd);
    if (generationEnd > generation && RegularEnd(text, keyword) == keyword + 1 && text[keyword] == 'R' &&
        IntegerText(text.substr(generation, generationEnd - generation))) {
        scan.length = Span{number, keyword + 1};
        return;
    }
    scan.length = Span{number, numberEnd};
    if (const auto value = IntegerText(text.substr(number, numberEnd - number)); value && *value >= 0)
        scan.directLength = *value;
}

ValueScan ScanValue(std::string_view text, size_t at)
{
    ValueScan scan;
    int depth = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '%') {
            at = text.find_first_of("\r\n", at);
            if (at == std::string_view::npos) break;
        } else if (c == '(') {
            const size_t end = LiteralEnd(text, at);
            scan.strings.push_back({at, end});
            at = end;
        } else if (c == '<' && at + 1 < text.size() && text[at + 1] == '<') {
            ++depth;
            at += 2;
            if (!scan.dictionaryStart) scan.dictionaryStart = at;
        } else if (c == '<') {
            const size_t close = text.find('>', at);
            const size_t end = close == std::string_view::npos ? text.size() : close + 1;
            scan.strings.push_back({at, end});
            at = end;
        } else if (c == '>' && at + 1 < text.size() && text[at + 1] == '>') {
            --depth;
            at += 2;
        } else if (c == '/') {
            const size_t end = RegularEnd(text, at + 1);
            const std::string_view name = text.substr(at, end - at);
            // The key in any spelling: an escaped one left alone would become a second /Length.
            const bool length = name == "/Length" || (name.find('#') != std::string_view::npos && CanonicalName(name) == "/Length");
            if (depth == 1 && !scan.length && length) ScanLength(text, end, scan);
            at = end;
        } else if (IsRegular(c)) {
            const size_t end = RegularEnd(text, at);
            const std::string_view word = text.substr(at, end - at);
            if (word == "stream" || word == "endobj") {
                scan.end = at;
                scan.stream = word == "stream";
                return scan;
            }
            at = end;
        } else {
            ++at;
        }
    }
    scan.end = text.size();
    return scan;
}

std::string StringBytes(std::string_view token)
{
    if (token.front() == '(') {
        const bool closed = token.size() >= 2 && token.back() == ')';
        return DecodeStringEscapes(token.substr(1, token.size() - (closed ? 2 : 1)));
    }
    return HexStringBytes(token);
}

// Where a stream's data lies: by the given length or a direct /Length when "endstream" follows
// there, else up to "endstream" without the line end in front of it.
Span DataSpan(std::string_view text, size_t keyword, std::optional<int64_t> dataLength, std::optional<int64_t> directLength)
{
    const auto start = static_cast<size_t>(StreamDataStart(text, static_cast<int64_t>(keyword)));
    for (const auto& length : {dataLength, directLength}) {
        if (length && *length >= 0 && static_cast<uint64_t>(*length) <= text.size() - std::min(start, text.size()) &&
            EndstreamFollows(text, static_cast<int64_t>(start) + *length))
            return {start, start + static_cast<size_t>(*length)};
    }
    if (start >= text.size()) return {text.size(), text.size()};
    size_t end = text.find("endstream", start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start && text[end - 1] == '\n') --end;
    if (end > start && text[end - 1] == '\r') --end;
    return {start, end};
}

}  // namespace

ConvertedObject ConvertObject(std::string_view text, std::optional<int64_t> dataLength, const ByteConverter& strings,
                              const ByteConverter& data)
{
    ConvertedObject converted;
    const size_t header = text.find("obj");
    const ValueScan scan = ScanValue(text, header == std::string_view::npos ? 0 : header + 3);

    std::optional<std::string> newData;
    Span dataSpan{scan.end, scan.end};
    if (scan.stream) {
        dataSpan = DataSpan(text, scan.end, dataLength, scan.directLength);
        newData = data(text.substr(dataSpan.start, dataSpan.end - dataSpan.start));
        if (!newData) {
            converted.rejectedData = true;
            newData.emplace();
        }
    }

    // Replacements in file order: the strings, the /Length value, the data.
    struct Replacement {
        Span span;
        std::string text;
    };
    std::vector<Replacement> replacements;
    for (const Span& string : scan.strings) {
        auto bytes = strings(StringBytes(text.substr(string.start, string.end - string.start)));
        if (!bytes) ++converted.rejectedStrings;
        replacements.push_back({string, HexStringText(bytes ? *bytes : std::string())});
    }
    if (newData) {
        const std::string length = std::to_string(newData->size());
        if (scan.length) {
            replacements.push_back({*scan.length, length});
        } else if (scan.dictionaryStart) {
            // A stream without /Length gets one, so that it is read by length like any other.
            replacements.push_back({{*scan.dictionaryStart, *scan.dictionaryStart}, " /Length " + length + " "});
        }
        replacements.push_back({dataSpan, std::move(*newData)});
    }
    // An insertion goes in front of a string that starts where it does.
    std::sort(replacements.begin(), replacements.end(), [](const Replacement& a, const Replacement& b) {
        return a.span.start != b.span.start ? a.span.start < b.span.start : a.span.end < b.span.end;
    });

    std::string& out = converted.text;
    out.reserve(text.size() + 64);
    size_t at = 0;
    for (const Replacement& replacement : replacements) {
        if (replacement.span.start >= at) out.append(text.substr(at, replacement.span.start - at));
        out += replacement.text;
        at = std::max(at, replacement.span.end);
    }
    out.append(text.substr(at));
    return converted;
}

std::string HexStringText(std::string_view bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "<";
    text.reserve(bytes.size() * 2 + 2);
    for (const char c : bytes) {
        text += digits[static_cast<uint8_t>(c) >> 4];
        text += digits[static_cast<uint8_t>(c) & 15];
    }
    return text + ">";
}

}  // namespace folivo
