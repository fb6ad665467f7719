// The form that carries the add-text settings. It is created at start and never shown; its
// controls mirror the settings, which the editing code reads from the document.
#pragma once

#include <QWidget>

#include "edit/AddTextSettings.h"

class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QSpinBox;

namespace folivo::app {

class TAddTextForm : public QWidget {
    Q_OBJECT
public:
    TAddTextForm(AddTextSettings& settings, QWidget* parent = nullptr);

    // Fills the controls from the settings (after code changed them).
    void ShowSettings();
    // The settings live in the open document: a newly read document brings its own object.
    void UseSettings(AddTextSettings& settings);
    AddTextSettings& Settings() const { return *settings_; }

    QComboBox* ComboBox1 = nullptr;
    QSpinBox* FontSizeEd = nullptr;
    QComboBox* MerrowColorComboBox1 = nullptr;
    QCheckBox* PasteinBackCheck = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

private:
    // Writes what the controls show back into the settings.
    void ControlsEdited();

    AddTextSettings* settings_;
    bool filling_ = false;
};

}  // namespace folivo::app
