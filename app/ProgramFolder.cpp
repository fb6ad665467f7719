#include "app/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace folivo::app {

QString ApplicationProgramFolder()
{
    QString folder = QCoreApplication::applicationDirPath();
    if (folder.isEmpty() || !QFileInfo(folder).isWritable()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        if (folder.isEmpty()) folder = QDir::tempPath() + "/Folivo";
        QDir().mkpath(folder);
    }
    if (!folder.endsWith('/')) folder += '/';
    return folder;
}

void RemoveFolderTree(const QString& folder)
{
    QDir directory(folder);
    if (directory.exists()) directory.removeRecursively();
}

}  // namespace folivo::app
