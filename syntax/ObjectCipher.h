// Passing the strings and the stream data of one indirect object through a cipher, keeping
// every other byte of the object as it was written.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace folivo {

// The converted bytes, or empty when the bytes cannot be converted (AES data of a bad length or
// padding); such a string or stream becomes empty.
using ByteConverter = std::function<std::optional<std::string>(std::string_view bytes)>;

struct ConvertedObject {
    std::string text;
    int rejectedStrings = 0;
    bool rejectedData = false;
};

// The object `text` ("N G obj ... endobj") with each string converted by `strings` and written
// as a hexadecimal string, and a stream's data converted by `data`; the stream dictionary's
// /Length then gives the new data's length. The data ends after `dataLength` bytes when
// "endstream" follows there, else after a direct /Length likewise, else before "endstream".
ConvertedObject ConvertObject(std::string_view text, std::optional<int64_t> dataLength, const ByteConverter& strings,
                              const ByteConverter& data);

// The hexadecimal string "<...>" of the bytes.
std::string HexStringText(std::string_view bytes);

}  // namespace folivo
