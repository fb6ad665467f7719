#include "tests/app/AppTestSupport.h"

#include <filesystem>

namespace folivo::test {

std::string CopySample(const ScratchFolder& folder, const std::string& name)
{
    const std::string target = folder.File(name);
    std::filesystem::copy_file(std::string(FOLIVO_SOURCE_DIR) + "/examples/sample.pdf", target,
                               std::filesystem::copy_options::overwrite_existing);
    return target;
}

}  // namespace folivo::test
