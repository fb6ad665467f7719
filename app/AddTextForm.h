// The form that carries the add-text settings. It is created at start and never shown; the
// editing code reads the settings from the document.
#pragma once

#include <QWidget>

#include "edit/AddTextSettings.h"

namespace folivo::app {

class TAddTextForm : public QWidget {
    Q_OBJECT
public:
    TAddTextForm(AddTextSettings& settings, QWidget* parent = nullptr);

    AddTextSettings& settings;
};

}  // namespace folivo::app
