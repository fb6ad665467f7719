#include "cli/TemporaryFolder.h"

#include <stdlib.h>  // mkdtemp

#include <filesystem>
#include <system_error>
#include <vector>

#include "cli/ConsolePort.h"

namespace folivo::cli {

TemporaryFolder::TemporaryFolder() : path_(ProgramFolder())
{
    std::string pattern = path_ + "folivo-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data())) {
        path_ = std::string(name.data()) + "/";
        own_ = true;
    }
}

TemporaryFolder::~TemporaryFolder()
{
    if (!own_) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace folivo::cli
