// What every document command of folivo-cli shares: a document opened exactly as the window
// opens it, measured with the real display font.
#pragma once

#include <string>

#include "cli/CommandOptions.h"
#include "cli/ConsolePort.h"
#include "core/TemporaryFolder.h"
#include "document/PdfDocument.h"
#include "view/QtMeasuringCanvas.h"

namespace folivo::cli {

// A number in its shortest form with "." as decimal point.
std::string ShortestNumber(double value);

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
