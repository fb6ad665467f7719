// Each test process works in a folder of its own. A document opened without a folder for
// temporary files writes them to the working folder ("tempimage.jpg" and the like), and test
// processes running side by side must not read each other's.
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

class PrivateWorkingFolder {
public:
    PrivateWorkingFolder()
    {
        std::error_code error;
        const auto path = std::filesystem::temp_directory_path(error) / ("folivo-tests-" + std::to_string(::getpid()));
        if (error || !std::filesystem::create_directories(path, error) || error) return;
        std::filesystem::current_path(path, error);
        if (!error) path_ = path;
    }
    ~PrivateWorkingFolder()
    {
        if (path_.empty()) return;
        std::error_code ignored;
        std::filesystem::current_path(path_.parent_path(), ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    PrivateWorkingFolder(const PrivateWorkingFolder&) = delete;
    PrivateWorkingFolder& operator=(const PrivateWorkingFolder&) = delete;

private:
    std::filesystem::path path_;
};

const PrivateWorkingFolder workingFolder;

}  // namespace
