// folivo-cli render: pages painted as the page view paints them, written as PNG: as printed, or
// with --simplified in the display font.
#include "cli/RenderCommand.h"

#include <QImage>
#include <QString>
#include <iostream>
#include <string>

#include "cli/CommandSession.h"
#include "view/PagePainter.h"
#include "view/PageRenderer.h"
#include "view/PngFile.h"

namespace folivo::cli {

namespace {

constexpr const char* Usage =
    "Aufruf: folivo-cli render DATEI --page N [--zoom Z] [--font SCHRIFT] [--no-images] -o ZIEL.png\n"
    "        folivo-cli render DATEI --pages A-B [OPTIONEN] -o ZIEL.png\n"
    "Öffnet DATEI wie das Programm und zeichnet die Seite N wie die Seitenansicht als PNG-Bild.\n"
    "  --page N     die Seite (ab 1)\n"
    "  --pages A-B  die Seiten A bis B, nach einmaligem Öffnen; jede Seite N wird zu ZIEL-N.png\n"
    "  --zoom Z     Vergrößerung in Prozent, 10 bis 300 (Vorgabe: 50)\n"
    "  --font SCHRIFT  Darstellungsschrift \"FAMILIE[,bold][,italic]\" (Vorgabe: Arial)\n"
    "  --password KENNWORT  Kennwort einer verschlüsselten Datei\n"
    "  --no-images  Bilder nicht einlesen\n"
    "  --simplified vereinfachte Darstellung: jeder Text in der Darstellungsschrift\n"
    "  -o ZIEL.png  die Bilddatei\n";

constexpr int DefaultZoom = 50;
constexpr int MinZoom = 10;
constexpr int MaxZoom = 300;

// "A-B" with 1 <= A <= B.
bool ParseRange(const std::string& text, long& first, long& last)
{
    const size_t dash = text.find('-');
    if (dash == std::string::npos) return false;
    return ParseWhole(text.substr(0, dash), first) && ParseWhole(text.substr(dash + 1), last) && first >= 1 &&
           first <= last;
}

// ZIEL.png → ZIEL-N.png: the page number goes before the extension, as a page's name.
std::string PageFileName(const std::string& output, long page)
{
    const size_t slash = output.find_last_of('/');
    const size_t dot = output.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    const std::string stem = hasExtension ? output.substr(0, dot) : output;
    return stem + "-" + std::to_string(page) + (hasExtension ? output.substr(dot) : ".png");
}

}  // namespace

int RunRender(int argc, char** argv)
{
    CommandOptions options;
    long first = 0;
    long last = 0;
    bool range = false;
    long zoom = DefaultZoom;
    std::string output;
    OptionTable table("render", Usage);
    AddDocumentOptions(table, options, false);
    // --page and --pages exclude each other; the later one is refused by its name, not its value.
    table.Value("--page", MissingValue::Unknown, [&](const std::string& value) -> OptionError {
        if (range) return "ungültige Seitenzahl --page";
        if (!ParseWhole(value, first) || first < 1) return "ungültige Seitenzahl " + value;
        last = first;
        return std::nullopt;
    });
    table.Value("--pages", MissingValue::Unknown, [&](const std::string& value) -> OptionError {
        if (first != 0) return "ungültiger Seitenbereich --pages";
        if (!ParseRange(value, first, last)) return "ungültiger Seitenbereich " + value;
        range = true;
        return std::nullopt;
    });
    table.Value("--zoom", MissingValue::Unknown, [&zoom](const std::string& value) -> OptionError {
        if (!ParseWhole(value, zoom) || zoom < MinZoom || zoom > MaxZoom) return "ungültige Vergrößerung " + value;
        return std::nullopt;
    });
    table.Text("-o", output, MissingValue::Unknown);
    bool simplified = false;
    table.Flag("--simplified", simplified);
    if (const auto status = table.Parse(argc, argv)) return *status;
    if (options.path.empty() || first < 1 || output.empty())
        return table.Refuse("DATEI, --page N (oder --pages A-B) und -o ZIEL.png angeben");

    CommandSession session(options);
    PdfDocument& document = session.document;
    if (!session.Readable()) return 2;
    if (static_cast<unsigned long>(last) > document.pages.Count()) {
        std::cerr << "folivo-cli render: Seite " << last << " gibt es nicht (das Dokument hat " << document.pages.Count()
                  << " Seiten)\n";
        return 2;
    }

    FontPrograms fonts(document);
    auto fontProblem = [](const std::string& problem) { std::cerr << "folivo-cli render: " << problem << '\n'; };
    for (long page = first; page <= last; ++page) {
        const int resolution = session.canvas.PixelsPerInch();
        const QImage image = simplified ? RenderPage(document, static_cast<int>(page), static_cast<int>(zoom), resolution,
                                                     session.canvas.DisplayFont())
                                        : RenderPageAsPrinted(document, fonts, static_cast<int>(page), static_cast<int>(zoom),
                                                              resolution, 1, fontProblem);
        if (image.isNull()) {
            std::cerr << "folivo-cli render: Seite " << page << " ist zu groß zum Zeichnen\n";
            return 2;
        }
        const std::string file = range ? PageFileName(output, page) : output;
        if (!WritePng(image, QString::fromStdString(file))) {
            std::cerr << "folivo-cli render: " << file << " kann nicht geschrieben werden\n";
            return 2;
        }
    }
    return 0;
}

}  // namespace folivo::cli
