#include "core/JpegFile.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <jerror.h>

namespace folivo {
namespace {

// Progressive files may carry any number of scans, each a full pass over the coefficients;
// more than this is no real picture.
constexpr long MaxScans = 500;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    volatile bool allRowsRead;  // volatile: read again after longjmp
};

[[noreturn]] void Fail(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings are silent, except those saying the entropy-coded data is damaged or ends before
// the picture does: decoding on would give a mostly grey picture, and a tiny forged file a huge
// one. A file that lacks only its end marker is fine.
void OnMessage(j_common_ptr info, int level)
{
    if (level >= 0) return;
    const int code = info->err->msg_code;
    if ((code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE) &&
        !reinterpret_cast<ErrorManager*>(info->err)->allRowsRead)
        Fail(info);
}

void Silent(j_common_ptr) {}

void CheckScans(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > MaxScans) Fail(info);
}

inline uint8_t InkToLight(int ink, int black)
{
    return static_cast<uint8_t>(255 - std::min(255, ink + black));
}

// CMYK row to blue, green, red. Files with an Adobe marker store the inks inverted.
void CmykToBgr(const JSAMPLE* cmyk, uint8_t* bgr, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgr[0] = InkToLight(y, k);
        bgr[1] = InkToLight(m, k);
        bgr[2] = InkToLight(c, k);
    }
}

// No object with a destructor may live in this frame: errors leave it through longjmp.
bool Decode(std::FILE* file, RasterImage& image)
{
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    jpeg_progress_mgr progress{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = Fail;
    errors.base.emit_message = OnMessage;
    errors.base.output_message = Silent;
    progress.progress_monitor = CheckScans;

    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        if (errors.allRowsRead) return true;  // only what follows the picture was damaged
        deldib(image);
        return false;
    }
    jpeg_create_decompress(&info);
    // Progressive pictures keep all coefficients; bigger than this is no picture of a document.
    info.mem->max_memory_to_use = static_cast<long>(RasterImageMaxPixelBytes / 2);
    info.progress = &progress;
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);

    bool cmyk = false;
    int bits = 24;
    switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
        info.out_color_space = JCS_GRAYSCALE;
        bits = 8;
        break;
    case JCS_RGB:
    case JCS_YCbCr:
        info.out_color_space = JCS_EXT_BGR;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        info.out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        Fail(reinterpret_cast<j_common_ptr>(&info));
    }
    jpeg_calc_output_dimensions(&info);
    // Making the bitmap before the decoder allocates its own buffers refuses forged sizes early.
    if (info.output_width > INT32_MAX || info.output_height > INT32_MAX ||
        !newdib(image, static_cast<int32_t>(info.output_width), static_cast<int32_t>(info.output_height), bits))
        Fail(reinterpret_cast<j_common_ptr>(&info));

    jpeg_start_decompress(&info);
    if (info.output_width != static_cast<JDIMENSION>(image.width) ||
        info.output_height != static_cast<JDIMENSION>(image.height) ||
        info.output_components != (cmyk ? 4 : bits / 8))
        Fail(reinterpret_cast<j_common_ptr>(&info));

    JSAMPARRAY cmykRow = nullptr;
    if (cmyk)
        cmykRow = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                            info.output_width * 4, 1);
    while (info.output_scanline < info.output_height) {
        const size_t stored = static_cast<size_t>(image.height - 1) - info.output_scanline;
        uint8_t* row = image.pixels + stored * static_cast<size_t>(image.bytesPerRow);
        JSAMPROW target = cmyk ? cmykRow[0] : row;
        if (jpeg_read_scanlines(&info, &target, 1) != 1) Fail(reinterpret_cast<j_common_ptr>(&info));
        if (cmyk) CmykToBgr(cmykRow[0], row, info.output_width, info.saw_Adobe_marker);
    }
    errors.allRowsRead = true;
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

bool ReadJpegFile(const char* fileName, RasterImage& image)
{
    image.pixels = nullptr;
    std::FILE* file = std::fopen(fileName, "rb");
    if (!file) return false;
    const bool decoded = Decode(file, image);
    std::fclose(file);
    return decoded;
}

}  // namespace folivo
