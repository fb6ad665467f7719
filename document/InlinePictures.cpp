// Pictures written into page content between BI and EI: their abbreviated dictionary is
// spelled out and their data decoded as a picture object's would be.
#include <algorithm>

#include "core/ResourceLimits.h"
#include "document/PdfDocument.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {


std::string FullName(const std::string& name)
{
    static const std::pair<const char*, const char*> names[] = {
        {"/BPC", "/BitsPerComponent"}, {"/CS", "/ColorSpace"},       {"/D", "/Decode"},
        {"/DP", "/DecodeParms"},        {"/F", "/Filter"},            {"/H", "/Height"},
        {"/IM", "/ImageMask"},          {"/W", "/Width"},             {"/L", "/Length"},
        {"/G", "/DeviceGray"},          {"/RGB", "/DeviceRGB"},       {"/CMYK", "/DeviceCMYK"},
        {"/AHx", "/ASCIIHexDecode"},    {"/A85", "/ASCII85Decode"},   {"/LZW", "/LZWDecode"},
        {"/Fl", "/FlateDecode"},        {"/RL", "/RunLengthDecode"},  {"/CCF", "/CCITTFaxDecode"},
        {"/DCT", "/DCTDecode"},
    };
    for (const auto& [shortName, longName] : names) {
        if (name == shortName) return longName;
    }
    return name;
}

// The entries of an inline dictionary, each its key and value tokens, names spelled out; /I is
// /Indexed in a colour space and /Interpolate as a key.
std::vector<TokenList> InlineEntries(const TokenList& dictionary)
{
    std::vector<TokenList> entries;
    for (size_t i = 0; i < dictionary.size();) {
        const std::string& key = dictionary[i++];
        if (key.empty() || key[0] != '/') continue;
        TokenList entry{key == "/I" ? "/Interpolate" : FullName(key)};
        int depth = 0;
        while (i < dictionary.size()) {
            const std::string& token = dictionary[i];
            if (depth == 0 && entry.size() > 1) break;
            if (token == "[" || token == "<<") ++depth;
            else if (token == "]" || token == ">>") --depth;
            entry.push_back(token == "/I" ? "/Indexed" : FullName(token));
            ++i;
        }
        if (entry.size() > 1) entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

std::optional<int32_t> PdfDocument::DecodeInlinePicture(const TokenList& dictionary, std::string_view data)
{
    std::string key;
    for (const std::string& token : dictionary) key += token + ' ';
    key += '\n';
    key.append(data);
    if (const auto known = inlineIndex_.find(key); known != inlineIndex_.end()) return known->second;

    const std::vector<TokenList> entries = InlineEntries(dictionary);
    auto number = [&](const char* name) {
        const TokenList* entry = FindEntry(entries, name);
        return entry ? IntegerOrZero((*entry)[1]) : 0;
    };
    ImageObject picture{};
    picture.isImage = 1;
    picture.width = number("/Width");
    picture.height = number("/Height");
    picture.bitsPerComponent = number("/BitsPerComponent");
    const TokenList* mask = FindEntry(entries, "/ImageMask");
    picture.stencil = mask && (*mask)[1] == "true";
    picture.length = static_cast<int32_t>(std::min<size_t>(data.size(), INT32_MAX));
    std::optional<int32_t> index;
    const FileBuffer saved = fileBuffer;
    const int64_t pixels = int64_t{std::max(picture.width, 0)} * std::max(picture.height, 0);
    const bool admitted = picture.width > 0 && picture.height > 0 && inlinePixelBytes_ + pixels * 4 <= InlinePixelLimit;
    codecAccount_ = {static_cast<uint64_t>(std::max<int64_t>(InlinePixelLimit - inlinePixelBytes_, 0)), 0, false};
    if (admitted &&
        DecodePictureData(picture, std::string(data), entries, 1000000 + static_cast<int32_t>(inlinePictures.Count()), false)) {
        inlinePixelBytes_ += std::max(int64_t{picture.image.bytesPerRow} * picture.image.height,
                                      static_cast<int64_t>(codecAccount_.charged));
        index = static_cast<int32_t>(inlinePictures.Count());
        *inlinePictures.Append() = picture;
    } else {
        inlinePixelBytes_ += static_cast<int64_t>(codecAccount_.charged);
        deldib(picture.image);
        deldib(picture.mask);
    }
    codecAccount_ = {};
    fileBuffer = saved;
    inlineIndex_.emplace(std::move(key), index);
    return index;
}

}  // namespace folivo
