// Everything the window asks of the user or hands to the desktop, behind one interface so that
// tests answer instead of a person (and never open a file with the desktop's viewer).
#pragma once

#include <QString>
#include <optional>

#include "core/UserInterfacePort.h"

class QFileDialog;
class QFont;
class QWidget;

namespace folivo::app {

class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    virtual void ShowMessage(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon) = 0;
    // OK / Cancel with the information icon; true on OK.
    virtual bool ConfirmOkCancel(QWidget* parent, const QString& text, const QString& caption) = 0;
    // Yes / No with the question icon, No the default; true on Yes.
    virtual bool ConfirmYesNo(QWidget* parent, const QString& text, const QString& caption) = 0;
    // The save dialog for a PDF file, opened in folder (it asks before overwriting and adds
    // ".pdf" to a name without extension); empty when cancelled.
    virtual QString SaveFileName(QWidget* parent, const QString& caption, const QString& filter,
                                 const QString& folder) = 0;
    // The desktop's "open" for a file; false when the desktop could not open it.
    virtual bool OpenWithDesktop(const QString& path) = 0;
    // The modal about box, caption "Info".
    virtual void ShowAbout(QWidget* parent) = 0;
    // The font dialog preset with font; true (and font changed) when the user confirmed.
    virtual bool ChooseFont(QWidget* parent, QFont& font) = 0;
    // The password question for the file fileName, caption "Kennwort", after "Das Kennwort war
    // falsch." when again; nothing when cancelled.
    virtual std::optional<QString> AskPassword(QWidget* parent, const QString& fileName, bool again) = 0;
};

// The real dialogs: message boxes, the file dialog, the desktop services.
class QtUserDialogs : public UserDialogs {
public:
    void ShowMessage(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon) override;
    bool ConfirmOkCancel(QWidget* parent, const QString& text, const QString& caption) override;
    bool ConfirmYesNo(QWidget* parent, const QString& text, const QString& caption) override;
    QString SaveFileName(QWidget* parent, const QString& caption, const QString& filter,
                         const QString& folder) override;
    bool OpenWithDesktop(const QString& path) override;
    void ShowAbout(QWidget* parent) override;
    bool ChooseFont(QWidget* parent, QFont& font) override;
    std::optional<QString> AskPassword(QWidget* parent, const QString& fileName, bool again) override;
};

// Sets up dialog as the PDF save dialog: saving, asking before overwriting, in folder, with
// ".pdf" added to a name that has no extension.
void PreparePdfSaveDialog(QFileDialog& dialog, const QString& caption, const QString& filter, const QString& folder);

}  // namespace folivo::app
