#include "view/PngFile.h"

#include <QFile>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace folivo {

namespace {

// Level 2 compresses page drawings nearly as well as the default level 6, several times faster.
constexpr int DeflateLevel = 2;
// Compressed data goes out in IDAT chunks of at most this size.
constexpr size_t ChunkSize = size_t{1} << 16;

void PutUint32(std::string& out, uint32_t value)
{
    const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
                           static_cast<char>(value)};
    out.append(bytes, 4);
}

// Length, type, data and the CRC over type and data.
bool WriteChunk(QFile& file, const char type[4], const unsigned char* data, size_t size)
{
    std::string chunk;
    chunk.reserve(size + 12);
    PutUint32(chunk, static_cast<uint32_t>(size));
    chunk.append(type, 4);
    if (size) chunk.append(reinterpret_cast<const char*>(data), size);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    if (size) crc = crc32(crc, data, static_cast<uInt>(size));
    PutUint32(chunk, static_cast<uint32_t>(crc));
    return file.write(chunk.data(), static_cast<qint64>(chunk.size())) == static_cast<qint64>(chunk.size());
}

bool WriteChunk(QFile& file, const char type[4], const std::string& data)
{
    return WriteChunk(file, type, reinterpret_cast<const unsigned char*>(data.data()), data.size());
}

bool WriteImage(QFile& file, const QImage& rgb)
{
    static const char signature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    if (file.write(signature, 8) != 8) return false;
    std::string header;
    PutUint32(header, static_cast<uint32_t>(rgb.width()));
    PutUint32(header, static_cast<uint32_t>(rgb.height()));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filters, no interlace
    if (!WriteChunk(file, "IHDR", header)) return false;
    if (rgb.dotsPerMeterX() > 0 && rgb.dotsPerMeterY() > 0) {
        std::string physical;
        PutUint32(physical, static_cast<uint32_t>(rgb.dotsPerMeterX()));
        PutUint32(physical, static_cast<uint32_t>(rgb.dotsPerMeterY()));
        physical += '\x01';  // per metre
        if (!WriteChunk(file, "pHYs", physical)) return false;
    }

    z_stream stream{};
    if (deflateInit(&stream, DeflateLevel) != Z_OK) return false;
    std::vector<unsigned char> row(1 + size_t{3} * static_cast<size_t>(rgb.width()));
    std::vector<unsigned char> out(ChunkSize);
    bool ok = true;
    // Deflates what stream holds; a full output buffer becomes one chunk.
    auto pump = [&](int flush) {
        int status = Z_OK;
        do {
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            status = deflate(&stream, flush);
            if (status == Z_STREAM_ERROR) return false;
            const size_t produced = out.size() - stream.avail_out;
            if (produced && !WriteChunk(file, "IDAT", out.data(), produced)) return false;
        } while (stream.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
        return true;
    };
    for (int y = 0; ok && y < rgb.height(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        row[0] = 0;  // filter type None
        unsigned char* to = row.data() + 1;
        for (int x = 0; x < rgb.width(); ++x) {
            *to++ = static_cast<unsigned char>(qRed(pixels[x]));
            *to++ = static_cast<unsigned char>(qGreen(pixels[x]));
            *to++ = static_cast<unsigned char>(qBlue(pixels[x]));
        }
        stream.next_in = row.data();
        stream.avail_in = static_cast<uInt>(row.size());
        ok = pump(Z_NO_FLUSH);
    }
    ok = ok && pump(Z_FINISH);
    deflateEnd(&stream);
    return ok && WriteChunk(file, "IEND", nullptr, 0);
}

}  // namespace

bool WritePng(const QImage& image, const QString& path)
{
    // Rows of a wider image would not fit the row length zlib takes in one step.
    if (image.isNull() || image.width() > (1 << 28)) return false;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull()) return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const bool written = WriteImage(file, rgb) && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        file.remove();
        return false;
    }
    return true;
}

}  // namespace folivo
