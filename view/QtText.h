// The one place where page bytes (Windows-1252) become Qt strings and back.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace folivo {

QString QStringFromWindows1252(std::string_view bytes);

// Characters without a Windows-1252 form become '?', as the platform's code-page conversion does.
std::string Windows1252FromQString(const QString& text);

}  // namespace folivo
