// The favourite folders as stored in folders.dat: one path per line, CR LF, most recent first.
#pragma once

#include <QString>
#include <QStringList>

namespace folivo::app {

// The entries of the file; empty when it cannot be read. A last line without a line end is an
// entry too; an empty line is an empty entry.
QStringList LoadPrefFolders(const QString& fileName);

// Writes the file anew; false when it cannot be created.
bool SavePrefFolders(const QString& fileName, const QStringList& folders);

// Moves folder to the top: the last entry equal to it (exactly, case-sensitively) is removed
// first, a new one is simply inserted.
void MoveFolderToTop(QStringList& folders, const QString& folder);

}  // namespace folivo::app
