// The information fields as the writer writes them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/DocumentModel.h"

namespace folivo {

// "D:YYYYMMDDHHmmSS" from a date field and a time field, then the time zone: "Z" for UTC,
// "+HH'mm'" or "-HH'mm'" for an offset of that many minutes east of UTC.
std::string PdfDateText(const CivilDate& date, const CivilTime& time, int offsetMinutes);

// The offset from UTC, in minutes east, of the local time zone at that local date and time.
int LocalOffsetMinutes(const CivilDate& date, const CivilTime& time);

// The date text written for a date of the information fields: nothing when it is absent; as
// the file wrote it when unedited; otherwise the local date and time with the local offset.
std::optional<std::string> InformationDateText(const CivilDate& date, const CivilTime& time, bool present,
                                               const InfoDateAsRead& asRead);

// The bytes of an information text (UTF-8): PDFDocEncoding when every character has a form
// there, otherwise UTF-16BE after its byte order mark, so the meaning never changes.
std::string InformationStringBytes(std::string_view text);

// The current local date and time as a date text, with the local offset.
std::string CurrentPdfDateText();

// Sets date and time to the clock's (see core/Clock.h); gives their offset from UTC in minutes.
int SetToNow(CivilDate& date, CivilTime& time);

// "Auf jetzt setzen": the modification date and time become the current local ones; the
// creation date stays.
void SetModifiedToNow(InfoFields& info);

}  // namespace folivo
