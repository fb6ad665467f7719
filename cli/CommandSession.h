// What every document command of folivo-cli shares: its common options and a document opened
// exactly as the window opens it, measured with the real display font.
#pragma once

#include <optional>
#include <string>

#include "cli/ConsolePort.h"
#include "core/TemporaryFolder.h"
#include "document/PdfDocument.h"
#include "view/QtMeasuringCanvas.h"

namespace folivo::cli {

struct CommandOptions {
    std::string path;
    bool json = false;
    bool readImages = true;
    // Set by commands that need neither pixels nor page items.
    bool interpretPages = true;
    // The password of an encrypted file (UTF-8).
    std::string password;
    // The display font, which text is measured with (and the protection describes).
    DisplayFont font;

    // Takes argv[i] when it is --json, --no-images, --font VALUE, --password VALUE or the file
    // name: the number of arguments taken, 0 for anything else, -1 for an option without a
    // valid value.
    int Take(int argc, char** argv, int i);
};

// A whole number that is the whole text.
bool ParseWhole(const std::string& text, long& value);

// A number in its shortest form with "." as decimal point.
std::string ShortestNumber(double value);

// "FAMILY[,bold][,italic]"; empty when the text has another form.
std::optional<DisplayFont> ParseFontOption(const std::string& text);

class CommandSession {
public:
    explicit CommandSession(const CommandOptions& options);

    ConsolePort port;
    QtMeasuringCanvas canvas;
    // Outlives the document, which may decode pictures until it is closed.
    TemporaryFolder temporaryFolder{ProgramFolder()};
    PdfDocument document{port};

    // The file was read and is not invalid.
    bool Readable() const { return document.documentRead && !document.invalid; }
};

}  // namespace folivo::cli
