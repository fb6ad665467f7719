#include "core/TemporaryFolder.h"

#include <stdlib.h>  // mkdtemp

#include <filesystem>
#include <system_error>
#include <vector>

namespace folivo {

TemporaryFolder::TemporaryFolder(const std::string& parent) : path_(parent)
{
    const std::string pattern = parent + ".folivo-XXXXXX";
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

void RemoveTemporaryFile(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

}  // namespace folivo
