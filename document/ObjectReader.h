// The reader's services: an object by number, its value as tokens, its dictionary, its stream's
// data raw or decoded, a reference resolved. Every read works on a cursor of its own, so the
// document's read position, its parsed entries and its `invalid` flag stay as they were; what
// cannot be read comes back as a value naming the object and the byte offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "syntax/SyntaxTypes.h"

namespace folivo {

struct ObjectReference {
    int32_t objectNumber = 0;
    int32_t generation = 0;
    bool found = false;
};

// The references "N G R" among tokens[first ...]; other tokens are passed over.
std::vector<ObjectReference> ReferencesIn(const TokenList& tokens, size_t first);

// Why a read gave nothing: the object (0 when read by position alone), where, and what.
struct ObjectDamage {
    int32_t objectNumber = 0;
    int64_t offset = -1;
    std::string what;
};

// A value, or the damage that kept it from being read.
template <typename T>
struct ObjectRead {
    std::optional<T> value;
    ObjectDamage damage;
    explicit operator bool() const { return value.has_value(); }
    const T& operator*() const { return *value; }
    T& operator*() { return *value; }
    const T* operator->() const { return &*value; }
};

// One entry of a dictionary: its key and value tokens, where the key and the value start.
struct DictionaryEntry {
    TokenList tokens;
    int32_t keyPosition = 0;
    int32_t valuePosition = 0;
};

struct DictionaryRead {
    std::vector<DictionaryEntry> entries;
    // After the closing ">>" (or the token found where "<<" was expected) and the blanks behind.
    int32_t end = 0;
    // Set when no "<<" was found.
    std::optional<ObjectDamage> damage;
};

// A stream's dictionary entries and its data.
struct StreamObject {
    std::vector<TokenList> entries;
    std::string data;
};

class ObjectReader {
public:
    ObjectReader(const FileBuffer& file, const std::vector<XrefEntry>& table) : file_(file), table_(table) {}

    // The cross-reference table lists the number as an object in use.
    bool InUse(int32_t number) const;
    // Where the value of the object starts, after its "N G obj": for any number the table has a
    // row for, whether in use or not (a repair may still have left an offset there).
    std::optional<int32_t> AnyValuePosition(int32_t number) const;
    // The same for an object in use only.
    std::optional<int32_t> ValuePosition(int32_t number) const;

    // The dictionary whose "<<" is at the position, entry by entry. A key starts an entry at the
    // top level when the entry before has a value or the key begins a line, so that a damaged
    // value does not swallow the keys after it.
    DictionaryRead EntriesAt(int32_t position) const;
    // The same dictionary as one token list from "<<" to ">>" ({"<<", ">>"} when there is none).
    TokenList DictionaryAt(int32_t position) const;
    // An object's value as tokens: a dictionary from "<<" to ">>", an array from "[" to "]", or
    // one token; empty for an object not in use.
    TokenList ObjectTokens(int32_t number) const;
    // The value at tokens[at], a reference replaced by its object's tokens; empty at 0.
    TokenList ValueTokens(const TokenList& tokens, size_t at) const;
    // A value given as tokens, a reference replaced by what its object starts with: an array or
    // a hex string whole, else its first token ("<<" alone for a dictionary or stream). Unlike
    // ValueTokens it reaches objects the table marks unused, as the picture reader always has.
    TokenList ResolvedValue(const TokenList& value) const;
    // The references "N G R" of an array object, up to its closing "]".
    std::vector<ObjectReference> ReferencedArray(int32_t number) const;

    // A /Length entry's value, given directly or by reference; -1 when it is no length.
    int32_t StreamLength(const TokenList& lengthEntry) const;
    // `length` bytes of the stream whose keyword "stream" follows the position (blanks
    // allowed), cut at the file's end; none when the keyword is missing.
    std::optional<std::string> StreamData(int32_t keywordPosition, int32_t length) const;
    // The stream of an object in use: its entries and `/Length` bytes of data (the last
    // /Length entry counts), filters not undone.
    ObjectRead<StreamObject> Stream(int32_t number) const;
    // The stream whose dictionary starts at the position, ended by its /Length when "endstream"
    // follows there, else by the first "endstream"; only Flate (with the predictor of
    // /DecodeParms) and ASCII85 are undone, as cross-reference and object streams, colour
    // lookups and JBIG2 globals need. tooLarge: set when the data would pass the limit.
    ObjectRead<StreamObject> StreamObjectAt(int32_t position, size_t limit, bool* tooLarge = nullptr) const;
    // The stream's data with its filters undone, cut at `limit` bytes; damage when it cannot be
    // read or decoded, or its filters end in a picture codec.
    ObjectRead<std::string> DecodedStream(int32_t number, size_t limit) const;

    // A cursor of its own at the position, for reads the services above do not cover.
    FileBuffer CursorAt(int32_t position) const;
    // A cursor at the value of the object (as AnyValuePosition); none for a number without a row.
    std::optional<FileBuffer> CursorAtObject(int32_t number) const;

private:
    const FileBuffer& file_;
    const std::vector<XrefEntry>& table_;
};

}  // namespace folivo
