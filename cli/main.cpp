// folivo-cli: the document operations of Folivo without a window.
#include <iostream>
#include <string>

#include "cli/InfoCommand.h"

namespace {

constexpr const char* Usage =
    "Aufruf: folivo-cli BEFEHL [OPTIONEN]\n"
    "Befehle:\n"
    "  info DATEI [--no-images] [--json]   zeigt, was beim Lesen von DATEI gefunden wurde\n"
    "Mit BEFEHL --help erscheint die Hilfe zu einem Befehl.\n";

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
    if (command == "info") return folivo::cli::RunInfo(argc - 2, argv + 2);
    std::cerr << "folivo-cli: unbekannter Befehl " << command << '\n' << Usage;
    return 1;
}
