// The favourite folders: their order in the window and the lines of folders.dat.
#include <QAction>
#include <QListWidget>
#include <QStringList>

#include "app/PrefFolders.h"
#include "tests/app/AppTestSupport.h"

namespace folivo::test {
namespace {

QStringList Entries(const QListWidget* list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) entries.append(list->item(i)->text());
    return entries;
}

TEST(Favourites, OpeningMovesTheFolderToTopAndRewritesTheFile)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    form.AddToPrefFolders("/data/a/");
    form.AddToPrefFolders("/data/b/");
    form.AddToPrefFolders("/data/a/");
    form.AddToPrefFolders("/data/a/");
    EXPECT_EQ(Entries(form.PrefListBox), (QStringList{"/data/a/", "/data/b/"}));
    EXPECT_EQ(ReadBytes(folder.File("folders.dat")), "/data/a/\r\n/data/b/\r\n");

    // Case makes a different folder; the trailing separator does not, and the form last given
    // is kept.
    form.AddToPrefFolders("/Data/A/");
    form.AddToPrefFolders("/data/a");
    EXPECT_EQ(Entries(form.PrefListBox), (QStringList{"/data/a", "/Data/A/", "/data/b/"}));
    EXPECT_EQ(ReadBytes(folder.File("folders.dat")), "/data/a\r\n/Data/A/\r\n/data/b/\r\n");
}

TEST(Favourites, FoldersCompareWithoutTrailingSeparators)
{
    const struct {
        const char* folder;
        const char* key;
    } keys[] = {{"/home/a/", "/home/a"}, {"/home/a", "/home/a"}, {"/home/a//", "/home/a"}, {"/", "/"}, {"//", "/"},
                {"C:/", "C:/"},          {"C:\\", "C:\\"},   {"C:\\Daten\\", "C:\\Daten"}, {"", ""}};
    for (const auto& k : keys) EXPECT_EQ(app::PrefFolderKey(k.folder), k.key) << k.folder;

    const struct {
        QStringList before;
        const char* added;
        QStringList after;
    } moves[] = {
        {{"/a/", "/b/"}, "/b", {"/b", "/a/"}},
        {{"/a", "/b/"}, "/a/", {"/a/", "/b/"}},
        {{"/", "/b/"}, "//", {"//", "/b/"}},
        // Duplicates of older files go with the entry that moves.
        {{"/x/", "/a/", "/a", "/a/"}, "/a/", {"/a/", "/x/"}},
        {{"/a/"}, "/ab/", {"/ab/", "/a/"}},
    };
    for (const auto& m : moves) {
        QStringList folders = m.before;
        app::MoveFolderToTop(folders, m.added);
        EXPECT_EQ(folders, m.after) << m.added;
    }
}

TEST(Favourites, ContextMenuRemovesTheEntryAndRewritesTheFile)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    ASSERT_EQ(form.PrefListBox->contextMenuPolicy(), Qt::ActionsContextMenu);
    ASSERT_EQ(form.PrefListBox->actions().size(), 1);
    QAction* remove = form.PrefListBox->actions().front();
    EXPECT_EQ(remove->text(), "Aus Lieblings Ordnern entfernen");
    for (const char* entry : {"/x/", "/y/", "/z/"}) form.AddToPrefFolders(entry);
    remove->trigger();  // nothing chosen yet
    form.PrefListBox->setCurrentRow(1);
    remove->trigger();
    EXPECT_EQ(Entries(form.PrefListBox), (QStringList{"/z/", "/x/"}));
    EXPECT_EQ(ReadBytes(folder.File("folders.dat")), "/z/\r\n/x/\r\n");
}

TEST(Favourites, NextStartReadsTheStoredList)
{
    ScratchFolder folder;
    {
        Windows first(folder.File(""));
        first.main.AddToPrefFolders("/x/");
        first.main.AddToPrefFolders("/y/");
    }
    Windows second(folder.File(""));
    EXPECT_EQ(Entries(second.main.PrefListBox), (QStringList{"/y/", "/x/"}));
}

TEST(Favourites, FileLinesIncludeEmptyOnesAndALastLineWithoutEnd)
{
    ScratchFolder folder;
    const std::string file = folder.Write("folders.dat", "/one/\r\n\r\n/two/\r\n/last");
    EXPECT_EQ(app::LoadPrefFolders(QString::fromStdString(file)), (QStringList{"/one/", "", "/two/", "/last"}));
    EXPECT_TRUE(app::LoadPrefFolders(QString::fromStdString(folder.File("missing.dat"))).isEmpty());
    EXPECT_TRUE(app::LoadPrefFolders(QString::fromStdString(folder.Write("empty.dat", ""))).isEmpty());
    // Umlauts survive the round trip.
    const QString umlauts = QString::fromUtf8("/Dokumente/Übersicht/");
    ASSERT_TRUE(app::SavePrefFolders(QString::fromStdString(folder.File("u.dat")), {umlauts}));
    EXPECT_EQ(app::LoadPrefFolders(QString::fromStdString(folder.File("u.dat"))), QStringList{umlauts});
}

TEST(Favourites, UnwritableFileKeepsTheListInTheWindow)
{
    ScratchFolder folder;
    Windows windows(folder.File("no-such-folder/"));
    windows.main.AddToPrefFolders("/z/");
    windows.main.AddToPrefFolders("/w/");
    EXPECT_EQ(Entries(windows.main.PrefListBox), (QStringList{"/w/", "/z/"}));
}

TEST(Favourites, OpeningFromTheFileListOffersTheFolderFirst)
{
    ScratchFolder folder;
    CopySample(folder, "doc.pdf");
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    form.ShowFolder(QString::fromStdString(folder.File("")));
    // The file system model fills the list in the background.
    QModelIndex file;
    for (int attempt = 0; attempt < 200 && !file.isValid(); ++attempt) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        file = form.listModel->index(QString::fromStdString(folder.File("doc.pdf")));
    }
    ASSERT_TRUE(file.isValid());
    form.JamShellList1->setCurrentIndex(file);
    form.JamShellList1DblClick();
    EXPECT_EQ(form.Label6->text(), "von 2");
    ASSERT_EQ(form.PrefListBox->count(), 1);
    EXPECT_EQ(form.PrefListBox->item(0)->text(), QString::fromStdString(folder.File("")));
}

}  // namespace
}  // namespace folivo::test
