#include "cli/ConsolePort.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace folivo::cli {

void ConsolePort::ShowMessage(const std::string& text, const std::string&, MessageIcon)
{
    messages.push_back(text);
    std::cerr << "folivo-cli: " << text << '\n';
}

std::string ProgramFolder()
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path();
    if (error || folder.empty() || access(folder.c_str(), W_OK) != 0) {
        const char* dataHome = std::getenv("XDG_DATA_HOME");
        const char* home = std::getenv("HOME");
        if (dataHome && *dataHome) folder = fs::path(dataHome) / "Folivo";
        else if (home && *home) folder = fs::path(home) / ".local/share/Folivo";
        else folder = fs::temp_directory_path() / "Folivo";
        fs::create_directories(folder, error);
    }
    std::string text = folder.string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

}  // namespace folivo::cli
