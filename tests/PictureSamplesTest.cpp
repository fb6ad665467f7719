// Pictures read from generated documents: bit depths, colour spaces, /Decode, predictors,
// filter chains and stencils down to their pixels; damaged pictures never crash the reading.
#include <gtest/gtest.h>


#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/PictureCodecs.h"
#include "tests/ReaderTestSupport.h"
#include "tests/TestCodestreams.h"

namespace folivo::test {
namespace {

// Objects that pictures refer to; the pictures follow from FirstPicture on.
constexpr int GreyProfile = 5, RgbProfile = 6, LookupStream = 7, IndexedSpace = 8, LoopingSpace = 9;
constexpr int FirstPicture = 10;

std::vector<std::string> SharedObjects()
{
    return {StreamObject("/N 1", "profile"), StreamObject("/N 3", "profile"),
            StreamObject("/Filter /FlateDecode", Deflate(std::string("\x00\x00\xFF\xFF\xFF\x00", 6))),
            "[/Indexed /DeviceGray 1 (\\377\\000)]", "[/Indexed 9 0 R 1 <00FF>]"};
}

std::string Hex(const std::string& bytes)
{
    std::string text;
    char digits[3];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        text += digits;
    }
    return text + ">";
}

std::string Ascii85(const std::string& bytes)
{
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 4) {
        const size_t count = std::min<size_t>(4, bytes.size() - i);
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k) word = word << 8 | (k < count ? static_cast<unsigned char>(bytes[i + k]) : 0);
        char group[5];
        for (int k = 4; k >= 0; --k, word /= 85) group[k] = static_cast<char>('!' + word % 85);
        text.append(group, count + 1);
    }
    return text + "~>";
}

// LZW codes of 9 bits, each byte a code of its own between a clear and an end code: short
// data never reach a wider code.
std::string Lzw(const std::string& bytes)
{
    std::vector<int> codes{256};
    for (unsigned char byte : bytes) codes.push_back(byte);
    codes.push_back(257);
    std::string packed;
    uint32_t buffer = 0;
    int held = 0;
    for (int code : codes) {
        buffer = buffer << 9 | static_cast<uint32_t>(code);
        for (held += 9; held >= 8; held -= 8) packed += static_cast<char>(buffer >> (held - 8));
    }
    if (held > 0) packed += static_cast<char>(buffer << (8 - held));
    return packed;
}

std::string RunLength(const std::string& bytes)
{
    // Literal runs of one byte each: simple, and a run of three repeats shows the other kind.
    std::string coded;
    for (char byte : bytes) coded += std::string(1, '\0') + byte;
    return coded + "\xFE\x7F\x80";  // three times 0x7F, then the end
}

// The colour of pixel x of row y (top row 0) as 0xRRGGBB, through the palette below 24 bits.
uint32_t Pixel(const RasterImage& image, int x, int y)
{
    const uint8_t* row = image.pixels + int64_t{image.height - 1 - y} * image.bytesPerRow;
    if (image.bitsPerPixel == 24) return uint32_t{row[3 * x + 2]} << 16 | uint32_t{row[3 * x + 1]} << 8 | row[3 * x];
    const int bits = image.bitsPerPixel;
    const int index = (row[x * bits / 8] >> (8 - bits - x * bits % 8)) & ((1 << bits) - 1);
    return index < image.paletteCount ? image.palette[index] : 0xDEAD;
}

std::string Noise(size_t size)
{
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char& byte : bytes) byte = static_cast<char>((state = state * 1103515245 + 12345) >> 24);
    return bytes;
}

// The codestream's SIZ marker made to claim 60000 × 60000 pixels.
std::string ForgedSize(std::string codestream)
{
    const std::string side("\x00\x00\xEA\x60", 4);
    codestream.replace(8, 4, side);
    codestream.replace(12, 4, side);
    return codestream;
}

std::string Repeated(const std::string& text, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

struct Case {
    const char* name;
    int width, height;
    std::string entries;  // besides /Type, /Subtype, /Width, /Height
    std::string data;     // as stored
    std::vector<uint32_t> pixels;  // rows from the top
    int depth;                     // bits per pixel of the bitmap
    bool stencil = false;
};

TEST(PictureSamples, DepthsColourSpacesDecodeArraysFiltersAndStencils)
{
    const std::string rgbRows("\xFF\x00\x00\x00\xFF\x00" "\x00\x00\xFF\xFF\xFF\xFF", 12);
    // The same rows as PNG rows: Sub on the first (second pixel minus the first), Up on the second.
    const std::string pngRows("\x01\xFF\x00\x00\x01\xFF\x00" "\x02\x01\x00\xFF\xFF\x00\xFF", 14);
    // TIFF predictor 2: each grey sample after the first is the difference to its left.
    const std::string tiffRow("\x10\x10\x10\xE0", 4);
    const std::vector<Case> cases = {
        {"grey 8 bits, no filter", 3, 1, "/ColorSpace /DeviceGray /BitsPerComponent 8", std::string("\x00\x80\xFF", 3),
         {0x000000, 0x808080, 0xFFFFFF}, 8},
        {"grey 1 bit, rows start on whole bytes", 3, 2, "/ColorSpace /DeviceGray /BitsPerComponent 1", "\xA0\x40",
         {0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000}, 8},
        {"grey 2 bits", 4, 1, "/ColorSpace /DeviceGray /BitsPerComponent 2", "\x1B", {0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF}, 8},
        {"grey 4 bits inverted by /Decode", 2, 1, "/ColorSpace /DeviceGray /BitsPerComponent 4 /Decode [1 0]", "\x0F",
         {0xFFFFFF, 0x000000}, 8},
        {"RGB 16 bits by the high bytes", 1, 1, "/ColorSpace /DeviceRGB /BitsPerComponent 16",
         std::string("\xFF\x00\x00\x00\x80\x00", 6), {0xFF0080}, 24},
        {"CMYK", 3, 1, "/ColorSpace /DeviceCMYK /BitsPerComponent 8", std::string("\xFF\0\0\0" "\0\0\0\xFF" "\0\x80\0\0", 12),
         {0x00FFFF, 0x000000, 0xFF7FFF}, 24},
        {"indexed, hex lookup, index past hival", 3, 1, "/ColorSpace [/Indexed /DeviceRGB 1 <FF000000FF00>] /BitsPerComponent 8",
         std::string("\x00\x01\x05", 3), {0xFF0000, 0x00FF00, 0x00FF00}, 8},
        {"indexed 4 bits, ICC base and lookup stream by reference", 2, 1,
         "/ColorSpace [/Indexed [/ICCBased 6 0 R] 1 7 0 R] /BitsPerComponent 4", "\x10", {0xFFFF00, 0x0000FF}, 8},
        {"colour space object, literal lookup", 2, 1, "/ColorSpace 8 0 R /BitsPerComponent 1", "\x40", {0xFFFFFF, 0x000000}, 8},
        {"ICC grey", 2, 1, "/ColorSpace [/ICCBased 5 0 R] /BitsPerComponent 8", std::string("\x00\x40", 2), {0x000000, 0x404040}, 8},
        {"separation tint", 2, 1, "/ColorSpace [/Separation /Black /DeviceGray 5 0 R] /BitsPerComponent 8",
         std::string("\xFF\x00", 2), {0x000000, 0xFFFFFF}, 8},
        {"Flate with PNG predictor", 2, 2,
         "/ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode /DecodeParms << /Predictor 15 /Colors 3 /Columns 2 >>",
         Deflate(pngRows), {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 24},
        {"LZW with TIFF predictor", 4, 1,
         "/ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /LZWDecode /DecodeParms << /Predictor 2 /Columns 4 >>",
         Lzw(tiffRow), {0x101010, 0x202020, 0x303030, 0x101010}, 8},
        {"RunLength", 5, 1, "/ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /RunLengthDecode", RunLength("\x10\x20"),
         {0x101010, 0x202020, 0x7F7F7F, 0x7F7F7F, 0x7F7F7F}, 8},
        {"ASCIIHex then Flate with a parameter array", 2, 2,
         "/ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter [/ASCIIHexDecode /FlateDecode] "
         "/DecodeParms [null << /Predictor 12 /Colors 3 /Columns 2 >>]",
         Hex(Deflate(pngRows)), {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 24},
        {"ASCII85 then RunLength, no colour space: RGB by size", 2, 2, "/BitsPerComponent 8 /Filter [/A85 /RL]",
         Ascii85(std::string("\x0B", 1) + rgbRows + "\x80"), {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 24},
        {"JPEG 2000 file, RGB", 2, 2, "/ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /JPXDecode",
         Jpeg2000(2, 2, 3, rgbRows, true), {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, 24},
        {"JPEG 2000 codestream, grey, no colour space", 3, 1, "/Filter /JPXDecode",
         Jpeg2000(3, 1, 1, std::string("\x00\x80\xFF", 3), false), {0x000000, 0x808080, 0xFFFFFF}, 8},
        {"JBIG2 black page", 16, 2, "/ColorSpace /DeviceGray /BitsPerComponent 1 /Filter /JBIG2Decode",
         Jbig2Page(16, 2, true), std::vector<uint32_t>(32, 0x000000), 8},
        {"JBIG2 white page as an inverted stencil", 16, 1, "/ImageMask true /Decode [1 0] /Filter /JBIG2Decode",
         Jbig2Page(16, 1, false), std::vector<uint32_t>(16, 0x000000), 1, true},
        {"stencil: 0 paints", 8, 1, "/ImageMask true", "\x0F",
         {0, 0, 0, 0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}, 1, true},
        {"stencil with /Decode [1 0]: 1 paints", 8, 1, "/ImageMask true /BitsPerComponent 1 /Decode [1 0]", "\x0F",
         {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0, 0, 0, 0}, 1, true},
    };

    std::vector<std::string> objects{"", StreamObject("", "")};
    std::string xobjects;
    const std::vector<std::string> shared = SharedObjects();
    objects.insert(objects.end(), shared.begin(), shared.end());
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        objects.push_back(StreamObject("/Type /XObject /Subtype /Image /Width " + std::to_string(c.width) + " /Height " +
                                           std::to_string(c.height) + " " + c.entries,
                                       c.data));
        xobjects += "/P" + std::to_string(i) + " " + std::to_string(FirstPicture + i) + " 0 R ";
    }
    objects[0] = "<< /Type /Page /Resources << /XObject << " + xobjects + ">> >> /Contents 4 0 R >>";
    ASSERT_EQ(objects.size(), static_cast<size_t>(FirstPicture - 3) + cases.size());

    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R]", objects).Build());
    const auto& pictures = opened->pictures;
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const ImageObject* found = nullptr;
        for (uint32_t p = 0; p < pictures.Count(); ++p) {
            if (pictures.At(p)->name.View() == "/P" + std::to_string(i)) found = pictures.At(p);
        }
        ASSERT_NE(found, nullptr) << c.name;
        const RasterImage& image = found->image;
        ASSERT_EQ(image.width, c.width) << c.name;
        ASSERT_EQ(image.height, c.height) << c.name;
        EXPECT_EQ(image.bitsPerPixel, c.depth) << c.name;
        EXPECT_EQ(found->stencil != 0, c.stencil) << c.name;
        std::vector<uint32_t> pixels;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) pixels.push_back(Pixel(image, x, y));
        }
        EXPECT_EQ(pixels, c.pixels) << c.name;
    }
}

// Pictures whose dictionaries or data lie: none crashes or reads outside its data; those
// that still describe pixels are drawn with what is there, the rest are left out.
TEST(PictureSamples, DamagedPicturesAreSafe)
{
    struct Damaged {
        const char* name;
        std::string entries;
        std::string data;
        bool kept;
    };
    const std::vector<Damaged> cases = {
        {"hival beyond the lookup", "/Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace [/Indexed /DeviceRGB 255 <FF0000>]",
         std::string("\x00\xC8", 2), true},
        {"sizes far beyond the data", "/Width 2000 /Height 2000 /ColorSpace /DeviceRGB /BitsPerComponent 8", "abc", true},
        {"truncated Flate data", "/Width 40 /Height 40 /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode",
         Deflate(Noise(4800)).substr(0, 300), true},
        {"predictor rows that do not divide",
         "/Width 3 /Height 3 /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode "
         "/DecodeParms << /Predictor 15 /Columns 3 >>",
         Deflate("\x02\x01\x02\x03\x02\x01"), true},
        {"predictor without rows", "/Width 3 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode "
                                   "/DecodeParms << /Predictor 15 /Columns 0 >>",
         Deflate("abc"), false},
        {"three bits per component", "/Width 3 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 3", "abc", false},
        {"colour space that refers to itself", "/Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace 9 0 R", "a", false},
        {"unknown filter", "/Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray /Filter /Magic", "a", false},
        {"stencil of eight bits", "/Width 1 /Height 1 /ImageMask true /BitsPerComponent 8", "a", true},
        {"short /Decode and a negative hival", "/Width 1 /Height 1 /BitsPerComponent 8 /Decode [1] "
                                               "/ColorSpace [/Indexed /DeviceGray -5 <80>]",
         "\x07", true},
        {"huge DeviceN", "/Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace [/DeviceN [" + Repeated("/a ", 40) +
                             "] /DeviceGray 5 0 R]",
         "a", false},
        {"sizes and depth that overflow", "/Width 2000000000 /Height 2000000000 /BitsPerComponent 1073741824 "
                                          "/ColorSpace /DeviceCMYK /Filter /FlateDecode",
         Deflate("abc"), false},
        {"JPEG 2000 of a forged size", "/Width 1 /Height 1 /Filter /JPXDecode", ForgedSize(Jpeg2000(3, 1, 1, "abc", false)),
         false},
        {"JPEG 2000 cut short", "/Width 2 /Height 2 /Filter /JPXDecode", Jpeg2000(2, 2, 3, "abcdefghijkl", true).substr(0, 60),
         false},
        {"JBIG2 page of a forged size", "/Width 1 /Height 1 /Filter /JBIG2Decode", Jbig2Page(0x40000000, 0x40000000, true),
         false},
        {"JBIG2 garbage", "/Width 1 /Height 1 /Filter /JBIG2Decode", "garbage", false},
        {"RunLength run past the end", "/Width 4 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray /Filter /RunLengthDecode",
         "\x7Fzz", true},
        // Object 8 is an array: damage confined to the picture, not the document.
        {"ICC profile that is no stream", "/Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace [/ICCBased 8 0 R]", "a", false},
        {"JBIG2 globals that are no stream",
         "/Width 16 /Height 2 /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /JBIG2Decode /DecodeParms << /JBIG2Globals 8 0 R >>",
         Jbig2Page(16, 2, true), true},
    };
    std::vector<std::string> objects{"", StreamObject("", "")};
    const std::vector<std::string> shared = SharedObjects();
    objects.insert(objects.end(), shared.begin(), shared.end());
    std::string xobjects;
    for (size_t i = 0; i < cases.size(); ++i) {
        objects.push_back(StreamObject("/Type /XObject /Subtype /Image " + cases[i].entries, cases[i].data));
        xobjects += "/P" + std::to_string(i) + " " + std::to_string(FirstPicture + i) + " 0 R ";
    }
    objects[0] = "<< /Type /Page /Resources << /XObject << " + xobjects + ">> >> /Contents 4 0 R >>";
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R]", objects).Build());
    for (size_t i = 0; i < cases.size(); ++i) {
        bool kept = false;
        for (uint32_t p = 0; p < opened->pictures.Count(); ++p) {
            const ImageObject& picture = *opened->pictures.At(p);
            if (picture.name.View() != "/P" + std::to_string(i)) continue;
            kept = picture.image.pixels != nullptr;
        }
        EXPECT_EQ(kept, cases[i].kept) << cases[i].name;
    }
    EXPECT_FALSE(opened->invalid);
    auto image = [&](const std::string& name) -> const RasterImage& {
        for (uint32_t p = 0; p < opened->pictures.Count(); ++p) {
            if (opened->pictures.At(p)->name.View() == name) return opened->pictures.At(p)->image;
        }
        static const RasterImage none{};
        return none;
    };
    // Palette entries the lookup does not reach are black; index 200 is one of them.
    EXPECT_EQ(Pixel(image("/P0"), 0, 0), 0xFF0000u);
    EXPECT_EQ(Pixel(image("/P0"), 1, 0), 0x000000u);
    // The data end within the first row; the rest stays black.
    EXPECT_EQ(Pixel(image("/P1"), 0, 0), 0x616263u);
    EXPECT_EQ(Pixel(image("/P1"), 1, 0), 0x000000u);
    // Two whole predictor rows, the third is missing.
    EXPECT_EQ(Pixel(image("/P3"), 2, 0), 0x030303u);
    EXPECT_EQ(Pixel(image("/P3"), 0, 1), 0x000000u);
    // A negative hival is the single entry 0.
    EXPECT_EQ(Pixel(image("/P9"), 0, 0), 0x808080u);
    EXPECT_EQ(Pixel(image("/P16"), 1, 0), 0x7A7A7Au);
}

// Soft masks become grey opacity and stencil masks 1-bit masks beside the picture; colour-key
// arrays are not followed, and a mask that cannot be decoded leaves the picture opaque.
TEST(PictureSamples, CodestreamsTellTheirOwnSizeBeforeDecoding)
{
    // What each codestream declares is reported, and a limit below it refuses the decoding.
    struct Case {
        const char* name;
        bool jbig2;
        std::string data;
        size_t limit;
        bool decoded;
        uint64_t leastDeclared;
    };
    const std::string rgb = Jpeg2000(3, 1, 3, "abcdefghi", false);
    const Case cases[] = {
        {"JBIG2 page within the limit", true, Jbig2Page(64, 2, true), CodecMemoryLimit, true, 16},
        {"JBIG2 page of 45000 x 45000 pixels", true, Jbig2Page(45000, 45000, false), size_t{1} << 20, false,
         0},
        {"JPEG 2000 within the limit", false, rgb, 9, true, 9},
        {"JPEG 2000 one byte over the limit", false, rgb, 8, false, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CodecCost cost;
        const auto picture = c.jbig2 ? DecodeJbig2(c.data, {}, c.limit, &cost) : DecodeJpx(c.data, c.limit, &cost);
        EXPECT_EQ(picture.has_value(), c.decoded);
        EXPECT_EQ(cost.overLimit, !c.decoded);
        EXPECT_GE(cost.declaredBytes, c.leastDeclared);
        EXPECT_LE(cost.declaredBytes, c.decoded ? c.limit : UINT64_MAX);
    }
}

TEST(PictureSamples, ColourKeysLeaveOutTheirPixels)
{
    struct KeyCase {
        const char* name;
        int32_t bits, components;
        std::string samples;  // one row of four pixels
        std::vector<double> ranges;
        bool made;
        uint8_t leftOut;  // the mask's first byte: a set bit leaves that pixel out
    };
    const KeyCase cases[] = {
        {"1-bit grey: the ones", 1, 1, "\xA0", {1, 1}, true, 0xA0},
        {"4-bit grey: 3 to 5", 4, 1, "\x35\x6F", {3, 5}, true, 0xC0},
        {"8-bit RGB: pure red", 8, 3, std::string("\xFF\0\0\0\xFF\0\xFF\0\0\xFE\0\0", 12), {255, 255, 0, 0, 0, 0}, true, 0xA0},
        // Sixteen bits are compared whole, not by their high byte.
        {"16-bit grey", 16, 1, std::string("\x01\x00\x01\x01\x00\xFF\x01\x00", 8), {256, 256}, true, 0x90},
        {"ranges for fewer components than the space", 8, 3, std::string(12, '\0'), {0, 0, 0, 0}, false, 0},
        {"data end within the row", 8, 1, std::string("\x05\x05", 2), {5, 5}, true, 0xC0},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        SampleFormat format;
        format.width = 4, format.height = 1, format.bitsPerComponent = c.bits, format.components = c.components;
        format.colours = c.components == 3 ? SampleColours::Rgb : SampleColours::Gray;
        RasterImage mask;
        ASSERT_EQ(ColourKeyMask(format, c.samples, c.ranges, mask), c.made);
        if (!c.made) continue;
        EXPECT_EQ(mask.bitsPerPixel, 1);
        EXPECT_EQ(mask.pixels[0] & 0xF0, c.leftOut);
        deldib(mask);
    }
}

TEST(PictureSamples, MasksGiveOpacity)
{
    const std::string rgb("\xFF\0\0\0\0\xFF", 6);
    std::vector<std::string> objects{"<< /Type /Page /Resources << /XObject << /P0 5 0 R /P1 6 0 R /P2 7 0 R /P3 8 0 R >> >> "
                                     "/Contents 4 0 R >>",
                                     StreamObject("", "")};
    const std::string picture = "/Type /XObject /Subtype /Image /Width 2 /Height 1 /ColorSpace /DeviceRGB /BitsPerComponent 8 ";
    objects.push_back(StreamObject(picture + "/SMask 9 0 R", rgb));
    objects.push_back(StreamObject(picture + "/Mask 10 0 R", rgb));
    objects.push_back(StreamObject(picture + "/Mask [0 0 0 0 200 255]", rgb));
    objects.push_back(StreamObject(picture + "/SMask 11 0 R", rgb));
    objects.push_back(StreamObject("/Type /XObject /Subtype /Image /Width 2 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8",
                                   std::string("\x00\xFF", 2)));
    objects.push_back(StreamObject("/Type /XObject /Subtype /Image /Width 2 /Height 1 /ImageMask true", "\x40"));
    objects.push_back(StreamObject("/Type /XObject /Subtype /Image /Width 2 /Height 1 /BitsPerComponent 8 /Filter /Magic", "ab"));
    OpenedDocument opened(DocumentWithPages("/Kids [3 0 R]", objects).Build());
    ASSERT_EQ(opened->pictures.Count(), 4u);
    const RasterImage& soft = opened->pictures.At(0)->mask;
    ASSERT_EQ(soft.bitsPerPixel, 8);
    EXPECT_EQ(soft.pixels[0], 0x00);
    EXPECT_EQ(soft.pixels[1], 0xFF);
    const RasterImage& stencil = opened->pictures.At(1)->mask;
    ASSERT_EQ(stencil.bitsPerPixel, 1);
    EXPECT_EQ(stencil.pixels[0] & 0xC0, 0x40);  // the first pixel shows, the second does not
    // A colour key leaves out the pixels whose every sample is in its range: the blue one.
    const RasterImage& keyed = opened->pictures.At(2)->mask;
    ASSERT_EQ(keyed.bitsPerPixel, 1);
    EXPECT_EQ(keyed.pixels[0] & 0xC0, 0x40);
    EXPECT_EQ(opened->pictures.At(3)->mask.pixels, nullptr);
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(Pixel(opened->pictures.At(i)->image, 0, 0), 0xFF0000u);
}

}  // namespace
}  // namespace folivo::test
