#include "cli/CommandSession.h"

#include <charconv>
#include <vector>

#include "core/Windows1252.h"
#include "view/QtText.h"

namespace folivo::cli {

bool ParseWhole(const std::string& text, long& value)
{
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

std::string ShortestNumber(double value)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::optional<DisplayFont> ParseFontOption(const std::string& text)
{
    DisplayFont font;
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (parts.front().empty()) return std::nullopt;
    const auto family = Utf8ToWindows1252(parts.front());
    if (!family) return std::nullopt;
    font.family = *family;
    for (size_t i = 1; i < parts.size(); ++i) {
        if (parts[i] == "bold") font.bold = true;
        else if (parts[i] == "italic") font.italic = true;
        else return std::nullopt;
    }
    return font;
}

int CommandOptions::Take(int argc, char** argv, int i)
{
    const std::string argument = argv[i];
    if (argument == "--json") {
        json = true;
    } else if (argument == "--no-images") {
        readImages = false;
    } else if (argument == "--font") {
        const auto parsed = i + 1 < argc ? ParseFontOption(argv[i + 1]) : std::nullopt;
        if (!parsed) return -1;
        font = *parsed;
        return 2;
    } else if (argument == "--password") {
        if (i + 1 >= argc) return -1;
        password = argv[i + 1];
        return 2;
    } else if (!argument.empty() && argument[0] != '-' && path.empty()) {
        path = argument;
    } else {
        return 0;
    }
    return 1;
}

CommandSession::CommandSession(const CommandOptions& options)
{
    canvas.SetDisplayFont(QStringFromWindows1252(options.font.family), options.font.bold, options.font.italic);
    document.canvas = &canvas;
    document.temporaryFolder = temporaryFolder.Path();
    document.readImages = options.readImages;
    document.interpretPages = options.interpretPages;
    document.password = options.password;
    document.openfilenow(options.path);
}

}  // namespace folivo::cli
