#include "app/PrefFolders.h"

#include <QFile>
#include <QSaveFile>

namespace folivo::app {

QStringList LoadPrefFolders(const QString& fileName)
{
    QStringList folders;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return folders;
    const QByteArray bytes = file.readAll();
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const bool last = end < 0;
        if (last) end = bytes.size();
        QByteArray line = bytes.mid(start, end - start);
        if (line.endsWith('\r')) line.chop(1);
        folders.append(QString::fromUtf8(line));
        start = end + 1;
    }
    return folders;
}

bool SavePrefFolders(const QString& fileName, const QStringList& folders)
{
    QByteArray bytes;
    for (const QString& folder : folders) bytes += folder.toUtf8() + "\r\n";
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(bytes);
    return file.commit();
}

void MoveFolderToTop(QStringList& folders, const QString& folder)
{
    const qsizetype last = folders.lastIndexOf(folder);
    if (last >= 0) folders.removeAt(last);
    folders.prepend(folder);
}

}  // namespace folivo::app
