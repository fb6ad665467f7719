// Small PDF files built in memory for the tests, with a correct cross-reference table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace folivo::test {

struct PdfBuilder {
    std::string header = "%PDF-1.4\n";
    // Object i + 1 is objects[i], written as "N 0 obj\n" + body + "\nendobj\n".
    std::vector<std::string> objects;
    // Entries of the trailer besides /Size, for example "/Root 1 0 R /Info 5 0 R".
    std::string trailerEntries;

    std::string Build() const;
};

std::vector<uint8_t> Bytes(const std::string& text);

// A stream object body: the dictionary entries (without << >>), a /Length, and the data.
std::string StreamObject(const std::string& entries, const std::string& data);

// zlib data of the text, as /FlateDecode streams hold it.
std::string Deflate(const std::string& text);

}  // namespace folivo::test
