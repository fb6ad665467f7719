#include "pdfwrite/InformationFields.h"

#include <ctime>

#include "core/Clock.h"
#include "core/PdfDocEncoding.h"
#include "core/Windows1252.h"

namespace folivo {

std::string PdfDateText(const CivilDate& date, const CivilTime& time, int offsetMinutes)
{
    auto pad = [](int value, size_t width) {
        std::string text = std::to_string(value);
        if (text.size() < width) text.insert(0, width - text.size(), '0');
        return text;
    };
    const std::string local = "D:" + pad(date.year, 4) + pad(date.month, 2) + pad(date.day, 2) + pad(time.hour, 2) +
                              pad(time.minute, 2) + pad(time.second, 2);
    if (offsetMinutes == 0) return local + "Z";
    const int offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    return local + (offsetMinutes < 0 ? "-" : "+") + pad(offset / 60, 2) + "'" + pad(offset % 60, 2) + "'";
}

int LocalOffsetMinutes(const CivilDate& date, const CivilTime& time)
{
    if (ReadClock().fixed) return 0;
    std::tm local{};
    local.tm_year = date.year - 1900;
    local.tm_mon = date.month - 1;
    local.tm_mday = date.day;
    local.tm_hour = time.hour;
    local.tm_min = time.minute;
    local.tm_sec = time.second;
    local.tm_isdst = -1;  // the zone's rule for that date decides summer time
    if (std::mktime(&local) == static_cast<std::time_t>(-1)) return 0;
    return static_cast<int>(local.tm_gmtoff / 60);
}

std::optional<std::string> InformationDateText(const CivilDate& date, const CivilTime& time, bool present,
                                               const InfoDateAsRead& asRead)
{
    if (!present) return std::nullopt;
    if (!asRead.text.empty() && asRead.date == date && asRead.time == time) return asRead.text;
    return PdfDateText(date, time, LocalOffsetMinutes(date, time));
}

std::string InformationStringBytes(std::string_view text)
{
    if (auto single = Utf8ToPdfDoc(text)) return *single;
    std::string bytes = "\xFE\xFF";
    for (char32_t c : Utf8ToCodePoints(text)) {
        auto unit = [&](char32_t u) {
            bytes += static_cast<char>((u >> 8) & 0xFF);
            bytes += static_cast<char>(u & 0xFF);
        };
        if (c >= 0x10000) {
            c -= 0x10000;
            unit(0xD800 + (c >> 10));
            unit(0xDC00 + (c & 0x3FF));
        } else {
            unit(c);
        }
    }
    return bytes;
}

int SetToNow(CivilDate& date, CivilTime& time)
{
    const ClockReading now = ReadClock();
    date = {now.fields.tm_year + 1900, now.fields.tm_mon + 1, now.fields.tm_mday};
    time = {now.fields.tm_hour, now.fields.tm_min, now.fields.tm_sec};
    return now.offsetMinutes;
}

std::string CurrentPdfDateText()
{
    CivilDate date;
    CivilTime time;
    const int offsetMinutes = SetToNow(date, time);
    return PdfDateText(date, time, offsetMinutes);
}

void SetModifiedToNow(InfoFields& info)
{
    SetToNow(info.modifiedDate, info.modifiedTime);
    info.modifiedPresent = true;
    info.changedByUser = true;
}

}  // namespace folivo
