#include "syntax/StreamFilters.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace folivo {

namespace {

std::optional<std::string> InflateUpTo(std::string_view data, size_t limit, bool cut, bool* tooLarge)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return std::nullopt;
    std::string output;
    // A first estimate of ten times the input, growing as needed.
    output.resize(std::min(limit, std::max<size_t>(data.size() * 10, 1024)));
    size_t consumed = 0;
    size_t produced = 0;
    int result = Z_OK;
    for (;;) {
        if (produced == output.size()) {
            if (output.size() >= limit) {
                if (cut) {
                    inflateEnd(&stream);
                    return output;
                }
                // Full at the limit: whole only if the stream ends right here.
                unsigned char probe;
                stream.next_out = &probe;
                stream.avail_out = 1;
                result = inflate(&stream, Z_NO_FLUSH);
                inflateEnd(&stream);
                if (result == Z_STREAM_END && stream.avail_out == 1) return output;
                if (tooLarge && (result == Z_OK || result == Z_STREAM_END)) *tooLarge = true;
                return std::nullopt;
            }
            output.resize(std::min(limit, output.size() * 2));
        }
        const size_t inputChunk = std::min<size_t>(data.size() - consumed, UINT_MAX);
        const size_t outputChunk = std::min<size_t>(output.size() - produced, UINT_MAX);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + consumed));
        stream.avail_in = static_cast<uInt>(inputChunk);
        stream.next_out = reinterpret_cast<Bytef*>(output.data() + produced);
        stream.avail_out = static_cast<uInt>(outputChunk);
        result = inflate(&stream, Z_NO_FLUSH);
        consumed += inputChunk - stream.avail_in;
        produced += outputChunk - stream.avail_out;
        if (result == Z_OK) continue;
        if (result == Z_BUF_ERROR && stream.avail_out == 0) continue;  // output full: grow
        break;  // the end, input exhausted, or damaged data
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END && produced == 0) return std::nullopt;
    output.resize(produced);
    return output;
}

int HexValue(unsigned char ch)
{
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::string> Inflate(std::string_view data, size_t limit, bool* tooLarge)
{
    return InflateUpTo(data, limit, false, tooLarge);
}

std::optional<std::string> InflatePrefix(std::string_view data, size_t count)
{
    if (count == 0) return std::string();
    return InflateUpTo(data, count, true, nullptr);
}

std::string DecodeAsciiHex(std::string_view data, size_t limit)
{
    std::string output;
    output.reserve(std::min(data.size() / 2 + 1, limit));
    int high = -1;
    for (size_t i = 0; i < data.size() && output.size() < limit; ++i) {
        const auto ch = static_cast<unsigned char>(data[i]);
        if (ch == '>') break;
        const int value = HexValue(ch);
        if (value < 0) continue;  // blanks, and junk a writer left between the digits
        if (high < 0) {
            high = value;
        } else {
            output += static_cast<char>(high << 4 | value);
            high = -1;
        }
    }
    // An odd last digit stands for its byte with a zero after it.
    if (high >= 0 && output.size() < limit) output += static_cast<char>(high << 4);
    return output;
}

std::string DecodeRunLength(std::string_view data, size_t limit)
{
    std::string output;
    size_t i = 0;
    while (i < data.size() && output.size() < limit) {
        const auto length = static_cast<unsigned char>(data[i++]);
        if (length == 128) break;
        if (length < 128) {
            const size_t count = std::min<size_t>({length + size_t{1}, data.size() - i, limit - output.size()});
            output.append(data.substr(i, count));
            i += length + size_t{1};
        } else {
            if (i >= data.size()) break;
            output.append(std::min<size_t>(257 - length, limit - output.size()), data[i++]);
        }
    }
    return output;
}

std::string DecodeAscii85(std::string_view data, size_t limit)
{
    size_t end = data.size();
    while (end > 0 && (data[end - 1] == '\r' || data[end - 1] == '\n')) --end;
    if (end >= 2 && data.substr(end - 2, 2) == "~>") end -= 2;

    std::string output;
    output.reserve(std::min(end / 5 * 4 + 4, limit + 1));
    uint32_t digits[5];
    int count = 0;
    auto flush = [&](int groupDigits) {
        uint64_t value = 0;
        for (int i = 0; i < 5; ++i) value = value * 85 + (i < groupDigits ? digits[i] : 84);
        const auto word = static_cast<uint32_t>(value);  // an overfull group wraps
        const int bytes = groupDigits == 5 ? 4 : groupDigits - 1;
        for (int i = 0; i < bytes; ++i) output += static_cast<char>((word >> (24 - 8 * i)) & 0xFF);
    };
    for (size_t i = 0; i < end && output.size() <= limit; ++i) {
        const auto ch = static_cast<unsigned char>(data[i]);
        if (ch == 'z' && count == 0) {
            output.append(4, '\0');
            continue;
        }
        uint32_t digit;
        if (ch >= '!' && ch <= 'u') digit = ch - '!';
        else if (ch == 'z') digit = 89;  // inside a group
        else continue;
        digits[count++] = digit;
        if (count == 5) {
            flush(5);
            count = 0;
        }
    }
    if (count >= 2) flush(count);
    return output;
}

}  // namespace folivo
