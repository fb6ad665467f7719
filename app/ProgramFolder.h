// The program folder: where folders.dat and the temporary files live.
#pragma once

#include <QString>

namespace folivo::app {

// The executable's folder when it is writable, otherwise the user's application data folder
// (created on demand). Always ends in '/'.
QString ApplicationProgramFolder();

// Deletes a folder with everything below it; failures are ignored.
void RemoveFolderTree(const QString& folder);

}  // namespace folivo::app
