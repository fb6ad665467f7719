// The lower half of the reader: header version, "%%EOF" and "startxref", the cross-reference
// sections of the /Prev chain and their trailers.
#include <algorithm>
#include <unordered_set>

#include "document/PdfDocument.h"
#include "model/TextStrings.h"
#include "syntax/TokenReader.h"

namespace folivo {

void PdfDocument::ReadVersion()
{
    fileBuffer.position = 5;
    const std::string version = ReadBytes(3);
    for (int item = 0; item < VersionCount; ++item) {
        if (version == VersionTexts[item]) versionItem = item;
    }
}

void PdfDocument::ReadFileStructure()
{
    ReadCrossReferenceStructure();
    // Object streams are encrypted as a whole: they are read from the plain copies.
    if (encrypted) OpenEncryption();
    if (refused_) return;
    AddObjectStreamMembers();
    LoadObjectStreams();
    if (!rootReference.found || !objects.InUse(rootReference.objectNumber)) FindCatalogAmongObjects();
}

void PdfDocument::ReadCrossReferenceStructure()
{
    // A file whose cross-reference sections cannot be read, miss the catalog, or whose entries
    // do not lead to their objects, is rebuilt from the objects themselves, as every viewer does.
    const bool read = ReadCrossReferenceSections();
    if (!read || !rootReference.found || !objects.InUse(rootReference.objectNumber) || !EntriesLeadToObjects())
        RepairCrossReference();
}

bool PdfDocument::ReadCrossReferenceSections()
{
    int32_t sectionOffset = 0;
    if (!FindStartXref(sectionOffset)) return false;
    std::unordered_set<int32_t> sectionsRead;
    while (sectionsRead.insert(sectionOffset).second) {
        int32_t prevOffset = sectionOffset;
        fileBuffer.position = sectionOffset;
        const bool table = sectionOffset >= 0 && MatchText("xref");
        if (sectionsRead.size() == 1) {
            lastSectionOffset = sectionOffset;
            lastSectionIsStream = !table;
        }
        const bool read = table ? ReadCrossReferenceSection(sectionOffset, prevOffset)
                                : ReadCrossReferenceStream(sectionOffset, prevOffset, true);
        if (!read || invalid) return false;
        if (prevOffset == sectionOffset) return true;
        sectionOffset = prevOffset;
    }
    return true;
}

bool PdfDocument::FindStartXref(int32_t& sectionOffset)
{
    FileBuffer& buffer = fileBuffer;
    buffer.position = buffer.size;
    BackToPreviousLine(buffer);
    bool found = MatchText("%%EOF");
    if (!found) {
        for (int32_t at = std::min(buffer.position, buffer.size); at >= 1 && !found; --at) {
            buffer.position = at;
            found = MatchText("%%EOF");
        }
    }
    if (!found) return false;
    for (int i = 0; i < 3; ++i) BackToPreviousLine(buffer);
    if (!MatchText("startxref")) return false;
    SkipLine(buffer);
    sectionOffset = ReadLineAsInteger(buffer);
    return true;
}

bool PdfDocument::ReadCrossReferenceSection(int32_t sectionOffset, int32_t& prevOffset)
{
    FileBuffer& buffer = fileBuffer;
    buffer.position = sectionOffset;
    if (sectionOffset < 0 || !MatchText("xref")) {
        invalid = true;
        return false;
    }
    SkipLine(buffer);
    int32_t first = ReadTokenAsInteger(buffer);
    int32_t count = ReadTokenAsInteger(buffer);
    for (;;) {
        if (!ReadSubsection(first, count)) {
            invalid = true;
            return false;
        }
        const std::string token = ReadToken(buffer);
        if (token == "trailer") break;
        if (buffer.position > buffer.size) {
            invalid = true;
            return false;
        }
        if (const auto number = IntegerText(token)) {
            first = *number;
            count = ReadTokenAsInteger(buffer);
        }
    }
    int32_t hybridStreamOffset = -1;
    ReadTrailer(prevOffset, &hybridStreamOffset);
    // A hybrid file's stream adds what the table lacks; the table's own entries win.
    if (hybridStreamOffset >= 0) {
        int32_t ignored = hybridStreamOffset;
        ReadCrossReferenceStream(hybridStreamOffset, ignored, false);
    }
    return true;
}

bool PdfDocument::ReadSubsection(int32_t first, int32_t count)
{
    // Every object takes at least one byte of the file: a range beyond the file's size is
    // damage, and must not grow the table without bound.
    const int64_t end = static_cast<int64_t>(first) + count;
    if (first < 0 || count < 0 || end > fileBuffer.size) return false;
    if (static_cast<size_t>(end) > XrefTable.size()) XrefTable.resize(static_cast<size_t>(end), XrefEntry{});
    for (int32_t number = first; number < end && fileBuffer.position <= fileBuffer.size; ++number) {
        const int32_t offset = ReadTokenAsInteger(fileBuffer);
        const int32_t generation = ReadTokenAsInteger(fileBuffer);
        const std::string type = ReadToken(fileBuffer);
        XrefEntry& entry = XrefTable[static_cast<size_t>(number)];
        if (entry.filled) continue;
        entry.offset = offset;
        entry.generation = generation;
        entry.inUse = type != "f";
        entry.filled = 1;
    }
    return true;
}

void PdfDocument::ReadTrailer(int32_t& prevOffset, int32_t* hybridStreamOffset)
{
    ParseDictionary();
    auto referenceOf = [](const TokenList& tokens, ObjectReference& reference) {
        if (reference.found || tokens.size() < 4 || tokens[3] != "R") return false;
        const auto number = IntegerText(tokens[1]);
        const auto generation = IntegerText(tokens[2]);
        if (!number || !generation) return false;
        reference = {*number, *generation, true};
        return true;
    };
    for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
        const TokenList& tokens = *DictEntryList->At(i)->tokens;
        const std::string& key = tokens[0];
        if (key == "/Root") {
            referenceOf(tokens, rootReference);
        } else if (key == "/Encrypt" && !encrypted) {
            // By reference or given inline; the newest trailer's holds.
            if (referenceOf(tokens, encryptionSource_)) {
                encrypted = true;
            } else if (tokens.size() >= 2 && tokens[1] == "<<") {
                encrypted = true;
                encryptionTextStart_ = DictEntryList->At(i)->valuePosition;
            }
        } else if (key == "/ID" && fileIds.empty()) {
            ReadFileIds(tokens);
        } else if (key == "/Info") {
            referenceOf(tokens, infoReference);
        } else if (key == "/Size" && tokens.size() >= 2) {
            if (const auto size = IntegerText(tokens[1])) trailerSize = std::max(trailerSize, *size);
        } else if (key == "/Prev" && tokens.size() >= 2) {
            if (const auto offset = IntegerText(tokens[1])) prevOffset = *offset;
        } else if (key == "/XRefStm" && tokens.size() >= 2 && hybridStreamOffset) {
            if (const auto offset = IntegerText(tokens[1])) *hybridStreamOffset = *offset;
        }
    }
    ReleaseDictionary();
}

void PdfDocument::ReadFileIds(const TokenList& tokens)
{
    std::vector<std::string> ids;
    for (size_t i = 1; i < tokens.size() && ids.size() < 2; ++i) {
        const std::string& token = tokens[i];
        if (token.empty() || token == "[" || token == "<<" || (token[0] != '(' && token[0] != '<')) continue;
        ids.push_back(StringValueBytes(tokens, i));
        if (token[0] == '<')
            while (i + 1 < tokens.size() && tokens[i] != ">") ++i;
    }
    if (ids.size() == 2) fileIds = std::move(ids);
}

}  // namespace folivo
