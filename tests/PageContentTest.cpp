// Pictures and content streams of opened documents: decoding, joining, interpreting.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/TiffFile.h"

#include "tests/ReaderTestSupport.h"
#include "tests/ScratchFolder.h"

namespace folivo::test {
namespace {

// A one-page document whose page uses `contents` and the XObjects /Im1 = 5 0 R, /Im2 = 6 0 R.
struct PageDocument {
    std::string page = "<< /Type /Page /Resources << /XObject << /Im1 5 0 R /Im2 6 0 R >> >> /Contents [4 0 R] >>";
    std::vector<std::string> more;  // objects 4 ...

    std::string Build() const
    {
        std::vector<std::string> objects{page};
        objects.insert(objects.end(), more.begin(), more.end());
        return DocumentWithPages("/Kids [3 0 R]", objects).Build();
    }
};

struct Opened {
    ScratchFolder folder;
    RecordingPort port;
    PdfDocument document{port};

    explicit Opened(const std::string& pdf, bool readImages = true)
    {
        document.temporaryFolder = folder.File("");
        document.readImages = readImages;
        document.OpenBytes(Bytes(pdf), "test.pdf");
    }
    const PageRecord& Page() { return *document.pages.At(0); }
    std::string Content() { return std::string(reinterpret_cast<const char*>(Page().content), Page().contentLength); }
};

const std::string Empty = "<< >>";

TEST(PageContent, StreamsAreDecodedInFilterOrderAndJoined)
{
    PageDocument pdf;
    pdf.page = "<< /Type /Page /Contents [4 0 R 5 0 R 6 0 R] >>";
    pdf.more = {StreamObject("/Filter [/ASCII85Decode /FlateDecode]", "GhOZI#Qt,.k5aN~>"),
                StreamObject("/Filter /FlateDecode", Deflate("0 0 m 5 5 l S")), StreamObject("", " 1 w")};
    // The ASCII85 text above is the encoding of the deflated "q Q".
    Opened opened(pdf.Build());
    ASSERT_TRUE(opened.Page().contentLoaded);
    const std::string content = opened.Content();
    EXPECT_EQ(content, "q Q\n0 0 m 5 5 l S\n 1 w\n");
    EXPECT_EQ(opened.document.ItemCountsByPage(), std::vector<uint32_t>{1});
    EXPECT_FALSE(opened.document.invalid);
}

TEST(PageContent, UnsupportedFilterLeavesThePageWithoutContent)
{
    PageDocument pdf;
    pdf.page = "<< /Type /Page /Contents [4 0 R 5 0 R] >>";
    pdf.more = {StreamObject("", "0 0 m 1 1 l S"), StreamObject("/Filter /RunLengthDecode", "x")};
    Opened opened(pdf.Build());
    EXPECT_FALSE(opened.Page().contentLoaded);
    EXPECT_EQ(opened.port.memo.back(),
              "Die Komprimierung /RunLengthDecode wird nicht unterstützt, deshalb kann die Seite 1 nicht gelesen werden!");
    EXPECT_EQ(opened.document.PageItemList.Count(), 0u);
}

TEST(PageContent, DamagedStreamsAreSkipped)
{
    PageDocument pdf;
    pdf.page = "<< /Type /Page /Contents [4 0 R 5 0 R 6 0 R] >>";
    pdf.more = {StreamObject("/Filter /FlateDecode", "garbage"), "<< /Length 5 >>\nnostream", StreamObject("", "0 0 m f")};
    Opened opened(pdf.Build());
    EXPECT_EQ(opened.Content(), "0 0 m f\n");
    EXPECT_TRUE(opened.document.invalid);  // the stream without "stream"
}

TEST(PageContent, StreamDataStartingWithBlanksKeepsThem)
{
    PageDocument pdf;
    pdf.page = "<< /Type /Page /Contents 4 0 R >>";
    pdf.more = {"<< /Length 6 >>\nstream\r\n\n q Q \nendstream"};
    Opened opened(pdf.Build());
    EXPECT_EQ(opened.Content(), "\n q Q \n");
}

TEST(PageContent, LzwThroughTemporaryFiles)
{
    PageDocument pdf;
    pdf.page = "<< /Type /Page /Contents 4 0 R >>";
    pdf.more = {StreamObject("/Filter /LZWDecode", std::string("\x80\x0B\x60\x50\x22\x0C\x0C\x85\x01", 9))};
    Opened opened(pdf.Build());
    EXPECT_EQ(opened.Content(), "-----A---B\n");
    EXPECT_FALSE(std::filesystem::exists(opened.folder.File("tmpdec.tmp")));
    EXPECT_FALSE(std::filesystem::exists(opened.folder.File("tmpdec2.tmp")));
}

std::string Picture(int width, int height, int bits, const std::string& filter, const std::string& data)
{
    return StreamObject("/Type /XObject /Subtype /Image /Width " + std::to_string(width) + " /Height " +
                            std::to_string(height) + " /BitsPerComponent " + std::to_string(bits) + " /Filter " + filter,
                        data);
}

TEST(Pictures, FlateRgbAndGreyBecomeBitmaps)
{
    PageDocument pdf;
    // Top row red, blue; bottom row green, white.
    const std::string rgb("\xFF\0\0\0\0\xFF\0\xFF\0\xFF\xFF\xFF", 12);
    pdf.more = {StreamObject("", "q 10 0 0 10 0 0 cm /Im1 Do Q /Im2 Do"), Picture(2, 2, 8, "/FlateDecode", Deflate(rgb)),
                Picture(3, 2, 8, "/FlateDecode", Deflate("abcdef"))};
    Opened opened(pdf.Build());
    ASSERT_EQ(opened.document.pictures.Count(), 2u);
    const RasterImage& colour = opened.document.pictures.At(0)->image;
    ASSERT_NE(colour.pixels, nullptr);
    EXPECT_EQ(colour.bitsPerPixel, 24);
    // The first stored row is the bottom row, in blue, green, red order.
    EXPECT_EQ(std::string(reinterpret_cast<char*>(colour.pixels), 6), std::string("\0\xFF\0\xFF\xFF\xFF", 6));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(colour.pixels + colour.bytesPerRow), 6),
              std::string("\0\0\xFF\xFF\0\0", 6));
    const RasterImage& grey = opened.document.pictures.At(1)->image;
    EXPECT_EQ(grey.bitsPerPixel, 8);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(grey.pixels), 3), "def");
    EXPECT_EQ(opened.port.memo[2], "2 Bilder/Objekte gefunden...");
    EXPECT_EQ(opened.port.memo[3], "2 JPEG-Bilder gelesen...");
    EXPECT_EQ(opened.document.ItemCountsByPage(), std::vector<uint32_t>{2});
}

TEST(Pictures, OneFilterInAnArrayIsThatFilter)
{
    PageDocument pdf;
    pdf.more = {StreamObject("", ""), Picture(1, 1, 8, "[/FlateDecode]", Deflate("a")),
                Picture(1, 1, 8, "[/ASCII85Decode /FlateDecode]", "GhOZI#Qt,.k5aN~>")};
    Opened opened(pdf.Build());
    ASSERT_EQ(opened.document.pictures.Count(), 2u);
    EXPECT_EQ(opened.document.pictures.At(0)->name.View(), "/Im1");
    EXPECT_EQ(opened.document.pictures.At(0)->filterKind, FilterFlate);
    // A chain of filters is undone in order: "q Q", three bytes for one pixel, is red 'q', green ' ', blue 'Q'.
    const RasterImage& chained = opened.document.pictures.At(1)->image;
    ASSERT_EQ(chained.bitsPerPixel, 24);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(chained.pixels), 3), "Q q");
}

TEST(Pictures, ShortFlateDataIsNeverReadPastItsEnd)
{
    PageDocument pdf;
    pdf.more = {StreamObject("", ""), Picture(100, 100, 8, "/FlateDecode", Deflate("abc")), Empty};
    Opened opened(pdf.Build());
    ASSERT_EQ(opened.document.pictures.Count(), 1u);
    const RasterImage& image = opened.document.pictures.At(0)->image;
    EXPECT_EQ(image.pixels[99 * image.bytesPerRow], 'a');  // the top row holds the data
    EXPECT_EQ(image.pixels[0], 0);
}

TEST(Pictures, UndecodablePicturesAreDiscarded)
{
    PageDocument pdf;
    pdf.more = {StreamObject("", ""), Picture(2, 2, 8, "[/DCTDecode]", "xx"),
                Picture(2000000000, 2000000000, 8, "/FlateDecode", Deflate("abc"))};
    Opened opened(pdf.Build());
    EXPECT_EQ(opened.document.pictures.Count(), 0u);
    EXPECT_EQ(opened.port.memo[3], "0 JPEG-Bilder gelesen...");
}

TEST(Pictures, NotReadWhenSwitchedOff)
{
    PageDocument pdf;
    pdf.more = {StreamObject("", "/Im1 Do"), Picture(1, 1, 8, "/FlateDecode", Deflate("a")), Empty};
    Opened opened(pdf.Build(), false);
    EXPECT_EQ(opened.document.pictures.Count(), 0u);
    EXPECT_EQ(opened.port.memo[3], "0 JPEG-Bilder gelesen...");
    EXPECT_EQ(opened.document.PageItemList.Count(), 0u);
}

TEST(Pictures, CcittWrapperLayout)
{
    const std::string tiff = CcittTiffWrapper(70000, 3, "DATA");
    ASSERT_EQ(tiff.size(), 114u);
    EXPECT_EQ(tiff.substr(0, 10), std::string("II*\0\x08\0\0\0\x08\0", 10));
    // The first entry: ImageWidth, SHORT, count 1, the low 16 bits of the width.
    EXPECT_EQ(tiff.substr(10, 12), std::string("\0\x01\x03\0\x01\0\0\0\x70\x11\0\0", 12));
    // StripByteCounts: LONG, the data length.
    EXPECT_EQ(tiff.substr(94, 12), std::string("\x17\x01\x04\0\x01\0\0\0\x04\0\0\0", 12));
    EXPECT_EQ(tiff.substr(106), std::string("\0\0\0\0DATA", 8));
}

}  // namespace
}  // namespace folivo::test
