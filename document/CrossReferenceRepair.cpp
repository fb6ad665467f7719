// The repair of files whose cross-reference information is damaged: every object header of the
// file is found anew, and the trailer, the catalog and the object streams with it.
#include <string_view>
#include <vector>

#include "core/NumberConversion.h"
#include "document/PdfDocument.h"
#include "syntax/ObjectScan.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

// Whether the object at `offset` is typed `type`: its first tokens are searched, so that a
// scan over every object of a large file stays cheap.
bool TypedAs(FileBuffer& buffer, int64_t offset, std::string_view type)
{
    buffer.position = static_cast<int32_t>(offset);
    for (int i = 0; i < 3; ++i) ReadToken(buffer);
    if (ReadToken(buffer) != "<<") return false;
    std::string previous;
    int depth = 1;
    for (int i = 0; i < 64 && buffer.position < buffer.size; ++i) {
        std::string token = ReadToken(buffer);
        if (depth == 1 && previous == "/Type" && token == type) return true;
        if (token == "<<") ++depth;
        if (token == ">>" && --depth == 0) return false;
        if (token == "stream" || token == "endobj") return false;
        previous = std::move(token);
    }
    return false;
}

}  // namespace

bool PdfDocument::EntriesLeadToObjects()
{
    // The entries of cross-reference streams themselves do not matter: they are read already.
    for (size_t number = 1; number < XrefTable.size(); ++number) {
        const XrefEntry& entry = XrefTable[number];
        if (!entry.inUse || entry.compressed || IsStructuralObject(static_cast<int32_t>(number))) continue;
        if (entry.offset <= 0 || entry.offset >= fileBuffer.size) return false;
        fileBuffer.position = entry.offset;
        const auto found = IntegerText(ReadToken(fileBuffer));
        ReadToken(fileBuffer);
        if (!found || *found != static_cast<int32_t>(number) || ReadToken(fileBuffer) != "obj") return false;
    }
    return true;
}

void PdfDocument::RepairCrossReference()
{
    repaired = true;
    XrefTable.clear();
    structuralObjects_.clear();
    rootReference = {};
    infoReference = {};
    invalid = false;
    const std::string_view file(reinterpret_cast<const char*>(fileBuffer.data), static_cast<size_t>(fileBuffer.size));
    const int64_t numberLimit = 2 * static_cast<int64_t>(fileBuffer.size) + 1024;
    // The last definition of a number in the file wins.
    for (const FoundObject& object : ScanObjectHeaders(file)) {
        if (object.number >= numberLimit) continue;
        if (static_cast<size_t>(object.number) >= XrefTable.size()) XrefTable.resize(static_cast<size_t>(object.number) + 1, XrefEntry{});
        XrefTable[static_cast<size_t>(object.number)] = {static_cast<int32_t>(object.offset), object.generation, 1, 1, 0};
    }
    ui_.AddMemoLine("Die Querverweise der Datei waren beschädigt; die Datei wurde repariert.");

    // The trailer: the last trailer dictionary that names a catalog, else the last
    // cross-reference stream; FindCatalogAmongObjects stands in when neither names one the
    // file holds.
    const std::vector<int64_t> trailers = FindKeyword(file, "trailer");
    for (size_t k = trailers.size(); k-- > 0 && !rootReference.found;) {
        // The dictionary after the keyword, past the line end that tokens do not skip in front.
        size_t at = static_cast<size_t>(trailers[k] + 7);
        while (at < file.size() && IsWhiteSpace(file[at])) ++at;
        // A dictionary that never closes ends at the next trailer: each part of the file is
        // read for one trailer only.
        const FileBuffer whole = fileBuffer;
        if (k + 1 < trailers.size()) fileBuffer.size = static_cast<int32_t>(trailers[k + 1]);
        fileBuffer.position = static_cast<int32_t>(at);
        int32_t ignored = 0;
        ReadTrailer(ignored);
        fileBuffer = whole;
    }
    std::vector<int32_t> objectStreams;
    for (size_t number = XrefTable.size(); number-- > 1;) {
        const XrefEntry& entry = XrefTable[number];
        if (!entry.inUse) continue;
        if (TypedAs(fileBuffer, entry.offset, "/ObjStm")) objectStreams.push_back(static_cast<int32_t>(number));
        if (!TypedAs(fileBuffer, entry.offset, "/XRef")) continue;
        NoteStructuralObject(static_cast<int32_t>(number), entry.offset);
        if (!rootReference.found) {
            fileBuffer.position = entry.offset;
            for (int i = 0; i < 3; ++i) ReadToken(fileBuffer);
            int32_t ignored = 0;
            ReadTrailer(ignored);
        }
    }

    repairedObjectStreams_ = std::move(objectStreams);
    // Those of an encrypted file are read once it is decrypted.
    if (!encrypted) AddObjectStreamMembers();
    // Whatever the candidates for a trailer held, the file counts as damaged only when no
    // pages root comes of it.
    invalid = false;
}

void PdfDocument::FindCatalogAmongObjects()
{
    rootReference = {};
    for (size_t number = 1; number < XrefTable.size() && !rootReference.found; ++number) {
        if (XrefTable[number].inUse && TypedAs(fileBuffer, XrefTable[number].offset, "/Catalog"))
            rootReference = {static_cast<int32_t>(number), XrefTable[number].generation, true};
    }
}

}  // namespace folivo
