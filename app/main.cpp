// folivo: the desktop program. An optional first argument names a PDF file to open at start.
#include <QApplication>
#include <QIcon>

#include "app/AddTextForm.h"
#include "app/MainUnit.h"
#include "app/OpenPDFForm.h"
#include "app/QtTranslations.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName("Folivo");
    // X11 takes the icon from the window; Wayland shells look it up through the desktop file.
    QGuiApplication::setDesktopFileName("folivo");
    QApplication::setWindowIcon(QIcon(":/icons/folivo.svg"));
    folivo::app::InstallGermanQtTranslations(application);

    folivo::app::TMainForm MainForm;
    auto* OpenPDFForm = new folivo::app::TOpenPDFForm(&MainForm);
    auto* AddTextForm = new folivo::app::TAddTextForm(MainForm.document().addTextSettings, &MainForm);
    MainForm.AttachForms(OpenPDFForm, AddTextForm);
    MainForm.SetStartArguments(QApplication::arguments().mid(1));
    MainForm.show();
    return application.exec();
}
