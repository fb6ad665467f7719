// folivo-cli render: one page painted as the page view paints it, written as PNG.
#include "cli/RenderCommand.h"

#include <QImage>
#include <QString>
#include <charconv>
#include <iostream>
#include <string>

#include "cli/CommandSession.h"
#include "view/PageRenderer.h"

namespace folivo::cli {

namespace {

constexpr const char* Usage =
    "Aufruf: folivo-cli render DATEI --page N [--zoom Z] [--font SCHRIFT] [--no-images] -o ZIEL.png\n"
    "Öffnet DATEI wie das Programm und zeichnet die Seite N wie die Seitenansicht als PNG-Bild.\n"
    "  --page N     die Seite (ab 1)\n"
    "  --zoom Z     Vergrößerung in Prozent, 10 bis 300 (Vorgabe: 50)\n"
    "  --font SCHRIFT  Darstellungsschrift \"FAMILIE[,bold][,italic]\" (Vorgabe: Arial)\n"
    "  --no-images  Bilder nicht einlesen\n"
    "  -o ZIEL.png  die Bilddatei\n";

constexpr int DefaultZoom = 50;
constexpr int MinZoom = 10;
constexpr int MaxZoom = 300;

}  // namespace

int RunRender(int argc, char** argv)
{
    CommandOptions options;
    long page = 0;
    long zoom = DefaultZoom;
    std::string output;
    for (int i = 0; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << Usage;
            return 0;
        }
        if (argument == "--page" && i + 1 < argc) {
            if (!ParseWhole(argv[++i], page) || page < 1) {
                std::cerr << "folivo-cli render: ungültige Seitenzahl " << argv[i] << '\n' << Usage;
                return 1;
            }
        } else if (argument == "--zoom" && i + 1 < argc) {
            if (!ParseWhole(argv[++i], zoom) || zoom < MinZoom || zoom > MaxZoom) {
                std::cerr << "folivo-cli render: ungültige Vergrößerung " << argv[i] << '\n' << Usage;
                return 1;
            }
        } else if (argument == "-o" && i + 1 < argc) {
            output = argv[++i];
        } else if (argument == "--json") {
            std::cerr << "folivo-cli render: ungültige Angabe " << argument << '\n' << Usage;
            return 1;
        } else {
            const int taken = options.Take(argc, argv, i);
            if (taken <= 0) {
                std::cerr << "folivo-cli render: ungültige Angabe " << argument << '\n' << Usage;
                return 1;
            }
            i += taken - 1;
        }
    }
    if (options.path.empty() || page < 1 || output.empty()) {
        std::cerr << "folivo-cli render: DATEI, --page N und -o ZIEL.png angeben\n" << Usage;
        return 1;
    }

    CommandSession session(options);
    PdfDocument& document = session.document;
    if (!session.Readable()) return 2;
    if (static_cast<unsigned long>(page) > document.pages.Count()) {
        std::cerr << "folivo-cli render: Seite " << page << " gibt es nicht (das Dokument hat " << document.pages.Count()
                  << " Seiten)\n";
        return 2;
    }

    const QImage image = RenderPage(document, static_cast<int>(page), static_cast<int>(zoom), session.canvas.PixelsPerInch(),
                                    session.canvas.DisplayFont());
    if (image.isNull()) {
        std::cerr << "folivo-cli render: Seite " << page << " ist zu groß zum Zeichnen\n";
        return 2;
    }
    if (!image.save(QString::fromStdString(output), "PNG")) {
        std::cerr << "folivo-cli render: " << output << " kann nicht geschrieben werden\n";
        return 2;
    }
    return 0;
}

}  // namespace folivo::cli
