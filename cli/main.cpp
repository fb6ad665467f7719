// folivo-cli: the document operations of Folivo without a window.
#include <QGuiApplication>
#include <iostream>
#include <string>

#include "cli/InfoCommand.h"
#include "cli/ItemsCommand.h"
#include "cli/RenderCommand.h"
#include "cli/SaveCommand.h"
#include "view/HeadlessQt.h"

// fontconfig loses 288 bytes once per process on FcInit alone (2.14), under the sanitizer
// build's leak check; the substitutes of the page drawn as printed start it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

constexpr const char* Usage =
    "Aufruf: folivo-cli BEFEHL [OPTIONEN]\n"
    "Befehle:\n"
    "  info DATEI [--no-images] [--json]   zeigt, was beim Lesen von DATEI gefunden wurde\n"
    "  items DATEI --page N [--json]       zeigt die Elemente einer Seite\n"
    "  save DATEI -o ZIEL [OPTIONEN]       speichert DATEI als neue PDF-Datei ZIEL\n"
    "  render DATEI --page N -o ZIEL.png   zeichnet eine Seite als PNG-Bild\n"
    "  render DATEI --pages A-B -o ZIEL.png  zeichnet die Seiten A bis B als ZIEL-A.png ... ZIEL-B.png\n"
    "Mit BEFEHL --help erscheint die Hilfe zu einem Befehl.\n"
    "\n"
    "Optionen:\n"
    "  -h, --help     zeigt diese Hilfe an\n"
    "  -V, --version  zeigt die Versionsnummer an\n"
    "\n"
    "Beendigungsstatus: 0 erledigt, 2 abgelehnt, ungültig oder nicht lesbar (oder nicht\n"
    "geschrieben), 1 falscher Aufruf.\n";

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << Usage;
        return 1;
    }
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << Usage;
        return 0;
    }
    if (command == "--version" || command == "-V") {
        std::cout << "folivo-cli (Folivo) " FOLIVO_VERSION "\nCopyright © Quillon\n";
        return 0;
    }

    // Text is measured with the real fonts, so commands run inside a Qt application. It gets
    // only the program name: Qt would otherwise take options such as -platform from our arguments.
    // The tool never shows a window, so it never needs a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    folivo::PrepareHeadlessQtEnvironment();
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QGuiApplication application(qtArgc, qtArgv);

    if (command == "info") return folivo::cli::RunInfo(argc - 2, argv + 2);
    if (command == "items") return folivo::cli::RunItems(argc - 2, argv + 2);
    if (command == "save") return folivo::cli::RunSave(argc - 2, argv + 2);
    if (command == "render") return folivo::cli::RunRender(argc - 2, argv + 2);
    std::cerr << "folivo-cli: unbekannter Befehl " << command << '\n' << Usage;
    return 1;
}
