#include "core/RasterImage.h"

#include "tests/ScratchFolder.h"
#include "tests/TestJpeg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <tiffio.h>

namespace folivo {
namespace {

// ---- Reading pixels back, with (x, y) counted from the top-left corner. ----

const uint8_t* PixelAt(const RasterImage& image, int x, int y)
{
    return image.pixels + static_cast<size_t>(image.height - 1 - y) * image.bytesPerRow +
           static_cast<size_t>(x) * image.bitsPerPixel / 8;
}

int BitAt(const RasterImage& image, int x, int y)
{
    return (*PixelAt(image, x, y) >> (7 - x % 8)) & 1;
}

// 0xRRGGBB of a 24-bit pixel.
uint32_t ColourAt(const RasterImage& image, int x, int y)
{
    const uint8_t* p = PixelAt(image, x, y);
    return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

// JPEG is lossy: colours are compared channel by channel within a tolerance.
::testing::AssertionResult NearColour(uint32_t actual, uint32_t expected, int tolerance = 8)
{
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
        if (std::abs(a - e) > tolerance) {
            char text[64];
            std::snprintf(text, sizeof text, "%06X is not near %06X", actual, expected);
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

class RasterImageTest : public ::testing::Test {
protected:
    RasterImageTest() { std::memset(&image, 0, sizeof image); }
    ~RasterImageTest() override { deldib(image); }

    // Opens the file into a record full of stale bytes; whether it got pixels.
    bool Decodes(const char* fileName)
    {
        deldib(image);  // a failed check may have left pixels
        std::memset(&image, 0x5A, sizeof image);
        OpenDib(image, fileName, 0, nullptr);
        return image.pixels != nullptr;
    }
    bool Decodes(const std::string& path) { return Decodes(path.c_str()); }

    RasterImage image;
    ScratchFolder folder;
};

// ---- newdib ----

TEST_F(RasterImageTest, NewdibPadsRowsToWholeWords)
{
    struct Case { int32_t width, bits, rowBytes; };
    for (const Case c : {Case{1, 1, 4}, Case{32, 1, 4}, Case{33, 1, 8}, Case{9, 4, 8}, Case{5, 2, 4},
                         Case{3, 8, 4}, Case{5, 8, 8}, Case{3, 24, 12}, Case{4, 24, 12}, Case{3, 16, 8},
                         Case{3, 32, 12}}) {
        SCOPED_TRACE(std::to_string(c.width) + " pixels at " + std::to_string(c.bits) + " bits");
        ASSERT_TRUE(newdib(image, c.width, 3, c.bits, 0, 0));
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, 3);
        EXPECT_EQ(image.bitsPerPixel, c.bits);
        EXPECT_EQ(image.bytesPerRow, c.rowBytes);
        const std::vector<uint8_t> zero(static_cast<size_t>(c.rowBytes) * 3, 0);
        EXPECT_EQ(std::memcmp(image.pixels, zero.data(), zero.size()), 0);
        deldib(image);
    }
}

TEST_F(RasterImageTest, NewdibPalettes)
{
    ASSERT_TRUE(newdib(image, 8, 8, 1));
    EXPECT_EQ(image.paletteCount, 2);
    EXPECT_EQ(image.palette[0], 0x000000u);
    EXPECT_EQ(image.palette[1], 0xFFFFFFu);
    deldib(image);

    ASSERT_TRUE(newdib(image, 8, 8, 8));
    EXPECT_EQ(image.paletteCount, 256);
    EXPECT_EQ(image.palette[0], 0x000000u);
    EXPECT_EQ(image.palette[0x7F], 0x7F7F7Fu);
    EXPECT_EQ(image.palette[255], 0xFFFFFFu);
    deldib(image);

    ASSERT_TRUE(newdib(image, 8, 8, 4));
    EXPECT_EQ(image.paletteCount, 16);
    EXPECT_EQ(image.palette[1], 0x111111u);
    EXPECT_EQ(image.palette[15], 0xFFFFFFu);
    deldib(image);

    ASSERT_TRUE(newdib(image, 8, 8, 24));
    EXPECT_EQ(image.paletteCount, 0);
}

TEST_F(RasterImageTest, NewdibRefusesBadAndOversizedBitmaps)
{
    struct Case { int32_t width, height, bits; };
    const int32_t limitRows = static_cast<int32_t>(RasterImageMaxPixelBytes / 4);
    for (const Case c : {Case{0, 5, 8}, Case{5, 0, 8}, Case{-3, 5, 8}, Case{5, -1, 24}, Case{5, 5, 0},
                         Case{5, 5, 3}, Case{5, 5, 12}, Case{5, 5, 48},
                         // products that overflow 32 bits, or just pass the limit
                         Case{65536, 65536, 24}, Case{INT32_MAX, INT32_MAX, 32}, Case{INT32_MAX, 1, 32},
                         Case{32, limitRows + 1, 1}, Case{1, limitRows + 1, 8}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + "x" + std::to_string(c.bits));
        std::memset(&image, 0xAB, sizeof image);  // stale contents must not survive a refusal
        EXPECT_FALSE(newdib(image, c.width, c.height, c.bits));
        EXPECT_EQ(image.pixels, nullptr);
    }
}

TEST_F(RasterImageTest, DeldibTwiceIsHarmless)
{
    ASSERT_TRUE(newdib(image, 2, 2, 8));
    deldib(image);
    EXPECT_EQ(image.pixels, nullptr);
    deldib(image);
    EXPECT_EQ(image.pixels, nullptr);
}

// ---- JPEG ----

using test::JpegLayout;

// A picture given sample by sample.
std::string SampledJpeg(const JpegLayout& layout, const std::function<uint8_t(int x, int y, int component)>& sample)
{
    return test::EncodeJpeg(layout, [&](int y, uint8_t* row) {
        for (int x = 0; x < layout.width; ++x)
            for (int c = 0; c < layout.components; ++c) row[x * layout.components + c] = sample(x, y, c);
    });
}

// Top half one flat colour, bottom half another (samples in the input colour space).
std::string FlatJpeg(const JpegLayout& layout, const std::vector<uint8_t>& top, const std::vector<uint8_t>& bottom)
{
    return SampledJpeg(layout, [&](int, int y, int c) { return (y < layout.height / 2 ? top : bottom)[c]; });
}

std::string RedOverBlueJpeg(bool progressive = false)
{
    return FlatJpeg({24, 32, JCS_RGB, 3, JCS_YCbCr, false, progressive}, {255, 0, 0}, {0, 0, 255});
}

// Noise compresses badly, so most of the file is entropy-coded data.
std::string NoisyJpeg(bool progressive)
{
    return SampledJpeg({64, 64, JCS_RGB, 3, JCS_YCbCr, false, progressive}, [](int x, int y, int c) {
        return static_cast<uint8_t>((static_cast<uint32_t>(x * 7919 + y * 104729 + c * 31) * 2654435761u) >> 24);
    });
}

TEST_F(RasterImageTest, GreyJpegBecomesEightBitsBottomUp)
{
    const std::string path = folder.Write("grey.jpg", FlatJpeg({20, 32, JCS_GRAYSCALE, 1, JCS_GRAYSCALE, false, false}, {30}, {220}));
    OpenDib(image, path.c_str(), 0, nullptr);
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.width, 20);
    EXPECT_EQ(image.height, 32);
    EXPECT_EQ(image.bitsPerPixel, 8);
    EXPECT_EQ(image.bytesPerRow, 20);
    EXPECT_EQ(image.paletteCount, 256);
    EXPECT_EQ(image.palette[200], 0xC8C8C8u);
    EXPECT_NEAR(*PixelAt(image, 10, 4), 30, 4);
    EXPECT_NEAR(*PixelAt(image, 10, 28), 220, 4);
    EXPECT_NEAR(image.pixels[5], 220, 4);  // the first stored row is the bottom one
}

TEST_F(RasterImageTest, ColourJpegBecomesBlueGreenRed)
{
    struct Case { const char* name; J_COLOR_SPACE stored; bool adobeMarker, progressive; };
    // RGB is stored as YCbCr by default; plain RGB is marked by an Adobe segment.
    for (const Case c : {Case{"YCbCr", JCS_YCbCr, false, false}, Case{"RGB", JCS_RGB, true, false},
                         Case{"progressive", JCS_YCbCr, false, true}}) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.Write(
            "colour.jpg", FlatJpeg({22, 32, JCS_RGB, 3, c.stored, c.adobeMarker, c.progressive}, {250, 120, 10}, {0, 40, 200}));
        OpenDib(image, path.c_str(), 0, nullptr);
        ASSERT_NE(image.pixels, nullptr);
        EXPECT_EQ(image.bitsPerPixel, 24);
        EXPECT_EQ(image.bytesPerRow, 68);  // 66 rounded up to a whole word
        EXPECT_EQ(image.paletteCount, 0);
        EXPECT_TRUE(NearColour(ColourAt(image, 11, 5), 0xFA780A));
        EXPECT_TRUE(NearColour(ColourAt(image, 21, 27), 0x0028C8));
        deldib(image);
    }
}

struct CmykCase {
    const char* name;
    J_COLOR_SPACE stored;
    bool adobeMarker;  // writers that add it store the inks inverted
};

void PrintTo(const CmykCase& c, std::ostream* out)
{
    *out << c.name;
}

class CmykJpegTest : public RasterImageTest, public ::testing::WithParamInterface<CmykCase> {};

TEST_P(CmykJpegTest, InksBecomeRgb)
{
    const CmykCase& c = GetParam();
    auto inks = [&](std::vector<uint8_t> cmyk) {
        if (c.adobeMarker)
            for (uint8_t& v : cmyk) v = static_cast<uint8_t>(255 - v);
        return cmyk;
    };
    // Top: pure cyan. Bottom: magenta at 50 % with 50 % black, red light = 255 - (0 + 128).
    const std::string path = folder.Write(
        "cmyk.jpg", FlatJpeg({16, 32, JCS_CMYK, 4, c.stored, c.adobeMarker, false}, inks({255, 0, 0, 0}), inks({0, 128, 0, 128})));
    OpenDib(image, path.c_str(), 0, nullptr);
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.bitsPerPixel, 24);
    EXPECT_TRUE(NearColour(ColourAt(image, 8, 6), 0x00FFFF));
    EXPECT_TRUE(NearColour(ColourAt(image, 8, 26), 0x7F007F));
}

INSTANTIATE_TEST_SUITE_P(Inks, CmykJpegTest,
                         ::testing::Values(CmykCase{"Plain", JCS_CMYK, false}, CmykCase{"AdobeInverted", JCS_CMYK, true},
                                           CmykCase{"AdobeYcck", JCS_YCCK, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RasterImageTest, JpegWithoutEndMarkerStillDecodes)
{
    for (const bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        std::string bytes = RedOverBlueJpeg(progressive);
        ASSERT_EQ(bytes.substr(bytes.size() - 2), "\xFF\xD9");
        bytes.resize(bytes.size() - 2);
        OpenDib(image, folder.Write("noend.jpg", bytes).c_str(), 0, nullptr);
        ASSERT_NE(image.pixels, nullptr);
        EXPECT_TRUE(NearColour(ColourAt(image, 3, 30), 0x0000FF));
        deldib(image);
    }
}

TEST_F(RasterImageTest, DamagedJpegsGiveNoImage)
{
    const std::string good = RedOverBlueJpeg();
    const std::string noisy = NoisyJpeg(false);
    const std::string noisyProgressive = NoisyJpeg(true);
    for (const std::string* whole : {&noisy, &noisyProgressive}) {
        // Whole, they decode: only the cut below breaks them.
        OpenDib(image, folder.Write("noisy.jpg", *whole).c_str(), 0, nullptr);
        EXPECT_NE(image.pixels, nullptr);
        deldib(image);
    }
    // The frame header holds height and width after marker, length and precision.
    const size_t frame = good.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    std::string huge = good;
    huge[frame + 5] = huge[frame + 7] = '\xFF';  // 65 3xx × 65 3xx pixels
    // Within the size limit, but the scans hold far too little data for it.
    std::string larger = noisyProgressive;
    const size_t progressiveFrame = larger.find("\xFF\xC2");
    ASSERT_NE(progressiveFrame, std::string::npos);
    larger[progressiveFrame + 5] = larger[progressiveFrame + 7] = '\x10';  // 4 1xx × 4 1xx pixels
    // The first (DC) scan repeated 600 times: each copy decodes cleanly, only slowly.
    const size_t firstScan = noisyProgressive.find("\xFF\xDA");
    const size_t secondScan = noisyProgressive.find("\xFF\xDA", firstScan + 2);
    ASSERT_NE(secondScan, std::string::npos);
    std::string manyScans = noisyProgressive.substr(0, secondScan);
    for (int i = 0; i < 600; ++i) manyScans += noisyProgressive.substr(firstScan, secondScan - firstScan);
    manyScans += noisyProgressive.substr(secondScan);
    std::string zeroWidth = good;
    zeroWidth[frame + 7] = zeroWidth[frame + 8] = '\0';

    const std::vector<std::pair<const char*, std::string>> cases = {
        {"truncated in the data", noisy.substr(0, noisy.size() * 3 / 4)},
        {"progressive, truncated in a scan", noisyProgressive.substr(0, noisyProgressive.size() * 3 / 4)},
        {"truncated in the header", good.substr(0, 40)},
        {"only the start marker", "\xFF\xD8\xFF"},
        {"garbage after the marker", std::string("\xFF\xD8\xFF") + std::string(200, '\x5A')},
        {"forged size", huge},
        {"forged size within the limit", larger},
        {"too many scans", manyScans},
        {"zero width", zeroWidth},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(Decodes(folder.Write("damaged.jpg", bytes)));
        EXPECT_EQ(image.width, 0);
    }
}

// ---- TIFF ----

struct TiffEntry {
    uint16_t tag;
    uint16_t type;  // 3 SHORT, 4 LONG
    uint32_t value;
};

void PutLittle(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A little-endian TIFF with one directory of single-valued entries, followed by data.
std::string TiffFile(const std::vector<TiffEntry>& entries, std::string_view data)
{
    std::string out = "II";
    PutLittle(out, 42, 2);
    PutLittle(out, 8, 4);
    PutLittle(out, static_cast<uint32_t>(entries.size()), 2);
    for (const TiffEntry& e : entries) {
        PutLittle(out, e.tag, 2);
        PutLittle(out, e.type, 2);
        PutLittle(out, 1, 4);
        PutLittle(out, e.value, e.type == 3 ? 2 : 4);
        if (e.type == 3) PutLittle(out, 0, 2);
    }
    PutLittle(out, 0, 4);
    out.append(data);
    return out;
}

// The wrapper the document reader writes around CCITT fax picture data.
std::string FaxWrapper(uint32_t width, uint32_t height, uint32_t photometric, std::string_view data)
{
    std::string file = TiffFile({{256, 3, width & 0xFFFF}, {257, 3, height}, {258, 3, 1}, {259, 3, 4},
                                 {262, 3, photometric}, {273, 4, 110}, {278, 3, height},
                                 {279, 4, static_cast<uint32_t>(data.size())}},
                                data);
    EXPECT_EQ(file.size(), 110 + data.size());
    return file;
}

constexpr int FaxWidth = 37;
constexpr int FaxHeight = 21;

bool Ink(int x, int y)
{
    return (x / 3 + y / 2) % 3 == 0 || x == FaxWidth - 1 || y == 0;
}

// Group 4 data of the Ink pattern (1 = black), made by libtiff's own encoder.
std::string EncodeGroup4(const ScratchFolder& folder)
{
    const std::string path = folder.File("g4-source.tif");
    TIFF* out = TIFFOpen(path.c_str(), "w");
    EXPECT_NE(out, nullptr);
    if (!out) return {};
    TIFFSetField(out, TIFFTAG_IMAGEWIDTH, FaxWidth);
    TIFFSetField(out, TIFFTAG_IMAGELENGTH, FaxHeight);
    TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(out, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, FaxHeight);
    for (int y = 0; y < FaxHeight; ++y) {
        uint8_t row[(FaxWidth + 7) / 8] = {};
        for (int x = 0; x < FaxWidth; ++x)
            if (Ink(x, y)) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        TIFFWriteScanline(out, row, static_cast<uint32_t>(y), 0);
    }
    TIFFClose(out);

    TIFF* in = TIFFOpen(path.c_str(), "r");
    EXPECT_NE(in, nullptr);
    if (!in) return {};
    std::string raw(static_cast<size_t>(TIFFRawStripSize(in, 0)), '\0');
    EXPECT_EQ(TIFFReadRawStrip(in, 0, raw.data(), static_cast<tmsize_t>(raw.size())),
              static_cast<tmsize_t>(raw.size()));
    TIFFClose(in);
    return raw;
}

TEST_F(RasterImageTest, FaxWrapperDecodesForBothPhotometrics)
{
    const std::string group4 = EncodeGroup4(folder);
    ASSERT_FALSE(group4.empty());
    for (const uint32_t photometric : {0u, 1u}) {
        SCOPED_TRACE("photometric " + std::to_string(photometric));
        // The name says JPEG: the content decides.
        const std::string path = folder.Write("tempimage1.jpg", FaxWrapper(FaxWidth, FaxHeight, photometric, group4));
        OpenDib(image, path.c_str(), 0, nullptr);
        ASSERT_NE(image.pixels, nullptr);
        EXPECT_EQ(image.width, FaxWidth);
        EXPECT_EQ(image.height, FaxHeight);
        EXPECT_EQ(image.bitsPerPixel, 1);
        EXPECT_EQ(image.bytesPerRow, 8);
        ASSERT_EQ(image.paletteCount, 2);
        // Min-is-white shows the ink black; min-is-black shows the same codes inverted.
        const uint32_t ink = photometric == 0 ? 0x000000 : 0xFFFFFF;
        int wrong = 0;
        for (int y = 0; y < FaxHeight; ++y)
            for (int x = 0; x < FaxWidth; ++x)
                wrong += (image.palette[BitAt(image, x, y)] == ink) != Ink(x, y);
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(image.palette[0], photometric == 0 ? 0xFFFFFFu : 0x000000u);
        deldib(image);
    }
}

TEST_F(RasterImageTest, OtherTiffLayoutsDecode)
{
    // Uncompressed 8-bit grey, min-is-white: an inverted grey palette over the stored values.
    const std::string grey = TiffFile({{256, 3, 3}, {257, 3, 2}, {258, 3, 8}, {259, 3, 1}, {262, 3, 0},
                                       {273, 4, 110}, {278, 3, 2}, {279, 4, 6}},
                                      std::string("\x00\x40\xFF\x10\x20\x30", 6));
    OpenDib(image, folder.Write("grey.tif", grey).c_str(), 0, nullptr);
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.bitsPerPixel, 8);
    EXPECT_EQ(*PixelAt(image, 1, 0), 0x40);
    EXPECT_EQ(*PixelAt(image, 2, 1), 0x30);
    EXPECT_EQ(image.palette[0], 0xFFFFFFu);
    EXPECT_EQ(image.palette[0xFF], 0x000000u);
    deldib(image);

    // Uncompressed RGB, 2 × 2: 24 bits, blue-green-red, bottom row first.
    const std::string rgb = TiffFile({{256, 3, 2}, {257, 3, 2}, {258, 3, 8}, {259, 3, 1}, {262, 3, 2},
                                      {273, 4, 122}, {277, 3, 3}, {278, 3, 2}, {279, 4, 12}},
                                     std::string("\x10\x20\x30\x40\x50\x60\x70\x80\x90\xA0\xB0\xC0", 12));
    ASSERT_EQ(rgb.size(), 122 + 12u);
    OpenDib(image, folder.Write("rgb.tif", rgb).c_str(), 0, nullptr);
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.bitsPerPixel, 24);
    EXPECT_EQ(ColourAt(image, 0, 0), 0x102030u);
    EXPECT_EQ(ColourAt(image, 1, 1), 0xA0B0C0u);
    EXPECT_EQ(image.pixels[0], 0x90);  // bottom-left pixel, blue first
}

TEST_F(RasterImageTest, BadTiffsGiveNoImage)
{
    const std::string group4 = EncodeGroup4(folder);
    ASSERT_GT(group4.size(), 8u);
    std::string wrongLength = FaxWrapper(FaxWidth, FaxHeight, 0, group4);
    wrongLength.resize(110 + group4.size() / 3);

    const std::vector<std::pair<const char*, std::string>> cases = {
        {"zero width", FaxWrapper(0, FaxHeight, 0, group4)},
        {"strip shorter than stated", wrongLength},
        {"header only", FaxWrapper(FaxWidth, FaxHeight, 0, group4).substr(0, 60)},
        // 200 000 × 200 000 pixels would need 4.6 GiB even at one bit each.
        {"absurd size",
         TiffFile({{256, 4, 200000}, {257, 4, 200000}, {258, 3, 1}, {259, 3, 4}, {262, 3, 0}, {273, 4, 110},
                   {278, 4, 200000}, {279, 4, static_cast<uint32_t>(group4.size())}},
                  group4)},
        {"unknown compression",
         TiffFile({{256, 3, 8}, {257, 3, 8}, {258, 3, 1}, {259, 3, 999}, {262, 3, 0}, {273, 4, 110},
                   {278, 3, 8}, {279, 4, 8}},
                  std::string(8, '\0'))},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(Decodes(folder.Write("bad.tif", bytes)));
    }
}

TEST_F(RasterImageTest, GarbageFaxDataNeverCrashes)
{
    // Random codes may or may not form rows; either way nothing may be read out of bounds.
    uint32_t seed = 12345;
    for (int round = 0; round < 40; ++round) {
        std::string data(static_cast<size_t>(1 + round * 7), '\0');
        for (char& c : data) {
            seed = seed * 1103515245u + 12345u;
            c = static_cast<char>(seed >> 24);
        }
        OpenDib(image, folder.Write("noise.tif", FaxWrapper(64 + round, 30, round % 2, data)).c_str(), 0, nullptr);
        if (image.pixels) {
            EXPECT_EQ(image.height, 30);
        }
        deldib(image);
    }
}

TEST_F(RasterImageTest, UnreadableFilesGiveNoImage)
{
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"empty", ""},
        {"text", "hello, world"},
        {"bitmap header", std::string("BM\x36\x00\x00\x00\x00\x00", 8)},
        {"three bytes", "II*"},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(Decodes(folder.Write("file.tif", bytes)));
    }
    EXPECT_FALSE(Decodes(folder.File("missing.jpg")));
    EXPECT_FALSE(Decodes(nullptr));
}

// Records that share pixels: each release drops one hold, the last frees the memory (the
// sanitizer build finds a double free or a leak here).
TEST(SharedRaster, RecordsShareOnePixelBlock)
{
    RasterImage first{}, second{}, third{};
    ASSERT_TRUE(newdib(first, 3, 2, 24));
    first.pixels[0] = 42;
    sharedib(first, second);
    sharedib(second, third);
    EXPECT_EQ(second.pixels, first.pixels);
    EXPECT_EQ(third.width, 3);
    deldib(first);
    EXPECT_EQ(first.pixels, nullptr);
    EXPECT_EQ(second.pixels[0], 42);  // still held by the others
    deldib(third);
    deldib(second);
    deldib(second);  // a released record holds nothing
    RasterImage empty{};
    sharedib(empty, first);
    EXPECT_EQ(first.pixels, nullptr);
}

// Reduced copies keep every depth's pixels where nearest-neighbour sampling puts them.
TEST(SharedRaster, SampledCopiesKeepDepthAndPixels)
{
    for (int32_t bits : {1, 2, 4, 8, 24, 32}) {
        SCOPED_TRACE(bits);
        RasterImage source{}, sampled{};
        ASSERT_TRUE(newdib(source, 40, 20, bits));
        // Column x holds value x modulo the depth's range in its first byte or index.
        const int range = bits >= 8 ? 256 : 1 << bits;
        for (int32_t y = 0; y < 20; ++y) {
            uint8_t* row = source.pixels + y * source.bytesPerRow;
            for (int32_t x = 0; x < 40; ++x) {
                const int value = x % range;
                if (bits >= 8) row[x * bits / 8] = static_cast<uint8_t>(value);
                else row[x * bits / 8] |= static_cast<uint8_t>(value << (8 - bits - x * bits % 8));
            }
        }
        ASSERT_TRUE(sampledib(source, 200, sampled));
        EXPECT_EQ(sampled.width, 20);
        EXPECT_EQ(sampled.height, 10);
        EXPECT_EQ(sampled.bitsPerPixel, bits);
        EXPECT_EQ(sampled.paletteCount, source.paletteCount);
        for (int32_t x = 0; x < 20; ++x) {
            const uint8_t* row = sampled.pixels + 9 * sampled.bytesPerRow;
            const int value = bits >= 8 ? row[x * bits / 8] : (row[x * bits / 8] >> (8 - bits - x * bits % 8)) & (range - 1);
            EXPECT_EQ(value, (2 * x) % range) << x;
        }
        deldib(sampled);
        deldib(source);
    }
}

}  // namespace
}  // namespace folivo
