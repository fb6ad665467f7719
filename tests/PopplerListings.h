// Reads the listings of poppler's command-line tools: `pdffonts FILE`, `pdfimages -list FILE`
// and the page breaks of `pdftotext`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace folivo::test {

struct FontListing {
    std::string name;
    std::string type;  // "Type 1", "Type 1C", "TrueType", "Type 3", "CID TrueType", ...
    std::string encoding;
    bool hasToUnicode = false;
};

// The rows of a pdffonts listing. A row that cannot be read gives a font of type "?", so that
// no unreadable row passes as a plain font.
std::vector<FontListing> ParseFontListing(const std::string& listing);

struct ImageListing {
    int32_t page = 0;  // 1-based
    std::string type;  // image, mask, smask, stencil
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerComponent = 0;
    std::string encoding;      // image (Flate, LZW, RunLength, none), jpeg, ccitt, jbig2, jpx
    int32_t objectNumber = 0;  // 0 for an inline image
};

// The rows of a `pdfimages -list` listing; rows that cannot be read are left out.
std::vector<ImageListing> ParseImageListing(const std::string& listing);

// pdftotext's output split at its form feeds: element i is the text of page i + 1.
std::vector<std::string> SplitTextPages(const std::string& text);

}  // namespace folivo::test
