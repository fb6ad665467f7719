// The document's font list: one FontRecord per resource name of the whole document (encoding,
// differences, widths, box, Type3 mark). It serves the lists, the protection's new resource name
// and the writer; the interpreter reads fonts by object instead (InterpreterFontReader.cpp) and
// falls back to this list by name.
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "core/CharsetTables.h"
#include "document/FontStyle.h"
#include "document/PdfDocument.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/Names.h"
#include "model/TextStrings.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

bool Contains(std::string_view name, std::string_view part) { return name.find(part) != std::string_view::npos; }

}  // namespace

uint8_t StyleOfBaseFont(std::string_view name)
{
    uint8_t style = 0;
    if (Contains(name, "Bold") || Contains(name, "Black") || Contains(name, "Heavy") || Contains(name, "Semibold"))
        style |= StyleBold;
    if (Contains(name, "Italic") || Contains(name, "Oblique")) style |= StyleItalic;
    if (Contains(name, "Courier") || Contains(name, "Mono") || Contains(name, "Consolas")) {
        style |= StyleFixedPitch;
    } else if (!Contains(name, "Sans") &&
               (Contains(name, "Times") || Contains(name, "Serif") || Contains(name, "Roman") ||
                Contains(name, "Georgia") || Contains(name, "Garamond") || Contains(name, "Palatino") ||
                Contains(name, "Bookman") || Contains(name, "Cambria") || Contains(name, "Century") ||
                Contains(name, "Minion") || Contains(name, "CMR") || Contains(name, "LMRoman"))) {
        style |= StyleSerif;
    }
    return style;
}

uint8_t WithFlagsStyle(uint8_t style, int64_t flags)
{
    if (flags & 2) style |= StyleSerif;
    if (flags & 64) style |= StyleItalic;
    if (flags & (1 << 18)) style |= StyleBold;
    if (flags & 1) style = static_cast<uint8_t>((style | StyleFixedPitch) & ~StyleSerif);
    return style;
}

namespace {


// An entry "/Key N G R": its value names another object.
bool EntryValueIsReference(const TokenList& tokens) { return tokens.size() >= 4 && tokens[3] == "R"; }

// Stores one /Widths value at the next slot; a value that does not convert leaves its slot
// unset and the next value goes to the next slot.
void StoreWidth(FontRecord& font, uint32_t& slot, const std::string& token)
{
    if (slot >= 256) return;
    if (const auto width = NumberText(token)) {
        font.widths[slot] = *width;
        font.widthPresent[slot] = 1;
    }
    ++slot;
}

}  // namespace

void PdfDocument::ReadFontList()
{
    std::unordered_set<std::string> names;
    for (uint32_t i = 0; i < fonts.Count(); ++i) names.insert(std::string(fonts.At(i)->resourceName.View()));
    ReadPagesResourceDictionaries(
        &PageRecord::hasFonts, &PageRecord::fontDictionaryPosition, &PageRecord::fontsFirstKey,
        [&](int32_t pageIndex, const TDynaArray<DictEntry>& entries, uint32_t) {
            for (uint32_t i = 0; i < entries.Count(); ++i) {
                const DictEntry& entry = *entries.At(i);
                const std::string& key = (*entry.tokens)[0];
                if (!names.insert(key).second) continue;
                FontRecord* font = fonts.Append();
                font->pageIndex = static_cast<uint32_t>(pageIndex);
                font->encoding = PDFDocEncoding;
                font->boxWidth = 1.0;
                font->boxHeight = 1.0;
                font->resourceName = MakeText(key);
                if (const auto position = LocateValue(entry)) font->dictionaryPosition = static_cast<uint32_t>(*position);
            }
        });
}

void PdfDocument::ReadFontDictionaries()
{
    fonts.First();
    while (fonts.FetchNext()) {
        FontRecord& font = *currentFont;
        fileBuffer.position = static_cast<int32_t>(font.dictionaryPosition);
        ParseDictionary();
        for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
            const DictEntry& entry = *DictEntryList->At(i);
            const TokenList& tokens = *entry.tokens;
            if (tokens.size() < 2) continue;
            if (IsKey(tokens, "/Subtype")) {
                font.isType3 = tokens[1] == "/Type3";
            } else if (IsKey(tokens, "/FirstChar")) {
                font.firstChar = static_cast<uint32_t>(std::max(IntegerOrZero(tokens[1]), 0));
            } else if (IsKey(tokens, "/Widths")) {
                ReadWidths(font, tokens);
            } else if (IsKey(tokens, "/FontDescriptor")) {
                if (const auto position = LocateValue(entry)) {
                    font.descriptorPosition = *position;
                    font.hasDescriptor = 1;
                }
            } else if (IsKey(tokens, "/FontBBox") && tokens[1] == "[" && tokens.size() >= 6) {
                const auto x1 = NumberText(tokens[2]), y1 = NumberText(tokens[3]);
                const auto x2 = NumberText(tokens[4]), y2 = NumberText(tokens[5]);
                if (y1 && y2) {
                    font.boxHeight = *y2 - *y1;
                    if (x1 && x2) font.boxWidth = *x2 - *x1;
                }
            } else if (IsKey(tokens, "/BaseFont")) {
                font.style |= StyleOfBaseFont(NameBytes(tokens[1]));
            } else if (IsKey(tokens, "/FontMatrix") && tokens[1] == "[" && tokens.size() >= 6) {
                const auto a = NumberText(tokens[2]), d = NumberText(tokens[5]);
                if (a && d && std::isfinite(*a) && std::isfinite(*d)) {
                    font.fontMatrixX = *a;
                    font.fontMatrixY = *d;
                    font.hasFontMatrix = 1;
                }
            } else if (IsKey(tokens, "/Encoding")) {
                if (!EntryValueIsReference(tokens)) {
                    static const char* const names[] = {"/StandardEncoding", "/MacRomanEncoding", "/WinAnsiEncoding",
                                                        "/PDFDocEncoding"};
                    for (int32_t e = 0; e < EncodingCount; ++e) {
                        if (tokens[1] == names[e]) font.encoding = e;
                    }
                } else if (const auto position = LocateValue(entry)) {
                    font.encodingDictionaryPosition = *position;
                    font.hasEncodingDictionary = 1;
                }
            }
        }
        ReleaseDictionary();
    }
}

void PdfDocument::ReadWidths(FontRecord& font, const TokenList& tokens)
{
    uint32_t slot = 0;
    if (!EntryValueIsReference(tokens)) {
        if (tokens.size() < 4 || tokens[1] != "[") return;
        for (size_t i = 2; i + 1 < tokens.size(); ++i) StoreWidth(font, slot, tokens[i]);
        return;
    }
    const auto number = IntegerText(tokens[1]);
    auto cursor = number ? objects.CursorAtObject(*number) : std::nullopt;
    if (cursor && ReadToken(*cursor) == "[") {
        while (cursor->position < cursor->size) {
            const std::string token = ReadToken(*cursor);
            if (token == "]") break;
            StoreWidth(font, slot, token);
        }
    }
}

void PdfDocument::ReadFontDescriptors()
{
    fonts.First();
    while (fonts.FetchNext()) {
        FontRecord& font = *currentFont;
        if (!font.hasDescriptor) continue;
        fileBuffer.position = font.descriptorPosition;
        ParseDictionary();
        for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
            const TokenList& tokens = *DictEntryList->At(i)->tokens;
            if (tokens.size() < 2) continue;
            if (IsKey(tokens, "/Flags")) {
                font.style = WithFlagsStyle(font.style, IntegerOrZero(tokens[1]));
            } else if (IsKey(tokens, "/FontWeight")) {
                if (IntegerOrZero(tokens[1]) >= 600) font.style |= StyleBold;
            }
            if (!IsKey(tokens, "/CharSet")) continue;
            font.hasCharSet = 1;
            ReleaseText(font.charSetText);
            font.charSetText = MakeText(tokens[1]);
            font.charSetCount = 0;
            const std::string names = StripParentheses(tokens[1]);
            size_t start = 0;
            while (start <= names.size() && font.charSetCount < 256) {
                size_t slash = names.find('/', start);
                if (slash == std::string::npos) slash = names.size();
                const std::string_view name(names.data() + start, slash - start);
                if (!name.empty()) {
                    const auto row = FindByName(NameBytes(name));
                    font.charSetCodes[font.charSetCount++] = row && row->winAnsiCode ? *row->winAnsiCode : 32;
                }
                start = slash + 1;
            }
        }
        ReleaseDictionary();
    }
}

void PdfDocument::ReadEncodingDictionaries()
{
    fonts.First();
    while (fonts.FetchNext()) {
        FontRecord& font = *currentFont;
        if (!font.hasEncodingDictionary) continue;
        fileBuffer.position = font.encodingDictionaryPosition;
        ParseDictionary();
        for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
            const TokenList& tokens = *DictEntryList->At(i)->tokens;
            if (!IsKey(tokens, "/Differences") || tokens.size() < 4 || tokens[1] != "[") continue;
            int64_t code = 0;
            for (size_t t = 2; t + 1 < tokens.size(); ++t) {
                const std::string& token = tokens[t];
                if (!token.empty() && token[0] == '/') {
                    const auto row = FindByName(NameBytes(token));
                    if (row && row->winAnsiCode && code >= 0 && code <= 255) {
                        font.differences[code] = *row->winAnsiCode;
                        font.differencePresent[code] = 1;
                    }
                    ++code;
                } else if (const auto number = IntegerText(token)) {
                    code = *number;
                }
            }
        }
        ReleaseDictionary();
    }
}

}  // namespace folivo
