// Reads arbitrary bytes as a whole document through every reading phase, pictures included.
// Every input gets a fresh document so that no state carries over between runs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdlib.h>  // mkdtemp
#include <filesystem>
#include <string>
#include <vector>

#include "document/PdfDocument.h"
#include "core/SilentPort.h"

namespace {

using folivo::SilentPort;

// Picture decoding writes temporary files into the program folder; each fuzzing process
// (libFuzzer may run several jobs at once) gets its own so they never collide.
std::string& TemporaryFolder()
{
    static std::string folder;
    return folder;
}

void RemoveTemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(TemporaryFolder(), ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/folivo-fuzz-XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    TemporaryFolder() = std::string(pattern) + "/";
    std::atexit(RemoveTemporaryFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentPort port;
    folivo::PdfDocument doc(port);
    doc.readImages = true;
    doc.temporaryFolder = TemporaryFolder();
    doc.OpenBytes(std::vector<uint8_t>(data, data + size), "fuzz.pdf");
    return 0;
}
