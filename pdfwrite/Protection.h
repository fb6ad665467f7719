// The document protection's pieces: the added font's names and its descriptor text.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/DynaArray.h"
#include "model/DocumentModel.h"
#include "pdfwrite/OutlineFontMetrics.h"

namespace folivo {

// The font's resource name (without its slash): the face's printable bytes, delimiters as #XX.
std::string ProtectionFontName(std::string_view face);

// The base font name (without its slash): every byte but 0 kept, delimiters, blanks, control
// and high bytes as #XX; then ",BoldItalic", ",Italic" or ",Bold".
std::string ProtectionBaseFont(std::string_view face, bool bold, bool italic);

// One random decimal digit.
char RandomDigit();

// The name with random digits appended until no font of the list has it as resource name.
std::string UniqueResourceName(std::string name, const TDynaArray<FontRecord>& fonts,
                               const std::function<char()>& randomDigit = RandomDigit);

// The font descriptor and width table the writer writes into the font dictionary. Stores the
// scaled width of each code from the first to the last character into widths and present.
std::string DescriptorText(const FontMeasurement& measurement, double widths[256], uint8_t present[256]);

}  // namespace folivo
