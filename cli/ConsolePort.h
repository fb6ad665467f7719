// The user-interface port of the command line: no window; memo lines and messages are kept
// for the report, messages also go to standard error.
#pragma once

#include <string>
#include <vector>

#include "core/SilentPort.h"

namespace folivo::cli {

class ConsolePort : public SilentPort {
public:
    std::vector<std::string> memo;
    std::vector<std::string> messages;

    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    void AddMemoLine(const std::string& line) override { memo.push_back(line); }
};

// The program folder, which holds each run's folder of temporary files: the executable's folder
// when it is writable, otherwise the user's application data folder. Ends in a separator.
std::string ProgramFolder();

}  // namespace folivo::cli
