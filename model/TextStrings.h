// Strings of the file as the reader meets them: literal strings as one token with their
// parentheses, hexadecimal strings as "<digits" followed by ">".
#pragma once

#include <string>
#include <string_view>

#include "model/DocumentModel.h"

namespace folivo {

// Removes the first and last character of a text longer than one character that begins with
// "(" (the last whatever it is).
std::string StripParentheses(std::string_view text);

// The bytes of the string value that starts at tokens[index]: a literal string with its
// escapes resolved, or a hexadecimal string (its digits may be spread over several tokens up
// to ">"; an odd last digit counts as if followed by 0). Any other token is returned as it is.
std::string StringValueBytes(const TokenList& tokens, size_t index);

// A text string's bytes as UTF-8: UTF-16BE after its byte order mark FE FF, UTF-8 after
// EF BB BF, otherwise PDFDocEncoding.
std::string PdfTextToUtf8(std::string_view bytes);

// Sets date and time from a date string "D:YYYYMMDDHHmmSS..." (anything after the seconds is
// ignored). Nothing is set when the text is too short or a part is not a number; an invalid
// date sets nothing; an invalid time leaves the time as it was. True when the date was set.
bool ApplyPdfDate(std::string_view text, CivilDate& date, CivilTime& time);

}  // namespace folivo
