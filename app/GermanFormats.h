// Dates and sizes as German office users read them, whatever the system's locale: the window
// speaks German throughout.
#pragma once

#include <QDateTime>
#include <QString>

namespace folivo::app {

// "20.06.2018 14:03"; empty for an invalid time.
QString GermanDateTime(const QDateTime& time);

// "54,6 KiB", "812 Bytes".
QString GermanFileSize(qint64 bytes);

// The date fields' display format, with a four-digit year.
inline const QString GermanDateFormat = "dd.MM.yyyy";

}  // namespace folivo::app
