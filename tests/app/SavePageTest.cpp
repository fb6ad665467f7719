// The information and save pages: edited fields reach the saved file.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "app/OptionalDateTime.h"
#include "tests/RecordingPort.h"
#include "tests/app/AppTestSupport.h"

namespace folivo::test {
namespace {

InfoFields ReadBack(const std::string& path)
{
    RecordingPort port;
    PdfDocument document(port);
    document.openfilenow(path);
    EXPECT_TRUE(port.messages.empty());
    return document.info;
}

TEST(SavePage, EditedFieldsAreSavedAndTheFileIsShown)
{
    ScratchFolder folder;
    const std::string sample = CopySample(folder, "in.pdf");
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    form.openfilenow(QString::fromStdString(sample));

    form.Edit4->clear();
    QTest::keyClicks(form.Edit4, QString::fromUtf8("Neuer Titel (Übersicht)"));
    QTest::keyClicks(form.Edit3, " und Co");
    EXPECT_TRUE(form.document().info.changedByUser);
    form.DateTimePicker1->setDate(QDate(2001, 2, 3));
    form.DateTimePicker2->setTime(QTime(4, 5, 6));

    const std::string target = folder.File("out.pdf");
    windows.dialogs.saveAnswer = QString::fromStdString(target);
    form.SaveBtn->click();
    EXPECT_EQ(windows.dialogs.opened, QStringList{QString::fromStdString(target)});

    const InfoFields saved = ReadBack(target);
    EXPECT_EQ(saved.title, "Neuer Titel (Übersicht)");
    EXPECT_EQ(saved.author, form.Edit3->text().toStdString());
    EXPECT_EQ(saved.createdDate, (CivilDate{2001, 2, 3}));
    EXPECT_EQ(saved.createdTime, (CivilTime{4, 5, 6}));
}

TEST(SavePage, CancelledDialogSavesNothingAndUncheckedBoxOpensNothing)
{
    ScratchFolder folder;
    const std::string sample = CopySample(folder, "in.pdf");
    Windows windows(folder.File(""));
    windows.main.openfilenow(QString::fromStdString(sample));
    windows.main.SaveBtnClick();
    EXPECT_TRUE(windows.dialogs.opened.isEmpty());

    windows.main.ShowPDFCheck->setChecked(false);
    windows.main.PDFVersionBox->setCurrentIndex(2);
    const std::string target = folder.File("v14.pdf");
    ASSERT_TRUE(windows.main.SaveTo(QString::fromStdString(target)));
    EXPECT_TRUE(windows.dialogs.opened.isEmpty());
    EXPECT_EQ(ReadBytes(target).substr(0, 8), "%PDF-1.4");
}

TEST(SavePage, DialogOpensInTheDocumentsFolderAndAddsPdfToANameWithoutExtension)
{
    ScratchFolder folder;
    std::filesystem::create_directory(folder.File("akten"));
    Windows windows(folder.File(""));
    windows.main.openfilenow(QString::fromStdString(CopySample(folder, "akten/brief.pdf")));
    windows.main.SaveBtnClick();
    const QString documentFolder = QString::fromStdString(folder.File("akten"));
    EXPECT_EQ(windows.dialogs.saveFolder, documentFolder);

    const struct {
        const char* typed;
        const char* saved;
    } names[] = {{"bericht", "bericht.pdf"}, {"bericht.PDF", "bericht.PDF"}, {"bericht.v2", "bericht.v2"}};
    for (const auto& name : names) {
        QFileDialog dialog;
        app::PreparePdfSaveDialog(dialog, "PDF speichern unter...", "PDF-Dateien (*.pdf)", documentFolder);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        EXPECT_EQ(dialog.directory().absolutePath(), documentFolder);
        dialog.selectFile(name.typed);
        // The user's "Speichern" (the dialog's own accept, as its button calls it).
        QMetaObject::invokeMethod(&dialog, "accept");
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << name.typed;
        EXPECT_EQ(dialog.selectedFiles(), QStringList{documentFolder + "/" + name.saved}) << name.typed;
    }
}

TEST(SavePage, EveryNameIsSavedWithPdfAndAnExistingOneIsAskedAbout)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    windows.main.ShowPDFCheck->setChecked(false);
    windows.main.openfilenow(QString::fromStdString(CopySample(folder, "brief.pdf")));
    const struct {
        const char* chosen;
        const char* written;
    } names[] = {{"Bericht v1.2", "Bericht v1.2.pdf"}, {"bericht.v2", "bericht.v2.pdf"}, {"Brief.PDF", "Brief.PDF"}};
    for (const auto& name : names) {
        windows.dialogs.saveAnswer = QString::fromStdString(folder.File(name.chosen));
        windows.main.SaveBtnClick();
        EXPECT_TRUE(std::filesystem::exists(folder.File(name.written))) << name.chosen;
    }
    EXPECT_TRUE(windows.dialogs.confirmations.empty()) << "the dialog asked about the names it saw";
    // The name the dialog did not see exists now: "Nein" keeps it.
    const std::string written = folder.File("Bericht v1.2.pdf");
    std::filesystem::resize_file(written, 10);
    windows.dialogs.saveAnswer = QString::fromStdString(folder.File("Bericht v1.2"));
    windows.dialogs.confirmAnswer = false;
    windows.main.SaveBtnClick();
    ASSERT_EQ(windows.dialogs.confirmations.size(), 1u);
    EXPECT_TRUE(windows.dialogs.confirmations[0].text.contains("existiert bereits"));
    EXPECT_EQ(std::filesystem::file_size(written), 10u);
}

TEST(SavePage, DesktopThatCannotShowTheSavedFileIsReported)
{
    ScratchFolder folder;
    Windows windows(folder.File(""));
    windows.main.openfilenow(QString::fromStdString(CopySample(folder, "in.pdf")));
    windows.dialogs.desktopOpens = false;
    const std::string target = folder.File("out.pdf");
    ASSERT_TRUE(windows.main.SaveTo(QString::fromStdString(target)));
    EXPECT_TRUE(std::filesystem::exists(target));
    ASSERT_EQ(windows.dialogs.messages.size(), 1u);
    EXPECT_EQ(windows.dialogs.messages[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(windows.dialogs.messages[0].text.contains(QString::fromStdString(target)));
    EXPECT_TRUE(windows.dialogs.messages[0].text.contains("nicht")) << windows.dialogs.messages[0].text.toStdString();
}

TEST(InformationPage, NowButtonChangesOnlyTheModificationDate)
{
    ScratchFolder folder;
    const std::string sample = CopySample(folder, "in.pdf");
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    form.openfilenow(QString::fromStdString(sample));
    form.DateTimePicker1->setDate(QDate(1999, 12, 31));
    form.DateTimePicker3->setDate(QDate(1999, 12, 31));
    const InfoFields before = form.document().info;

    form.NowBtn->click();
    const QDate today = QDate::currentDate();
    EXPECT_EQ(form.document().info.createdDate, before.createdDate);
    EXPECT_EQ(form.document().info.createdTime, before.createdTime);
    EXPECT_EQ(form.document().info.modifiedDate, (CivilDate{today.year(), today.month(), today.day()}));
    EXPECT_EQ(form.DateTimePicker3->date(), today);
    EXPECT_EQ(form.DateTimePicker1->date(), QDate(1999, 12, 31));
}

TEST(InformationPage, ReadingRefillsTheFieldsWithoutMarkingThemEdited)
{
    ScratchFolder folder;
    const std::string sample = CopySample(folder, "in.pdf");
    Windows windows(folder.File(""));
    app::TMainForm& form = windows.main;
    form.Edit6->setText("alt");
    form.openfilenow(QString::fromStdString(sample));
    EXPECT_FALSE(form.document().info.changedByUser);
    EXPECT_EQ(form.Edit4->text(), "Folivo Beispieldokument");
    EXPECT_EQ(form.PDFVersionBox->currentIndex(), form.document().versionItem);
}

}  // namespace
}  // namespace folivo::test
