// The document information as XMP metadata (the packet of the catalog's /Metadata stream):
// read from a packet, and written into one, through Exempi. Nothing here parses XML by hand.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folivo {

// The eight information fields as a packet states them. Texts are UTF-8; dates are PDF date
// texts ("D:YYYYMMDDHHmmSS" with "Z", "+hh'mm'" or "-hh'mm'" when the packet gives a zone).
// A field the packet lacks (or states empty) stays unset.
struct XmpInformation {
    std::optional<std::string> title;     // dc:title, x-default (else the first language)
    std::optional<std::string> author;    // dc:creator, its entries joined (JoinAuthors)
    std::optional<std::string> subject;   // dc:description, x-default (else the first)
    std::optional<std::string> keywords;  // pdf:Keywords
    std::optional<std::string> creator;   // xmp:CreatorTool
    std::optional<std::string> producer;  // pdf:Producer
    std::optional<std::string> created;   // xmp:CreateDate
    std::optional<std::string> modified;  // xmp:ModifyDate
};

// The fields of a packet; none when the packet cannot be read (broken XML, an encoding the
// library does not accept).
std::optional<XmpInformation> ReadXmpInformation(std::string_view packet);

// What a save writes into the packet: the information dictionary's values. An empty text
// removes its property; an absent date removes it too. Dates are PDF date texts as written
// into the information dictionary.
struct XmpUpdate {
    std::string title;
    std::string author;
    std::string subject;
    std::string keywords;
    std::string creator;
    std::string producer;
    std::optional<std::string> created;
    std::optional<std::string> modified;
    // xmp:MetadataDate; no change when absent.
    std::optional<std::string> metadataDate;
};

// The packet brought up to date: every other property, namespace, extension schema and the
// PDF/A identification kept. An empty old packet gives a new one. Serialised as UTF-8 with the
// packet wrapper (writable, with padding). None when the old packet cannot be read.
std::optional<std::string> UpdatedXmpPacket(std::string_view oldPacket, const XmpUpdate& update);

// The author field as dc:creator's ordered entries, split the way it reads naturally: at
// semicolons; at commas only when every part is a name of its own, of two words or more
// ("Anna Berg, Carl Dorn"), never in "Berg, Anna"; at a final " and " / " und " / " & " of such
// a list. One entry when in doubt; no empty entries.
std::vector<std::string> SplitAuthors(std::string_view author);
// dc:creator's entries as one author field: joined by ", ", or by "; " when commas would not
// split back into the same entries (an entry holding a comma, a one-word entry), so that
// SplitAuthors gives the same entries back.
std::string JoinAuthors(const std::vector<std::string>& authors);

// "D:20240105102030+01'00'" as ISO 8601 "2024-01-05T10:20:30+01:00" ("Z" stays "Z"; no zone
// gives none). Shorter dates keep the precision they have ("D:2024" gives "2024"), except that an
// hour alone gains ":00" and a zone without a time is dropped, as XMP dates have neither. None
// for what is not a PDF date.
std::optional<std::string> PdfDateToXmp(std::string_view pdfDate);
// The reverse: an XMP date (any ISO 8601 precision that XMP dates allow; fractions of
// a second dropped) as a PDF date text. None for what is not a date.
std::optional<std::string> XmpDateToPdf(std::string_view xmpDate);

}  // namespace folivo
