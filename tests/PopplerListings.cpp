#include "tests/PopplerListings.h"

#include <sstream>

namespace folivo::test {

namespace {

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

bool IsDigits(const std::string& text)
{
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// Data rows follow the header and the line of dashes under it.
std::vector<std::string> DataRows(const std::string& listing)
{
    std::istringstream lines(listing);
    std::vector<std::string> rows;
    bool pastDashes = false;
    for (std::string line; std::getline(lines, line);) {
        if (!pastDashes) {
            pastDashes = line.rfind("---", 0) == 0;
            continue;
        }
        if (!line.empty()) rows.push_back(line);
    }
    return rows;
}

}  // namespace

std::vector<FontListing> ParseFontListing(const std::string& listing)
{
    std::vector<FontListing> fonts;
    for (const std::string& row : DataRows(listing)) {
        // name, type (may hold blanks), encoding, emb, sub, uni, then "N G" or "[none]" for a
        // direct font dictionary.
        std::vector<std::string> words = Words(row);
        FontListing font;
        font.type = "?";
        if (!words.empty() && words.back() == "[none]") {
            words.pop_back();
        } else if (words.size() >= 2 && IsDigits(words.back()) && IsDigits(words[words.size() - 2])) {
            words.resize(words.size() - 2);
        } else {
            words.clear();
        }
        if (words.size() >= 6) {
            font.name = words[0];
            font.hasToUnicode = words.back() != "no";
            font.encoding = words[words.size() - 4];
            font.type.clear();
            for (size_t i = 1; i + 4 < words.size(); ++i) font.type += (i > 1 ? " " : "") + words[i];
        }
        fonts.push_back(font);
    }
    return fonts;
}

std::vector<ImageListing> ParseImageListing(const std::string& listing)
{
    std::vector<ImageListing> images;
    for (const std::string& row : DataRows(listing)) {
        // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
        const std::vector<std::string> words = Words(row);
        if (words.size() < 11) continue;
        try {
            ImageListing image;
            image.page = std::stoi(words[0]);
            image.type = words[2];
            image.width = std::stoi(words[3]);
            image.height = std::stoi(words[4]);
            image.bitsPerComponent = std::stoi(words[7]);
            image.encoding = words[8];
            image.objectNumber = IsDigits(words[10]) ? std::stoi(words[10]) : 0;
            images.push_back(image);
        } catch (const std::exception&) {
        }
    }
    return images;
}

std::vector<std::string> SplitTextPages(const std::string& text)
{
    std::vector<std::string> pages;
    size_t start = 0;
    for (size_t feed; (feed = text.find('\f', start)) != std::string::npos; start = feed + 1) {
        pages.push_back(text.substr(start, feed - start));
    }
    return pages;
}

}  // namespace folivo::test
