// Saving by appending (an incremental update): the input's bytes stay as they are, so that a
// signature over them stays valid; the changed and new objects and a cross-reference section
// that extends the input's follow them.
#include <algorithm>
#include <climits>
#include <set>

#include "document/DocumentWriter.h"
#include "pdfwrite/FileIdentifier.h"

namespace folivo {

std::string DocumentWriter::WriteAppended()
{
    PdfDocument& doc = document_;
    const std::string_view input(reinterpret_cast<const char*>(doc.fileBuffer.data),
                                 static_cast<size_t>(std::clamp(doc.inputSize, 0, doc.fileBuffer.size)));
    out_.Append(input);
    if (!doc.HasChanges()) return out_.Bytes();
    if (!input.empty() && input.back() != '\n' && input.back() != '\r') out_.WriteLine("");

    // New objects are encrypted as the input's are; the encryption cannot change here.
    encryption_ = doc.encryption.handler;
    encryptionText_ = doc.encryption.dictionaryText;
    PlanNumbers();
    PlanMetadata();
    // Without added fonts the insertions would only add empty dictionaries.
    if (!fontRefs_.empty()) CollectInsertions();
    for (const int32_t number : ObjectsWithInsertions()) CopyObject(number);
    if (encryption_ && doc.encryption.objectNumber == 0) WriteEncryptionDictionary();
    WriteAddedFonts();
    if (doc.info.changedByUser) WriteInformation();
    WriteMetadata();
    CompressModifiedPages();
    // A page object that the tree lists more than once stays one object, as the input's tree
    // names it: it is written once, from its first changed occurrence, and a change shows at
    // every place the tree lists it.
    std::set<int32_t> pagesWritten;
    for (uint32_t i = 0; i < doc.pages.Count(); ++i) {
        const PageRecord& page = *doc.pages.At(i);
        if ((page.modified || !fontRefs_.empty()) && pagesWritten.insert(page.objectNumber).second) WriteAppendedPage(i);
    }
    ChooseFileIds();
    WriteAppendedSection();
    return out_.Bytes();
}

std::vector<int32_t> DocumentWriter::ObjectsWithInsertions()
{
    if (insertions_.empty()) return {};
    // Each insertion lies in the object that starts last before it (objects that the reader
    // placed behind the input's bytes included), if that object reaches over it.
    std::vector<std::pair<int64_t, int32_t>> starts;
    for (size_t number = 1; number < document_.XrefTable.size(); ++number) {
        const XrefEntry& entry = document_.XrefTable[number];
        if (entry.inUse && !entry.compressed) starts.emplace_back(entry.offset, static_cast<int32_t>(number));
    }
    std::sort(starts.begin(), starts.end());
    std::set<int32_t> touched;
    for (const auto& [key, text] : insertions_) {
        const int64_t position = key.first;
        auto after = std::upper_bound(starts.begin(), starts.end(), std::pair<int64_t, int32_t>{position, INT32_MAX});
        if (after == starts.begin()) continue;
        const auto& [start, number] = *std::prev(after);
        if (notCopied_.count(number) || document_.ObjectEnd(start) <= position) continue;
        touched.insert(number);
    }
    return {touched.begin(), touched.end()};
}

void DocumentWriter::WriteAppendedPage(uint32_t index)
{
    PageRecord& page = *document_.pages.At(index);
    if (page.modified) WritePageContent(page, index, newContent_[index]);
    AddXref(page.objectNumber, page.generation);
    WriteObjectHeader(page.objectNumber, page.generation);
    out_.WriteLine("<<");
    // The page keeps its place in the tree, its box and its comments.
    for (uint32_t i = 0; page.keptEntries && i < page.keptEntries->Count(); ++i) {
        const TokenList& tokens = *page.keptEntries->At(i)->tokens;
        if (tokens[0] == "/Contents" && page.modified) continue;
        // The reader's list of comments stands for the array (a comment among its elements
        // cannot be joined into one line); an array it found nothing in stays as written.
        if (tokens[0] == "/Annots" && page.comments->Count() > 0) continue;
        out_.WriteLine(KeptEntryLine(page, tokens));
    }
    if (page.comments->Count() > 0) out_.WriteLine("/Annots " + CommentArrayText(page));
    if (!page.hasResources && !fontRefs_.empty() && !HasKeptEntry(page, "/Resources"))
        out_.WriteLine("/Resources << /Font << " + fontRefs_ + " >> >>");
    if (page.modified) {
        const ObjectReference& content = newContent_[index];
        out_.WriteLine("/Contents " + std::to_string(content.objectNumber) + " " + std::to_string(content.generation) + " R");
    }
    out_.WriteLine(">>");
    out_.WriteLine("endobj");
    Seal(objectStart_, page.objectNumber, page.generation);
}

std::vector<std::string> DocumentWriter::AppendedTrailerLines(int32_t size) const
{
    const PdfDocument& doc = document_;
    auto reference = [](const char* key, const ObjectReference& object) {
        return std::string(key) + " " + std::to_string(object.objectNumber) + " " + std::to_string(object.generation) +
               " R";
    };
    std::vector<std::string> lines = {"/Size " + std::to_string(size), "/Prev " + std::to_string(doc.lastSectionOffset)};
    if (doc.rootReference.found) lines.push_back(reference("/Root", doc.rootReference));
    if (informationEntry_.inUse) {
        lines.push_back(reference("/Info", information_));
    } else if (doc.infoReference.found) {
        lines.push_back(reference("/Info", doc.infoReference));
    }
    if (encryption_) lines.push_back(reference("/Encrypt", {encryptionNumber_, 0, true}));
    lines.push_back(FileIdentifierEntry(fileIds_[0], fileIds_[1]));
    return lines;
}

void DocumentWriter::WriteAppendedSection()
{
    std::vector<XrefOutEntry> rows;
    for (const XrefOutEntry& row : xref_) {
        if (row.inUse) rows.push_back(row);
    }
    if (informationEntry_.inUse) rows.push_back(informationEntry_);
    const bool stream = document_.lastSectionIsStream;
    const int32_t streamNumber = stream ? NewNumber() : 0;
    if (stream) rows.push_back({streamNumber, out_.Position(), 0, true});
    std::stable_sort(rows.begin(), rows.end(),
                     [](const XrefOutEntry& a, const XrefOutEntry& b) { return a.objectNumber < b.objectNumber; });
    int32_t size = std::max({static_cast<int32_t>(document_.XrefTable.size()), document_.trailerSize, 1});
    if (!rows.empty()) size = std::max(size, rows.back().objectNumber + 1);

    // Runs of consecutive numbers, each written once.
    std::vector<CompactXrefSubsection> subsections;
    for (const XrefOutEntry& row : rows) {
        if (!subsections.empty()) {
            CompactXrefSubsection& last = subsections.back();
            const int64_t next = last.first + static_cast<int64_t>(last.rows.size());
            if (row.objectNumber < next) continue;
            if (row.objectNumber == next) {
                last.rows.push_back({1, row.offset, row.generation});
                continue;
            }
        }
        subsections.push_back({row.objectNumber, {{1, row.offset, row.generation}}});
    }

    xrefPosition_ = out_.Position();
    std::vector<std::string> trailer = AppendedTrailerLines(size);
    if (stream) {
        trailer.erase(trailer.begin());  // the stream's dictionary says /Size itself
        out_.Append(CrossReferenceStreamText(streamNumber, subsections, size, trailer));
    } else {
        out_.WriteLine("xref");
        for (const CompactXrefSubsection& subsection : subsections) {
            out_.WriteLine(std::to_string(subsection.first) + " " + std::to_string(subsection.rows.size()));
            for (const CompactXrefEntry& row : subsection.rows)
                out_.WriteLineCRLF(ZeroPad(std::to_string(row.field2), 10) + " " +
                                   ZeroPad(std::to_string(row.field3), 5) + " n");
        }
        out_.WriteLine("trailer");
        out_.WriteLine("<<");
        for (const std::string& line : trailer) out_.WriteLine(line);
        out_.WriteLine(">>");
    }
    WriteStartXref();
}

}  // namespace folivo
