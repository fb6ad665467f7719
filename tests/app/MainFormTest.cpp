// The main window's life: start-up state, opening from the command line, the reading guard,
// closing and the cleanup at the end.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "tests/TestDocuments.h"
#include "tests/app/AppTestSupport.h"

namespace folivo::test {
namespace {

TEST(MainForm, StartsWithItsTabsDefaultsAndNamedControls)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    EXPECT_EQ(form.windowTitle(), "Quillon Folivo 1.0");
    EXPECT_EQ(form.size(), QSize(622, 489));
    ASSERT_EQ(form.PageControl2->count(), 4);
    // The tabs' texts as shown, without their accelerator marks.
    EXPECT_EQ(form.PageControl2->tabText(0).remove('&'), QString::fromUtf8("PDF-Datei öffnen"));
    EXPECT_EQ(form.PageControl2->tabText(1).remove('&'), "Bearbeiten");
    EXPECT_EQ(form.PageControl2->tabText(2).remove('&'), "Informationen");
    EXPECT_EQ(form.PageControl2->tabText(3).remove('&'), "PDF-Datei speichern");
    EXPECT_EQ(form.Label6->text(), "von 0");
    EXPECT_EQ(form.ZoomEd->value(), 50);
    EXPECT_EQ(form.PDFVersionBox->currentText(), "1.3 (Acrobat 4 and later)");
    EXPECT_EQ(form.PDFVersionBox->count(), VersionCount);
    EXPECT_TRUE(form.ShowPDFCheck->isChecked());
    EXPECT_EQ(form.Label4->text(), "Optimieren auf: Arial");
    EXPECT_EQ(form.DisplayFont().pixelSize(), 15);
    for (const char* name : {"Edit1", "Edit6", "DateTimePicker1", "DateTimePicker4", "NowBtn", "PDFVersionBox",
                             "SaveBtn", "ShowPDFCheck", "ChooseFontBtn", "Label4", "PrefListBox", "JamShellTree1",
                             "JamShellList1", "ZoomEd", "PageEd", "FileProtectBtn", "PaintBox1", "StatusBar1",
                             "PageControl2", "ScrollBox1", "ToolBar1", "LupeBtn", "HandBtn"})
        EXPECT_NE(form.findChild<QWidget*>(name), nullptr) << name;
}

TEST(MainForm, CommandLineFileOpensOnTheEditingTab)
{
    ScratchFolder folder;
    const std::string sample = CopySample(folder, "Beispiel.PDF");
    Windows windows(folder.File(""));
    windows.main.FormShow({QString::fromStdString(sample)});
    EXPECT_EQ(windows.main.Label6->text(), "von 2");
    EXPECT_EQ(windows.main.PageEd->value(), 1);
    EXPECT_EQ(windows.main.PageControl2->currentIndex(), 1);
    EXPECT_FALSE(windows.openForm->isVisible());
    EXPECT_FALSE(windows.main.document().readingInProgress);
    EXPECT_TRUE(windows.dialogs.messages.empty());
    // The reader's fields reach the information page.
    EXPECT_EQ(windows.main.Edit4->text(), "Folivo Beispieldokument");
}

TEST(MainForm, BareFileNameIsTakenFromTheProgramFolderAndOtherExtensionsAreIgnored)
{
    ScratchFolder folder;
    CopySample(folder, "sample.pdf");
    CopySample(folder, "sample.txt");
    Windows windows(folder.File(""));
    windows.main.FormShow({"sample.txt"});
    EXPECT_EQ(windows.main.Label6->text(), "von 0");
    EXPECT_EQ(windows.main.PageControl2->currentIndex(), 0);
    windows.main.FormShow({"sample.pdf"});
    EXPECT_EQ(windows.main.Label6->text(), "von 2");
}

TEST(MainForm, BareFileNameTypedInATerminalIsTakenFromTheWorkingFolderFirst)
{
    ScratchFolder program, working;
    CopySample(program, "beide.pdf");  // two pages
    WriteUndatedPdf(working, "beide.pdf");  // one page
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(working.File(""))));
    Windows windows(program.File(""));
    windows.main.FormShow({"beide.pdf"});
    QDir::setCurrent(before);
    EXPECT_EQ(windows.main.Label6->text(), "von 1");
    EXPECT_EQ(windows.main.OpenedFilePath(), QString::fromStdString(working.File("beide.pdf")));
}

TEST(MainForm, AFileThatCannotBeReadKeepsTheOpenDocumentItsPageAndEdits)
{
    ScratchFolder folder;
    const std::string sample = CopySample(folder, "a.pdf");
    const std::string junk = folder.Write("junk.pdf", "no pdf here");
    const std::string empty = folder.Write("leer.pdf", "");
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    form.openfilenow(QString::fromStdString(sample));
    EXPECT_EQ(form.windowTitle(), QString::fromUtf8("a.pdf – Folivo"));
    const int linesAfterFirst = windows.openForm->Memo1->blockCount();
    form.PageEd->setValue(2);
    form.Edit4->selectAll();
    QTest::keyClicks(form.Edit4, "Neuer Titel");
    form.PageControl2->setCurrentIndex(3);
    for (const std::string& unreadable : {junk, empty, folder.File("fehlt.pdf")}) {
        windows.dialogs.messages.clear();
        windows.dialogs.confirmations.clear();
        form.openfilenow(QString::fromStdString(unreadable));
        // Asked first, since the title is not saved; then the file's failure names it.
        ASSERT_EQ(windows.dialogs.confirmations.size(), 1u) << unreadable;
        EXPECT_EQ(windows.dialogs.confirmations[0].text,
                  QString::fromUtf8("Die Änderungen an a.pdf wurden nicht gespeichert. Trotzdem eine andere Datei öffnen?"));
        ASSERT_EQ(windows.dialogs.messages.size(), 1u) << unreadable;
        const QString message = windows.dialogs.messages[0].text;
        EXPECT_TRUE(message.contains(QString::fromStdString(unreadable))) << message.toStdString();
        EXPECT_TRUE(message.contains("a.pdf bleibt ge")) << message.toStdString();
        EXPECT_EQ(form.Label6->text(), "von 2");
        EXPECT_EQ(form.PageEd->value(), 2);
        EXPECT_EQ(form.PageControl2->currentIndex(), 3);
        EXPECT_EQ(form.Edit4->text(), "Neuer Titel");
        EXPECT_EQ(form.document().info.title, "Neuer Titel");
        EXPECT_EQ(form.OpenedFilePath(), QString::fromStdString(sample));
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8("a.pdf – Folivo"));
    }
    EXPECT_TRUE(windows.dialogs.messages[0].text.contains(QString::fromUtf8("Konnte die Datei")));
    // "Nein" keeps everything without reading; "Ja" reads the file and the edit is gone.
    windows.dialogs.confirmAnswer = false;
    const int linesBeforeNo = windows.openForm->Memo1->blockCount();
    form.openfilenow(QString::fromStdString(sample));
    EXPECT_EQ(form.Edit4->text(), "Neuer Titel");
    EXPECT_EQ(windows.openForm->Memo1->blockCount(), linesBeforeNo) << "nothing was read";
    windows.dialogs.confirmAnswer = true;
    form.openfilenow(QString::fromStdString(sample));
    EXPECT_NE(form.Edit4->text(), "Neuer Titel");
    EXPECT_GE(windows.openForm->Memo1->blockCount(), 2 * linesAfterFirst);
    // Nothing changed since this reading: no question.
    windows.dialogs.confirmations.clear();
    form.openfilenow(QString::fromStdString(sample));
    EXPECT_TRUE(windows.dialogs.confirmations.empty());
}

TEST(MainForm, ASavedEditIsNoLongerAskedAbout)
{
    ScratchFolder folder;
    const std::string sample = CopySample(folder, "a.pdf");
    Windows windows(folder.File(""));
    windows.main.openfilenow(QString::fromStdString(sample));
    QTest::keyClicks(windows.main.Edit4, " neu");
    ASSERT_TRUE(windows.main.HasUnsavedChanges());
    ASSERT_TRUE(windows.main.SaveTo(QString::fromStdString(folder.File("b.pdf"))));
    EXPECT_FALSE(windows.main.HasUnsavedChanges());
    windows.main.openfilenow(QString::fromStdString(sample));
    EXPECT_TRUE(windows.dialogs.confirmations.empty());
}

// Runs a second reading from inside the first one's message-loop turn, as a double-click
// during a reading would.
class ReenteringForm : public app::TMainForm {
public:
    using TMainForm::TMainForm;
    QString second;
    // Where a save asked for in the middle of the reading would go.
    QString saveTarget;
    int turns = 0;
    void ProcessMessages() override
    {
        ++turns;
        if (!second.isEmpty()) {
            const QString file = second;
            second.clear();
            openfilenow(file);
        }
        if (!saveTarget.isEmpty()) {
            EXPECT_FALSE(SaveTo(saveTarget));
            FileProtectBtnClick();
        }
        TMainForm::ProcessMessages();
    }
};

TEST(MainForm, ReadingSavingAndProtectingDuringAReadingDoNothing)
{
    ScratchFolder folder;
    const std::string sample = CopySample(folder, "two.pdf");
    PdfBuilder builder;
    builder.objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                       "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>"};
    builder.trailerEntries = "/Root 1 0 R";
    const std::string onePage = folder.Write("one.pdf", builder.Build());

    FakeDialogs dialogs;
    ReenteringForm form(&dialogs, QString::fromStdString(folder.File("")));
    form.second = QString::fromStdString(onePage);
    form.saveTarget = QString::fromStdString(folder.File("half.pdf"));
    form.openfilenow(QString::fromStdString(sample));
    ASSERT_GT(form.turns, 0);
    EXPECT_TRUE(form.second.isEmpty());
    // Neither a save nor the protection touched the half-read document.
    EXPECT_FALSE(std::filesystem::exists(folder.File("half.pdf")));
    for (uint32_t i = 0; i < form.document().fonts.Count(); ++i) EXPECT_FALSE(form.document().fonts.At(i)->addedByUser);
    EXPECT_TRUE(dialogs.messages.empty());
    form.saveTarget.clear();
    EXPECT_EQ(form.Label6->text(), "von 2");
    EXPECT_EQ(form.document().pages.Count(), 2u);
    // Once the first reading is over, the other file reads normally.
    form.openfilenow(QString::fromStdString(onePage));
    EXPECT_EQ(form.Label6->text(), "von 1");
}

TEST(MainForm, CloseAsksAndCancelKeepsTheWindow)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    windows.main.show();
    windows.dialogs.confirmAnswer = false;
    EXPECT_FALSE(windows.main.close());
    EXPECT_TRUE(windows.main.isVisible());
    ASSERT_EQ(windows.dialogs.confirmations.size(), 1u);
    EXPECT_EQ(windows.dialogs.confirmations[0].caption, "Programm beenden");
    EXPECT_EQ(windows.dialogs.confirmations[0].text,
              "Hiermit beenden Sie das Programm! Alle nicht gespeicherten Daten gehen verloren!");

    windows.dialogs.confirmAnswer = true;
    windows.main.EndeBtn->click();
    EXPECT_FALSE(windows.main.isVisible());
    EXPECT_EQ(windows.dialogs.confirmations.size(), 2u);
}

TEST(MainForm, AboutButtonShowsTheAboutBox)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    windows.main.ueberbtn->click();
    EXPECT_EQ(windows.dialogs.aboutShown, 1);
    EXPECT_EQ(windows.main.ueberbtn->toolTip(), QString::fromUtf8("Informationen über das Programm"));
    EXPECT_EQ(windows.main.EndeBtn->toolTip(), "Hiermit verlassen Sie das Programm");
}

TEST(MainForm, EndRemovesTheHtmloutFolderWithNestedFolders)
{
    ScratchFolder folder;
    const std::filesystem::path nested = std::filesystem::path(folder.File("htmlout")) / "a" / "b";
    std::filesystem::create_directories(nested);
    folder.Write("htmlout/a/b/page.html", "x");
    folder.Write("htmlout/top.html", "x");
    folder.Write("keep.txt", "x");
    {
        Windows windows(folder.File(""));
    }
    EXPECT_FALSE(std::filesystem::exists(folder.File("htmlout")));
    EXPECT_TRUE(std::filesystem::exists(folder.File("keep.txt")));
}

// Two windows started at once on one program folder decode their pictures in folders of their
// own, hidden there and gone when the window is.
TEST(MainForm, WindowsKeepTheirTemporaryFilesApart)
{
    ScratchFolder folder;
    std::string first, second;
    {
        Windows one(folder.File("")), two(folder.File(""));
        first = one.main.document().temporaryFolder;
        second = two.main.document().temporaryFolder;
        EXPECT_NE(first, second);
        for (const std::string& path : {first, second}) {
            EXPECT_EQ(path.rfind(folder.File(".folivo-"), 0), 0u) << path;
            EXPECT_TRUE(std::filesystem::is_directory(path)) << path;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(first));
    EXPECT_FALSE(std::filesystem::exists(second));
}

TEST(MainForm, CancelButtonOnlyRaisesTheRequestAndTheNextReadingClearsIt)
{
    ScratchFolder folder;
    const std::string sample = CopySample(folder, "s.pdf");
    Windows windows(folder.File(""));
    windows.openForm->BreakBtn->click();
    EXPECT_TRUE(windows.main.CancelRequested());
    EXPECT_FALSE(windows.openForm->isVisible());
    windows.main.openfilenow(QString::fromStdString(sample));
    EXPECT_FALSE(windows.main.CancelRequested());
    EXPECT_EQ(windows.main.Label6->text(), "von 2");
}

TEST(MainForm, CancelPressedDuringAReadingStopsItsPageLoop)
{
    ScratchFolder folder;
    const std::string sample = CopySample(folder, "s.pdf");
    Windows windows(folder.File(""));
    // The press waits in the queue until the reading lets the message loop run.
    QTimer::singleShot(0, windows.openForm->BreakBtn, &QPushButton::click);
    windows.main.openfilenow(QString::fromStdString(sample));
    // The loop stopped before the last page's content was read.
    ASSERT_EQ(windows.main.document().pages.Count(), 2u);
    EXPECT_FALSE(windows.main.document().pages.At(1)->contentLoaded);
    EXPECT_FALSE(windows.main.document().readingInProgress);
    EXPECT_EQ(windows.main.PageControl2->currentIndex(), 1);
}

}  // namespace
}  // namespace folivo::test
