// Files beyond classic tables: cross-reference streams and objects inside object streams.
#include <algorithm>
#include <map>
#include <unordered_set>

#include "core/NumberConversion.h"
#include "core/ResourceLimits.h"
#include "document/PdfDocument.h"
#include "syntax/CrossReferenceStream.h"
#include "syntax/FilterChain.h"
#include "syntax/ObjectStream.h"
#include "syntax/Predictors.h"
#include "syntax/StreamData.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

const TokenList* FindEntry(const std::vector<TokenList>& entries, std::string_view key)
{
    for (const TokenList& tokens : entries) {
        if (!tokens.empty() && tokens[0] == key) return &tokens;
    }
    return nullptr;
}

// The whole numbers among an entry's value tokens ("/W [1 2 1]" gives 1, 2, 1).
std::vector<int64_t> NumbersOf(const TokenList* tokens)
{
    std::vector<int64_t> numbers;
    if (!tokens) return numbers;
    for (size_t i = 1; i < tokens->size(); ++i) {
        // A number beyond 64 bits is no count or offset of any file: passed over like a name.
        const auto value = NumberText((*tokens)[i]);
        if (const auto whole = value ? ExactInteger<int64_t>(*value) : std::nullopt) numbers.push_back(*whole);
    }
    return numbers;
}

// The number after `key` inside an entry's value (a /DecodeParms dictionary), or `fallback`.
int NumberAfter(const TokenList* tokens, std::string_view key, int fallback)
{
    if (!tokens) return fallback;
    for (size_t i = 1; i + 1 < tokens->size(); ++i) {
        if ((*tokens)[i] == key) return IntegerText((*tokens)[i + 1]).value_or(fallback);
    }
    return fallback;
}

bool HasName(const TokenList* tokens, std::string_view name)
{
    return tokens && std::find(tokens->begin() + 1, tokens->end(), name) != tokens->end();
}

}  // namespace

std::optional<PdfDocument::StreamObject> PdfDocument::ReadStreamObject(size_t limit, bool* tooLarge)
{
    StreamObject stream;
    ParseDictionary();
    for (uint32_t i = 0; i < DictEntryList->Count(); ++i) stream.entries.push_back(*DictEntryList->At(i)->tokens);
    ReleaseDictionary();

    // The data: by /Length when "endstream" follows there, else up to "endstream".
    const int32_t keyword = fileBuffer.position;
    if (ReadToken(fileBuffer) != "stream") return std::nullopt;
    const std::string_view file(reinterpret_cast<const char*>(fileBuffer.data), static_cast<size_t>(fileBuffer.size));
    const int64_t start = StreamDataStart(file, keyword);
    const std::vector<int64_t> lengths = NumbersOf(FindEntry(stream.entries, "/Length"));
    int64_t end = -1;
    if (lengths.size() == 1 && lengths[0] >= 0 && lengths[0] <= fileBuffer.size - start &&
        EndstreamFollows(file, start + lengths[0]))
        end = start + lengths[0];
    if (end < 0) {
        const size_t found = file.find("endstream", static_cast<size_t>(start));
        if (found == std::string_view::npos) return std::nullopt;
        end = static_cast<int64_t>(found);
        if (end > start && file[static_cast<size_t>(end - 1)] == '\n') --end;
        if (end > start && file[static_cast<size_t>(end - 1)] == '\r') --end;
    }
    std::string data(file.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));

    // Only Flate, with the one predictor of /DecodeParms, and ASCII85 are read here.
    const TokenList* filters = FindEntry(stream.entries, "/Filter");
    const TokenList* parameters = FindEntry(stream.entries, "/DecodeParms");
    const PredictorParameters predictor{NumberAfter(parameters, "/Predictor", 1), NumberAfter(parameters, "/Colors", 1),
                                        NumberAfter(parameters, "/BitsPerComponent", 8),
                                        NumberAfter(parameters, "/Columns", 1)};
    std::vector<StreamFilterStep> steps;
    for (size_t i = 1; filters && i < filters->size(); ++i) {
        if ((*filters)[i] != "[" && (*filters)[i] != "]") steps.push_back({(*filters)[i], predictor});
    }
    FilterChainOptions options;
    options.accepted = FlateFilter | Ascii85Filter;
    options.stepLimit = StepLimit::InflateTooLarge;
    FilterChainResult decoded = DecodeFilterChain(std::move(data), steps, limit, options);
    if (decoded.outcome == FilterChainResult::Outcome::TooLarge && tooLarge) *tooLarge = true;
    if (decoded.outcome != FilterChainResult::Outcome::Decoded) return std::nullopt;
    stream.data = std::move(decoded.data);
    return stream;
}

bool PdfDocument::ReadCrossReferenceStream(int32_t offset, int32_t& prevOffset, bool keepTrailer)
{
    if (offset < 0 || offset >= fileBuffer.size) return false;
    fileBuffer.position = offset;
    const auto number = IntegerText(ReadToken(fileBuffer));
    ReadToken(fileBuffer);
    if (!number || ReadToken(fileBuffer) != "obj") return false;
    const int32_t dictionary = fileBuffer.position;
    const bool wasInvalid = invalid;
    auto stream = ReadStreamObject(InflateLimit);
    invalid = wasInvalid;
    if (!stream || !HasName(FindEntry(stream->entries, "/Type"), "/XRef")) return false;

    std::vector<int64_t> index = NumbersOf(FindEntry(stream->entries, "/Index"));
    if (index.empty()) {
        const std::vector<int64_t> size = NumbersOf(FindEntry(stream->entries, "/Size"));
        index = {0, size.empty() ? 0 : size.front()};
    }
    // Numbers far beyond what the file can hold are lies; they must not grow the table.
    const int64_t numberLimit = 2 * static_cast<int64_t>(fileBuffer.size) + 1024;
    const auto entries =
        ReadXrefStreamEntries(stream->data, NumbersOf(FindEntry(stream->entries, "/W")), index, numberLimit);
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
        GotoObject(container);
        const bool wasInvalid = invalid;
        auto stream = ReadStreamObject(InflateLimit);
        invalid = wasInvalid;
        if (!stream) continue;
        const auto count = NumbersOf(FindEntry(stream->entries, "/N"));
        const auto first = NumbersOf(FindEntry(stream->entries, "/First"));
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
        std::optional<StreamObject> stream;
        bool tooLarge = false;
        if (usable && GotoObject(container)) {
            const bool wasInvalid = invalid;
            stream = ReadStreamObject(budget, &tooLarge);
            invalid = wasInvalid;
        }
        std::vector<ObjectStreamMember> members;
        if (stream && HasName(FindEntry(stream->entries, "/Type"), "/ObjStm")) {
            const auto count = NumbersOf(FindEntry(stream->entries, "/N"));
            const auto first = NumbersOf(FindEntry(stream->entries, "/First"));
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
