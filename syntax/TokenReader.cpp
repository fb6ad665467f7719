#include "syntax/TokenReader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

#include "core/HexDigits.h"
#include "syntax/Names.h"

namespace folivo {
namespace {

constexpr uint8_t kLineFeed = 10;
constexpr uint8_t kCarriageReturn = 13;
constexpr uint8_t kSpace = 32;
constexpr uint8_t kGraveAccent = 96;
// Stands in for a byte that has been consumed into the token and must not end it.
constexpr uint8_t kConsumedByte = 'a';

// Character classes, looked up once per byte in the hot loops.
enum CharClass : uint8_t { Regular = 0, LineEnd = 1, Blank = 2, Delimiter = 4, StepByStep = 8 };

constexpr std::array<uint8_t, 256> MakeClasses()
{
    std::array<uint8_t, 256> classes{};
    classes[kLineFeed] = LineEnd | Blank | Delimiter;
    classes[kCarriageReturn] = LineEnd | Blank | Delimiter;
    classes[kSpace] = Blank | Delimiter;
    for (char c : {'(', ')', '[', ']', '/', '<', '>'}) classes[static_cast<uint8_t>(c)] = Delimiter;
    // An escape outside strings, and a name's "#", are taken byte by byte.
    classes['\\'] = StepByStep;
    classes['#'] = StepByStep;
    return classes;
}
constexpr std::array<uint8_t, 256> Classes = MakeClasses();

inline bool IsLineEnd(uint8_t ch) { return Classes[ch] & LineEnd; }
inline bool IsBlank(uint8_t ch) { return Classes[ch] & Blank; }
// Bytes that end a token outside a string.
inline bool EndsToken(uint8_t ch) { return Classes[ch] & Delimiter; }
// Bytes that end a run of bytes appended at once outside strings.
inline bool EndsRun(uint8_t ch) { return Classes[ch] & (Delimiter | StepByStep); }

bool IsStringSpecial(uint8_t ch) { return ch == '(' || ch == ')' || ch == '\\'; }

bool IsOnly(const std::string& text, char ch) { return text.size() == 1 && text[0] == ch; }

// A buffer without data has no bytes, whatever its size field says.
int32_t DataSize(const FileBuffer& buffer) { return buffer.data && buffer.size > 0 ? buffer.size : 0; }

// The byte at a position, with the substitutes past the end; a position before the start
// reads as a blank so that nothing ever touches memory in front of the buffer.
uint8_t ByteAt(const FileBuffer& buffer, int32_t size, int64_t position)
{
    if (position < 0) return kCarriageReturn;
    if (position < size) return buffer.data[position];
    return ((position - size) & 1) ? kGraveAccent : kCarriageReturn;
}

int32_t ToPosition(int64_t position)
{
    return static_cast<int32_t>(std::clamp<int64_t>(position, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Line operations work on real bytes only, so they start from a position inside the data.
int32_t LinePosition(const FileBuffer& buffer, int32_t size) { return std::clamp(buffer.position, 0, size); }

int32_t SkipLineAt(const FileBuffer& buffer, int32_t size, int32_t position)
{
    while (position < size && !IsLineEnd(buffer.data[position])) ++position;
    while (position < size && IsLineEnd(buffer.data[position])) ++position;
    return position;
}

// Out of line, so that reading tokens without escapes stays as it was.
[[gnu::noinline, gnu::cold]] void TakeCanonicalForm(std::string& name) { name = CanonicalName(name); }

// Accepts one leading "+", which std::from_chars does not, but nothing else before the digits.
std::string_view StripPlus(std::string_view text)
{
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
    return text;
}

}  // namespace

uint8_t ReadByte(FileBuffer& buffer)
{
    const uint8_t ch = ByteAt(buffer, DataSize(buffer), buffer.position);
    if (buffer.position < std::numeric_limits<int32_t>::max()) ++buffer.position;
    return ch;
}

std::string ReadToken(FileBuffer& buffer)
{
    const int32_t size = DataSize(buffer);
    // 64 bits so that a position near the top of the 32-bit range cannot overflow mid-token.
    int64_t position = buffer.position;
    std::string token;

    // Most tokens are plain runs of regular bytes ended by a blank: they are taken in one step,
    // exactly as the byte steps below would take them.
    if (position >= 0 && position < size && !EndsToken(buffer.data[position]) && buffer.data[position] != '\\') {
        int64_t end = position + 1;
        while (end < size && !EndsToken(buffer.data[end]) && buffer.data[end] != '\\') ++end;
        if (end < size && IsBlank(buffer.data[end])) {
            token.assign(reinterpret_cast<const char*>(buffer.data) + position, static_cast<size_t>(end - position));
            position = end;
            while (IsBlank(ByteAt(buffer, size, position))) ++position;
            buffer.position = ToPosition(position);
            return token;
        }
    }

    bool inString = false;
    bool escapePending = false;
    // A "#" outside strings: the token, when a name, takes its canonical form.
    bool hash = false;
    // Unescaped parentheses inside a literal string nest; only the outermost ")" closes it.
    int64_t depth = 0;
    uint8_t ch = 0;

    for (;;) {
        ch = ByteAt(buffer, size, position++);
        // A byte outside strings and escapes: the delimiter rules below decide where it goes.
        bool delimiterRulesApply = true;
        bool closesString = false;

        if (escapePending) {
            escapePending = false;
            if (inString) {
                // Every escape stays as written, so that a token can be written out again;
                // an escaped parenthesis neither ends the string nor counts for nesting.
                token.push_back('\\');
                token.push_back(static_cast<char>(ch));
                delimiterRulesApply = false;
            } else {
                token.push_back('\\');
            }
        } else if (ch == '\\') {
            escapePending = true;
            ch = kConsumedByte;
            delimiterRulesApply = false;
        } else if (inString) {
            token.push_back(static_cast<char>(ch));
            if (ch == '(') {
                ++depth;
            } else if (ch == ')') {
                closesString = --depth == 0;
            }
            delimiterRulesApply = false;
        }

        if (delimiterRulesApply) {
            bool append = true;
            if (IsBlank(ch)) {
                append = false;
            } else if (ch == '[' || ch == ']' || ch == '/') {
                append = token.empty();
            } else if (ch == '<') {
                append = token.empty() || IsOnly(token, '<');
            } else if (ch == '>') {
                append = token.empty() || IsOnly(token, '>');
            } else if (ch == '(') {
                append = token.empty();
                if (append) {
                    inString = true;
                    depth = 1;
                }
            } else if (ch == '#') {
                hash = true;
            }
            if (append) {
                token.push_back(static_cast<char>(ch));
                if (token.size() == 2 && token[0] == '>' && token[1] == '>') {
                    ch = kSpace;
                    break;
                }
                // The ">" that closes a hex string is a token of its own even when an operator
                // follows without a blank, as in "<4142>Tj".
                if (IsOnly(token, '>') && ByteAt(buffer, size, position) != '>') {
                    ch = kSpace;
                    break;
                }
                ch = kConsumedByte;
            }
        }

        if (inString) {
            if (closesString) break;
        } else if (EndsToken(ch) || IsOnly(token, '[') || IsOnly(token, ']')) {
            break;
        }
        if (position > size) break;

        // Runs of bytes that the steps above would append one by one go in one append.
        if (!escapePending && position >= 0 && position < size && (inString || ch == kConsumedByte)) {
            int64_t end = position;
            if (inString) {
                while (end < size && !IsStringSpecial(buffer.data[end])) ++end;
            } else {
                while (end < size && !EndsRun(buffer.data[end])) ++end;
            }
            token.append(reinterpret_cast<const char*>(buffer.data) + position, static_cast<size_t>(end - position));
            position = end;
        }
    }

    // The delimiter that ended the token starts the next one.
    if (!IsOnly(token, '[') && !IsOnly(token, ']') && !IsBlank(ch) && ch != ')') --position;

    // Blanks after the token belong to it; everything before the data reads as blank.
    if (position < 0) position = 0;
    while (IsBlank(ByteAt(buffer, size, position))) ++position;

    // A name with escapes takes its canonical form, so that every name compares as a string.
    // Names start with "/" and so never take the quick way at the top.
    if (hash && token[0] == '/') [[unlikely]]
        TakeCanonicalForm(token);

    buffer.position = ToPosition(position);
    return token;
}

int32_t ReadTokenAsInteger(FileBuffer& buffer) { return IntegerOrZero(ReadToken(buffer)); }

std::string ReadLine(FileBuffer& buffer)
{
    const int32_t size = DataSize(buffer);
    const int32_t start = LinePosition(buffer, size);
    int32_t end = start;
    while (end < size && !IsLineEnd(buffer.data[end])) ++end;
    std::string line;
    if (end > start) line.assign(reinterpret_cast<const char*>(buffer.data) + start, end - start);
    buffer.position = SkipLineAt(buffer, size, end);
    return line;
}

int32_t ReadLineAsInteger(FileBuffer& buffer)
{
    // Producers leave blanks around the offset after "startxref"; they do not make it another
    // number.
    const std::string line = ReadLine(buffer);
    std::string_view text(line);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return IntegerOrZero(text);
}

void SkipLine(FileBuffer& buffer)
{
    const int32_t size = DataSize(buffer);
    buffer.position = SkipLineAt(buffer, size, LinePosition(buffer, size));
}

void BackToPreviousLine(FileBuffer& buffer)
{
    const int32_t size = DataSize(buffer);
    int32_t position = LinePosition(buffer, size);
    while (position > 0 && IsLineEnd(buffer.data[position - 1])) --position;
    while (position > 0 && !IsLineEnd(buffer.data[position - 1])) --position;
    buffer.position = position;
}

bool PreviousByteIsLineEnd(const FileBuffer& buffer)
{
    const int32_t size = DataSize(buffer);
    return buffer.position > 0 && buffer.position <= size && IsLineEnd(buffer.data[buffer.position - 1]);
}

std::string HexStringBytes(std::string_view digits)
{
    std::string bytes;
    int high = -1;
    for (char c : digits) {
        const int value = HexDigitValue(c);
        if (value < 0) continue;
        if (high < 0) {
            high = value;
        } else {
            bytes += static_cast<char>(high * 16 + value);
            high = -1;
        }
    }
    if (high >= 0) bytes += static_cast<char>(high * 16);
    return bytes;
}

std::string DecodeStringEscapes(std::string_view text)
{
    enum class State { Normal, Escape, Octal2, Octal3 };
    State state = State::Normal;
    int value = 0;
    std::string result;
    result.reserve(text.size());

    for (const char c : text) {
        const bool octalDigit = c >= '0' && c <= '7';
        switch (state) {
        case State::Normal:
            if (c == '\\') {
                state = State::Escape;
            } else {
                result.push_back(c);
            }
            break;
        case State::Escape:
            state = State::Normal;
            switch (c) {
            case '\\':
            case '(':
            case ')': result.push_back(c); break;
            case 'n': result.push_back('\n'); break;
            case 'r': result.push_back('\r'); break;
            case 't': result.push_back('\t'); break;
            case 'b': result.push_back('\b'); break;
            case 'f': result.push_back('\f'); break;
            default:
                if (octalDigit) {
                    value = (c - '0') * 64;
                    state = State::Octal2;
                }
                break;
            }
            break;
        case State::Octal2:
            state = State::Normal;
            if (octalDigit) {
                value += (c - '0') * 8;
                state = State::Octal3;
            }
            break;
        case State::Octal3:
            state = State::Normal;
            if (octalDigit) result.push_back(static_cast<char>((value + (c - '0')) % 256));
            break;
        }
    }
    return result;
}

std::optional<double> NumberText(std::string_view text)
{
    text = StripPlus(text);
    // from_chars also knows "inf" and "nan"; a number here starts with a digit or the point.
    const size_t first = !text.empty() && text[0] == '-' ? 1 : 0;
    if (first >= text.size()) return std::nullopt;
    const char lead = text[first];
    if (lead != '.' && (lead < '0' || lead > '9')) return std::nullopt;

    // Content streams are mostly short plain decimals: up to 15 digits make an exact integer
    // and a power of ten up to 1e15 is exact too, so the one division rounds as from_chars does.
    if (text.size() - first <= 16) {
        static constexpr double Powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        uint64_t digits = 0;
        size_t count = 0, point = 0;
        bool plain = true, hasPoint = false;
        for (size_t i = first; i < text.size(); ++i) {
            const char c = text[i];
            if (c >= '0' && c <= '9') {
                digits = digits * 10 + static_cast<uint64_t>(c - '0');
                ++count;
            } else if (c == '.' && !hasPoint) {
                hasPoint = true;
                point = count;
            } else {
                plain = false;
                break;
            }
        }
        if (plain && count > 0 && count <= 15) {
            const double magnitude = static_cast<double>(digits) / Powers[hasPoint ? count - point : 0];
            return first ? -magnitude : magnitude;
        }
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<int32_t> IntegerText(std::string_view text)
{
    text = StripPlus(text);
    if (text.empty()) return std::nullopt;
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace folivo
