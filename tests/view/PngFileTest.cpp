// Page drawings written as PNG files read back, through the image library, as the same pixels
// at the same resolution, however many chunks the data takes; failures leave no file behind.
#include <QImage>
#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/ScratchFolder.h"
#include "view/PngFile.h"

namespace folivo {
namespace {

QImage ReadBack(const std::string& path)
{
    return QImage(QString::fromStdString(path), "PNG").convertToFormat(QImage::Format_RGB32);
}

TEST(PngFile, PixelsAndResolutionSurviveTheRoundTrip)
{
    ScratchFolder folder;
    // An odd width, every channel varying on its own, and a resolution of 96 pixels per inch.
    QImage drawing(37, 23, QImage::Format_RGB32);
    for (int y = 0; y < drawing.height(); ++y)
        for (int x = 0; x < drawing.width(); ++x) drawing.setPixel(x, y, qRgb(x * 7, y * 11, (x * y) & 0xFF));
    drawing.setDotsPerMeterX(3780);
    drawing.setDotsPerMeterY(1890);
    const std::string path = folder.File("drawing.png");
    ASSERT_TRUE(WritePng(drawing, QString::fromStdString(path)));
    const QImage read(QString::fromStdString(path), "PNG");
    ASSERT_FALSE(read.isNull());
    EXPECT_FALSE(read.hasAlphaChannel());
    EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), drawing);
    EXPECT_EQ(read.dotsPerMeterX(), 3780);
    EXPECT_EQ(read.dotsPerMeterY(), 1890);
}

TEST(PngFile, DataBeyondOneChunkIsWrittenWhole)
{
    ScratchFolder folder;
    // Noise does not compress: several chunks of compressed data.
    QImage noise(300, 200, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) noise.setPixel(x, y, 0xFF000000u | (random.generate() & 0xFFFFFFu));
    const std::string path = folder.File("noise.png");
    ASSERT_TRUE(WritePng(noise, QString::fromStdString(path)));
    EXPECT_GT(std::filesystem::file_size(path), size_t{2} << 16);
    EXPECT_EQ(ReadBack(path), noise);
}

TEST(PngFile, FailuresLeaveNoFile)
{
    ScratchFolder folder;
    EXPECT_FALSE(WritePng(QImage(), QString::fromStdString(folder.File("null.png"))));
    EXPECT_FALSE(std::filesystem::exists(folder.File("null.png")));
    QImage white(10, 10, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_FALSE(WritePng(white, QString::fromStdString(folder.File("missing/white.png"))));
    EXPECT_FALSE(std::filesystem::exists(folder.File("missing")));
}

}  // namespace
}  // namespace folivo
