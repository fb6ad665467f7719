// The Latin character set of PDF: 230 glyph names with their codes in the four single-byte
// encodings, and the two lookups built on it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace folivo {

enum Encoding : int32_t {
    StandardEncoding = 0,
    MacRomanEncoding = 1,
    WinAnsiEncoding = 2,
    PDFDocEncoding = 3,
};

constexpr int EncodingCount = 4;
constexpr int CharsetRowCount = 230;

// Builds the code table and the conversion table once; later calls do nothing.
void BuildCharsetTables();

// The code of the same glyph in encoding `to`: the first row whose code in `from` equals `code`
// decides (0 when that row has no code in `to`); a code found in no row passes through.
// Answers from a table built once, not by a scan per byte.
uint8_t Convert(uint8_t code, int from, int to);

// The same result by the first-match scan over the rows; kept as the reference for Convert.
uint8_t ConvertByScan(uint8_t code, int from, int to);

// The row of the glyph named `name` (without its slash), first match.
struct CharsetRow {
    int index = -1;
    // The WinAnsi decimal field converted to a number; empty when the row has no WinAnsi code.
    std::optional<uint8_t> winAnsiCode;
};
std::optional<CharsetRow> FindByName(std::string_view name);

// The name of the glyph that `code` stands for in `encoding` (first row with that code); empty
// when no row has it.
std::string_view GlyphNameOfCode(uint8_t code, int encoding);

// The stored text of source row `index`; empty outside 0 .. CharsetRowCount - 1.
std::string_view CharsetSourceRow(int index);

// Entry `index` of column `encoding` of the code table (0 when the glyph has no code there);
// 0 outside the table.
uint8_t CharsetCode(int index, int encoding);

// The text up to its first space; that text and the space are removed from `text`.
std::string NextField(std::string& text);

}  // namespace folivo
