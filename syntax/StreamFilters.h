// Decoding of stream data in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/ResourceLimits.h"

namespace folivo {


// zlib-format data. Empty when nothing inflates or the output would pass `limit` (then
// *tooLarge is set, when given). Data that breaks off or fails its checksum after yielding
// output keeps that output.
std::optional<std::string> Inflate(std::string_view data, size_t limit = InflateLimit, bool* tooLarge = nullptr);

// The first `count` bytes the data inflates to, or all of them when there are fewer; empty as
// for Inflate when nothing inflates. Pictures need no more than their rows, whatever else the
// data holds.
std::optional<std::string> InflatePrefix(std::string_view data, size_t count);

// ASCIIHex: pairs of hexadecimal digits up to ">"; blanks are skipped, an odd last digit is
// followed by 0. Decoding stops at `limit` bytes.
std::string DecodeAsciiHex(std::string_view data, size_t limit = InflateLimit);

// RunLength: a length byte 0 ... 127 copies the next length + 1 bytes, 129 ... 255 repeats the
// next byte 257 − length times, 128 ends the data. Decoding stops at `limit` bytes; a run
// cut off by the end of the data keeps what it has.
std::string DecodeRunLength(std::string_view data, size_t limit = InflateLimit);

// ASCII85: groups of five digits "!" ... "u", "z" for four zero bytes at a group start; the
// end marker "~>" and trailing line ends are not data. Decoding stops once the output passes
// `limit` ("z" makes four bytes of one): a result longer than limit was cut off there.
std::string DecodeAscii85(std::string_view data, size_t limit = InflateLimit);

}  // namespace folivo
