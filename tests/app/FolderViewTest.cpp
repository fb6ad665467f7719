// The folder tree and the file list follow the file system: the tree keeps the user's choice
// while folders above it change, and the list shows a file's new size.
#include <QFileSystemModel>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <filesystem>

#include "tests/app/AppTestSupport.h"

namespace folivo::test {
namespace {

// Runs the event loop until done() holds; the file system model and its watcher work in the
// background.
template <typename Condition>
bool Eventually(Condition done)
{
    return QTest::qWaitFor(done, 10000);
}

// Whether loads (a spy on directoryLoaded) has reported folder.
bool Reported(const QSignalSpy& loads, const QString& folder)
{
    for (const QList<QVariant>& signal : loads)
        if (signal.at(0).toString() == folder) return true;
    return false;
}

std::string TreeFolder(const app::TMainForm& form)
{
    return form.treeModel->filePath(form.JamShellTree1->currentIndex()).toStdString();
}

TEST(FolderTree, KeepsTheUsersChoiceWhenAFolderAboveTheProgramFolderChanges)
{
    ScratchFolder scratch;
    // "prog" (the program folder) and "pro" share a text prefix; "other" is the user's choice.
    for (const char* name : {"prog", "pro", "other"}) std::filesystem::create_directory(scratch.File(name));
    const std::string top = std::filesystem::path(scratch.File("")).parent_path().string();
    Windows windows(scratch.File("prog/"));
    app::TMainForm& form = windows.main;
    form.show();
    ASSERT_TRUE(Eventually([&] { return TreeFolder(form) == top + "/prog"; }));
    const std::string other = top + "/other";
    form.JamShellTree1->setCurrentIndex(form.treeModel->index(QString::fromStdString(other)));
    ASSERT_EQ(TreeFolder(form), other);

    // A new file in the folder above, and in a folder whose name starts the program folder's.
    for (const std::string file : {"neu.pdf", "pro/neu.pdf"}) {
        const QString changed = QString::fromStdString(std::filesystem::path(scratch.File(file)).parent_path().string());
        form.treeModel->fetchMore(form.treeModel->index(changed));
        QSignalSpy loaded(form.treeModel, &QFileSystemModel::directoryLoaded);
        scratch.Write(file, "x");
        EXPECT_TRUE(Eventually([&] { return Reported(loaded, changed); })) << file;
        EXPECT_EQ(TreeFolder(form), other) << file;
        EXPECT_EQ(form.ShownFolder().toStdString(), other + "/") << file;
    }
    // Choosing a favourite still moves the tree.
    form.ShowFolder(QString::fromStdString(top + "/pro"));
    EXPECT_TRUE(Eventually([&] { return TreeFolder(form) == top + "/pro"; }));
}

TEST(FileList, ShowsTheNewSizeOfAChangedFile)
{
    ScratchFolder scratch;
    const std::string file = scratch.Write("wachsend.pdf", std::string(1000, 'x'));
    Windows windows(scratch.File(""));
    app::TMainForm& form = windows.main;
    form.show();
    const QString path = QString::fromStdString(file);
    const auto sizeText = [&] { return form.listModel->index(path).siblingAtColumn(1).data().toString(); };
    ASSERT_TRUE(Eventually([&] { return form.listModel->index(path).isValid() && !sizeText().isEmpty(); }));
    const QString before = sizeText();

    scratch.Write("wachsend.pdf", std::string(3 * 1024 * 1024, 'x'));
    // A distinct modification time, however quickly the test writes.
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + std::chrono::seconds(5));
    EXPECT_TRUE(Eventually([&] { return sizeText() != before; })) << before.toStdString();
    EXPECT_EQ(form.listModel->size(form.listModel->index(path)), 3 * 1024 * 1024);
}

TEST(FileList, SizesAndDatesAreGermanWhateverTheLocaleAndAnUnreadableFolderSaysSo)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ScratchFolder folder;
    const std::string file = folder.Write("bericht.pdf", std::string(55'910, 'x'));
    QFile touched(QString::fromStdString(file));
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
    ASSERT_TRUE(touched.setFileTime(QDateTime(QDate(2018, 6, 20), QTime(14, 3)), QFileDevice::FileModificationTime));
    touched.close();
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    form.ShowFolder(QString::fromStdString(folder.File("")));
    QFileSystemModel& model = *form.listModel;
    ASSERT_TRUE(Eventually([&] { return model.index(QString::fromStdString(file)).isValid(); }));
    const QModelIndex name = model.index(QString::fromStdString(file));
    EXPECT_EQ(model.data(name.siblingAtColumn(1)).toString(), "54,6 KiB");
    EXPECT_EQ(model.data(name.siblingAtColumn(3)).toString(), "20.06.2018 14:03");
    EXPECT_TRUE(form.FolderStateLabel->isHidden());

    form.ShowFolder(QString::fromStdString(folder.File("weg")));
    EXPECT_FALSE(form.FolderStateLabel->isHidden());
    EXPECT_EQ(form.FolderStateLabel->text(), QString::fromUtf8("Den Ordner %1 gibt es nicht.").arg(QString::fromStdString(folder.File("weg"))));
    form.ShowFolder(QString::fromStdString(folder.File("")));
    EXPECT_TRUE(form.FolderStateLabel->isHidden());
    QLocale::setDefault(before);
}

}  // namespace
}  // namespace folivo::test
