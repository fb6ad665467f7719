// The picture codecs read through their reference libraries: JBIG2 (jbig2dec) and JPEG 2000
// (OpenJPEG). Both work in memory with bounded sizes; damaged data yield nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/PictureSamples.h"
#include "core/ResourceLimits.h"

namespace folivo {



// A decoded picture as samples: rows of `components` samples of bitsPerComponent bits, each
// row starting on a whole byte.
struct CodecPicture {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerComponent = 8;
    int32_t components = 1;
    SampleColours colours = SampleColours::Gray;
    std::string samples;
};

// What a codestream's own header made a decoding take, whatever the PDF dictionary says: the
// bytes of the picture it declares (JBIG2: the most the decoder held at once), and whether the
// decoding was refused because that passed the limit it was given.
struct CodecCost {
    uint64_t declaredBytes = 0;
    bool overLimit = false;
};

// A JBIG2 stream as PDF embeds it, with the data of its /JBIG2Globals (may be empty). The
// result is 1-bit grey: 0 black, as a device grey picture without /Decode. The decoder holds
// at most `limit` bytes (at most CodecMemoryLimit).
std::optional<CodecPicture> DecodeJbig2(std::string_view data, std::string_view globals, size_t limit = CodecMemoryLimit,
                                        CodecCost* cost = nullptr);

// A JPEG 2000 file or bare codestream; samples become 8 bits, subsampled components are
// spread over the full size, alpha is dropped, YCbCr becomes RGB. A codestream whose header
// declares more than `limit` bytes of samples is not decoded.
std::optional<CodecPicture> DecodeJpx(std::string_view data, size_t limit = CodecMemoryLimit, CodecCost* cost = nullptr);

}  // namespace folivo
