#include "model/XmpMetadata.h"

#include <exempi/xmp.h>
#include <exempi/xmpconsts.h>

#include <algorithm>
#include <array>
#include <memory>
#include <type_traits>

namespace folivo {

namespace {

// ---- Exempi handles ----

struct XmpFree {
    void operator()(XmpPtr xmp) const { xmp_free(xmp); }
};
struct XmpStringFree {
    void operator()(XmpStringPtr text) const { xmp_string_free(text); }
};
struct XmpIteratorFree {
    void operator()(XmpIteratorPtr iterator) const { xmp_iterator_free(iterator); }
};
using XmpHandle = std::unique_ptr<std::remove_pointer_t<XmpPtr>, XmpFree>;
using XmpStringHandle = std::unique_ptr<std::remove_pointer_t<XmpStringPtr>, XmpStringFree>;
using XmpIteratorHandle = std::unique_ptr<std::remove_pointer_t<XmpIteratorPtr>, XmpIteratorFree>;

constexpr char DefaultLanguage[] = "x-default";
// Room for later edits in place, as a writable packet is expected to have.
constexpr uint32_t PacketPadding = 2048;

bool ExempiReady()
{
    static const bool ready = xmp_init();
    return ready;
}

XmpStringHandle NewXmpString()
{
    return XmpStringHandle(xmp_string_new());
}

// The parsed packet; an empty (or blank) text gives an empty packet. None when Exempi refuses it.
XmpHandle ParsedPacket(std::string_view packet)
{
    if (!ExempiReady()) return nullptr;
    XmpHandle xmp(xmp_new_empty());
    if (!xmp) return nullptr;
    const bool blank = packet.find_first_not_of(" \t\r\n") == std::string_view::npos;
    if (!blank && !xmp_parse(xmp.get(), packet.data(), packet.size())) return nullptr;
    return xmp;
}

std::optional<std::string> NonEmpty(const char* text)
{
    if (text == nullptr || *text == '\0') return std::nullopt;
    return std::string(text);
}

std::optional<std::string> SimpleProperty(XmpPtr xmp, const char* schema, const char* name)
{
    XmpStringHandle value = NewXmpString();
    if (!xmp_get_property(xmp, schema, name, value.get(), nullptr)) return std::nullopt;
    return NonEmpty(xmp_string_cstr(value.get()));
}

// Exempi itself falls back from the asked language to x-default and then to the first item.
std::optional<std::string> LocalizedProperty(XmpPtr xmp, const char* name)
{
    XmpStringHandle value = NewXmpString();
    if (!xmp_get_localized_text(xmp, NS_DC, name, "", DefaultLanguage, nullptr, value.get(), nullptr))
        return std::nullopt;
    return NonEmpty(xmp_string_cstr(value.get()));
}

std::vector<std::string> ArrayItems(XmpPtr xmp, const char* schema, const char* name)
{
    std::vector<std::string> items;
    XmpIteratorHandle iterator(xmp_iterator_new(
        xmp, schema, name, static_cast<XmpIterOptions>(XMP_ITER_JUSTCHILDREN | XMP_ITER_OMITQUALIFIERS)));
    if (!iterator) return items;
    XmpStringHandle value = NewXmpString();
    while (xmp_iterator_next(iterator.get(), nullptr, nullptr, value.get(), nullptr)) {
        if (auto item = NonEmpty(xmp_string_cstr(value.get()))) items.push_back(std::move(*item));
    }
    return items;
}

std::optional<std::string> DateProperty(XmpPtr xmp, const char* name)
{
    const auto text = SimpleProperty(xmp, NS_XAP, name);
    return text ? XmpDateToPdf(*text) : std::nullopt;
}

void SetOrDelete(XmpPtr xmp, const char* schema, const char* name, const std::string& value)
{
    if (value.empty())
        xmp_delete_property(xmp, schema, name);
    else
        xmp_set_property(xmp, schema, name, value.c_str(), 0);
}

// Only the x-default entry is written; Exempi also carries the new text into any language entry
// that repeated the old x-default text.
void SetOrDeleteLocalized(XmpPtr xmp, const char* name, const std::string& value)
{
    if (value.empty())
        xmp_delete_property(xmp, NS_DC, name);
    else
        xmp_set_localized_text(xmp, NS_DC, name, "", DefaultLanguage, value.c_str(), 0);
}

void ReplaceCreators(XmpPtr xmp, const std::string& author)
{
    xmp_delete_property(xmp, NS_DC, "creator");
    for (const std::string& name : SplitAuthors(author))
        xmp_append_array_item(xmp, NS_DC, "creator", XMP_PROP_ARRAY_IS_ORDERED, name.c_str(), 0);
}

// A date the information dictionary lacks, or states unreadably, must not survive in the packet.
void SetOrDeleteDate(XmpPtr xmp, const char* name, const std::optional<std::string>& pdfDate)
{
    const auto xmpDate = pdfDate ? PdfDateToXmp(*pdfDate) : std::nullopt;
    if (xmpDate)
        xmp_set_property(xmp, NS_XAP, name, xmpDate->c_str(), 0);
    else
        xmp_delete_property(xmp, NS_XAP, name);
}

std::optional<std::string> SerializedPacket(XmpPtr xmp)
{
    XmpStringHandle out = NewXmpString();
    // No option bits: UTF-8, with the packet wrapper, writable (end="w").
    if (!xmp_serialize_and_format(xmp, out.get(), XMP_SERIAL_ENCODEUTF8, PacketPadding, "\n", " ", 0))
        return std::nullopt;
    return std::string(xmp_string_cstr(out.get()), xmp_string_len(out.get()));
}

// ---- Author lists ----

constexpr std::string_view Blanks = " \t\r\n";
constexpr std::array<std::string_view, 3> FinalConnectors = {" and ", " und ", " & "};

std::string_view Trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(Blanks) - first + 1);
}

std::vector<std::string_view> SplitAt(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
        parts.push_back(Trimmed(text.substr(start, at - start)));
        start = at + 1;
    }
    parts.push_back(Trimmed(text.substr(start)));
    std::erase_if(parts, [](std::string_view part) { return part.empty(); });
    return parts;
}

// A name of its own has at least two words; "Berg" or "Anna" alone are halves of "Berg, Anna".
bool IsFullName(std::string_view part)
{
    return part.find_first_of(Blanks) != std::string_view::npos;
}

// "Carl Dorn und Eva Falk" as two names, when both halves are names of their own;
// "and Eva Falk" (after a serial comma) as "Eva Falk".
std::vector<std::string_view> SplitFinalConnector(std::string_view part)
{
    for (std::string_view connector : FinalConnectors) {
        const std::string_view leading = connector.substr(1);
        if (part.starts_with(leading)) return {Trimmed(part.substr(leading.size()))};
        const size_t at = part.rfind(connector);
        if (at == std::string_view::npos) continue;
        const std::string_view before = Trimmed(part.substr(0, at));
        const std::string_view after = Trimmed(part.substr(at + connector.size()));
        if (IsFullName(before) && IsFullName(after)) return {before, after};
    }
    return {part};
}

std::vector<std::string> AsStrings(const std::vector<std::string_view>& parts)
{
    return std::vector<std::string>(parts.begin(), parts.end());
}

// ---- Dates ----

struct DigitReader {
    std::string_view text;
    size_t at = 0;

    bool AtEnd() const { return at >= text.size(); }
    bool Accept(char expected)
    {
        if (AtEnd() || text[at] != expected) return false;
        ++at;
        return true;
    }
    bool NextIsDigit() const { return !AtEnd() && text[at] >= '0' && text[at] <= '9'; }
    // A number of exactly `count` digits within [low, high].
    std::optional<int> Number(size_t count, int low, int high)
    {
        if (at + count > text.size()) return std::nullopt;
        int value = 0;
        for (size_t i = 0; i < count; ++i, ++at) {
            if (!NextIsDigit()) return std::nullopt;
            value = value * 10 + (text[at] - '0');
        }
        if (value < low || value > high) return std::nullopt;
        return value;
    }
};

// The parts of a date as far as it states them; a zone only with a time.
struct DateParts {
    int year = 0;
    std::optional<int> month, day, hour, minute, second;
    std::optional<char> zoneSign;  // 'Z', '+' or '-'
    int zoneHours = 0, zoneMinutes = 0;
};

int DaysInMonth(int year, int month)
{
    static constexpr std::array<int, 12> DaysPerMonth = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : DaysPerMonth[month - 1];
}

bool DayFits(const DateParts& date)
{
    return !date.day || *date.day <= DaysInMonth(date.year, *date.month);
}

std::string TwoDigits(int value)
{
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

std::string FourDigits(int value)
{
    return TwoDigits(value / 100) + TwoDigits(value % 100);
}

// "Z", or "+hh'mm'" (also with "-") of which the apostrophes and the minutes may be missing;
// some writers put "Z00'00'".
bool ReadPdfZone(DigitReader& reader, DateParts& date)
{
    if (reader.AtEnd()) return true;
    if (reader.Accept('Z')) {
        date.zoneSign = 'Z';
        if (reader.AtEnd()) return true;
        const bool zeroOffset = reader.Number(2, 0, 0) && reader.Accept('\'') && reader.Number(2, 0, 0);
        reader.Accept('\'');
        return zeroOffset && reader.AtEnd();
    }
    const char sign = reader.text[reader.at];
    if (!reader.Accept('+') && !reader.Accept('-')) return false;
    const auto hours = reader.Number(2, 0, 23);
    if (!hours) return false;
    date.zoneSign = sign;
    date.zoneHours = *hours;
    reader.Accept('\'');
    if (reader.NextIsDigit()) {
        const auto minutes = reader.Number(2, 0, 59);
        if (!minutes) return false;
        date.zoneMinutes = *minutes;
        reader.Accept('\'');
    }
    return reader.AtEnd();
}

std::optional<DateParts> ParsePdfDate(std::string_view text)
{
    DigitReader reader{text};
    DateParts date;
    if (!reader.Accept('D') || !reader.Accept(':')) return std::nullopt;
    const auto year = reader.Number(4, 0, 9999);
    if (!year) return std::nullopt;
    date.year = *year;
    // Each later part is optional, but only after the one before it.
    const std::array<std::pair<std::optional<int>*, std::pair<int, int>>, 5> parts = {{
        {&date.month, {1, 12}}, {&date.day, {1, 31}}, {&date.hour, {0, 23}}, {&date.minute, {0, 59}}, {&date.second, {0, 59}}}};
    for (const auto& [part, range] : parts) {
        if (!reader.NextIsDigit()) break;
        *part = reader.Number(2, range.first, range.second);
        if (!*part) return std::nullopt;
    }
    if (!DayFits(date) || !ReadPdfZone(reader, date)) return std::nullopt;
    if (!date.hour) date.zoneSign.reset();  // an XMP date without a time has no zone
    return date;
}

bool ReadXmpZone(DigitReader& reader, DateParts& date)
{
    if (reader.AtEnd()) return true;
    if (reader.Accept('Z')) {
        date.zoneSign = 'Z';
        return reader.AtEnd();
    }
    const char sign = reader.text[reader.at];
    if (!reader.Accept('+') && !reader.Accept('-')) return false;
    const auto hours = reader.Number(2, 0, 23);
    const auto minutes = hours && reader.Accept(':') ? reader.Number(2, 0, 59) : std::nullopt;
    if (!minutes) return false;
    date.zoneSign = sign;
    date.zoneHours = *hours;
    date.zoneMinutes = *minutes;
    return reader.AtEnd();
}

bool ReadXmpTime(DigitReader& reader, DateParts& date)
{
    date.hour = reader.Number(2, 0, 23);
    date.minute = date.hour && reader.Accept(':') ? reader.Number(2, 0, 59) : std::nullopt;
    if (!date.minute) return false;
    if (reader.Accept(':')) {
        date.second = reader.Number(2, 0, 59);
        if (!date.second) return false;
        if (reader.Accept('.')) {
            if (!reader.NextIsDigit()) return false;
            while (reader.NextIsDigit()) ++reader.at;  // fractions have no place in a PDF date
        }
    }
    return ReadXmpZone(reader, date);
}

std::optional<DateParts> ParseXmpDate(std::string_view text)
{
    DigitReader reader{text};
    DateParts date;
    const auto year = reader.Number(4, 0, 9999);
    if (!year) return std::nullopt;
    date.year = *year;
    if (reader.Accept('-')) {
        date.month = reader.Number(2, 1, 12);
        if (!date.month) return std::nullopt;
        if (reader.Accept('-')) {
            date.day = reader.Number(2, 1, 31);
            if (!date.day || !DayFits(date)) return std::nullopt;
            if (reader.Accept('T') && !ReadXmpTime(reader, date)) return std::nullopt;
        }
    }
    if (!reader.AtEnd()) return std::nullopt;
    return date;
}

}  // namespace

std::optional<XmpInformation> ReadXmpInformation(std::string_view packet)
{
    const XmpHandle xmp = ParsedPacket(packet);
    if (!xmp) return std::nullopt;
    XmpInformation info;
    info.title = LocalizedProperty(xmp.get(), "title");
    info.subject = LocalizedProperty(xmp.get(), "description");
    const std::vector<std::string> authors = ArrayItems(xmp.get(), NS_DC, "creator");
    if (!authors.empty()) info.author = JoinAuthors(authors);
    info.keywords = SimpleProperty(xmp.get(), NS_PDF, "Keywords");
    info.producer = SimpleProperty(xmp.get(), NS_PDF, "Producer");
    info.creator = SimpleProperty(xmp.get(), NS_XAP, "CreatorTool");
    info.created = DateProperty(xmp.get(), "CreateDate");
    info.modified = DateProperty(xmp.get(), "ModifyDate");
    return info;
}

std::optional<std::string> UpdatedXmpPacket(std::string_view oldPacket, const XmpUpdate& update)
{
    const XmpHandle xmp = ParsedPacket(oldPacket);
    if (!xmp) return std::nullopt;
    SetOrDeleteLocalized(xmp.get(), "title", update.title);
    SetOrDeleteLocalized(xmp.get(), "description", update.subject);
    ReplaceCreators(xmp.get(), update.author);
    SetOrDelete(xmp.get(), NS_PDF, "Keywords", update.keywords);
    SetOrDelete(xmp.get(), NS_PDF, "Producer", update.producer);
    SetOrDelete(xmp.get(), NS_XAP, "CreatorTool", update.creator);
    SetOrDeleteDate(xmp.get(), "CreateDate", update.created);
    SetOrDeleteDate(xmp.get(), "ModifyDate", update.modified);
    if (update.metadataDate) {
        if (const auto date = PdfDateToXmp(*update.metadataDate))
            xmp_set_property(xmp.get(), NS_XAP, "MetadataDate", date->c_str(), 0);
    }
    return SerializedPacket(xmp.get());
}

std::vector<std::string> SplitAuthors(std::string_view author)
{
    if (author.find(';') != std::string_view::npos) return AsStrings(SplitAt(author, ';'));
    std::vector<std::string_view> parts = SplitAt(author, ',');
    if (parts.size() < 2) return AsStrings(parts);
    const std::vector<std::string_view> lastNames = SplitFinalConnector(parts.back());
    parts.pop_back();
    parts.insert(parts.end(), lastNames.begin(), lastNames.end());
    if (!std::all_of(parts.begin(), parts.end(), IsFullName)) return {std::string(Trimmed(author))};
    return AsStrings(parts);
}

std::string JoinAuthors(const std::vector<std::string>& authors)
{
    std::vector<std::string> names;
    for (const std::string& name : authors) {
        if (!Trimmed(name).empty()) names.emplace_back(Trimmed(name));
    }
    auto joinedBy = [&](std::string_view separator) {
        std::string joined;
        for (const std::string& name : names) joined += (joined.empty() ? "" : std::string(separator)) + name;
        return joined;
    };
    // Commas read best, but names like "Berg, Anna" or "Anna" alone would not split back from them.
    std::string byCommas = joinedBy(", ");
    if (SplitAuthors(byCommas) == names) return byCommas;
    return joinedBy("; ");
}

std::optional<std::string> PdfDateToXmp(std::string_view pdfDate)
{
    const auto date = ParsePdfDate(pdfDate);
    if (!date) return std::nullopt;
    std::string out = FourDigits(date->year);
    if (date->month) out += "-" + TwoDigits(*date->month);
    if (date->day) out += "-" + TwoDigits(*date->day);
    // XMP knows no time without minutes, so an hour alone gets ":00".
    if (date->hour) out += "T" + TwoDigits(*date->hour) + ":" + TwoDigits(date->minute.value_or(0));
    if (date->second) out += ":" + TwoDigits(*date->second);
    if (date->zoneSign == 'Z') out += "Z";
    else if (date->zoneSign) out += *date->zoneSign + TwoDigits(date->zoneHours) + ":" + TwoDigits(date->zoneMinutes);
    return out;
}

std::optional<std::string> XmpDateToPdf(std::string_view xmpDate)
{
    const auto date = ParseXmpDate(xmpDate);
    if (!date) return std::nullopt;
    std::string out = "D:" + FourDigits(date->year);
    for (const auto& part : {date->month, date->day, date->hour, date->minute, date->second}) {
        if (part) out += TwoDigits(*part);
    }
    if (date->zoneSign == 'Z') out += "Z";
    else if (date->zoneSign) out += *date->zoneSign + TwoDigits(date->zoneHours) + "'" + TwoDigits(date->zoneMinutes) + "'";
    return out;
}

}  // namespace folivo
