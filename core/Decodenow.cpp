#include "core/Decodenow.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace folivo {
namespace {

constexpr uint32_t ClearCode = 256;
constexpr uint32_t EndCode = 257;
constexpr uint32_t FirstFreeCode = 258;
constexpr uint32_t TableSize = 4096;
constexpr int MinWidth = 9;
constexpr int MaxWidth = 12;

// One string of the table: its prefix string's code, its last and first byte, its length.
struct Entry {
    uint16_t prefix;
    uint8_t last;
    uint8_t first;
    uint16_t length;
};

// Codes packed most significant bit first.
class CodeReader {
public:
    explicit CodeReader(std::string_view data) : data_(data) {}

    bool Read(int width, uint32_t& code)
    {
        while (count_ < width) {
            if (position_ >= data_.size()) return false;
            buffer_ = (buffer_ << 8) | static_cast<uint8_t>(data_[position_++]);
            count_ += 8;
        }
        count_ -= width;
        code = (buffer_ >> count_) & ((1u << width) - 1);
        return true;
    }

private:
    std::string_view data_;
    size_t position_ = 0;
    uint32_t buffer_ = 0;  // only the low count_ bits are pending
    int count_ = 0;
};

class Table {
public:
    Table()
    {
        for (uint32_t i = 0; i < 256; ++i)
            entries_[i] = Entry{0, static_cast<uint8_t>(i), static_cast<uint8_t>(i), 1};
        Clear();
    }

    void Clear()
    {
        next_ = FirstFreeCode;
        width_ = MinWidth;
    }

    uint32_t Next() const { return next_; }
    int Width() const { return width_; }
    bool Full() const { return next_ >= TableSize; }
    const Entry& At(uint32_t code) const { return entries_[code]; }

    // Adds the string of prefix followed by byte. The width grows one code early: as soon as
    // the next free code plus one no longer fits.
    void Add(uint32_t prefix, uint8_t byte)
    {
        if (Full()) return;  // a full table stays as it is, codes stay 12 bits wide
        const Entry& head = entries_[prefix];
        entries_[next_] = Entry{static_cast<uint16_t>(prefix), byte, head.first,
                                static_cast<uint16_t>(head.length + 1)};
        ++next_;
        if (width_ < MaxWidth && next_ + 1 >= (1u << width_)) ++width_;
    }

    // Appends the code's string, cut off at limit bytes in total.
    void Emit(uint32_t code, std::string& out, size_t limit) const
    {
        const size_t start = out.size();
        out.resize(start + entries_[code].length);
        size_t at = out.size();
        for (uint32_t c = code;; c = entries_[c].prefix) {
            out[--at] = static_cast<char>(entries_[c].last);
            if (at == start) break;
        }
        if (out.size() > limit) out.resize(limit);
    }

private:
    std::array<Entry, TableSize> entries_{};
    uint32_t next_ = FirstFreeCode;
    int width_ = MinWidth;
};

std::string ReadWholeFile(const char* path, bool& ok)
{
    std::string data;
    ok = false;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return data;
    char chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) data.append(chunk, got);
    ok = !std::ferror(file);
    std::fclose(file);
    return data;
}

}  // namespace

std::string DecodeLzw(std::string_view data, size_t maxOutput)
{
    std::string out;
    CodeReader reader(data);
    Table table;
    bool havePrevious = false;
    uint32_t previous = 0;
    uint32_t code = 0;
    while (out.size() < maxOutput && reader.Read(table.Width(), code)) {
        if (code == ClearCode) {
            table.Clear();
            havePrevious = false;
            continue;
        }
        if (code == EndCode) break;
        if (!havePrevious) {
            if (code > 255) break;  // nothing but a single byte can follow a clear
        } else if (code < table.Next()) {
            table.Add(previous, table.At(code).first);
        } else if (code == table.Next() && !table.Full()) {
            // The string being defined by this very code: the previous one plus its own first byte.
            table.Add(previous, table.At(previous).first);
        } else {
            break;  // not yet defined: the data is damaged
        }
        table.Emit(code, out, maxOutput);
        previous = code;
        havePrevious = true;
    }
    return out;
}

void decodenow(const char* inputPath, const char* outputPath, size_t maxOutput)
{
    if (!inputPath || !outputPath) return;
    bool ok = false;
    const std::string encoded = ReadWholeFile(inputPath, ok);
    if (!ok) return;
    const std::string decoded = DecodeLzw(encoded, maxOutput);
    std::FILE* file = std::fopen(outputPath, "wb");
    if (!file) return;
    const bool written = std::fwrite(decoded.data(), 1, decoded.size(), file) == decoded.size();
    if (std::fclose(file) != 0 || !written) std::remove(outputPath);
}

}  // namespace folivo
