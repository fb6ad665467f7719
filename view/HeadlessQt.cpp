#include "view/HeadlessQt.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QtGlobal>

namespace folivo {

void PrepareHeadlessQtEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    for (const char* name : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_FONT_DPI"}) qunsetenv(name);
    // Qt warns on every start without a runtime folder; give it a private one as the desktop would.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray folder = QDir::tempPath().toLocal8Bit() + "/runtime-" + QByteArray::number(::getuid());
        ::mkdir(folder.constData(), 0700);
        struct stat info {};
        if (::stat(folder.constData(), &info) == 0 && info.st_uid == ::getuid() && (info.st_mode & 0777) == 0700)
            qputenv("XDG_RUNTIME_DIR", folder);
    }
}

}  // namespace folivo
