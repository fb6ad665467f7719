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

QString PrefFolderKey(const QString& folder)
{
    QString key = folder;
    const auto separatorAtEnd = [&key] { return key.endsWith('/') || key.endsWith('\\'); };
    while (key.size() > 1 && separatorAtEnd() && !key.chopped(1).endsWith(':')) key.chop(1);
    return key;
}

void MoveFolderToTop(QStringList& folders, const QString& folder)
{
    const QString key = PrefFolderKey(folder);
    folders.removeIf([&key](const QString& entry) { return PrefFolderKey(entry) == key; });
    folders.prepend(folder);
}

}  // namespace folivo::app
