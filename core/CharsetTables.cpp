#include "core/CharsetTables.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace folivo {
namespace {

// One row per glyph: the name, then for encodings 0..3 the code in decimal and in octal.
// A glyph without a code in an encoding carries the dash marker (0xC2 0x97) in both fields.
// "Slash" and "nus" are the rows of Lslash and minus; "space" occurs twice and the first wins.
constexpr std::array<const char*, CharsetRowCount> kSourceRows = {
    "A 65 101 65 101 65 101 65 101",
    "AE 225 341 174 256 198 306 198 306",
    "Aacute \xC2\x97 \xC2\x97 231 347 193 301 193 301",
    "Acircumflex \xC2\x97 \xC2\x97 229 345 194 302 194 302",
    "Adieresis \xC2\x97 \xC2\x97 128 200 196 304 196 304",
    "Agrave \xC2\x97 \xC2\x97 203 313 192 300 192 300",
    "Aring \xC2\x97 \xC2\x97 129 201 197 305 197 305",
    "Atilde \xC2\x97 \xC2\x97 204 314 195 303 195 303",
    "B 66 102 66 102 66 102 66 102",
    "C 67 103 67 103 67 103 67 103",
    "Ccedilla \xC2\x97 \xC2\x97 130 202 199 307 199 307",
    "D 68 104 68 104 68 104 68 104",
    "E 69 105 69 105 69 105 69 105",
    "Eacute \xC2\x97 \xC2\x97 131 203 201 311 201 311",
    "Ecircumflex \xC2\x97 \xC2\x97 230 346 202 312 202 312",
    "Edieresis \xC2\x97 \xC2\x97 232 350 203 313 203 313",
    "Egrave \xC2\x97 \xC2\x97 233 351 200 310 200 310",
    "Eth \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 208 320 208 320",
    "Euro \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 128 200 160 240",
    "F 70 106 70 106 70 106 70 106",
    "G 71 107 71 107 71 107 71 107",
    "H 72 110 72 110 72 110 72 110",
    "I 73 111 73 111 73 111 73 111",
    "Iacute \xC2\x97 \xC2\x97 234 352 205 315 205 315",
    "Icircumflex \xC2\x97 \xC2\x97 235 353 206 316 206 316",
    "Idieresis \xC2\x97 \xC2\x97 236 354 207 317 207 317",
    "Igrave \xC2\x97 \xC2\x97 237 355 204 314 204 314",
    "J 74 112 74 112 74 112 74 112",
    "K 75 113 75 113 75 113 75 113",
    "L 76 114 76 114 76 114 76 114",
    "Slash 232 350 \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 149 225",
    "M 77 115 77 115 77 115 77 115",
    "N 78 116 78 116 78 116 78 116",
    "Ntilde \xC2\x97 \xC2\x97 132 204 209 321 209 321",
    "O 79 117 79 117 79 117 79 117",
    "OE 234 352 206 316 140 214 150 226",
    "Oacute \xC2\x97 \xC2\x97 238 356 211 323 211 323",
    "Ocircumflex \xC2\x97 \xC2\x97 239 357 212 324 212 324",
    "Odieresis \xC2\x97 \xC2\x97 133 205 214 326 214 326",
    "Ograve \xC2\x97 \xC2\x97 241 361 210 322 210 322",
    "Oslash 233 351 175 257 216 330 216 330",
    "Otilde \xC2\x97 \xC2\x97 205 315 213 325 213 325",
    "P 80 120 80 120 80 120 80 120",
    "Q 81 121 81 121 81 121 81 121",
    "R 82 122 82 122 82 122 82 122",
    "S 83 123 83 123 83 123 83 123",
    "Scaron \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 138 212 151 227",
    "T 84 124 84 124 84 124 84 124",
    "Thorn \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 222 336 222 336",
    "U 85 125 85 125 85 125 85 125",
    "Uacute \xC2\x97 \xC2\x97 242 362 218 332 218 332",
    "Ucircumflex \xC2\x97 \xC2\x97 243 363 219 333 219 333",
    "Udieresis \xC2\x97 \xC2\x97 134 206 220 334 220 334",
    "Ugrave \xC2\x97 \xC2\x97 244 364 217 331 217 331",
    "V 86 126 86 126 86 126 86 126",
    "W 87 127 87 127 87 127 87 127",
    "X 88 130 88 130 88 130 88 130",
    "Y 89 131 89 131 89 131 89 131",
    "Yacute \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 221 335 221 335",
    "Ydieresis \xC2\x97 \xC2\x97 217 331 159 237 152 230",
    "Z 90 132 90 132 90 132 90 132",
    "Zcaron \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 142 216 153 231",
    "a 97 141 97 141 97 141 97 141",
    "aacute \xC2\x97 \xC2\x97 135 207 225 341 225 341",
    "acircumflex \xC2\x97 \xC2\x97 137 211 226 342 226 342",
    "acute 194 302 171 253 180 264 180 264",
    "adieresis \xC2\x97 \xC2\x97 138 212 228 344 228 344",
    "ae 241 361 190 276 230 346 230 346",
    "agrave \xC2\x97 \xC2\x97 136 210 224 340 224 340",
    "ampersand 38 46 38 46 38 46 38 46",
    "aring \xC2\x97 \xC2\x97 140 214 229 345 229 345",
    "asciicircum 94 136 94 136 94 136 94 136",
    "asciitilde 126 176 126 176 126 176 126 176",
    "asterisk 42 52 42 52 42 52 42 52",
    "at 64 100 64 100 64 100 64 100",
    "atilde \xC2\x97 \xC2\x97 139 213 227 343 227 343",
    "b 98 142 98 142 98 142 98 142",
    "backslash 92 134 92 134 92 134 92 134",
    "bar 124 174 124 174 124 174 124 174",
    "braceleft 123 173 123 173 123 173 123 173",
    "braceright 125 175 125 175 125 175 125 175",
    "bracketleft 91 133 91 133 91 133 91 133",
    "bracketright 93 135 93 135 93 135 93 135",
    "breve 198 306 249 371 \xC2\x97 \xC2\x97 24 30",
    "brokenbar \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 166 246 166 246",
    "bullet 183 267 165 245 149 225 128 200",
    "c 99 143 99 143 99 143 99 143",
    "caron 207 317 255 377 \xC2\x97 \xC2\x97 25 31",
    "ccedilla \xC2\x97 \xC2\x97 141 215 231 347 231 347",
    "cedilla 203 313 252 374 184 270 184 270",
    "cent 162 242 162 242 162 242 162 242",
    "circumflex 195 303 246 366 136 210 26 32",
    "colon 58 72 58 72 58 72 58 72",
    "comma 44 54 44 54 44 54 44 54",
    "copyright \xC2\x97 \xC2\x97 169 251 169 251 169 251",
    "currency 168 250 219 333 164 244 164 244",
    "d 100 144 100 144 100 144 100 144",
    "dagger 178 262 160 240 134 206 129 201",
    "daggerdbl 179 263 224 340 135 207 130 202",
    "degree \xC2\x97 \xC2\x97 161 241 176 260 176 260",
    "dieresis 200 310 172 254 168 250 168 250",
    "divide \xC2\x97 \xC2\x97 214 326 247 367 247 367",
    "dollar 36 44 36 44 36 44 36 44",
    "dotaccent 199 307 250 372 \xC2\x97 \xC2\x97 27 33",
    "dotlessi 245 365 245 365 \xC2\x97 \xC2\x97 154 232",
    "e 101 145 101 145 101 145 101 145",
    "eacute \xC2\x97 \xC2\x97 142 216 233 351 233 351",
    "ecircumflex \xC2\x97 \xC2\x97 144 220 234 352 234 352",
    "edieresis \xC2\x97 \xC2\x97 145 221 235 353 235 353",
    "egrave \xC2\x97 \xC2\x97 143 217 232 350 232 350",
    "eight 56 70 56 70 56 70 56 70",
    "ellipsis 188 274 201 311 133 205 131 203",
    "emdash 208 320 209 321 151 227 132 204",
    "endash 177 261 208 320 150 226 133 205",
    "equal 61 75 61 75 61 75 61 75",
    "eth \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 240 360 240 360",
    "exclam 33 41 33 41 33 41 33 41",
    "exclamdown 161 241 193 301 161 241 161 241",
    "f 102 146 102 146 102 146 102 146",
    "fi 174 256 222 336 \xC2\x97 \xC2\x97 147 223",
    "five 53 65 53 65 53 65 53 65",
    "fl 175 257 223 337 \xC2\x97 \xC2\x97 148 224",
    "florin 166 246 196 304 131 203 134 206",
    "four 52 64 52 64 52 64 52 64",
    "fraction 164 244 218 332 \xC2\x97 \xC2\x97 135 207",
    "g 103 147 103 147 103 147 103 147",
    "germandbls 251 373 167 247 223 337 223 337",
    "grave 193 301 96 140 96 140 96 140",
    "greater 62 76 62 76 62 76 62 76",
    "guillemotleft 171 253 199 307 171 253 171 253",
    "guillemotright 187 273 200 310 187 273 187 273",
    "guilsinglleft 172 254 220 334 139 213 136 210",
    "guilsinglright 173 255 221 335 155 233 137 211",
    "h 104 150 104 150 104 150 104 150",
    "hungarumlaut 205 315 253 375 \xC2\x97 \xC2\x97 28 34",
    "hyphen 45 55 45 55 45 55 45 55",
    "i 105 151 105 151 105 151 105 151",
    "iacute \xC2\x97 \xC2\x97 146 222 237 355 237 355",
    "icircumflex \xC2\x97 \xC2\x97 148 224 238 356 238 356",
    "idieresis \xC2\x97 \xC2\x97 149 225 239 357 239 357",
    "igrave \xC2\x97 \xC2\x97 147 223 236 354 236 354",
    "j 106 152 106 152 106 152 106 152",
    "k 107 153 107 153 107 153 107 153",
    "l 108 154 108 154 108 154 108 154",
    "less 60 74 60 74 60 74 60 74",
    "logicalnot \xC2\x97 \xC2\x97 194 302 172 254 172 254",
    "lslash 248 370 \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 155 233",
    "m 109 155 109 155 109 155 109 155",
    "macron 197 305 248 370 175 257 175 257",
    "nus \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 138 212",
    "mu \xC2\x97 \xC2\x97 181 265 181 265 181 265",
    "multiply \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 215 327 215 327",
    "n 110 156 110 156 110 156 110 156",
    "nine 57 71 57 71 57 71 57 71",
    "ntilde \xC2\x97 \xC2\x97 150 226 241 361 241 361",
    "numbersign 35 43 35 43 35 43 35 43",
    "o 111 157 111 157 111 157 111 157",
    "oacute \xC2\x97 \xC2\x97 151 227 243 363 243 363",
    "ocircumflex \xC2\x97 \xC2\x97 153 231 244 364 244 364",
    "odieresis \xC2\x97 \xC2\x97 154 232 246 366 246 366",
    "oe 250 372 207 317 156 234 156 234",
    "ogonek 206 316 254 376 \xC2\x97 \xC2\x97 29 35",
    "ograve \xC2\x97 \xC2\x97 152 230 242 362 242 362",
    "one 49 61 49 61 49 61 49 61",
    "onehalf \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 189 275 189 275",
    "onequarter \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 188 274 188 274",
    "onesuperior \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 185 271 185 271",
    "ordfeminine 227 343 187 273 170 252 170 252",
    "ordmasculine 235 353 188 274 186 272 186 272",
    "oslash 249 371 191 277 248 370 248 370",
    "otilde \xC2\x97 \xC2\x97 155 233 245 365 245 365",
    "p 112 160 112 160 112 160 112 160",
    "paragraph 182 266 166 246 182 266 182 266",
    "parenleft 40 50 40 50 40 50 40 50",
    "parenright 41 51 41 51 41 51 41 51",
    "percent 37 45 37 45 37 45 37 45",
    "period 46 56 46 56 46 56 46 56",
    "periodcentered 180 264 225 341 183 267 183 267",
    "perthousand 189 275 228 344 137 211 139 213",
    "plus 43 53 43 53 43 53 43 53",
    "plusminus \xC2\x97 \xC2\x97 177 261 177 261 177 261",
    "q 113 161 113 161 113 161 113 161",
    "question 63 77 63 77 63 77 63 77",
    "questiondown 191 277 192 300 191 277 191 277",
    "quotedbl 34 42 34 42 34 42 34 42",
    "quotedblbase 185 271 227 343 132 204 140 214",
    "quotedblleft 170 252 210 322 147 223 141 215",
    "quotedblright 186 272 211 323 148 224 142 216",
    "quoteleft 96 140 212 324 145 221 143 217",
    "quoteright 39 47 213 325 146 222 144 220",
    "quotesinglbase 184 270 226 342 130 202 145 221",
    "quotesingle 169 251 39 47 39 47 39 47",
    "r 114 162 114 162 114 162 114 162",
    "registered \xC2\x97 \xC2\x97 168 250 174 256 174 256",
    "ring 202 312 251 373 176 260 30 36",
    "s 115 163 115 163 115 163 115 163",
    "scaron \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 154 232 157 235",
    "section 167 247 164 244 167 247 167 247",
    "semicolon 59 73 59 73 59 73 59 73",
    "seven 55 67 55 67 55 67 55 67",
    "six 54 66 54 66 54 66 54 66",
    "slash 47 57 47 57 47 57 47 57",
    "space 32 40 32 40 32 40 32 40",
    "space 32 40 202 312 32 40 32 40",
    "sterling 163 243 163 243 163 243 163 243",
    "t 116 164 116 164 116 164 116 164",
    "thorn \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 254 376 254 376",
    "three 51 63 51 63 51 63 51 63",
    "threequarters \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 190 276 190 276",
    "threesuperior \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 179 263 179 263",
    "tilde 196 304 247 367 152 230 31 37",
    "trademark \xC2\x97 \xC2\x97 170 252 153 231 146 222",
    "two 50 62 50 62 50 62 50 62",
    "twosuperior \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 178 262 178 262",
    "u 117 165 117 165 117 165 117 165",
    "uacute \xC2\x97 \xC2\x97 156 234 250 372 250 372",
    "ucircumflex \xC2\x97 \xC2\x97 158 236 251 373 251 373",
    "udieresis \xC2\x97 \xC2\x97 159 237 252 374 252 374",
    "ugrave \xC2\x97 \xC2\x97 157 235 249 371 249 371",
    "underscore 95 137 95 137 95 137 95 137",
    "v 118 166 118 166 118 166 118 166",
    "w 119 167 119 167 119 167 119 167",
    "x 120 170 120 170 120 170 120 170",
    "y 121 171 121 171 121 171 121 171",
    "yacute \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 253 375 253 375",
    "ydieresis \xC2\x97 \xC2\x97 216 330 255 377 255 377",
    "yen 165 245 180 264 165 245 165 245",
    "z 122 172 122 172 122 172 122 172",
    "zcaron \xC2\x97 \xC2\x97 \xC2\x97 \xC2\x97 158 236 158 236",
    "zero 48 60 48 60 48 60 48 60",
};

// One column per encoding; the entry after the last row stays 0.
constexpr int kCodeColumnSize = CharsetRowCount + 1;

struct Tables {
    uint8_t codes[EncodingCount][kCodeColumnSize] = {};
    // conversion[from][to][code]: the first-match scan answered in advance for every code.
    uint8_t conversion[EncodingCount][EncodingCount][256] = {};
    std::array<std::optional<uint8_t>, CharsetRowCount> winAnsiField{};
    // Row names sorted by name, then row index, so the first of equal names is found first.
    std::vector<std::pair<std::string_view, int>> nameIndex;
    // names[encoding][code]: the glyph of the first row with that code; empty for none.
    std::string_view names[EncodingCount][256];
};

bool IsEncoding(int encoding) { return encoding >= 0 && encoding < EncodingCount; }

// A field made of decimal digits only, stored as a byte; anything else (the dash marker) is
// not a number. Accumulating modulo 256 truncates like a byte store without ever overflowing.
std::optional<uint8_t> WholeNumber(const std::string& field)
{
    if (field.empty()) return std::nullopt;
    unsigned value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return std::nullopt;
        value = (value * 10 + static_cast<unsigned>(c - '0')) & 0xFFu;
    }
    return static_cast<uint8_t>(value);
}

std::string_view RowName(const char* row)
{
    std::string_view text(row);
    return text.substr(0, text.find(' '));
}

uint8_t ScanCodes(const uint8_t (&codes)[EncodingCount][kCodeColumnSize], uint8_t code, int from, int to)
{
    for (int i = 0; i < CharsetRowCount; ++i) {
        if (codes[from][i] == code) return codes[to][i];
    }
    return code;
}

Tables MakeTables()
{
    Tables tables;
    for (int i = 0; i < CharsetRowCount; ++i) {
        std::string row = kSourceRows[i];
        NextField(row);  // the name
        for (int j = 0; j < EncodingCount; ++j) {
            const std::optional<uint8_t> code = WholeNumber(NextField(row));
            if (code) tables.codes[j][i] = *code;
            if (j == WinAnsiEncoding) tables.winAnsiField[i] = code;
            NextField(row);  // the octal copy
        }
    }

    for (int from = 0; from < EncodingCount; ++from) {
        for (int to = 0; to < EncodingCount; ++to) {
            for (int code = 0; code < 256; ++code) {
                tables.conversion[from][to][code] =
                    ScanCodes(tables.codes, static_cast<uint8_t>(code), from, to);
            }
        }
    }

    for (int e = 0; e < EncodingCount; ++e) {
        for (int i = CharsetRowCount - 1; i >= 0; --i) {
            if (tables.codes[e][i] != 0) tables.names[e][tables.codes[e][i]] = RowName(kSourceRows[i]);
        }
    }

    tables.nameIndex.reserve(CharsetRowCount);
    for (int i = 0; i < CharsetRowCount; ++i) tables.nameIndex.emplace_back(RowName(kSourceRows[i]), i);
    std::sort(tables.nameIndex.begin(), tables.nameIndex.end());
    return tables;
}

// Built on first use, so lookups work even before the explicit start-up build.
const Tables& GetTables()
{
    static const Tables tables = MakeTables();
    return tables;
}

}  // namespace

void BuildCharsetTables() { GetTables(); }

uint8_t Convert(uint8_t code, int from, int to)
{
    if (!IsEncoding(from) || !IsEncoding(to)) return code;
    return GetTables().conversion[from][to][code];
}

uint8_t ConvertByScan(uint8_t code, int from, int to)
{
    if (!IsEncoding(from) || !IsEncoding(to)) return code;
    return ScanCodes(GetTables().codes, code, from, to);
}

std::optional<CharsetRow> FindByName(std::string_view name)
{
    const Tables& tables = GetTables();
    const auto found = std::lower_bound(
        tables.nameIndex.begin(), tables.nameIndex.end(), name,
        [](const std::pair<std::string_view, int>& entry, std::string_view key) { return entry.first < key; });
    if (found == tables.nameIndex.end() || found->first != name) return std::nullopt;
    return CharsetRow{found->second, tables.winAnsiField[found->second]};
}

std::string_view GlyphNameOfCode(uint8_t code, int encoding)
{
    if (!IsEncoding(encoding)) return {};
    return GetTables().names[encoding][code];
}

std::string_view CharsetSourceRow(int index)
{
    if (index < 0 || index >= CharsetRowCount) return {};
    return kSourceRows[index];
}

uint8_t CharsetCode(int index, int encoding)
{
    if (index < 0 || index >= kCodeColumnSize || !IsEncoding(encoding)) return 0;
    return GetTables().codes[encoding][index];
}

std::string NextField(std::string& text)
{
    const std::size_t space = text.find(' ');
    if (space == std::string::npos) return std::exchange(text, std::string());
    std::string field = text.substr(0, space);
    text.erase(0, space + 1);
    return field;
}

}  // namespace folivo
