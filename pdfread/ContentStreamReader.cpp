// A page's content streams: read, decoded and joined, then interpreted.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "content/TokenReader.h"
#include "core/Decodenow.h"
#include "pdfread/PdfDocument.h"
#include "pdfread/StreamFilters.h"

namespace folivo {

namespace {

void RemoveFile(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

}  // namespace

std::string PdfDocument::DecodeLzwThroughFiles(std::string data)
{
    const std::string input = programFolder + "tmpdec.tmp";
    const std::string output = programFolder + "tmpdec2.tmp";
    {
        std::ofstream file(input, std::ios::binary | std::ios::trunc);
        if (!file) return data;
        file.write(data.data(), static_cast<std::streamsize>(data.size()));
    }
    decodenow(input.c_str(), output.c_str());
    RemoveFile(input);
    std::ifstream decoded(output, std::ios::binary);
    if (!decoded) return data;
    std::string result((std::istreambuf_iterator<char>(decoded)), std::istreambuf_iterator<char>());
    decoded.close();
    RemoveFile(output);
    return result;
}

void PdfDocument::ReadPageContent(int32_t pageNumber)
{
    PageRecord& page = *currentPage;
    std::string joined;
    bool unreadable = false;
    for (uint32_t s = 0; s < page.contentStreams->Count() && !unreadable; ++s) {
        ContentStreamRef& stream = *page.contentStreams->At(s);
        if (!GotoObject(stream.objectNumber)) continue;
        ParseDictionary();
        page.hasFilters = 0;
        delete page.filterNames;
        page.filterNames = new TokenList;
        for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
            const TokenList& tokens = *DictEntryList->At(i)->tokens;
            if (tokens[0] == "/Filter" && tokens.size() >= 2) {
                page.hasFilters = 1;
                for (size_t t = 1; t < tokens.size(); ++t) {
                    if (tokens[t] != "[" && tokens[t] != "]") page.filterNames->push_back(tokens[t]);
                }
            } else if (tokens[0] == "/Length") {
                const int32_t length = ReadStreamLength(tokens);
                if (length >= 0) {
                    stream.length = length;
                    stream.lengthKnown = 1;
                }
            }
        }
        ReleaseDictionary();
        std::optional<std::string> data;
        if (stream.lengthKnown) data = ReadStreamData(stream.length);
        if (!data) {
            invalid = true;
        } else {
            const StreamDecoding decoding = DecodeContentStream(*data, *page.filterNames, pageNumber);
            if (decoding == StreamDecoding::Decoded) {
                joined += *data;
                joined += '\n';
            }
            unreadable = decoding == StreamDecoding::Unsupported;
        }
        delete page.filterNames;
        page.filterNames = nullptr;
    }
    if (unreadable || joined.empty()) return;
    InterPretPage(reinterpret_cast<const uint8_t*>(joined.data()), static_cast<int32_t>(joined.size()), true,
                  static_cast<uint32_t>(pageNumber));
    // The message loop may have run; the page record is reached again through the list.
    PageRecord& interpreted = *pages.At(static_cast<uint32_t>(pageNumber - 1));
    delete[] interpreted.content;
    interpreted.content = new uint8_t[joined.size()];
    std::memcpy(interpreted.content, joined.data(), joined.size());
    interpreted.contentLength = static_cast<int32_t>(joined.size());
    interpreted.contentLoaded = 1;
}

PdfDocument::StreamDecoding PdfDocument::DecodeContentStream(std::string& data, const TokenList& filters,
                                                             int32_t pageNumber)
{
    for (const std::string& filter : filters) {
        if (filter == "/ASCII85Decode") {
            data = DecodeAscii85(data);
        } else if (filter == "/FlateDecode") {
            auto inflated = Inflate(data);
            // A stream that does not inflate is skipped; the page keeps its other streams.
            if (!inflated) return StreamDecoding::Skipped;
            data = std::move(*inflated);
        } else if (filter == "/LZWDecode") {
            data = DecodeLzwThroughFiles(std::move(data));
        } else {
            ui_.AddMemoLine("Die Komprimierung " + filter + " wird nicht unterstützt, deshalb kann die Seite " +
                            std::to_string(pageNumber) + " nicht gelesen werden!");
            return StreamDecoding::Unsupported;
        }
    }
    return StreamDecoding::Decoded;
}

}  // namespace folivo
