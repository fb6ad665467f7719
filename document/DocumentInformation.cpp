// The document information dictionary into the information fields.
#include <array>
#include <tuple>

#include "core/ResourceLimits.h"
#include "document/PdfDocument.h"
#include "model/TextStrings.h"
#include "model/XmpMetadata.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {


bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool IsValidDate(const CivilDate& date)
{
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date.year < 1 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1) return false;
    const int inMonth = days[static_cast<size_t>(date.month - 1)] + (date.month == 2 && IsLeapYear(date.year) ? 1 : 0);
    return date.day <= inMonth;
}

bool IsValidTime(const CivilTime& time)
{
    return time.hour >= 0 && time.hour < 24 && time.minute >= 0 && time.minute < 60 && time.second >= 0 &&
           time.second < 60;
}

// A text field cannot hold zero characters; producers append them as C string ends.
std::string InformationText(std::string_view bytes)
{
    std::string text = PdfTextToUtf8(bytes);
    std::erase(text, '\0');
    return text;
}

// A date of the information dictionary: set and remembered as read, so that saving writes it
// back unchanged unless the user edits it.
void ReadDate(const std::string& text, CivilDate& date, CivilTime& time, bool& present, InfoDateAsRead& asRead)
{
    if (!ApplyPdfDate(text, date, time)) return;
    present = true;
    asRead = {date, time, text};
}

// An XMP date may stop at the day or the minute: the date text gets the fields it lacks (the
// first month and day, zero hours, minutes and seconds) in front of its zone.
std::string CompletedPdfDate(const std::string& text)
{
    static const std::string Start = "D:19700101000000";
    size_t digits = 2;
    while (digits < text.size() && digits < Start.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits < 6 || digits == Start.size()) return text;
    return text.substr(0, digits) + Start.substr(digits) + text.substr(digits);
}

}  // namespace

bool ApplyPdfDate(std::string_view text, CivilDate& date, CivilTime& time)
{
    if (text.size() < 3 || text.substr(0, 2) != "D:") return false;
    text.remove_prefix(2);
    static constexpr std::array<size_t, 6> widths = {4, 2, 2, 2, 2, 2};
    std::array<std::string_view, 6> parts;
    for (size_t i = 0; i < widths.size(); ++i) {
        if (text.size() < widths[i]) return false;
        parts[i] = text.substr(0, widths[i]);
        text.remove_prefix(widths[i]);
    }
    std::array<int, 6> values{};
    for (size_t i = 0; i < parts.size(); ++i) {
        const auto value = IntegerText(parts[i]);
        if (!value) return false;
        values[i] = *value;
    }
    const CivilDate newDate{values[0], values[1], values[2]};
    if (!IsValidDate(newDate)) return false;
    date = newDate;
    const CivilTime newTime{values[3], values[4], values[5]};
    if (IsValidTime(newTime)) time = newTime;
    return true;
}

std::string PdfDocument::ReadStringValue(const TokenList& tokens)
{
    // An indirect string: read its tokens at the object.
    if (tokens.size() >= 4 && tokens[3] == "R") {
        const auto number = IntegerText(tokens[1]);
        auto cursor = number ? objects.CursorAtObject(*number) : std::nullopt;
        if (!cursor) return {};
        TokenList value{tokens[0], ReadToken(*cursor)};
        if (value[1].size() > 0 && value[1][0] == '<' && value[1] != "<<") {
            for (int guard = 0; guard < 4096 && cursor->position < cursor->size; ++guard) {
                value.push_back(ReadToken(*cursor));
                if (value.back() == ">") break;
            }
        }
        return StringValueBytes(value, 1);
    }
    return StringValueBytes(tokens, 1);
}

void PdfDocument::ReadDocumentInformation()
{
    if (InfoEntries) {
        ReleaseEntries(*InfoEntries);
        delete InfoEntries;
        InfoEntries = nullptr;
    }
    if (!GotoObject(infoReference.objectNumber)) return;
    ParseDictionary();
    InfoSources& sources = info.sources;
    const std::tuple<const char*, std::string*, InfoSource*> textFields[] = {
        {"/Producer", &info.producer, &sources.producer}, {"/Creator", &info.creator, &sources.creator},
        {"/Author", &info.author, &sources.author},       {"/Title", &info.title, &sources.title},
        {"/Subject", &info.subject, &sources.subject},    {"/Keywords", &info.keywords, &sources.keywords},
    };
    for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
        const TokenList& tokens = *DictEntryList->At(i)->tokens;
        if (tokens.size() < 2) continue;
        for (const auto& [key, field, source] : textFields) {
            if (tokens[0] != key) continue;
            *field = InformationText(ReadStringValue(tokens));
            *source = field->empty() ? InfoSource::None : InfoSource::Dictionary;
        }
        if (tokens[0] == "/CreationDate") {
            ReadDate(InformationText(ReadStringValue(tokens)), info.createdDate, info.createdTime, info.createdPresent,
                     info.createdAsRead);
            if (info.createdPresent) sources.created = InfoSource::Dictionary;
        } else if (tokens[0] == "/ModDate") {
            ReadDate(InformationText(ReadStringValue(tokens)), info.modifiedDate, info.modifiedTime,
                     info.modifiedPresent, info.modifiedAsRead);
            if (info.modifiedPresent) sources.modified = InfoSource::Dictionary;
        }
    }
    InfoEntries = TakeDictionary();
}

void PdfDocument::ReadMetadata()
{
    if (auto cursor = objects.CursorAtObject(rootReference.objectNumber); cursor && ReadToken(*cursor) == "<<")
        catalogDictionaryPosition = cursor->position - 2;

    const TokenList catalog = objects.ObjectTokens(rootReference.objectNumber);
    catalogHasExtensions = ValueIndex(catalog, 0, "/Extensions") != 0;
    const auto number = ReferenceAt(catalog, ValueIndex(catalog, 0, "/Metadata"));
    if (!number || !objects.InUse(*number)) return;
    metadataReference = {*number, XrefTable[static_cast<size_t>(*number)].generation, true};
    metadataPacket = objects.DecodedStream(*number, MaxMetadataBytes).value;
    const auto xmp = metadataPacket ? ReadXmpInformation(*metadataPacket) : std::nullopt;
    if (!xmp) {
        ui_.AddMemoLine("Die XMP-Metadaten des Dokuments konnten nicht gelesen werden.");
        return;
    }
    FillFromMetadata(*xmp);
}

void PdfDocument::FillFromMetadata(const XmpInformation& xmp)
{
    InfoSources& sources = info.sources;
    const std::tuple<const std::optional<std::string>*, std::string*, InfoSource*> textFields[] = {
        {&xmp.producer, &info.producer, &sources.producer}, {&xmp.creator, &info.creator, &sources.creator},
        {&xmp.author, &info.author, &sources.author},       {&xmp.title, &info.title, &sources.title},
        {&xmp.subject, &info.subject, &sources.subject},    {&xmp.keywords, &info.keywords, &sources.keywords},
    };
    for (const auto& [value, field, source] : textFields) {
        if (!field->empty() || !*value || (*value)->empty()) continue;
        *field = **value;  // UTF-8 already
        std::erase(*field, '\0');
        *source = InfoSource::Xmp;
    }
    if (!info.createdPresent && xmp.created) {
        ReadDate(CompletedPdfDate(*xmp.created), info.createdDate, info.createdTime, info.createdPresent,
                 info.createdAsRead);
        if (info.createdPresent) sources.created = InfoSource::Xmp;
    }
    if (!info.modifiedPresent && xmp.modified) {
        ReadDate(CompletedPdfDate(*xmp.modified), info.modifiedDate, info.modifiedTime, info.modifiedPresent,
                 info.modifiedAsRead);
        if (info.modifiedPresent) sources.modified = InfoSource::Xmp;
    }
}

}  // namespace folivo
