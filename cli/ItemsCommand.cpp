// folivo-cli items: the page items of one page, in list order.
#include "cli/ItemsCommand.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/CommandSession.h"
#include "syntax/Names.h"

namespace folivo::cli {

namespace {

constexpr const char* Usage =
    "Aufruf: folivo-cli items DATEI --page N [--json] [--no-images] [--font SCHRIFT]\n"
    "Öffnet DATEI wie das Programm und zeigt die Elemente der Seite N in ihrer Reihenfolge.\n"
    "  --page N     die Seite (ab 1)\n"
    "  --json       Ausgabe als JSON-Array; beschnittene Elemente mit \"clip\": [links, unten, rechts, oben]\n"
    "               Bilder im Seiteninhalt mit \"inline\": true; Bild -1: nicht lesbar, als Rahmen gezeigt\n"
    "  --no-images  Bilder nicht einlesen\n"
    "  --font SCHRIFT  Darstellungsschrift \"FAMILIE[,bold][,italic]\" (Vorgabe: Arial)\n"
    "  --password KENNWORT  Kennwort einer verschlüsselten Datei\n";

// 0x00BBGGRR as RRGGBB.
std::string Colour(uint32_t colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return text;
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

// The font's resource name as the file's syntax writes it: a byte that cannot stand in a name
// keeps its escape, so that blanks still separate the fields. JSON gives the name's bytes.
std::string TextLine(const PageItem& item)
{
    return "text " + ShortestNumber(item.X) + ' ' + ShortestNumber(item.Y) + ' ' + ShortestNumber(item.FontSize) + ' ' +
           ShortestNumber(item.LineHeight) + ' ' + ShortestNumber(item.TextWidth) + ' ' + std::string(item.FontName.View()) + ' ' +
           Colour(item.FillColor) + ' ' + Quoted(std::string(item.Text.View()));
}

std::string ImageLine(const PageItem& item)
{
    return "image " + std::to_string(item.ImageIndex) + ' ' + ShortestNumber(item.X) + ' ' + ShortestNumber(item.Y) + ' ' +
           ShortestNumber(item.ScaleX) + ' ' + ShortestNumber(item.ScaleY);
}

std::string PathLine(const PageItem& item)
{
    return "path " + std::to_string(item.Stroked) + ' ' + std::to_string(item.Filled) + ' ' +
           std::to_string(item.Segments ? item.Segments->Count() : 0) + ' ' + ShortestNumber(item.X) + ' ' + ShortestNumber(item.Y) +
           ' ' + ShortestNumber(item.ScaleX) + ' ' + ShortestNumber(item.ScaleY) + ' ' + Colour(item.StrokeColor) + ' ' +
           Colour(item.FillColor);
}

nlohmann::json KindJson(const PageItem& item)
{
    if (item.IsImage) {
        // Index -1: a picture that could not be decoded; inline ones count in their own list.
        nlohmann::json image = {{"kind", "image"}, {"index", item.ImageIndex}, {"x", item.X}, {"y", item.Y},
                                {"scale-x", item.ScaleX}, {"scale-y", item.ScaleY}};
        if (item.IsInline) image["inline"] = true;
        return image;
    }
    if (item.IsPath) {
        return {{"kind", "path"},
                {"stroked", item.Stroked != 0},
                {"filled", item.Filled != 0},
                {"segments", item.Segments ? item.Segments->Count() : 0},
                {"x", item.X},
                {"y", item.Y},
                {"scale-x", item.ScaleX},
                {"scale-y", item.ScaleY},
                {"stroke-color", Colour(item.StrokeColor)},
                {"fill-color", Colour(item.FillColor)}};
    }
    return {{"kind", "text"},
            {"x", item.X},
            {"y", item.Y},
            {"font-size", item.FontSize},
            {"line-height", item.LineHeight},
            {"text-width", item.TextWidth},
            {"font-name", ReadableName(item.FontName.View())},
            {"fill-color", Colour(item.FillColor)},
            {"text", std::string(item.Text.View())}};
}

nlohmann::json ItemJson(const PageItem& item)
{
    nlohmann::json json = KindJson(item);
    if (item.Clipped) json["clip"] = {item.ClipLeft, item.ClipBottom, item.ClipRight, item.ClipTop};
    return json;
}

}  // namespace

int RunItems(int argc, char** argv)
{
    CommandOptions options;
    long page = 0;
    OptionTable table("items", Usage);
    AddDocumentOptions(table, options, true);
    table.Value("--page", MissingValue::Unknown, [&page](const std::string& value) -> OptionError {
        if (!ParseWhole(value, page) || page < 1) return "ungültige Seitenzahl " + value;
        return std::nullopt;
    });
    if (const auto status = table.Parse(argc, argv)) return *status;
    if (options.path.empty() || page < 1) return table.Refuse("DATEI und --page N angeben");

    CommandSession session(options);
    PdfDocument& document = session.document;
    if (!session.Readable()) return 2;
    if (static_cast<unsigned long>(page) > document.pages.Count()) {
        std::cerr << "folivo-cli items: Seite " << page << " gibt es nicht (das Dokument hat "
                  << document.pages.Count() << " Seiten)\n";
        return 2;
    }

    nlohmann::json list = nlohmann::json::array();
    const PageItemRanges::Range items = document.pageItemRanges.Of(static_cast<uint32_t>(page));
    for (uint32_t i = items.first; i < items.first + items.count; ++i) {
        const PageItem& item = *document.PageItemList.At(i);
        if (options.json) {
            list.push_back(ItemJson(item));
        } else {
            std::cout << (item.IsImage ? ImageLine(item) : item.IsPath ? PathLine(item) : TextLine(item)) << '\n';
        }
    }
    if (options.json) std::cout << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    return 0;
}

}  // namespace folivo::cli
