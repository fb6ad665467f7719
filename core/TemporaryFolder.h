// A hidden folder of one run's own inside the program folder, for the reader's temporary files
// ("tempimage.jpg" and the like): runs side by side, batch jobs or two windows opened at once,
// must not read or delete each other's. It is removed with its contents when the run ends.
#pragma once

#include <string>

namespace folivo {

class TemporaryFolder {
public:
    // parent ends in a separator.
    explicit TemporaryFolder(const std::string& parent);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // Ends in a separator. The parent itself when no folder could be made there.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool own_ = false;
};

// Removes a temporary file; one that is already gone, or cannot be removed, is left as it is.
void RemoveTemporaryFile(const std::string& path);

}  // namespace folivo
