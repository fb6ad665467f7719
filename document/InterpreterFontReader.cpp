// Fonts for the interpreter: a name is looked up in the resources of the page or of the form
// that uses it, and each font dictionary becomes a TextFont once per reading (encoding,
// differences, /ToUnicode, widths, and for Type0 fonts the CMap and the CID widths).
#include <algorithm>
#include <cmath>

#include "core/CharsetTables.h"
#include "core/GlyphList.h"
#include "core/ResourceLimits.h"
#include "core/Windows1252.h"
#include "document/FontStyle.h"
#include "document/PdfDocument.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/FilterChain.h"
#include "syntax/Names.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {


std::string EncodingName(int32_t encoding)
{
    static const char* const names[] = {"/StandardEncoding", "/MacRomanEncoding", "/WinAnsiEncoding", "/PDFDocEncoding"};
    return names[encoding];
}

std::optional<int32_t> EncodingOfName(const std::string& name)
{
    for (int32_t e = 0; e < EncodingCount; ++e) {
        if (name == EncodingName(e)) return e;
    }
    return std::nullopt;
}

// A differences name's characters: its WinAnsi character where the Latin set knows the name
// (as the font list reads it), else what the glyph list says; empty for an unknown name.
std::string DifferenceCharacters(std::string_view name)
{
    if (const auto row = FindByName(name); row && row->winAnsiCode) {
        std::string text;
        AppendUtf8(text, UnicodeOfWindows1252(*row->winAnsiCode));
        return text;
    }
    return GlyphNameText(name);
}

}  // namespace

std::shared_ptr<const CMap> PdfDocument::ReadCMap(const TokenList& tokens, size_t at)
{
    const auto number = ReferenceAt(tokens, at);
    if (!number) return nullptr;  // a name or anything that is not a stream
    if (const auto known = cmaps_.find(*number); known != cmaps_.end()) return known->second;
    std::shared_ptr<const CMap> map;
    if (const auto text = objects.DecodedStream(*number, MaxCMapBytes)) {
        map = std::make_shared<const CMap>(CMap::Parse(*text, DocumentCMapEntryLimit - cmapEntries_));
        cmapEntries_ += map->Entries();
        if (map->Truncated() && cmapEntries_ >= DocumentCMapEntryLimit && !cmapsCut_) {
            cmapsCut_ = true;
            ui_.AddMemoLine("Einträge von Zeichenzuordnungen (CMap) über der Grenze von " +
                            std::to_string(DocumentCMapEntryLimit) + " je Dokument übersprungen.");
        }
    }
    return cmaps_.emplace(*number, std::move(map)).first->second;
}

std::shared_ptr<const TextFont> PdfDocument::ResolveTextFont(uint32_t pageNumber, const std::string& name, int32_t scope)
{
    const auto number = ResourceNamed(pageNumber, "/Font", name, scope);
    if (!number) return nullptr;
    auto loaded = textFonts_.find(*number);
    if (loaded != textFonts_.end()) return loaded->second;
    // Fonts take some kilobytes each: past this many a reading reads further ones each time.
    if (textFonts_.size() >= MaxTextFonts) return LoadTextFont(*number);
    return textFonts_.emplace(*number, LoadTextFont(*number)).first->second;
}

std::shared_ptr<const TextFont> PdfDocument::LoadTextFont(int32_t number)
{
    const TokenList dictionary = objects.ObjectTokens(number);
    if (dictionary.empty() || dictionary[0] != "<<") return nullptr;
    auto font = std::make_shared<TextFont>();
    font->objectNumber = number;
    const size_t subtype = ValueIndex(dictionary, 0, "/Subtype");
    font->isType3 = subtype != 0 && dictionary[subtype] == "/Type3";
    font->composite = subtype != 0 && dictionary[subtype] == "/Type0";
    if (const size_t base = ValueIndex(dictionary, 0, "/BaseFont")) font->style = StyleOfBaseFont(NameBytes(dictionary[base]));

    TokenList descriptorOwner = dictionary;
    if (font->composite) {
        const TokenList descendants = objects.ValueTokens(dictionary, ValueIndex(dictionary, 0, "/DescendantFonts"));
        const auto descendant = ReferenceAt(descendants, 1);
        descriptorOwner = descendant ? objects.ObjectTokens(*descendant) : objects.ValueTokens(descendants, 1);
        if (!descriptorOwner.empty() && descriptorOwner[0] == "<<") {
            if (const size_t dw = ValueIndex(descriptorOwner, 0, "/DW")) {
                const auto width = NumberText(descriptorOwner[dw]);
                if (width && std::isfinite(*width)) font->cidWidths.defaultWidth = *width;
            }
            font->cidWidths.Read(InnerArray(objects.ValueTokens(descriptorOwner, ValueIndex(descriptorOwner, 0, "/W")), 0));
        }
        ReadCompositeEncoding(*font, dictionary);
    } else {
        ReadSimpleFontWidths(*font, dictionary);
        ReadSimpleEncoding(*font, dictionary);
    }
    ReadFontStyle(*font, descriptorOwner);

    const size_t toUnicode = ValueIndex(dictionary, 0, "/ToUnicode");
    if (const auto map = ReadCMap(dictionary, toUnicode); map && map->HasText()) {
        if (font->composite) {
            font->toUnicode = map;
        } else {
            for (uint32_t code = 0; code < 256; ++code) {
                // A code mapped to nothing keeps its encoding's characters: a single-byte glyph
                // is drawn on its own.
                auto text = map->Text(code);
                if (text && !text->empty()) font->characters[code] = std::move(*text);
            }
        }
    }
    return font;
}

void PdfDocument::ReadSimpleFontWidths(TextFont& font, const TokenList& dictionary)
{
    if (const size_t first = ValueIndex(dictionary, 0, "/FirstChar"))
        font.firstChar = static_cast<uint32_t>(std::max(IntegerOrZero(dictionary[first]), 0));
    uint32_t slot = 0;
    for (const std::string& token : InnerArray(objects.ValueTokens(dictionary, ValueIndex(dictionary, 0, "/Widths")), 0)) {
        if (slot >= 256) break;
        // A value that does not convert leaves its slot unset; the next goes to the next slot.
        if (const auto width = NumberText(token); width && std::isfinite(*width)) {
            font.widths[slot] = *width;
            font.widthPresent[slot] = 1;
        }
        ++slot;
    }
    double box[4];
    if (NumbersAt(dictionary, ValueIndex(dictionary, 0, "/FontBBox"), box, 4) && std::isfinite(box[3] - box[1]))
        font.boxHeight = box[3] - box[1];
    double matrix[6] = {0, 0, 0, 0, 0, 0};
    const size_t matrixAt = ValueIndex(dictionary, 0, "/FontMatrix");
    if (font.isType3 && NumbersAt(dictionary, matrixAt, matrix, 4) && std::isfinite(matrix[0]) && std::isfinite(matrix[3])) {
        font.glyphScaleX = std::fabs(matrix[0]);
        font.glyphScaleY = std::fabs(matrix[3]);
        font.fontMatrix = {font.glyphScaleX, 0, 0, font.glyphScaleY, 0, 0};
        if (NumbersAt(dictionary, matrixAt, matrix, 6) && std::all_of(matrix, matrix + 6, [](double v) { return std::isfinite(v); }))
            std::copy(matrix, matrix + 6, font.fontMatrix.begin());
    }
}

void PdfDocument::ReadSimpleEncoding(TextFont& font, const TokenList& dictionary)
{
    int32_t encoding = PDFDocEncoding;
    TokenList differences;
    const TokenList value = objects.ValueTokens(dictionary, ValueIndex(dictionary, 0, "/Encoding"));
    if (value.size() == 1) {
        encoding = EncodingOfName(value[0]).value_or(encoding);
    } else if (!value.empty() && value[0] == "<<") {
        if (const size_t base = ValueIndex(value, 0, "/BaseEncoding")) encoding = EncodingOfName(value[base]).value_or(encoding);
        differences = InnerArray(objects.ValueTokens(value, ValueIndex(value, 0, "/Differences")), 0);
    }
    for (int code = 0; code < 256; ++code) font.characters[code] = CharactersOfCode(static_cast<uint8_t>(code), encoding);
    int64_t code = 0;
    for (const std::string& token : differences) {
        if (!token.empty() && token[0] == '/') {
            if (code >= 0 && code <= 255) {
                std::string text = DifferenceCharacters(NameBytes(token));
                if (!text.empty()) font.characters[static_cast<size_t>(code)] = std::move(text);
            }
            ++code;
        } else if (const auto number = IntegerText(token)) {
            code = *number;
        }
    }
}

void PdfDocument::ReadCompositeEncoding(TextFont& font, const TokenList& dictionary)
{
    const size_t at = ValueIndex(dictionary, 0, "/Encoding");
    if (at == 0) return;
    const std::string& name = dictionary[at];
    if (name.find("UCS2") != std::string::npos || name.find("UTF16") != std::string::npos) {
        font.unicodeCodes = true;
    } else if (const auto map = ReadCMap(dictionary, at); map && map->HasCodeSpace()) {
        font.encoding = map;
    }
}

void PdfDocument::ReadFontStyle(TextFont& font, const TokenList& owner)
{
    if (owner.empty() || owner[0] != "<<") return;
    if (const size_t base = ValueIndex(owner, 0, "/BaseFont")) font.style |= StyleOfBaseFont(NameBytes(owner[base]));
    const TokenList descriptor = objects.ValueTokens(owner, ValueIndex(owner, 0, "/FontDescriptor"));
    if (descriptor.empty() || descriptor[0] != "<<") return;
    if (const size_t flags = ValueIndex(descriptor, 0, "/Flags")) font.style = WithFlagsStyle(font.style, IntegerOrZero(descriptor[flags]));
    if (const size_t weight = ValueIndex(descriptor, 0, "/FontWeight"); weight && IntegerOrZero(descriptor[weight]) >= 600)
        font.style |= StyleBold;
}

}  // namespace folivo
