// A folder of this run's own inside the program folder, for the reader's temporary files
// ("tempimage.jpg" and the like): batch runs side by side must not read or delete each other's.
// It is removed with its contents when the run ends.
#pragma once

#include <string>

namespace folivo::cli {

class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // Ends in a separator. The program folder itself when no folder could be made there.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool own_ = false;
};

}  // namespace folivo::cli
