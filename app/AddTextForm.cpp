#include "app/AddTextForm.h"

namespace folivo::app {

TAddTextForm::TAddTextForm(AddTextSettings& settings, QWidget* parent) : QWidget(parent, Qt::Window), settings(settings)
{
    setObjectName("AddTextForm");
    setWindowTitle(QString::fromUtf8("Text hinzufügen"));
    hide();
}

}  // namespace folivo::app
