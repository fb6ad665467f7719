#include "core/PictureCodecs.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include <openjpeg.h>
// The header defines `inline` away for old C compilers; it comes last and the keyword returns.
#include <jbig2.h>
#undef inline

namespace folivo {

namespace {

// jbig2dec allocates through this: page buffers of forged sizes and endless symbol
// dictionaries fail here instead of taking the machine's memory and time.
struct BoundedAllocator {
    Jbig2Allocator base;  // first, so that the library's pointer is ours
    size_t limit = CodecMemoryLimit;
    size_t used = 0;
    size_t peak = 0;
    bool refused = false;
};

struct alignas(std::max_align_t) BlockHeader {
    size_t size;
};

void* Allocate(Jbig2Allocator* allocator, size_t size)
{
    auto* bounded = reinterpret_cast<BoundedAllocator*>(allocator);
    if (size > bounded->limit - std::min(bounded->used, bounded->limit)) {
        bounded->refused = true;
        return nullptr;
    }
    auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
    if (!header) return nullptr;
    header->size = size;
    bounded->used += size;
    bounded->peak = std::max(bounded->peak, bounded->used);
    return header + 1;
}

void Release(Jbig2Allocator* allocator, void* block)
{
    if (!block) return;
    auto* header = static_cast<BlockHeader*>(block) - 1;
    reinterpret_cast<BoundedAllocator*>(allocator)->used -= header->size;
    std::free(header);
}

void* Reallocate(Jbig2Allocator* allocator, void* block, size_t size)
{
    if (!block) return Allocate(allocator, size);
    const size_t old = (static_cast<BlockHeader*>(block) - 1)->size;
    void* grown = Allocate(allocator, size);
    if (!grown) return nullptr;
    std::memcpy(grown, block, std::min(old, size));
    Release(allocator, block);
    return grown;
}

void QuietJbig2(void*, const char*, Jbig2Severity, uint32_t) {}

// Counts what went wrong while decoding; the messages themselves are not shown.
void CountJbig2Errors(void* errors, const char*, Jbig2Severity severity, uint32_t)
{
    if (severity >= JBIG2_SEVERITY_WARNING) ++*static_cast<int*>(errors);
}

// OpenJPEG reads from memory through these.
struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t at;
};

OPJ_SIZE_T ReadSource(void* buffer, OPJ_SIZE_T count, void* user)
{
    auto* source = static_cast<MemorySource*>(user);
    if (source->at >= source->size) return static_cast<OPJ_SIZE_T>(-1);
    const size_t taken = std::min<size_t>(count, source->size - source->at);
    std::memcpy(buffer, source->data + source->at, taken);
    source->at += taken;
    return taken;
}

OPJ_OFF_T SkipSource(OPJ_OFF_T count, void* user)
{
    auto* source = static_cast<MemorySource*>(user);
    if (count < 0) return -1;
    const auto skipped = static_cast<OPJ_OFF_T>(std::min<uint64_t>(static_cast<uint64_t>(count), source->size - source->at));
    source->at += static_cast<size_t>(skipped);
    return skipped;
}

OPJ_BOOL SeekSource(OPJ_OFF_T position, void* user)
{
    auto* source = static_cast<MemorySource*>(user);
    if (position < 0 || static_cast<uint64_t>(position) > source->size) return OPJ_FALSE;
    source->at = static_cast<size_t>(position);
    return OPJ_TRUE;
}

void QuietOpenJpeg(const char*, void*) {}

// One component's samples to 8 bits; set up once per component, used for every sample.
class EightBits {
public:
    explicit EightBits(const opj_image_comp_t& component)
        : precision_(static_cast<int>(std::clamp<OPJ_UINT32>(component.prec, 1, 31))),
          offset_(component.sgnd ? int64_t{1} << (precision_ - 1) : 0),
          maximum_((int64_t{1} << precision_) - 1)
    {
    }
    uint8_t operator()(int64_t value) const
    {
        value = std::clamp<int64_t>(value + offset_, 0, maximum_);
        if (precision_ >= 8) return static_cast<uint8_t>(value >> (precision_ - 8));
        return static_cast<uint8_t>(value * 255 / maximum_);
    }

private:
    int precision_;
    int64_t offset_;
    int64_t maximum_;
};

}  // namespace

std::optional<CodecPicture> DecodeJbig2(std::string_view data, std::string_view globals, size_t limit, CodecCost* cost)
{
    // The page's size is in its own page information segment: the decoder asks for the page
    // buffer before it decodes a region, so a forged size ends at the allocator.
    BoundedAllocator allocator{{Allocate, Release, Reallocate}, std::min(limit, Jbig2MemoryLimit)};
    const auto charge = [&] {
        if (cost) *cost = {allocator.peak, allocator.refused};
    };
    Jbig2GlobalCtx* global = nullptr;
    if (!globals.empty()) {
        Jbig2Ctx* context = jbig2_ctx_new(&allocator.base, JBIG2_OPTIONS_EMBEDDED, nullptr, QuietJbig2, nullptr);
        if (!context) return std::nullopt;
        jbig2_data_in(context, reinterpret_cast<const unsigned char*>(globals.data()), globals.size());
        global = jbig2_make_global_ctx(context);
    }
    int errors = 0;
    Jbig2Ctx* context = jbig2_ctx_new(&allocator.base, JBIG2_OPTIONS_EMBEDDED, global, CountJbig2Errors, &errors);
    if (!context) {
        if (global) jbig2_global_ctx_free(global);
        charge();
        return std::nullopt;
    }
    std::optional<CodecPicture> picture;
    jbig2_data_in(context, reinterpret_cast<const unsigned char*>(data.data()), data.size());
    jbig2_complete_page(context);
    if (Jbig2Image* page = jbig2_page_out(context)) {
        const uint64_t rowBytes = (uint64_t{page->width} + 7) / 8;
        if (page->width > 0 && page->height > 0 && page->width <= INT32_MAX && page->height <= INT32_MAX &&
            page->stride >= rowBytes && rowBytes * page->height <= Jbig2MemoryLimit) {
            picture.emplace();
            picture->width = static_cast<int32_t>(page->width);
            picture->height = static_cast<int32_t>(page->height);
            picture->bitsPerComponent = 1;
            picture->samples.resize(static_cast<size_t>(rowBytes * page->height));
            // JBIG2 marks black with 1; grey samples mark it with 0.
            bool marked = false;
            for (uint64_t y = 0; y < page->height; ++y) {
                const uint8_t* from = page->data + y * page->stride;
                char* to = picture->samples.data() + y * rowBytes;
                for (uint64_t x = 0; x < rowBytes; ++x) {
                    to[x] = static_cast<char>(~from[x]);
                    marked = marked || from[x] != 0;
                }
            }
            // A page left empty by a failed decoding is no picture; a partial one is shown.
            if (!marked && errors > 0) picture.reset();
        }
        jbig2_release_page(context, page);
    }
    jbig2_ctx_free(context);
    if (global) jbig2_global_ctx_free(global);
    charge();
    return picture;
}

std::optional<CodecPicture> DecodeJpx(std::string_view data, size_t limit, CodecCost* cost)
{
    static const char Jp2Signature[] = "\x00\x00\x00\x0CjP  \r\n\x87\n";
    const bool jp2 = data.size() >= 12 && std::memcmp(data.data(), Jp2Signature, 12) == 0;
    const bool codestream = data.size() >= 4 && static_cast<uint8_t>(data[0]) == 0xFF && static_cast<uint8_t>(data[1]) == 0x4F;
    if (!jp2 && !codestream) return std::nullopt;

    MemorySource source{reinterpret_cast<const uint8_t*>(data.data()), data.size(), 0};
    opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
    if (!stream) return std::nullopt;
    opj_stream_set_user_data(stream, &source, nullptr);
    opj_stream_set_user_data_length(stream, data.size());
    opj_stream_set_read_function(stream, ReadSource);
    opj_stream_set_skip_function(stream, SkipSource);
    opj_stream_set_seek_function(stream, SeekSource);
    opj_codec_t* codec = opj_create_decompress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    opj_image_t* image = nullptr;
    std::optional<CodecPicture> picture;
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (codec) {
        opj_set_info_handler(codec, QuietOpenJpeg, nullptr);
        opj_set_warning_handler(codec, QuietOpenJpeg, nullptr);
        opj_set_error_handler(codec, QuietOpenJpeg, nullptr);
    }
    // The components a picture keeps: alpha channels are left out; four colour channels are
    // CMYK only when the file says so.
    const auto keptComponents = [](const opj_image_t& header) {
        if (header.numcomps >= 4 && header.color_space == OPJ_CLRSPC_CMYK) return 4;
        return header.numcomps >= 3 ? 3 : 1;
    };
    auto sizeAllowed = [&] {
        // The header's size decides, before anything is decoded; OpenJPEG keeps 32 bits per
        // sample while it decodes.
        if (!image || image->numcomps < 1 || image->x1 <= image->x0 || image->y1 <= image->y0) return false;
        const uint64_t pixels = uint64_t{image->x1 - image->x0} * (image->y1 - image->y0);
        const uint64_t kept = pixels * static_cast<uint64_t>(keptComponents(*image));
        if (cost) *cost = {kept, kept > limit};
        return image->x1 - image->x0 <= INT32_MAX && image->y1 - image->y0 <= INT32_MAX &&
               pixels * image->numcomps * 4 <= CodecMemoryLimit && kept <= limit;
    };
    if (codec && opj_setup_decoder(codec, &parameters) && opj_read_header(stream, codec, &image) && sizeAllowed() &&
        opj_decode(codec, stream, image) && opj_end_decompress(codec, stream)) {
        const auto width = static_cast<int32_t>(image->x1 - image->x0);
        const auto height = static_cast<int32_t>(image->y1 - image->y0);
        const int32_t used = keptComponents(*image);
        const SampleColours colours = used == 4 ? SampleColours::Cmyk : used == 3 ? SampleColours::Rgb : SampleColours::Gray;
        bool complete = true;
        for (int32_t c = 0; c < used; ++c) {
            const opj_image_comp_t& component = image->comps[c];
            complete = complete && component.data && component.w > 0 && component.h > 0 && component.dx > 0 && component.dy > 0;
        }
        if (complete) {
            picture.emplace();
            picture->width = width;
            picture->height = height;
            picture->components = used;
            picture->colours = colours;
            picture->samples.resize(static_cast<size_t>(width) * height * used);
            auto* samples = reinterpret_cast<uint8_t*>(picture->samples.data());
            // Component by component, row by row: large pictures spend their time here.
            for (int32_t c = 0; c < used; ++c) {
                const opj_image_comp_t& component = image->comps[c];
                const EightBits eightBits(component);
                const bool whole = component.dx == 1 && component.w >= static_cast<uint32_t>(width);
                for (int32_t y = 0; y < height; ++y) {
                    const uint32_t cy = std::min<uint32_t>(static_cast<uint32_t>(y) / component.dy, component.h - 1);
                    const OPJ_INT32* row = component.data + uint64_t{cy} * component.w;
                    uint8_t* out = samples + int64_t{y} * width * used + c;
                    for (int32_t x = 0; x < width; ++x, out += used) {
                        const uint32_t cx =
                            whole ? static_cast<uint32_t>(x) : std::min<uint32_t>(static_cast<uint32_t>(x) / component.dx, component.w - 1);
                        *out = eightBits(row[cx]);
                    }
                }
            }
            if (image->color_space == OPJ_CLRSPC_SYCC && used == 3) {
                auto level = [](double v) { return static_cast<uint8_t>(std::clamp(v + 0.5, 0.0, 255.0)); };
                for (uint8_t* p = samples; p < samples + picture->samples.size(); p += 3) {
                    const double luma = p[0], cb = p[1] - 128.0, cr = p[2] - 128.0;
                    p[0] = level(luma + 1.402 * cr);
                    p[1] = level(luma - 0.344136 * cb - 0.714136 * cr);
                    p[2] = level(luma + 1.772 * cb);
                }
            }
        }
    }
    if (image) opj_image_destroy(image);
    if (codec) opj_destroy_codec(codec);
    opj_stream_destroy(stream);
    return picture;
}

}  // namespace folivo
