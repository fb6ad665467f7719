// Cross-reference streams, object streams, predictors and the repair scan: the pure parts
// over parameters taken from the input's first bytes, then the input opened as a document
// (without pictures), which runs the sections, the object streams and the repair together.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/PdfDocument.h"
#include "core/SilentPort.h"
#include "syntax/CrossReferenceStreamRows.h"
#include "syntax/ObjectScan.h"
#include "syntax/ObjectStream.h"
#include "syntax/Predictors.h"

namespace {

using folivo::SilentPort;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (size >= 12) {
        const std::string_view rest = input.substr(12);
        auto byte = [&](size_t i) { return static_cast<int64_t>(data[i]); };
        folivo::ReadXrefStreamEntries(rest, {byte(0) % 10 - 1, byte(1) % 10 - 1, byte(2) % 10 - 1},
                                      {byte(3) << 24 | byte(4) << 16, byte(5) * 1000 - 5000, byte(6), byte(7)});
        folivo::ReadObjectStreamMembers(rest, byte(8) * 100 - 100, byte(9) * 4);
        folivo::UndoPredictor(rest, {data[10] % 16, data[11] % 34, 1 << (data[10] % 5), data[11] % 40});
    }
    folivo::ScanObjectHeaders(input);
    folivo::FindKeyword(input, "trailer");

    SilentPort port;
    folivo::PdfDocument document(port);
    document.readImages = false;
    document.temporaryFolder = "/nonexistent/";
    document.OpenBytes(std::vector<uint8_t>(data, data + size), "fuzz.pdf");
    return 0;
}
