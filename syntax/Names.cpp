#include "syntax/Names.h"

#include <algorithm>
#include <functional>

#include "core/HexDigits.h"
#include "syntax/SyntaxTypes.h"

namespace folivo {

namespace {

bool IsDelimiter(char c) { return std::string_view("()<>[]{}/%").find(c) != std::string_view::npos; }

// Bytes that cannot stand bare in a written name.
bool NeedsEscape(unsigned char byte)
{
    return byte < 0x21 || byte > 0x7E || byte == '#' || IsDelimiter(static_cast<char>(byte));
}

// Calls take(byte) for each byte that the name's text (after its slash) stands for.
template <typename Take>
void DecodeName(std::string_view text, Take take)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '#' && i + 2 < text.size()) {
            const int high = HexDigitValue(text[i + 1]), low = HexDigitValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                take(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        take(text[i]);
    }
}

}  // namespace

std::string CanonicalName(std::string_view token)
{
    if (token.empty() || token[0] != '/') return std::string(token);
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string name = "/";
    name.reserve(token.size());
    DecodeName(token.substr(1), [&name](char c) {
        const auto byte = static_cast<unsigned char>(c);
        if (NeedsEscape(byte)) {
            name += '#';
            name += Digits[byte >> 4];
            name += Digits[byte & 15];
        } else {
            name += c;
        }
    });
    return name;
}

std::string NameBytes(std::string_view token)
{
    if (!token.empty() && token[0] == '/') token.remove_prefix(1);
    if (token.find('#') == std::string_view::npos) return std::string(token);
    std::string bytes;
    bytes.reserve(token.size());
    DecodeName(token, [&bytes](char c) { bytes += c; });
    return bytes;
}

std::string ReadableName(std::string_view token)
{
    if (token.empty() || token[0] != '/' || token.find('#') == std::string_view::npos) return std::string(token);
    return "/" + NameBytes(token);
}

bool MayMentionName(std::string_view data, std::string_view name)
{
    if (std::search(data.begin(), data.end(), std::boyer_moore_horspool_searcher(name.begin(), name.end())) != data.end())
        return true;
    // Spelled with escapes, the name has a "#" within the longest spelling of its bytes after
    // its slash: each "#" is looked back from once, and each name forward from once.
    const std::string wanted = NameBytes(name);
    const size_t window = 3 * wanted.size();
    const auto regular = [](char c) { return !IsWhiteSpace(c) && !IsDelimiter(c); };
    size_t looked = 0;  // bytes before this were passed by an earlier look back
    for (size_t hash = data.find('#'); hash != std::string_view::npos; hash = data.find('#', hash + 1)) {
        size_t start = hash;
        while (start > looked && hash - start < window && regular(data[start - 1])) --start;
        looked = hash + 1;
        if (start == 0 || data[start - 1] != '/') continue;
        size_t end = start;
        while (end < data.size() && end - start < window && regular(data[end])) ++end;
        if (NameBytes(data.substr(start, end - start)).starts_with(wanted)) return true;
    }
    return false;
}

}  // namespace folivo
