// Signed documents in the window: the information page says so, the save page appends the
// changes by default, and a save as a new file asks first.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>

#include "tests/RecordingPort.h"
#include "tests/TestDocuments.h"
#include "tests/app/AppTestSupport.h"

namespace folivo::test {
namespace {

// A one-page document whose form has `count` signature fields holding a signature value
// (not a valid one: the window only counts them) and one empty signature field.
std::string WithSignatures(const ScratchFolder& folder, int count)
{
    PdfBuilder builder;
    std::string fields = "5 0 R";
    for (int i = 0; i < count; ++i) fields += " " + std::to_string(6 + i) + " 0 R";
    builder.objects = {"<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [" + fields + "] >> >>",
                       "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                       "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 300] >>", "<< /Title (Formular) >>",
                       "<< /FT /Sig /T (Leer) >>"};
    for (int i = 0; i < count; ++i)
        builder.objects.push_back("<< /FT /Sig /T (S" + std::to_string(i) + ") /V << /Type /Sig /Name (Max) >> >>");
    builder.trailerEntries = "/Root 1 0 R /Info 4 0 R";
    return folder.Write("signaturen" + std::to_string(count) + ".pdf", builder.Build());
}

// The process's exit code, -1 when it did not run; output gets what it printed.
int RunTool(const QString& program, const QStringList& arguments, QString* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return -1;
    if (output) *output = QString::fromUtf8(process.readAll());
    return process.exitCode();
}

class SignedDocumentTest : public ::testing::Test {
protected:
    void SetUp() override { form.ShowPDFCheck->setChecked(false); }
    void Open(const std::string& path) { form.openfilenow(QString::fromStdString(path)); }

    ScratchFolder folder;
    Windows windows{folder.File("")};
    app::TMainForm& form = windows.main;
};

TEST_F(SignedDocumentTest, EachReadingShowsItsSignaturesAndChoosesAppendingForASignedOne)
{
    EXPECT_FALSE(form.AppendCheck->isEnabled());
    EXPECT_FALSE(form.AppendCheck->isChecked());
    const struct {
        int count;
        const char* label;  // nullptr: hidden
    } readings[] = {{2, "Dieses Dokument ist digital signiert (2 Signaturen)."},
                    {1, "Dieses Dokument ist digital signiert (1 Signatur)."},
                    {0, nullptr}};
    for (const auto& reading : readings) {
        SCOPED_TRACE(reading.count);
        Open(WithSignatures(folder, reading.count));
        const bool signedDocument = reading.label != nullptr;
        EXPECT_EQ(form.SignatureLabel->isVisibleTo(form.PageControl2->widget(2)), signedDocument);
        if (signedDocument) {
            EXPECT_EQ(form.SignatureLabel->text(), QString::fromUtf8(reading.label));
        }
        EXPECT_TRUE(form.AppendCheck->isEnabled());
        EXPECT_EQ(form.AppendCheck->isChecked(), signedDocument);
        EXPECT_EQ(form.PDFVersionBox->isEnabled(), !signedDocument);
        EXPECT_EQ(form.PasswordGroup->isEnabled(), !signedDocument);
    }

    // Appending chosen for the unsigned document, and given up again: the group's own rule that
    // an unprotected file has no protection to remove still holds.
    form.PDFVersionBox->setCurrentIndex(5);
    form.AppendCheck->setChecked(true);
    EXPECT_FALSE(form.PDFVersionBox->isEnabled());
    // The box shows the version the appended file keeps.
    EXPECT_EQ(form.PDFVersionBox->currentIndex(), 2);
    EXPECT_FALSE(form.EncryptCheck->isEnabled());
    form.AppendCheck->setChecked(false);
    EXPECT_TRUE(form.PDFVersionBox->isEnabled());
    EXPECT_TRUE(form.PasswordGroup->isEnabled());
    EXPECT_TRUE(form.EncryptCheck->isEnabled());
    EXPECT_FALSE(form.RemoveEncryptionCheck->isEnabled());

    // A failed reading keeps the open document and the choice made for it.
    form.AppendCheck->setChecked(true);
    Open(folder.Write("kaputt.pdf", "kein PDF"));
    EXPECT_TRUE(form.AppendCheck->isEnabled());
    EXPECT_TRUE(form.AppendCheck->isChecked());
}

TEST_F(SignedDocumentTest, SignedFileIsSavedByAppendingUnlessTheUserAgreesToBreakTheSignatures)
{
    const QString signer = QString::fromUtf8(FOLIVO_SOURCE_DIR "/../shared/tools/sign_pdf.py");
    for (const char* tool : {"python3", "openssl", "qpdf"})
        if (QStandardPaths::findExecutable(tool).isEmpty()) GTEST_SKIP() << tool << " is not installed";
    if (!std::filesystem::exists(signer.toStdString())) GTEST_SKIP() << "sign_pdf.py is missing";
    const std::string input = folder.File("signiert.pdf");
    const QString raw = QString::fromStdString(WriteUndatedPdf(folder, "roh.pdf"));
    ASSERT_EQ(RunTool("python3", {signer, raw, QString::fromStdString(input)}), 0);
    const std::string inputBytes = ReadBytes(input);
    Open(input);
    ASSERT_TRUE(form.AppendCheck->isChecked());
    form.Edit4->clear();
    QTest::keyClicks(form.Edit4, "Neuer Titel");

    const std::string appended = folder.File("angehaengt.pdf");
    windows.dialogs.saveAnswer = QString::fromStdString(appended);
    form.SaveBtn->click();
    EXPECT_TRUE(windows.dialogs.confirmations.empty());
    const std::string appendedBytes = ReadBytes(appended);
    EXPECT_GT(appendedBytes.size(), inputBytes.size());
    EXPECT_TRUE(appendedBytes.starts_with(inputBytes));
    RecordingPort port;
    PdfDocument readBack(port);
    readBack.openfilenow(appended);
    EXPECT_EQ(readBack.info.title, "Neuer Titel");
    EXPECT_EQ(readBack.signatures.size(), 1u);
    QString report;
    if (!QStandardPaths::findExecutable("pdfsig").isEmpty()) {
        RunTool("pdfsig", {QString::fromStdString(appended)}, &report);
        EXPECT_TRUE(report.contains("Signature is Valid.")) << report.toStdString();
    }

    // As a new file: the question first, and on "Nein" not even the save dialog.
    form.AppendCheck->setChecked(false);
    const std::string full = folder.File("neu.pdf");
    windows.dialogs.saveAnswer = QString::fromStdString(full);
    const int dialogsBefore = windows.dialogs.saveDialogsShown;
    for (const bool agreed : {false, true}) {
        SCOPED_TRACE(agreed);
        windows.dialogs.confirmations.clear();
        windows.dialogs.confirmAnswer = agreed;
        form.SaveBtn->click();
        ASSERT_EQ(windows.dialogs.confirmations.size(), 1u);
        EXPECT_EQ(windows.dialogs.confirmations[0].text, QString::fromUtf8(PdfDocument::SignaturesBrokenWarning));
        EXPECT_EQ(windows.dialogs.confirmations[0].icon, MessageIcon::Question);
        EXPECT_EQ(windows.dialogs.saveDialogsShown, dialogsBefore + (agreed ? 1 : 0));
        EXPECT_EQ(std::filesystem::exists(full), agreed);
    }
    EXPECT_FALSE(ReadBytes(full).starts_with(inputBytes));
    EXPECT_TRUE(windows.dialogs.messages.empty());
}

}  // namespace
}  // namespace folivo::test
