// Password-protected files in the window: the question when opening, the save page's password
// group, and protection written anew. qpdf makes the protected files and checks the saved ones.
#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "tests/RecordingPort.h"
#include "tests/app/AppTestSupport.h"

namespace folivo::test {
namespace {

const char* const DeniedText =
    "Der Verfasser dieser PDF-Datei erlaubt keine Änderungen. Ohne das Kennwort für Änderungen kann sie nur "
    "unverändert gespeichert werden.";

// qpdf's exit code (-1 when it did not run) and what it printed.
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
        sample = CopySample(folder, "beispiel.pdf");
    }

    // The sample protected with AES-256, passwords "anna" (open) and "otto" (owner).
    std::string Protected(const std::string& name, const QStringList& restrictions = {})
    {
        const std::string target = folder.File(name);
        QStringList arguments{"--encrypt", "anna", "otto", "256"};
        arguments << restrictions << "--" << QString::fromStdString(sample) << QString::fromStdString(target);
        EXPECT_EQ(Qpdf(arguments), 0);
        return target;
    }

    void Open(const std::string& path, QStringList answers)
    {
        windows.dialogs.passwordQuestions.clear();
        windows.dialogs.passwordAnswers.assign(answers.begin(), answers.end());
        form.openfilenow(QString::fromStdString(path));
    }

    ScratchFolder folder;
    std::string sample;
    Windows windows{folder.File("")};
    app::TMainForm& form = windows.main;
};

TEST_F(PasswordTest, OpeningAsksAgainAfterAWrongPasswordAndTheOwnerPasswordMayChangeTheProtection)
{
    const std::string file = Protected("geschuetzt.pdf");
    Open(file, {"falsch", "anna"});
    ASSERT_EQ(windows.dialogs.passwordQuestions.size(), 2u);
    EXPECT_EQ(windows.dialogs.passwordQuestions[0].fileName, "geschuetzt.pdf");
    EXPECT_FALSE(windows.dialogs.passwordQuestions[0].again);
    EXPECT_TRUE(windows.dialogs.passwordQuestions[1].again);
    EXPECT_TRUE(windows.dialogs.messages.empty());
    EXPECT_EQ(form.document.pages.Count(), 2u);
    EXPECT_EQ(form.OpenedFilePath(), QString::fromStdString(file));
    EXPECT_EQ(form.ProtectionStateLabel->text(),
              QString::fromUtf8("Die Datei ist mit einem Kennwort geschützt; sie bleibt beim Speichern so geschützt."));
    EXPECT_TRUE(form.ChangesDeniedLabel->isHidden());
    // The open password alone may not change the protection.
    EXPECT_FALSE(form.ProtectCheck->isEnabled());
    EXPECT_FALSE(form.RemoveProtectionCheck->isEnabled());

    Open(file, {"otto"});
    EXPECT_EQ(windows.dialogs.passwordQuestions.size(), 1u);
    EXPECT_TRUE(form.ProtectCheck->isEnabled());
    EXPECT_TRUE(form.RemoveProtectionCheck->isEnabled());
    // Protecting anew and removing exclude each other; the new protection's fields follow.
    EXPECT_FALSE(form.UserPasswordEdit->isEnabled());
    form.ProtectCheck->setChecked(true);
    EXPECT_TRUE(form.UserPasswordEdit->isEnabled());
    form.RemoveProtectionCheck->setChecked(true);
    EXPECT_FALSE(form.ProtectCheck->isChecked());
    EXPECT_FALSE(form.UserPasswordEdit->isEnabled());

    // Removed protection: the saved file opens without a question.
    const std::string plain = folder.File("offen.pdf");
    form.ShowPDFCheck->setChecked(false);
    ASSERT_TRUE(form.SaveTo(QString::fromStdString(plain)));
    Open(plain, {});
    EXPECT_TRUE(windows.dialogs.passwordQuestions.empty());
    EXPECT_EQ(form.document.pages.Count(), 2u);
    EXPECT_EQ(form.ProtectionStateLabel->text(), QString::fromUtf8("Die Datei ist nicht mit einem Kennwort geschützt."));
    EXPECT_FALSE(form.RemoveProtectionCheck->isEnabled());
}

TEST_F(PasswordTest, CancelledQuestionKeepsTheOpenDocument)
{
    Open(sample, {});
    form.PageEd->setValue(2);
    form.ProtectCheck->setChecked(true);
    QTest::keyClicks(form.OwnerPasswordEdit, "geheim");
    for (const QStringList& answers : {QStringList{}, QStringList{"falsch"}}) {
        Open(Protected("geschuetzt.pdf"), answers);
        EXPECT_EQ(windows.dialogs.passwordQuestions.size(), static_cast<size_t>(answers.size() + 1));
        EXPECT_TRUE(windows.dialogs.messages.empty());
        EXPECT_EQ(form.OpenedFilePath(), QString::fromStdString(sample));
        EXPECT_TRUE(form.DocumentOpen());
        EXPECT_EQ(form.document.pages.Count(), 2u);
        EXPECT_EQ(form.PageEd->value(), 2);
        EXPECT_EQ(form.Label6->text(), "von 2");
        EXPECT_EQ(form.OwnerPasswordEdit->text(), "geheim");
    }
    // Reading another document empties the password fields.
    Open(sample, {});
    EXPECT_TRUE(form.OwnerPasswordEdit->text().isEmpty());
    EXPECT_FALSE(form.ProtectCheck->isChecked());
}

TEST_F(PasswordTest, NewProtectionIsWrittenWithTheChosenPasswordsAndRights)
{
    Open(sample, {});
    EXPECT_EQ(form.ProtectionStateLabel->text(), QString::fromUtf8("Die Datei ist nicht mit einem Kennwort geschützt."));
    EXPECT_FALSE(form.RemoveProtectionCheck->isEnabled());
    form.ShowPDFCheck->setChecked(false);
    form.ProtectCheck->setChecked(true);
    EXPECT_EQ(form.UserPasswordEdit->echoMode(), QLineEdit::Password);
    EXPECT_EQ(form.OwnerPasswordEdit->echoMode(), QLineEdit::Password);
    form.UserPasswordEdit->setText(QString::fromUtf8("Schlüssel"));
    form.AllowPrintCheck->setChecked(false);

    // No save without the owner password; what was typed stays for the next try.
    const std::string target = folder.File("neu.pdf");
    EXPECT_FALSE(form.SaveTo(QString::fromStdString(target)));
    ASSERT_EQ(windows.dialogs.messages.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_FALSE(form.UserPasswordEdit->text().isEmpty());

    QTest::keyClicks(form.OwnerPasswordEdit, "Hausmeister");
    ASSERT_TRUE(form.SaveTo(QString::fromStdString(target)));
    EXPECT_TRUE(form.UserPasswordEdit->text().isEmpty());
    EXPECT_TRUE(form.OwnerPasswordEdit->text().isEmpty());
    EXPECT_TRUE(form.document.passwordSettings.ownerPassword.empty());
    EXPECT_EQ(ReadBytes(target).find("Hausmeister"), std::string::npos);

    QString shown;
    const QString path = QString::fromStdString(target);
    ASSERT_EQ(Qpdf({"--show-encryption", QString::fromUtf8("--password=Schlüssel"), path}, &shown), 0);
    EXPECT_TRUE(shown.contains("Supplied password is user password")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("R = 6")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("print high resolution: not allowed")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("modify other: allowed")) << shown.toStdString();

    RecordingPort port;
    PdfDocument reader(port);
    reader.openfilenow(target);
    EXPECT_EQ(reader.pages.Count(), 0u);
    EXPECT_FALSE(port.messages.empty());
    reader.password = "Schlüssel";
    reader.openfilenow(target);
    EXPECT_EQ(reader.pages.Count(), 2u);
}

TEST_F(PasswordTest, DeniedChangesAreShownAndAnEditedDocumentIsNotSaved)
{
    Open(Protected("gesperrt.pdf", {"--modify=none"}), {"anna"});
    ASSERT_EQ(form.document.pages.Count(), 2u);
    EXPECT_FALSE(form.ChangesDeniedLabel->isHidden());
    EXPECT_EQ(form.ChangesDeniedLabel->text(), QString::fromUtf8(DeniedText));
    EXPECT_FALSE(form.ProtectCheck->isEnabled());
    form.ShowPDFCheck->setChecked(false);

    // Unchanged, it is saved, and stays protected.
    const std::string unchanged = folder.File("unveraendert.pdf");
    ASSERT_TRUE(form.SaveTo(QString::fromStdString(unchanged)));
    EXPECT_EQ(Qpdf({"--requires-password", QString::fromStdString(unchanged)}), 0);

    QTest::keyClicks(form.Edit4, " (bearbeitet)");
    const std::string edited = folder.File("bearbeitet.pdf");
    EXPECT_FALSE(form.SaveTo(QString::fromStdString(edited)));
    ASSERT_EQ(windows.dialogs.messages.size(), 1u);
    EXPECT_EQ(windows.dialogs.messages[0].text, QString::fromUtf8(DeniedText));
    EXPECT_FALSE(std::filesystem::exists(edited));
}

TEST(PasswordDialog, HidesWhatIsTypedAndSaysWhenThePasswordWasWrong)
{
    app::QtUserDialogs dialogs;
    for (const bool again : {false, true}) {
        QString label;
        QLineEdit::EchoMode echo = QLineEdit::Normal;
        QString caption;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            label = dialog->labelText();
            echo = dialog->textEchoMode();
            caption = dialog->windowTitle();
            dialog->setTextValue(QString::fromUtf8("Grüße"));
            dialog->accept();
        });
        EXPECT_EQ(dialogs.AskPassword(nullptr, "akte.pdf", again), QString::fromUtf8("Grüße"));
        EXPECT_EQ(caption, "Kennwort");
        EXPECT_EQ(echo, QLineEdit::Password);
        const QString question = QString::fromUtf8("Die Datei akte.pdf ist durch ein Kennwort geschützt.\nKennwort:");
        EXPECT_EQ(label, again ? "Das Kennwort war falsch.\n" + question : question);
    }
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) static_cast<QDialog*>(dialog)->reject();
    });
    EXPECT_EQ(dialogs.AskPassword(nullptr, "akte.pdf", false), std::nullopt);
}

}  // namespace
}  // namespace folivo::test
