#include "cli/CommandSession.h"

#include <charconv>

#include "view/QtText.h"

namespace folivo::cli {

std::string ShortestNumber(double value)
{
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
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
