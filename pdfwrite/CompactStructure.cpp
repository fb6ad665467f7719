#include "pdfwrite/CompactStructure.h"

#include <zlib.h>

#include <algorithm>

#include "pdfwrite/Compression.h"
#include "syntax/SyntaxTypes.h"

namespace folivo {

namespace {


std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
    return text;
}

// Bytes that a field needs for values up to `largest`; at least one.
int FieldWidth(int64_t largest)
{
    int width = 1;
    while (width < 8 && (largest >> (8 * width)) != 0) ++width;
    return width;
}

void AppendBigEndian(std::string& row, int64_t value, int width)
{
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) row += static_cast<char>((value >> shift) & 0xFF);
}

std::string StreamObject(int32_t number, const std::string& dictionary, const std::string& data)
{
    std::string text = std::to_string(number) + " 0 obj\r<< " + dictionary + " /Length " + std::to_string(data.size()) +
                       " >>\rstream\n";
    text += data;
    text += "\nendstream\rendobj\r";
    return text;
}

}  // namespace

int32_t ObjectStreamBuilder::Add(int32_t number, std::string_view body)
{
    numbers_.push_back(number);
    offsets_.push_back(bodies_.size());
    // The line feed ends a trailing comment and keeps the next object's first token apart.
    bodies_.append(Trimmed(body));
    bodies_ += '\n';
    return static_cast<int32_t>(numbers_.size() - 1);
}

std::string ObjectStreamBuilder::ObjectText(int32_t number) const
{
    std::string header;
    for (size_t i = 0; i < numbers_.size(); ++i)
        header += std::to_string(numbers_[i]) + " " + std::to_string(offsets_[i]) + (i + 1 < numbers_.size() ? " " : "\n");
    const std::string dictionary = "/Type /ObjStm /N " + std::to_string(numbers_.size()) + " /First " +
                                   std::to_string(header.size()) + " /Filter /FlateDecode";
    return StreamObject(number, dictionary, Compress(header + bodies_, Z_DEFAULT_COMPRESSION));
}

void ObjectStreamBuilder::Clear()
{
    numbers_.clear();
    offsets_.clear();
    bodies_.clear();
}

std::string CrossReferenceStreamText(int32_t number, const std::vector<CompactXrefEntry>& rows,
                                     const std::vector<std::string>& trailerLines)
{
    return CrossReferenceStreamText(number, {{0, rows}}, static_cast<int64_t>(rows.size()), trailerLines);
}

std::string CrossReferenceStreamText(int32_t number, const std::vector<CompactXrefSubsection>& subsections,
                                     int64_t size, const std::vector<std::string>& trailerLines)
{
    int64_t largest2 = 0;
    int64_t largest3 = 0;
    for (const CompactXrefSubsection& subsection : subsections) {
        for (const CompactXrefEntry& row : subsection.rows) {
            largest2 = std::max(largest2, row.field2);
            largest3 = std::max(largest3, row.field3);
        }
    }
    const int width2 = FieldWidth(largest2);
    const int width3 = FieldWidth(largest3);
    const int rowSize = 1 + width2 + width3;

    // PNG "up" rows: each byte minus the byte above it, which turns the slowly growing offsets
    // into mostly zeros.
    std::string data;
    std::string previous(static_cast<size_t>(rowSize), '\0');
    std::string row;
    std::string index;
    for (const CompactXrefSubsection& subsection : subsections) {
        index += (index.empty() ? "" : " ") + std::to_string(subsection.first) + " " + std::to_string(subsection.rows.size());
        for (const CompactXrefEntry& entry : subsection.rows) {
            row.clear();
            row += static_cast<char>(entry.type);
            AppendBigEndian(row, entry.field2, width2);
            AppendBigEndian(row, entry.field3, width3);
            data += '\2';
            for (int i = 0; i < rowSize; ++i)
                data += static_cast<char>(static_cast<unsigned char>(row[i]) - static_cast<unsigned char>(previous[i]));
            previous = row;
        }
    }

    std::string dictionary = "/Type /XRef /Size " + std::to_string(size) + " /W [ 1 " + std::to_string(width2) + " " +
                             std::to_string(width3) + " ]";
    // One subsection from 0 over every number is what /Index means when missing.
    const bool whole = subsections.size() == 1 && subsections[0].first == 0 &&
                       static_cast<int64_t>(subsections[0].rows.size()) == size;
    if (!whole) dictionary += " /Index [ " + index + " ]";
    for (const std::string& line : trailerLines) dictionary += " " + line;
    dictionary += " /Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns " + std::to_string(rowSize) + " >>";
    return StreamObject(number, dictionary, Compress(data, Z_DEFAULT_COMPRESSION));
}

}  // namespace folivo
