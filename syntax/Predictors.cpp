#include "syntax/Predictors.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace folivo {

namespace {

uint8_t Paeth(int left, int up, int upLeft)
{
    const int estimate = left + up - upLeft;
    const int toLeft = std::abs(estimate - left), toUp = std::abs(estimate - up), toUpLeft = std::abs(estimate - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft) return static_cast<uint8_t>(left);
    return static_cast<uint8_t>(toUp <= toUpLeft ? up : upLeft);
}

std::string UndoPng(std::string_view data, size_t rowBytes, size_t pixelBytes)
{
    std::string out;
    const size_t rows = data.size() / (rowBytes + 1);
    out.resize(rows * rowBytes);
    auto* bytes = reinterpret_cast<uint8_t*>(out.data());
    for (size_t row = 0; row < rows; ++row) {
        const auto* in = reinterpret_cast<const uint8_t*>(data.data()) + row * (rowBytes + 1);
        const uint8_t type = in[0];
        uint8_t* current = bytes + row * rowBytes;
        const uint8_t* previous = row > 0 ? current - rowBytes : nullptr;
        for (size_t i = 0; i < rowBytes; ++i) {
            const int left = i >= pixelBytes ? current[i - pixelBytes] : 0;
            const int up = previous ? previous[i] : 0;
            const int upLeft = previous && i >= pixelBytes ? previous[i - pixelBytes] : 0;
            int value = in[i + 1];
            switch (type) {
            case 1: value += left; break;
            case 2: value += up; break;
            case 3: value += (left + up) / 2; break;
            case 4: value += Paeth(left, up, upLeft); break;
            default: break;  // 0, and unknown types, carry the bytes as they are
            }
            current[i] = static_cast<uint8_t>(value);
        }
    }
    return out;
}

// Each sample becomes the sum of itself and the sample of the same component to its left.
std::string UndoTiff(std::string_view data, size_t rowBytes, const PredictorParameters& p)
{
    std::string out(data.substr(0, data.size() / rowBytes * rowBytes));
    auto* bytes = reinterpret_cast<uint8_t*>(out.data());
    const int bits = p.bitsPerComponent;
    const uint32_t mask = bits == 16 ? 0xFFFF : (1u << bits) - 1;
    auto sampleAt = [&](uint8_t* row, size_t index) -> uint32_t {
        if (bits == 16) return (row[2 * index] << 8) | row[2 * index + 1];
        const size_t bit = index * bits;
        return (row[bit / 8] >> (8 - bits - bit % 8)) & mask;
    };
    auto setSample = [&](uint8_t* row, size_t index, uint32_t value) {
        if (bits == 16) {
            row[2 * index] = static_cast<uint8_t>(value >> 8);
            row[2 * index + 1] = static_cast<uint8_t>(value);
            return;
        }
        const size_t bit = index * bits;
        const int shift = 8 - bits - static_cast<int>(bit % 8);
        row[bit / 8] = static_cast<uint8_t>((row[bit / 8] & ~(mask << shift)) | ((value & mask) << shift));
    };
    const size_t samples = static_cast<size_t>(p.columns) * static_cast<size_t>(p.colors);
    for (size_t start = 0; start < out.size(); start += rowBytes) {
        uint8_t* row = bytes + start;
        for (size_t i = static_cast<size_t>(p.colors); i < samples; ++i)
            setSample(row, i, (sampleAt(row, i) + sampleAt(row, i - static_cast<size_t>(p.colors))) & mask);
    }
    return out;
}

}  // namespace

std::optional<std::string> UndoPredictor(std::string_view data, const PredictorParameters& p)
{
    if (p.predictor != 2 && p.predictor < 10) return std::string(data);
    const int bits = p.bitsPerComponent;
    if (p.colors < 1 || p.colors > 32 || (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16) ||
        p.columns < 1 || p.columns > (1 << 24))
        return std::nullopt;
    const uint64_t rowBits = static_cast<uint64_t>(p.colors) * static_cast<uint64_t>(bits) * static_cast<uint64_t>(p.columns);
    const auto rowBytes = static_cast<size_t>((rowBits + 7) / 8);
    const size_t pixelBytes = std::max<size_t>(1, static_cast<size_t>(p.colors * bits / 8));
    if (p.predictor == 2) return UndoTiff(data, rowBytes, p);
    return UndoPng(data, rowBytes, pixelBytes);
}

}  // namespace folivo
