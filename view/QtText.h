// The one place where page bytes (Windows-1252) become Qt strings and back, and where a
// text's style picks its display font.
#pragma once

#include <cstdint>

#include <QFont>
#include <QString>
#include <string>
#include <string_view>

namespace folivo {

QString QStringFromWindows1252(std::string_view bytes);

// The display font in a text's style (FontStyleBits): the user's family for ordinary text,
// Liberation Serif or Mono where the font is serif or fixed pitch, bold and italic on top.
QFont StyledFont(const QFont& displayFont, uint8_t style);

// Characters without a Windows-1252 form become '?', as the platform's code-page conversion does.
std::string Windows1252FromQString(const QString& text);

}  // namespace folivo
