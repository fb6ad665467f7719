// The compact file structure of PDF 1.5 and later: objects gathered into object streams and a
// cross-reference stream in place of the table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace folivo {

// Objects that are not streams, gathered into one object stream (generation 0 only).
class ObjectStreamBuilder {
public:
    // The object's value as it stands between "N G obj" and "endobj". Returns its index in the
    // stream.
    int32_t Add(int32_t number, std::string_view body);
    size_t Count() const { return numbers_.size(); }
    // The whole stream object under `number`, lines ended by CR as everywhere in the file.
    std::string ObjectText(int32_t number) const;
    void Clear();

private:
    std::vector<int32_t> numbers_;
    std::vector<size_t> offsets_;
    std::string bodies_;
};

// One row of a cross-reference stream: type 0 (free: next free number, generation), 1 (in use:
// offset, generation) or 2 (compressed: object stream number, index).
struct CompactXrefEntry {
    uint8_t type = 0;
    int64_t field2 = 0;
    int64_t field3 = 0;
};

// The cross-reference stream object under `number` with one row per number from 0 and the
// trailer entries (e.g. "/Root 1 0 R"), each on its own line.
std::string CrossReferenceStreamText(int32_t number, const std::vector<CompactXrefEntry>& rows,
                                     const std::vector<std::string>& trailerLines);

// Consecutive rows from the number `first` on.
struct CompactXrefSubsection {
    int32_t first = 0;
    std::vector<CompactXrefEntry> rows;
};

// The same for the subsections of an update: /Index names them, /Size is `size`.
std::string CrossReferenceStreamText(int32_t number, const std::vector<CompactXrefSubsection>& subsections,
                                     int64_t size, const std::vector<std::string>& trailerLines);

}  // namespace folivo
