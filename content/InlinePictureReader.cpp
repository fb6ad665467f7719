// Inline pictures in page content: where their data end, and their placement as items.
#include <algorithm>
#include <optional>
#include <string_view>

#include "content/ContentInterpreter.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

// Whether the bytes after an "EI" at `at` read as page content again (operators, numbers, names),
// as they do after the real end of an inline picture's data.
bool ContentFollows(const FileBuffer& content, int32_t at)
{
    const int32_t end = std::min(content.size, at + 32);
    for (int32_t i = at; i < end; ++i) {
        const uint8_t byte = content.data[i];
        if (byte > 126 || (byte < 32 && !IsWhiteSpace(static_cast<char>(byte)))) return false;
    }
    return true;
}

bool IsEndOfInlineData(const FileBuffer& content, int32_t at)
{
    return at > 0 && at + 1 < content.size && content.data[at] == 'E' && content.data[at + 1] == 'I' &&
           IsWhiteSpace(static_cast<char>(content.data[at - 1])) &&
           (at + 2 == content.size || IsWhiteSpace(static_cast<char>(content.data[at + 2])) || content.data[at + 2] == '%') &&
           ContentFollows(content, at + 2);
}

// The byte count of an unfiltered inline picture's data, when its dictionary tells it.
std::optional<int64_t> UnfilteredLength(const TokenList& dictionary)
{
    int64_t width = 0, height = 0, bits = 8, components = 0;
    bool filtered = false, stencil = false;
    for (size_t i = 0; i + 1 < dictionary.size(); ++i) {
        const std::string& key = dictionary[i];
        const std::string& value = dictionary[i + 1];
        if (key == "/W" || key == "/Width") width = IntegerOrZero(value);
        else if (key == "/H" || key == "/Height") height = IntegerOrZero(value);
        else if (key == "/BPC" || key == "/BitsPerComponent") bits = IntegerOrZero(value);
        else if (key == "/F" || key == "/Filter") filtered = value != "[" || (i + 2 < dictionary.size() && dictionary[i + 2] != "]");
        else if (key == "/IM" || key == "/ImageMask") stencil = value == "true";
        else if (key == "/CS" || key == "/ColorSpace") {
            if (value == "/G" || value == "/DeviceGray" || value == "/I" || value == "/Indexed" || value == "[") components = 1;
            if (value == "/RGB" || value == "/DeviceRGB") components = 3;
            if (value == "/CMYK" || value == "/DeviceCMYK") components = 4;
            if (value == "[" && i + 2 < dictionary.size() && dictionary[i + 2] != "/I" && dictionary[i + 2] != "/Indexed") components = 0;
        }
    }
    if (stencil) bits = 1, components = 1;
    if (filtered || components == 0 || width <= 0 || height <= 0 || bits <= 0 || bits > 16 || width > (1 << 24) || height > (1 << 24))
        return std::nullopt;
    return (width * components * bits + 7) / 8 * height;
}

}  // namespace

std::optional<InlinePicture> ReadInlinePictureData(FileBuffer& content)
{
    InlinePicture picture;
    TokenList& dictionary = picture.dictionary;
    bool found = false;
    while (content.position < content.size) {
        std::string token = ReadToken(content);
        if (token == "ID") {
            found = true;
            break;
        }
        if (dictionary.size() < 1024) dictionary.push_back(std::move(token));
    }
    if (!found) return std::nullopt;
    // The token reader has stepped over the white space after ID; the data start one byte
    // after the keyword itself.
    int32_t start = content.position;
    while (start >= 2 && !(content.data[start - 2] == 'I' && content.data[start - 1] == 'D')) --start;
    start = std::min(start + 1, content.size);

    int32_t end = -1;
    if (const auto length = UnfilteredLength(dictionary); length && *length <= content.size - start) {
        end = start + static_cast<int32_t>(*length);
        int32_t at = end;
        while (at < content.size && IsWhiteSpace(static_cast<char>(content.data[at]))) ++at;
        if (!(at + 1 < content.size && content.data[at] == 'E' && content.data[at + 1] == 'I')) end = -1;
        else content.position = at + 2;
    }
    if (end < 0) {
        // Data that may hold "EI" themselves end at the first one that content follows.
        int32_t at = start;
        while (at < content.size && !IsEndOfInlineData(content, at)) ++at;
        end = at < content.size ? at - 1 : content.size;
        content.position = std::min(content.size, at + 2);
    }
    if (end > start)
        picture.data = std::string_view(reinterpret_cast<const char*>(content.data) + start, static_cast<size_t>(end - start));
    return picture;
}

void ContentInterpreter::ReadInlinePicture(FileBuffer& content)
{
    operands_.Clear();
    const std::optional<InlinePicture> picture = ReadInlinePictureData(content);
    if (!picture || !sources_.inlinePicture || picture->data.empty()) return;
    const std::optional<int32_t> index = sources_.inlinePicture(picture->dictionary, picture->data);
    if (!ItemAllowed()) return;
    PageItem* item = AppendPlacedItem();
    item->IsImage = 1;
    item->IsInline = 1;
    item->ImageIndex = index.value_or(-1);
}

}  // namespace folivo
