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

// The folder as favourites compare it: without trailing separators, except for a root ("/",
// "C:/"). Case counts.
QString PrefFolderKey(const QString& folder);

// Moves folder to the top, in the form given: every entry naming the same folder is removed
// first, so "/a/" and "/a" never stand in the list together; a new one is simply inserted.
void MoveFolderToTop(QStringList& folders, const QString& folder);

}  // namespace folivo::app
