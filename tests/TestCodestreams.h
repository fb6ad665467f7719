// JPEG 2000 and JBIG2 data encoded in memory for the tests.
#pragma once

#include <cstdint>
#include <string>

namespace folivo::test {

// Lossless JPEG 2000 of 8-bit samples (interleaved), as a JP2 file or a bare codestream.
std::string Jpeg2000(int width, int height, int components, const std::string& samples, bool file);

// A JBIG2 page of the given size holding nothing but its default pixel, 1 (black) or 0.
std::string Jbig2Page(uint32_t width, uint32_t height, bool black);

}  // namespace folivo::test
