#include "app/UserDialogs.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QUrl>
#include <QVBoxLayout>

namespace folivo::app {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString PasswordQuestionText(const QString& fileName, bool again)
{
    const QString question = QString::fromUtf8("Die Datei %1 ist durch ein Kennwort geschützt.\nKennwort:").arg(fileName);
    return again ? "Das Kennwort war falsch.\n" + question : question;
}

}  // namespace

void QtUserDialogs::ShowMessage(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon)
{
    QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtUserDialogs::ConfirmOkCancel(QWidget* parent, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    return box.exec() == QMessageBox::Ok;
}

bool QtUserDialogs::ConfirmYesNo(QWidget* parent, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    // A hasty Enter must not do what cannot be undone.
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void PreparePdfSaveDialog(QFileDialog& dialog, const QString& caption, const QString& filter, const QString& folder)
{
    dialog.setWindowTitle(caption);
    dialog.setNameFilter(filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog adds the suffix before it checks for an existing file, so the overwrite
    // question is asked about the name that is really written.
    dialog.setDefaultSuffix("pdf");
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!folder.isEmpty()) dialog.setDirectory(folder);
}

QString QtUserDialogs::SaveFileName(QWidget* parent, const QString& caption, const QString& filter,
                                    const QString& folder)
{
    QFileDialog dialog(parent);
    PreparePdfSaveDialog(dialog, caption, filter, folder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

bool QtUserDialogs::OpenWithDesktop(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtUserDialogs::ShowAbout(QWidget* parent)
{
    QDialog box(parent);
    box.setWindowTitle("Info");
    auto* layout = new QVBoxLayout(&box);
    auto* text = new QLabel(QString::fromUtf8("<b>Quillon Folivo 1.0</b><br><br>"
                                              "Öffnet PDF-Dateien, zeigt ihre Seiten, bearbeitet die "
                                              "Dokumenten Informationen, fügt einen Dateischutz hinzu "
                                              "und speichert eine neue PDF-Datei.<br><br>"
                                              "© Quillon"),
                            &box);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    box.exec();
}

bool QtUserDialogs::ChooseFont(QWidget* parent, QFont& font)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, parent, QString::fromUtf8("Schriftart auswählen"));
    if (ok) font = chosen;
    return ok;
}

std::optional<QString> QtUserDialogs::AskPassword(QWidget* parent, const QString& fileName, bool again)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle("Kennwort");
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setLabelText(PasswordQuestionText(fileName, again));
    dialog.setOkButtonText("OK");
    dialog.setCancelButtonText("Abbrechen");
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

}  // namespace folivo::app
