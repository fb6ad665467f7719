// Protected files in the window: the password question when opening, the save page's password
// group, new protection. qpdf makes the protected files and checks the saved one.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>

#include "tests/RecordingPort.h"
#include "tests/app/AppTestSupport.h"

namespace folivo::test {
namespace {

const char* const ProtectedText = "Die Datei ist mit einem Kennwort geschützt; sie bleibt beim Speichern so geschützt.";
const char* const DeniedText = "Der Verfasser dieser PDF-Datei erlaubt keine Änderungen. Ohne das Kennwort für "
                               "Änderungen kann sie nur unverändert gespeichert werden.";

// qpdf's exit code (-1 when it did not run); output gets what it printed.
int Qpdf(const QStringList& arguments, QString* output = nullptr)
{
    QProcess qpdf;
    qpdf.setProcessChannelMode(QProcess::MergedChannels);
    qpdf.start("qpdf", arguments);
    if (!qpdf.waitForFinished(60000) || qpdf.exitStatus() != QProcess::NormalExit) return -1;
    if (output) *output = QString::fromUtf8(qpdf.readAll());
    return qpdf.exitCode();
}

class PasswordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable("qpdf").isEmpty()) GTEST_SKIP() << "qpdf is not installed";
        form.ShowPDFCheck->setChecked(false);
    }
    // The sample under AES-256 with the passwords "anna" (open) and "otto" (changes).
    std::string Protected(const QStringList& restrictions = {})
    {
        const std::string target = folder.File("geschuetzt.pdf");
        EXPECT_EQ(Qpdf(QStringList{"--encrypt", "anna", "otto", "256"} + restrictions +
                       QStringList{"--", QString::fromStdString(sample), QString::fromStdString(target)}),
                  0);
        return target;
    }
    void Open(const std::string& path, const QStringList& answers)
    {
        windows.dialogs.passwordQuestions.clear();
        windows.dialogs.passwordAnswers.assign(answers.begin(), answers.end());
        form.openfilenow(QString::fromStdString(path));
    }

    ScratchFolder folder;
    std::string sample = CopySample(folder, "beispiel.pdf");
    Windows windows{folder.File("")};
    app::TMainForm& form = windows.main;
};

TEST_F(PasswordTest, AsksAgainAfterAWrongPasswordAndOnlyTheOwnerMayChangeTheProtection)
{
    const std::string file = Protected();
    Open(file, {"falsch", "anna"});
    const auto& questions = windows.dialogs.passwordQuestions;
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0].fileName, "geschuetzt.pdf");
    EXPECT_FALSE(questions[0].again);
    EXPECT_TRUE(questions[1].again);
    EXPECT_TRUE(windows.dialogs.messages.empty());
    EXPECT_EQ(form.document().pages.Count(), 2u);
    EXPECT_EQ(form.EncryptionStateLabel->text(), QString::fromUtf8(ProtectedText));
    EXPECT_TRUE(form.ChangesDeniedLabel->isHidden());
    EXPECT_FALSE(form.EncryptCheck->isEnabled());
    EXPECT_FALSE(form.RemoveEncryptionCheck->isEnabled());

    Open(file, {"otto"});
    EXPECT_TRUE(form.RemoveEncryptionCheck->isEnabled());
    form.EncryptCheck->setChecked(true);
    EXPECT_TRUE(form.UserPasswordEdit->isEnabled());
    form.RemoveEncryptionCheck->setChecked(true);
    EXPECT_FALSE(form.EncryptCheck->isChecked());
    EXPECT_FALSE(form.UserPasswordEdit->isEnabled());
}

TEST_F(PasswordTest, CancelledQuestionKeepsTheOpenDocumentAndANewReadingClearsThePasswords)
{
    Open(sample, {});
    form.PageEd->setValue(2);
    form.EncryptCheck->setChecked(true);
    QTest::keyClicks(form.OwnerPasswordEdit, "geheim");
    for (const QStringList& answers : {QStringList{}, QStringList{"falsch"}}) {
        Open(Protected(), answers);
        EXPECT_EQ(windows.dialogs.passwordQuestions.size(), static_cast<size_t>(answers.size() + 1));
        EXPECT_EQ(form.OpenedFilePath(), QString::fromStdString(sample));
        EXPECT_EQ(form.document().pages.Count(), 2u);
        EXPECT_EQ(form.PageEd->value(), 2);
        EXPECT_EQ(form.OwnerPasswordEdit->text(), "geheim");
    }
    EXPECT_TRUE(windows.dialogs.messages.empty());
    Open(sample, {});
    EXPECT_TRUE(form.OwnerPasswordEdit->text().isEmpty());
    EXPECT_FALSE(form.EncryptCheck->isChecked());
}

TEST_F(PasswordTest, NewProtectionHasThePasswordsAndRightsChosen)
{
    Open(sample, {});
    EXPECT_EQ(form.EncryptionStateLabel->text(), QString::fromUtf8("Die Datei ist nicht mit einem Kennwort geschützt."));
    EXPECT_FALSE(form.RemoveEncryptionCheck->isEnabled());
    EXPECT_FALSE(form.EncryptionStateLabel->isHidden());
    EXPECT_TRUE(form.VersionNoteLabel->isHidden());
    form.EncryptCheck->setChecked(true);
    // The state as read gives way to the choice; the box's 1.3 cannot carry AES-256.
    EXPECT_TRUE(form.EncryptionStateLabel->isHidden());
    EXPECT_FALSE(form.VersionNoteLabel->isHidden());
    EXPECT_TRUE(form.VersionNoteLabel->text().contains("als PDF 1.7")) << form.VersionNoteLabel->text().toStdString();
    form.PDFVersionBox->setCurrentIndex(VersionCount - 1);
    EXPECT_TRUE(form.VersionNoteLabel->isHidden());
    form.PDFVersionBox->setCurrentIndex(DefaultVersionItem);
    EXPECT_EQ(form.OwnerPasswordEdit->echoMode(), QLineEdit::Password);
    EXPECT_EQ(form.OwnerPasswordRepeatEdit->echoMode(), QLineEdit::Password);
    form.UserPasswordEdit->setText(QString::fromUtf8("Schlüssel"));
    form.UserPasswordRepeatEdit->setText(QString::fromUtf8("Schlüssel"));
    form.OwnerPasswordEdit->setText("Hausmeister");
    form.OwnerPasswordRepeatEdit->setText("Hausmeistr");
    form.AllowPrintCheck->setChecked(false);
    const std::string target = folder.File("neu.pdf");
    EXPECT_FALSE(form.SaveTo(QString::fromStdString(target)));
    ASSERT_EQ(windows.dialogs.messages.size(), 1u);
    EXPECT_EQ(windows.dialogs.messages[0].text,
              QString::fromUtf8("Die beiden Eingaben des Kennworts für Änderungen stimmen nicht überein."));
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(form.OwnerPasswordEdit->text(), "Hausmeister") << "kept for correcting";
    form.OwnerPasswordRepeatEdit->setText("Hausmeister");
    ASSERT_TRUE(form.SaveTo(QString::fromStdString(target)));
    EXPECT_EQ(ReadBytes(target).substr(0, 8), "%PDF-1.7");
    EXPECT_TRUE(form.UserPasswordEdit->text().isEmpty());
    EXPECT_TRUE(form.OwnerPasswordEdit->text().isEmpty());

    QString shown;
    ASSERT_EQ(Qpdf({"--show-encryption", QString::fromUtf8("--password=Schlüssel"), QString::fromStdString(target)}, &shown), 0);
    for (const char* line : {"Supplied password is user password", "R = 6", "print high resolution: not allowed",
                             "modify other: allowed"})
        EXPECT_TRUE(shown.contains(line)) << shown.toStdString();
    RecordingPort port;
    PdfDocument reader(port);
    reader.openfilenow(target);
    EXPECT_EQ(reader.pages.Count(), 0u);
    reader.password = "Schlüssel";
    reader.openfilenow(target);
    EXPECT_EQ(reader.pages.Count(), 2u);
}

TEST_F(PasswordTest, DeniedChangesAreShownAndAnEditedTitleIsNotSaved)
{
    const std::string denying = Protected({"--modify=none"});
    Open(denying, {"anna"});
    ASSERT_EQ(form.document().pages.Count(), 2u);
    EXPECT_FALSE(form.ChangesDeniedLabel->isHidden());
    EXPECT_EQ(form.ChangesDeniedLabel->text(), QString::fromUtf8(DeniedText));
    // The fields take no edits; a title changed behind their back is still refused on saving.
    EXPECT_TRUE(form.Edit4->isReadOnly());
    EXPECT_FALSE(form.Edit4->isEnabled());
    EXPECT_FALSE(form.InfoChangesDeniedLabel->isHidden());
    EXPECT_EQ(form.InfoChangesDeniedLabel->text(), QString::fromUtf8(DeniedText));
    EXPECT_FALSE(form.NowBtn->isEnabled());
    EXPECT_FALSE(form.FileProtectBtn->isEnabled());
    form.document().info.title += " (bearbeitet)";
    form.document().info.changedByUser = true;
    const std::string target = folder.File("bearbeitet.pdf");
    EXPECT_FALSE(form.SaveTo(QString::fromStdString(target)));
    ASSERT_EQ(windows.dialogs.messages.size(), 1u);
    EXPECT_EQ(windows.dialogs.messages[0].text, QString::fromUtf8(DeniedText));
    EXPECT_FALSE(std::filesystem::exists(target));

    // With the owner password everything may be changed again.
    Open(denying, {"otto"});
    EXPECT_FALSE(form.Edit4->isReadOnly());
    // New protection starts from the file's own rights.
    EXPECT_FALSE(form.AllowModifyCheck->isChecked());
    EXPECT_TRUE(form.AllowPrintCheck->isChecked());
    EXPECT_TRUE(form.FileProtectBtn->isEnabled());
    EXPECT_TRUE(form.ChangesDeniedLabel->isHidden());
}

}  // namespace
}  // namespace folivo::test
