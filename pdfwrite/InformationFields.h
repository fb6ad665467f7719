// The information fields as the writer writes them.
#pragma once

#include <string>
#include <string_view>

#include "pdfread/DocumentModel.h"

namespace folivo {

// "D:YYYYMMDDHHmmSSZ" from a date field and a time field; the Z is written whatever the zone.
std::string PdfDateText(const CivilDate& date, const CivilTime& time);

// The bytes of an information text (UTF-8): Windows-1252 when every character has a form
// there, otherwise UTF-16BE after its byte order mark, so the meaning never changes.
std::string InformationStringBytes(std::string_view text);

// "Auf jetzt setzen": the modification date and time become the current local ones; the
// creation date stays.
void SetModifiedToNow(InfoFields& info);

}  // namespace folivo
