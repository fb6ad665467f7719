// A page's content streams: read, decoded and joined, then interpreted.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/Decodenow.h"
#include "core/TemporaryFolder.h"
#include "document/PdfDocument.h"
#include "syntax/FilterChain.h"
#include "syntax/Names.h"
#include "syntax/StreamFilters.h"
#include "syntax/TokenReader.h"

namespace folivo {

std::string PdfDocument::DecodeLzwThroughFiles(std::string data, size_t limit)
{
    const std::string input = temporaryFolder + "tmpdec.tmp";
    const std::string output = temporaryFolder + "tmpdec2.tmp";
    {
        std::ofstream file(input, std::ios::binary | std::ios::trunc);
        // Without its input file decodenow cannot run: the data stay as read and count as
        // decoded, since a folder that cannot be written is no fault of the document and must
        // not cost the page its content.
        if (!file) return data;
        file.write(data.data(), static_cast<std::streamsize>(data.size()));
    }
    data.clear();
    data.shrink_to_fit();
    decodenow(input.c_str(), output.c_str(), limit);
    RemoveTemporaryFile(input);
    std::ifstream decoded(output, std::ios::binary);
    if (!decoded) return data;
    std::string result((std::istreambuf_iterator<char>(decoded)), std::istreambuf_iterator<char>());
    decoded.close();
    RemoveTemporaryFile(output);
    return result;
}

void PdfDocument::ReadPageContent(int32_t pageNumber)
{
    // Pages are read from the first on; pages that share one huge stream decode it each, so the
    // whole reading has a bound as well as each page.
    if (pageNumber == 1) {
        contentBytesRead_ = 0;
        pageItemBudget_ = {};
    }
    const uint64_t documentRoom = DocumentContentLimit - std::min(contentBytesRead_, DocumentContentLimit);
    const size_t pageLimit = static_cast<size_t>(std::min<uint64_t>(InflateLimit, documentRoom));
    PageRecord& page = *currentPage;
    std::vector<std::string> parts;
    size_t joinedSize = 0;
    bool unreadable = false;
    bool tooLarge = false;
    for (uint32_t s = 0; s < page.contentStreams->Count() && !unreadable && !tooLarge; ++s) {
        ContentStreamRef& stream = *page.contentStreams->At(s);
        // Each stream is followed by a line end in the joined content.
        if (joinedSize >= pageLimit) {
            tooLarge = true;
            break;
        }
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
                const int32_t length = objects.StreamLength(tokens);
                if (length >= 0) {
                    stream.length = length;
                    stream.lengthKnown = 1;
                }
            }
        }
        ReleaseDictionary();
        std::optional<std::string> data;
        if (stream.lengthKnown) data = objects.StreamData(fileBuffer.position, stream.length);
        if (!data) {
            invalid = true;
        } else {
            const size_t room = pageLimit - joinedSize - 1;
            const StreamDecoding decoding = DecodeContentStream(*data, *page.filterNames, pageNumber, room);
            if (decoding == StreamDecoding::Decoded) {
                joinedSize += data->size() + 1;
                parts.push_back(std::move(*data));
            }
            unreadable = decoding == StreamDecoding::Unsupported;
            tooLarge = decoding == StreamDecoding::TooLarge;
        }
        delete page.filterNames;
        page.filterNames = nullptr;
    }
    if (tooLarge) {
        ui_.AddMemoLine("Seite " + std::to_string(pageNumber) + ": Inhalt über " + std::to_string(pageLimit >> 20) +
                        " MB übersprungen (Grenze " + std::to_string(InflateLimit >> 20) + " MB je Seite, " +
                        std::to_string(DocumentContentLimit >> 20) + " MB je Dokument).");
    }
    if (unreadable || joinedSize == 0) return;
    contentBytesRead_ += joinedSize;
    // The joined content goes straight into the page's buffer, part by part, so that it is
    // never held twice over.
    auto content = std::make_unique<uint8_t[]>(joinedSize);
    size_t at = 0;
    for (std::string& part : parts) {
        std::memcpy(content.get() + at, part.data(), part.size());
        at += part.size();
        content[at++] = '\n';
        std::string().swap(part);
    }
    if (interpretPages) InterPretPage(content.get(), static_cast<int32_t>(joinedSize), true, static_cast<uint32_t>(pageNumber));
    // The message loop may have run; the page record is reached again through the list.
    PageRecord& interpreted = *pages.At(static_cast<uint32_t>(pageNumber - 1));
    delete[] interpreted.content;
    interpreted.content = content.release();
    interpreted.contentLength = static_cast<int32_t>(joinedSize);
    interpreted.contentLoaded = 1;
}

PdfDocument::StreamDecoding PdfDocument::DecodeContentStream(std::string& data, const TokenList& filters,
                                                             int32_t pageNumber, size_t limit)
{
    std::vector<StreamFilterStep> steps;
    for (const std::string& filter : filters) steps.push_back({filter, {}});
    const FilterChainOptions options{
        .accepted = FlateFilter | LzwFilter | Ascii85Filter | CryptFilter,
        .abbreviations = false,
        .stepLimit = StepLimit::TooLarge,
        // Page content's LZW goes through decodenow, the reading's stream decoder, which works
        // from file to file only; the files live in the reading's temporary folder.
        .decodeLzw = [this](std::string encoded, size_t room) { return DecodeLzwThroughFiles(std::move(encoded), room); },
    };
    FilterChainResult decoded = DecodeFilterChain(std::move(data), steps, limit, options);
    data = std::move(decoded.data);
    switch (decoded.outcome) {
    case FilterChainResult::Outcome::Decoded: return StreamDecoding::Decoded;
    // A stream that does not inflate is skipped; the page keeps its other streams.
    case FilterChainResult::Outcome::Undecodable: return StreamDecoding::Skipped;
    case FilterChainResult::Outcome::TooLarge: return StreamDecoding::TooLarge;
    case FilterChainResult::Outcome::Unsupported: break;
    }
    ui_.AddMemoLine("Die Komprimierung " + ReadableName(decoded.unsupported) +
                    " wird nicht unterstützt, deshalb kann die Seite " + std::to_string(pageNumber) + " nicht gelesen werden!");
    return StreamDecoding::Unsupported;
}

}  // namespace folivo
