// The bytes of a PDF file being written, with the writer's three kinds of line ending.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace folivo {

class PdfOutput {
public:
    // The text, then CR.
    void WriteLine(std::string_view text) { Append(text), bytes_ += '\r'; }
    // The text, then LF: only for the keyword "stream".
    void WriteLineLF(std::string_view text) { Append(text), bytes_ += '\n'; }
    // The text, then CR LF: only for cross-reference entries.
    void WriteLineCRLF(std::string_view text) { Append(text), bytes_ += "\r\n"; }
    void Append(std::string_view bytes) { bytes_.append(bytes); }

    int64_t Position() const { return static_cast<int64_t>(bytes_.size()); }
    // Drops everything from position on.
    void Truncate(int64_t position) { bytes_.resize(static_cast<size_t>(position)); }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// Prefixes "0" until the text is at least `width` characters long.
std::string ZeroPad(std::string text, size_t width);

// A number as PDF writes it: the shortest decimal text that reads back as the same value, with
// "." as decimal point and never an exponent; 0 for a value that is not finite.
std::string PdfNumber(double value);

// The body of a PDF literal string for the bytes of `text`.
std::string EscapeLiteralString(std::string_view text);

}  // namespace folivo
