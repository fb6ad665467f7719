#include "tests/TestCodestreams.h"

#include <openjpeg.h>

#include <cstring>
#include <vector>

namespace folivo::test {

std::string Jpeg2000(int width, int height, int components, const std::string& samples, bool file)
{
    std::vector<opj_image_cmptparm_t> parameters(static_cast<size_t>(components));
    for (opj_image_cmptparm_t& p : parameters) {
        std::memset(&p, 0, sizeof p);
        p.dx = p.dy = 1;
        p.w = static_cast<OPJ_UINT32>(width);
        p.h = static_cast<OPJ_UINT32>(height);
        p.prec = 8;
    }
    opj_image_t* image = opj_image_create(static_cast<OPJ_UINT32>(components), parameters.data(),
                                          components == 1 ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB);
    image->x1 = static_cast<OPJ_UINT32>(width);
    image->y1 = static_cast<OPJ_UINT32>(height);
    for (int i = 0; i < width * height; ++i) {
        for (int c = 0; c < components; ++c)
            image->comps[c].data[i] = static_cast<unsigned char>(samples[static_cast<size_t>(i * components + c)]);
    }
    opj_cparameters_t settings;
    opj_set_default_encoder_parameters(&settings);
    settings.tcp_numlayers = 1;
    settings.tcp_rates[0] = 0;
    settings.cp_disto_alloc = 1;
    settings.numresolution = 1;
    struct Sink {
        std::string bytes;
        size_t at = 0;
    } sink;
    opj_codec_t* codec = opj_create_compress(file ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    opj_setup_encoder(codec, &settings, image);
    opj_stream_t* stream = opj_stream_create(1 << 16, OPJ_FALSE);
    opj_stream_set_user_data(stream, &sink, nullptr);
    opj_stream_set_write_function(stream, [](void* buffer, OPJ_SIZE_T count, void* user) -> OPJ_SIZE_T {
        auto* out = static_cast<Sink*>(user);
        if (out->bytes.size() < out->at + count) out->bytes.resize(out->at + count);
        std::memcpy(out->bytes.data() + out->at, buffer, count);
        out->at += count;
        return count;
    });
    opj_stream_set_skip_function(stream, [](OPJ_OFF_T count, void* user) -> OPJ_OFF_T {
        static_cast<Sink*>(user)->at += static_cast<size_t>(count);
        return count;
    });
    opj_stream_set_seek_function(stream, [](OPJ_OFF_T position, void* user) -> OPJ_BOOL {
        static_cast<Sink*>(user)->at = static_cast<size_t>(position);
        return OPJ_TRUE;
    });
    const bool encoded = opj_start_compress(codec, image, stream) && opj_encode(codec, stream) && opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    return encoded ? sink.bytes : std::string();
}

std::string Jbig2Page(uint32_t width, uint32_t height, bool black)
{
    auto word = [](uint32_t value) {
        return std::string{static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
                           static_cast<char>(value)};
    };
    // Segment headers: number, type (48 page information, 49 end of page), no referred segments, page 1, length.
    const std::string information = word(0) + "\x30" + std::string(1, '\0') + "\x01" + word(19) + word(width) +
                                    word(height) + word(0) + word(0) + (black ? "\x04" : std::string(1, '\0')) +
                                    std::string(2, '\0');
    return information + word(1) + "\x31" + std::string(1, '\0') + "\x01" + word(0);
}

}  // namespace folivo::test
