// folivo: the desktop program. An optional first argument names a PDF file to open at start.
#include <QApplication>
#include <QIcon>
#include <cstring>
#include <iostream>

#include "app/AddTextForm.h"
#include "app/MainUnit.h"
#include "app/OpenPDFForm.h"
#include "app/QtTranslations.h"

// fontconfig loses 288 bytes once per process on FcInit alone (2.14), under the sanitizer
// build's leak check; the substitutes of the page drawn as printed start it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

constexpr const char* Help =
    "Aufruf: folivo [DATEI.pdf]\n"
    "Öffnet das Fenster von Folivo und darin DATEI.pdf, wenn eine Datei angegeben ist.\n"
    "\n"
    "Folivo öffnet PDF-Dateien mit seinem eigenen Leser, zeigt ihre Seiten, bearbeitet die\n"
    "Dokumentinformationen, fügt einen Dateischutz oder Kennwortschutz hinzu und speichert\n"
    "eine vollständige neue PDF-Datei. Ein Dateiname ohne Ordner wird zuerst im\n"
    "Arbeitsordner gesucht.\n"
    "\n"
    "Optionen:\n"
    "  -h, --help     zeigt diese Hilfe an und beendet das Programm\n"
    "  -V, --version  zeigt die Versionsnummer an und beendet das Programm\n"
    "\n"
    "Dieselben Arbeiten ohne Fenster erledigt folivo-cli.\n";

// Answered before the application object exists, so that help works without a display.
bool AnswerInformationRequest(int argc, char** argv)
{
    if (argc != 2) return false;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::cout << Help;
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-V") == 0) {
        std::cout << "folivo (Folivo) " FOLIVO_VERSION "\nCopyright © Quillon\n";
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (AnswerInformationRequest(argc, argv)) return 0;
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
