// The basic values of the file syntax that the tokenizer and the reader share: a token list,
// the file buffer with its read position, a cross-reference entry and a dictionary entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace folivo {

// The six white-space bytes of the file syntax.
inline bool IsWhiteSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }

// The tokens of one dictionary entry: token 0 is the key, the rest are the value's tokens.
using TokenList = std::vector<std::string>;

struct FileBuffer {
    const uint8_t* data = nullptr;
    int32_t size = 0;
    int32_t position = 0;
};

struct XrefEntry {
    // For an object inside an object stream, until that stream is read: the stream's number and
    // the object's index in it.
    int32_t offset;
    int32_t generation;
    uint8_t inUse;
    uint8_t filled;
    uint8_t compressed;
};

struct DictEntry {
    TokenList* tokens;
    int32_t keyPosition;
    int32_t valuePosition;  // just after the key token and the blanks behind it
};

}  // namespace folivo
