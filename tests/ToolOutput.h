// Runs the command-line tools the corpus tests compare against (qpdf, pdffonts, pdftotext,
// pdfimages) and collects what they print.
#pragma once

#include <string>

namespace folivo::test {

struct ToolRun {
    bool started = false;
    int exitCode = -1;   // -1: the command did not end normally
    std::string output;  // standard output; standard error is discarded
};

ToolRun RunTool(const std::string& command);

// text as one shell word.
std::string ShellQuoted(const std::string& text);

// Whether `command` (for example "pdffonts -v") runs and exits with status 0.
bool ToolWorks(const std::string& command);

}  // namespace folivo::test
