#include "tests/TestJpeg.h"

#include <cstdlib>
#include <vector>

namespace folivo::test {

std::string EncodeJpeg(const JpegLayout& layout, const std::function<void(int y, uint8_t* row)>& fillRow)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(layout.width);
    info.image_height = static_cast<JDIMENSION>(layout.height);
    info.input_components = layout.components;
    info.in_color_space = layout.input;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, layout.stored);
    info.write_Adobe_marker = layout.adobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&info, layout.quality, TRUE);
    if (layout.progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(layout.width) * static_cast<size_t>(layout.components));
    while (info.next_scanline < info.image_height) {
        fillRow(static_cast<int>(info.next_scanline), row.data());
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

}  // namespace folivo::test
