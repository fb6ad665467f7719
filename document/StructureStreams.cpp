// The file's structure held in streams: cross-reference streams and the objects inside object
// streams (their rows and members are decoded in syntax/).
#include <algorithm>
#include <map>
#include <unordered_set>

#include "core/ResourceLimits.h"
#include "document/PdfDocument.h"
#include "syntax/CrossReferenceStreamRows.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/ObjectStream.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

bool HasName(const TokenList* tokens, std::string_view name)
{
    return tokens && std::find(tokens->begin() + 1, tokens->end(), name) != tokens->end();
}

}  // namespace

bool PdfDocument::ReadCrossReferenceStream(int32_t offset, int32_t& prevOffset, bool keepTrailer)
{
    if (offset < 0 || offset >= fileBuffer.size) return false;
    fileBuffer.position = offset;
    const auto number = IntegerText(ReadToken(fileBuffer));
    ReadToken(fileBuffer);
    if (!number || ReadToken(fileBuffer) != "obj") return false;
    const int32_t dictionary = fileBuffer.position;
    const ObjectRead<StreamObject> stream = objects.StreamObjectAt(dictionary, InflateLimit);
    if (!stream || !HasName(FindEntry(stream->entries, "/Type"), "/XRef")) return false;

    std::vector<int64_t> index = EntryIntegers(FindEntry(stream->entries, "/Index"));
    if (index.empty()) {
        const std::vector<int64_t> size = EntryIntegers(FindEntry(stream->entries, "/Size"));
        index = {0, size.empty() ? 0 : size.front()};
    }
    // Numbers far beyond what the file can hold are lies; they must not grow the table.
    const int64_t numberLimit = 2 * static_cast<int64_t>(fileBuffer.size) + 1024;
    const auto entries =
        ReadXrefStreamEntries(stream->data, EntryIntegers(FindEntry(stream->entries, "/W")), index, numberLimit);
    if (!entries) return false;
    for (const XrefStreamEntry& read : *entries) {
        if (read.number >= numberLimit || read.type > 2) continue;
        if (static_cast<size_t>(read.number) >= XrefTable.size()) XrefTable.resize(static_cast<size_t>(read.number) + 1, XrefEntry{});
        XrefEntry& entry = XrefTable[static_cast<size_t>(read.number)];
        if (entry.filled) continue;
        entry.filled = 1;
        entry.inUse = read.type != 0;
        entry.compressed = read.type == 2;
        entry.offset = static_cast<int32_t>(std::min<uint64_t>(read.second, INT32_MAX));
        entry.generation = static_cast<int32_t>(std::min<uint64_t>(read.third, INT32_MAX));
    }
    NoteStructuralObject(*number, offset);
    if (keepTrailer) {
        fileBuffer.position = dictionary;
        ReadTrailer(prevOffset);
    }
    return true;
}

void PdfDocument::AddObjectStreamMembers()
{
    // Members of object streams count for the numbers that no header defines.
    const int64_t numberLimit = 2 * static_cast<int64_t>(fileBuffer.size) + 1024;
    for (const int32_t container : repairedObjectStreams_) {
        const auto position = objects.AnyValuePosition(container);
        const ObjectRead<StreamObject> stream = position ? objects.StreamObjectAt(*position, InflateLimit) : ObjectRead<StreamObject>{};
        if (!stream) continue;
        const auto count = EntryIntegers(FindEntry(stream->entries, "/N"));
        const auto first = EntryIntegers(FindEntry(stream->entries, "/First"));
        if (count.empty() || first.empty()) continue;
        const auto members = ReadObjectStreamMembers(stream->data, count.front(), first.front());
        for (size_t k = 0; k < members.size(); ++k) {
            const int32_t number = members[k].number;
            if (number <= 0 || number >= numberLimit) continue;
            if (static_cast<size_t>(number) >= XrefTable.size()) XrefTable.resize(static_cast<size_t>(number) + 1, XrefEntry{});
            if (!XrefTable[static_cast<size_t>(number)].filled)
                XrefTable[static_cast<size_t>(number)] = {container, static_cast<int32_t>(k), 1, 1, 1};
        }
    }
    repairedObjectStreams_.clear();
}

void PdfDocument::LoadObjectStreams()
{
    // The members that the table names, by their stream.
    std::map<int32_t, std::vector<int32_t>> byContainer;
    for (size_t number = 1; number < XrefTable.size(); ++number) {
        const XrefEntry& entry = XrefTable[number];
        if (entry.inUse && entry.compressed) byContainer[entry.offset].push_back(static_cast<int32_t>(number));
    }
    if (byContainer.empty()) {
        MarkStructuralObjectsUnused();
        return;
    }

    // Each member becomes an object of its own, "N 0 obj ... endobj", behind the file's bytes,
    // so that everything that reads or copies objects finds it like any other.
    std::string appended;
    size_t budget = ObjectStreamLimit;
    bool skipped = false;
    std::vector<std::pair<int32_t, size_t>> placed;  // number, position in `appended`
    for (const auto& [container, numbers] : byContainer) {
        const bool usable = container > 0 && static_cast<size_t>(container) < XrefTable.size() &&
                            XrefTable[static_cast<size_t>(container)].inUse &&
                            !XrefTable[static_cast<size_t>(container)].compressed;
        ObjectRead<StreamObject> stream;
        bool tooLarge = false;
        if (const auto position = usable ? objects.AnyValuePosition(container) : std::nullopt)
            stream = objects.StreamObjectAt(*position, budget, &tooLarge);
        std::vector<ObjectStreamMember> members;
        if (stream && HasName(FindEntry(stream->entries, "/Type"), "/ObjStm")) {
            const auto count = EntryIntegers(FindEntry(stream->entries, "/N"));
            const auto first = EntryIntegers(FindEntry(stream->entries, "/First"));
            if (!count.empty() && !first.empty()) members = ReadObjectStreamMembers(stream->data, count.front(), first.front());
            budget -= std::min(budget, stream->data.size());
            NoteStructuralObject(container, XrefTable[static_cast<size_t>(container)].offset);
        } else if (usable) {
            // A stream over the budget took all of it to find out: the budget is the
            // document's, not each stream's.
            if (tooLarge) budget = 0;
            skipped = true;
        }
        for (const int32_t number : numbers) {
            XrefEntry& entry = XrefTable[static_cast<size_t>(number)];
            const auto index = static_cast<size_t>(entry.generation);
            entry.compressed = 0;
            entry.generation = 0;
            const bool within = index < members.size() &&
                                appended.size() + members[index].end - members[index].start <= MemberCopyLimit;
            if (index >= members.size() || members[index].number != number || !within) {
                skipped = skipped || (index < members.size() && !within);
                entry.inUse = 0;
                entry.offset = 0;
                continue;
            }
            placed.emplace_back(number, appended.size());
            appended += std::to_string(number) + " 0 obj\n";
            appended.append(stream->data, members[index].start, members[index].end - members[index].start);
            appended += "\nendobj\n";
        }
    }
    if (skipped) ui_.AddMemoLine("Objekte in Objektströmen konnten nicht gelesen werden und fehlen.");
    MarkStructuralObjectsUnused();
    if (!AppendObjects(appended, placed)) {
        ui_.AddMemoLine("Objekte in Objektströmen konnten nicht gelesen werden und fehlen.");
        for (const auto& [number, position] : placed) XrefTable[static_cast<size_t>(number)].inUse = 0;
    }
}

bool PdfDocument::AppendObjects(const std::string& appended, const std::vector<std::pair<int32_t, size_t>>& placed)
{
    if (appended.empty()) return true;
    if (static_cast<int64_t>(fileBuffer.size) + static_cast<int64_t>(appended.size()) >= INT32_MAX) return false;
    const auto size = static_cast<size_t>(fileBuffer.size);
    auto joined = std::make_unique<uint8_t[]>(size + appended.size() + 1);
    std::copy(fileBuffer.data, fileBuffer.data + size, joined.get());
    std::copy(appended.begin(), appended.end(), joined.get() + size);
    for (const auto& [number, position] : placed)
        XrefTable[static_cast<size_t>(number)].offset = static_cast<int32_t>(size + position);
    fileBytes_ = std::move(joined);
    fileBuffer = {fileBytes_.get(), static_cast<int32_t>(size + appended.size()), 0};
    return true;
}


bool PdfDocument::IsStructuralObject(int32_t number) const
{
    const auto found = structuralObjects_.find(number);
    if (found == structuralObjects_.end() || number < 0 || static_cast<size_t>(number) >= XrefTable.size()) return false;
    const XrefEntry& entry = XrefTable[static_cast<size_t>(number)];
    return !entry.compressed && entry.offset == found->second;
}

void PdfDocument::MarkStructuralObjectsUnused()
{
    // A cross-reference stream may name itself by a number its own table does not reach.
    for (const auto& [number, offset] : structuralObjects_) {
        if (IsStructuralObject(number)) XrefTable[static_cast<size_t>(number)].inUse = 0;
    }
}

}  // namespace folivo
