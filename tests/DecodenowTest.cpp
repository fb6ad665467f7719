#include "core/Decodenow.h"

#include "tests/ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <tiffio.h>

namespace folivo {
namespace {

// Codes of the given widths, most significant bit first, the last byte padded with zeros.
std::string PackCodes(const std::vector<std::pair<uint32_t, int>>& codes)
{
    std::string out;
    uint32_t buffer = 0;
    int count = 0;
    for (const auto& [code, width] : codes) {
        buffer = (buffer << width) | code;
        count += width;
        while (count >= 8) {
            count -= 8;
            out += static_cast<char>((buffer >> count) & 0xFF);
        }
    }
    if (count > 0) out += static_cast<char>((buffer << (8 - count)) & 0xFF);
    return out;
}

// A plain LZW encoder with early change that never clears its table, so long inputs run on
// with a full table. Its output matches libtiff's as long as libtiff does not clear either.
std::string EncodeWithoutClear(const std::string& input)
{
    std::map<std::pair<int, uint8_t>, int> table;
    std::vector<std::pair<uint32_t, int>> codes;
    int next = 258;
    auto width = [&] { return next < 512 ? 9 : next < 1024 ? 10 : next < 2048 ? 11 : 12; };
    codes.emplace_back(256, 9);
    int current = -1;
    for (const char ch : input) {
        const uint8_t byte = static_cast<uint8_t>(ch);
        if (current < 0) {
            current = byte;
            continue;
        }
        const auto found = table.find({current, byte});
        if (found != table.end()) {
            current = found->second;
            continue;
        }
        codes.emplace_back(current, width());
        if (next < 4096) table[{current, byte}] = next++;
        current = byte;
    }
    if (current >= 0) {
        codes.emplace_back(current, width());
        if (next < 4096) ++next;  // the decoder adds one more entry when it reads this code
    }
    codes.emplace_back(257, width());
    return PackCodes(codes);
}

// Deterministic bytes drawn from the first alphabetSize byte values.
std::string Noise(size_t length, int alphabetSize, uint32_t seed)
{
    std::string out(length, '\0');
    for (char& c : out) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>((seed >> 16) % static_cast<uint32_t>(alphabetSize));
    }
    return out;
}

// LZW data as libtiff writes it: an independent encoder with the same early change.
std::string EncodeWithLibtiff(const ScratchFolder& folder, const std::string& input)
{
    const std::string path = folder.File("lzw.tif");
    TIFF* out = TIFFOpen(path.c_str(), "w");
    EXPECT_NE(out, nullptr);
    if (!out) return {};
    TIFFSetField(out, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(input.size()));
    TIFFSetField(out, TIFFTAG_IMAGELENGTH, 1);
    TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(out, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(out, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, 1);
    std::string row = input;
    TIFFWriteScanline(out, row.data(), 0, 0);
    TIFFClose(out);

    TIFF* in = TIFFOpen(path.c_str(), "r");
    EXPECT_NE(in, nullptr);
    if (!in) return {};
    std::string raw(static_cast<size_t>(TIFFRawStripSize(in, 0)), '\0');
    TIFFReadRawStrip(in, 0, raw.data(), static_cast<tmsize_t>(raw.size()));
    TIFFClose(in);
    return raw;
}

TEST(DecodeLzw, ClassicExampleWithRepeatedPrefix)
{
    // Codes 256 45 258 258 65 259 66 257: the first 258 arrives while it is being defined.
    EXPECT_EQ(DecodeLzw(std::string("\x80\x0B\x60\x50\x22\x0C\x0C\x85\x01", 9)), "-----A---B");
    EXPECT_EQ(DecodeLzw(PackCodes({{256, 9}, {'a', 9}, {258, 9}, {259, 9}, {257, 9}})), "aaaaaa");
}

TEST(DecodeLzw, MatchesLibtiffAcrossEveryWidthChange)
{
    ScratchFolder folder;
    // Random bytes make about one code per byte, so these lengths step over the switches to
    // 10, 11 and 12 bits one length at a time.
    std::vector<size_t> lengths;
    for (size_t n = 245; n <= 270; ++n) lengths.push_back(n);
    for (size_t n = 755; n <= 785; ++n) lengths.push_back(n);
    for (size_t n = 1770; n <= 1810; ++n) lengths.push_back(n);
    lengths.push_back(70000);
    for (const size_t length : lengths) {
        SCOPED_TRACE(length);
        const std::string input = Noise(length, 256, static_cast<uint32_t>(length));
        const std::string encoded = EncodeWithLibtiff(folder, input);
        ASSERT_EQ(DecodeLzw(encoded), input);
        if (length < 2000) {
            ASSERT_EQ(EncodeWithoutClear(input), encoded);  // the test's encoder agrees with libtiff
        }
    }
    // Long repetitive input: long strings, and libtiff clears its full table along the way.
    const std::string text = Noise(300000, 3, 7);
    ASSERT_EQ(DecodeLzw(EncodeWithLibtiff(folder, text)), text);
}

TEST(DecodeLzw, FullTableKeepsTwelveBitCodes)
{
    for (const int alphabet : {2, 40, 256}) {
        SCOPED_TRACE(alphabet);
        const std::string input = Noise(120000, alphabet, 99);
        EXPECT_EQ(DecodeLzw(EncodeWithoutClear(input)), input);
    }
}

TEST(DecodeLzw, StopsAtEndCodeAndAtTheOutputLimit)
{
    std::string encoded = EncodeWithoutClear("abcabcabc");
    encoded += "\xFF\x00garbage";
    EXPECT_EQ(DecodeLzw(encoded), "abcabcabc");

    const std::string runs(1000000, 'x');
    const std::string compact = EncodeWithoutClear(runs);
    EXPECT_LT(compact.size(), 2000u);  // strings of thousands of bytes per code
    EXPECT_EQ(DecodeLzw(compact), runs);
    EXPECT_EQ(DecodeLzw(compact, 1000), std::string(1000, 'x'));
    EXPECT_EQ(DecodeLzw(compact, 0), "");
}

TEST(DecodeLzw, DamagedDataKeepsWhatWasDecoded)
{
    // A code beyond the next free one, and a table code right after a clear.
    EXPECT_EQ(DecodeLzw(PackCodes({{256, 9}, {'a', 9}, {'b', 9}, {300, 9}, {'c', 9}})), "ab");
    EXPECT_EQ(DecodeLzw(PackCodes({{256, 9}, {'a', 9}, {256, 9}, {258, 9}, {'c', 9}})), "a");
    // A clear starts over with 9-bit codes and a fresh table.
    EXPECT_EQ(DecodeLzw(PackCodes({{'a', 9}, {'b', 9}, {256, 9}, {'c', 9}, {'d', 9}, {258, 9}, {257, 9}})),
              "abcdcd");
    EXPECT_EQ(DecodeLzw(""), "");
    EXPECT_EQ(DecodeLzw(std::string(1, '\x80')), "");  // not even one whole code

    // Every cut of a valid stream decodes to a beginning of the original.
    const std::string input = Noise(3000, 5, 3);
    const std::string encoded = EncodeWithoutClear(input);
    for (size_t cut = 0; cut < encoded.size(); cut += 7) {
        const std::string decoded = DecodeLzw(std::string_view(encoded).substr(0, cut));
        ASSERT_EQ(decoded, input.substr(0, decoded.size())) << "cut at " << cut;
    }
}

TEST(DecodeLzw, GarbageStaysBounded)
{
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        const std::string noise = Noise(seed * 37, 256, seed);
        const std::string decoded = DecodeLzw(noise, 1 << 20);
        ASSERT_LE(decoded.size(), size_t{1} << 20);
    }
}

TEST(Decodenow, DecodesFileToFile)
{
    ScratchFolder folder;
    const std::string input = Noise(5000, 4, 11);
    const std::string source = folder.Write("tmpdec.tmp", EncodeWithoutClear(input));
    const std::string target = folder.File("tmpdec2.tmp");
    decodenow(source.c_str(), target.c_str());
    EXPECT_EQ(ReadBytes(target), input);

    // Garbage still gives an output file, holding what could be decoded.
    folder.Write("tmpdec.tmp", PackCodes({{'o', 9}, {'k', 9}, {511, 9}}));
    decodenow(source.c_str(), target.c_str());
    EXPECT_EQ(ReadBytes(target), "ok");
}

TEST(Decodenow, MissingInputWritesNothing)
{
    ScratchFolder folder;
    const std::string target = folder.File("tmpdec2.tmp");
    decodenow(folder.File("tmpdec.tmp").c_str(), target.c_str());
    EXPECT_FALSE(std::filesystem::exists(target));
    decodenow(nullptr, target.c_str());
    EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace folivo
