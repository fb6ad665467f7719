// The LZW stream decoder: file to file for the reader, in memory for everything else.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/ResourceLimits.h"

namespace folivo {


// Decodes LZW data with early change (codes grow to 10, 11 and 12 bits one code before the
// table needs them, as in TIFF). Decoding stops at the end-of-data code, at the end of the
// input, at an invalid code, or when maxOutput bytes are reached; what was decoded until then
// is returned.
std::string DecodeLzw(std::string_view data, size_t maxOutput = LzwOutputLimit);

// Reads the whole input file, decodes it (at most maxOutput bytes) and writes the result to the
// output file. When the input cannot be read, no output file is written.
void decodenow(const char* inputPath, const char* outputPath, size_t maxOutput = LzwOutputLimit);

}  // namespace folivo
