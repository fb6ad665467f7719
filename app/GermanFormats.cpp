#include "app/GermanFormats.h"

#include <QLocale>

namespace folivo::app {

namespace {

const QLocale& German()
{
    static const QLocale german(QLocale::German, QLocale::Germany);
    return german;
}

}  // namespace

QString GermanDateTime(const QDateTime& time)
{
    return time.isValid() ? time.toString(GermanDateFormat + " HH:mm") : QString();
}

QString GermanFileSize(qint64 bytes)
{
    return German().formattedDataSize(bytes, 1, QLocale::DataSizeIecFormat);
}

}  // namespace folivo::app
