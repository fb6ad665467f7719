#include "document/ObjectReader.h"

#include <algorithm>

#include "core/ResourceLimits.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/FilterChain.h"
#include "syntax/Predictors.h"
#include "syntax/StreamData.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

// Walks the dictionary whose "<<" is next at the cursor, up to and over its closing ">>":
// startEntry(keyPosition, valuePosition) where a top-level key starts an entry, then
// addToken(token) for every token from the first key on. False when no "<<" is there.
template <typename StartEntry, typename AddToken>
bool WalkDictionary(FileBuffer& cursor, StartEntry startEntry, AddToken addToken)
{
    if (ReadToken(cursor) != "<<") return false;
    int dictionaryDepth = 0;
    int arrayDepth = 0;
    bool inEntry = false;
    size_t entryTokens = 0;
    while (cursor.position < cursor.size) {
        const bool atLineStart = PreviousByteIsLineEnd(cursor);
        const int32_t keyPosition = cursor.position;
        std::string token = ReadToken(cursor);
        if (token == "<<") {
            ++dictionaryDepth;
        } else if (token == ">>") {
            if (--dictionaryDepth < 0) break;
        } else if (token == "[") {
            ++arrayDepth;
        } else if (token == "]") {
            --arrayDepth;
        }
        if (token != ">>" && dictionaryDepth == 0 && !token.empty() && token[0] == '/' && arrayDepth <= 0 &&
            (!inEntry || atLineStart || entryTokens >= 2)) {
            startEntry(keyPosition, cursor.position);
            inEntry = true;
            entryTokens = 0;
        }
        if (inEntry) {
            addToken(std::move(token));
            ++entryTokens;
        }
    }
    return true;
}

// The last /Length entry's tokens, else null.
const TokenList* LastLengthEntry(const std::vector<TokenList>& entries)
{
    const TokenList* found = nullptr;
    for (const TokenList& tokens : entries) {
        if (tokens[0] == "/Length") found = &tokens;
    }
    return found;
}

}  // namespace

std::vector<ObjectReference> ReferencesIn(const TokenList& tokens, size_t first)
{
    // Slides over the tokens rather than stepping in threes, so that direct objects between
    // the references (a dictionary in an /Annots array) do not shift the triples.
    std::vector<ObjectReference> references;
    for (size_t i = first; i + 2 < tokens.size();) {
        const auto number = IntegerText(tokens[i]);
        const auto generation = IntegerText(tokens[i + 1]);
        if (number && generation && tokens[i + 2] == "R") {
            references.push_back({*number, *generation, true});
            i += 3;
        } else {
            ++i;
        }
    }
    return references;
}

FileBuffer ObjectReader::CursorAt(int32_t position) const
{
    FileBuffer cursor = file_;
    cursor.position = position;
    return cursor;
}

std::optional<FileBuffer> ObjectReader::CursorAtObject(int32_t number) const
{
    const auto position = AnyValuePosition(number);
    if (!position) return std::nullopt;
    return CursorAt(*position);
}

bool ObjectReader::InUse(int32_t number) const
{
    return number > 0 && static_cast<size_t>(number) < table_.size() && table_[static_cast<size_t>(number)].inUse;
}

std::optional<int32_t> ObjectReader::AnyValuePosition(int32_t number) const
{
    if (number < 0 || static_cast<size_t>(number) >= table_.size()) return std::nullopt;
    FileBuffer cursor = CursorAt(std::max(table_[static_cast<size_t>(number)].offset, 0));
    for (int i = 0; i < 3; ++i) ReadToken(cursor);
    return cursor.position;
}

std::optional<int32_t> ObjectReader::ValuePosition(int32_t number) const
{
    if (!InUse(number)) return std::nullopt;
    return AnyValuePosition(number);
}

DictionaryRead ObjectReader::EntriesAt(int32_t position) const
{
    DictionaryRead read;
    FileBuffer cursor = CursorAt(position);
    const bool found = WalkDictionary(
        cursor,
        [&](int32_t keyPosition, int32_t valuePosition) {
            DictionaryEntry& entry = read.entries.emplace_back();
            entry.tokens.reserve(4);
            entry.keyPosition = keyPosition;
            entry.valuePosition = valuePosition;
        },
        [&](std::string token) { read.entries.back().tokens.push_back(std::move(token)); });
    read.end = cursor.position;
    if (!found) read.damage = ObjectDamage{0, position, "kein Wörterbuch"};
    return read;
}

TokenList ObjectReader::DictionaryAt(int32_t position) const
{
    // One token list rather than entries: this runs for every comment and form looked up.
    TokenList tokens{"<<"};
    tokens.reserve(32);  // a comment's or a form's dictionary, without regrowing
    FileBuffer cursor = CursorAt(position);
    WalkDictionary(
        cursor, [](int32_t, int32_t) {}, [&](std::string token) { tokens.push_back(std::move(token)); });
    tokens.push_back(">>");
    return tokens;
}

TokenList ObjectReader::ObjectTokens(int32_t number) const
{
    TokenList tokens;
    const auto position = ValuePosition(number);
    if (!position) return tokens;
    FileBuffer cursor = CursorAt(*position);
    std::string token = ReadToken(cursor);
    if (token == "<<") return DictionaryAt(*position);
    int depth = 0;
    for (size_t i = 0; i < MaxArrayTokens && cursor.position < cursor.size; ++i) {
        if (token == "[") ++depth;
        else if (token == "]") --depth;
        tokens.push_back(std::move(token));
        if (depth <= 0) break;
        token = ReadToken(cursor);
    }
    return tokens;
}

TokenList ObjectReader::ValueTokens(const TokenList& tokens, size_t at) const
{
    if (at == 0 || at >= tokens.size()) return {};
    if (const auto number = ReferenceAt(tokens, at)) return ObjectTokens(*number);
    if (tokens[at] == "[") {
        TokenList array{"["};
        for (const std::string& token : InnerArray(tokens, at)) array.push_back(token);
        array.push_back("]");
        return array;
    }
    if (tokens[at] == "<<") {
        int depth = 0;
        TokenList dictionary;
        for (size_t i = at; i < tokens.size(); ++i) {
            if (tokens[i] == "<<") ++depth;
            else if (tokens[i] == ">>") --depth;
            dictionary.push_back(tokens[i]);
            if (depth == 0) break;
        }
        return dictionary;
    }
    return {tokens[at]};
}

TokenList ObjectReader::ResolvedValue(const TokenList& value) const
{
    if (!IsReference(value, 0)) return value;
    TokenList resolved;
    const auto position = AnyValuePosition(*IntegerText(value[0]));
    if (!position) return resolved;
    FileBuffer cursor = CursorAt(*position);
    std::string token = ReadToken(cursor);
    if (token == "[" || StartsHexString(token)) {
        // Arrays nest; a bound keeps a damaged file from running the reading to its end.
        const bool array = token == "[";
        int depth = 0;
        for (int i = 0; i < 4096 && cursor.position < cursor.size; ++i) {
            if (array ? token == "[" : i == 0) ++depth;
            else if (token == (array ? "]" : ">")) --depth;
            resolved.push_back(std::move(token));
            if (depth == 0) break;
            token = ReadToken(cursor);
        }
    } else {
        resolved.push_back(std::move(token));
    }
    return resolved;
}

std::vector<ObjectReference> ObjectReader::ReferencedArray(int32_t number) const
{
    TokenList elements;
    const auto position = AnyValuePosition(number);
    FileBuffer cursor = CursorAt(position.value_or(0));
    if (position && ReadToken(cursor) == "[") {
        int depth = 0;
        while (cursor.position < cursor.size) {
            std::string token = ReadToken(cursor);
            if (token == "[") ++depth;
            if (token == "]" && depth-- == 0) break;
            elements.push_back(std::move(token));
        }
    }
    return ReferencesIn(elements, 0);
}

int32_t ObjectReader::StreamLength(const TokenList& lengthEntry) const
{
    const TokenList& tokens = lengthEntry;
    if (tokens.size() >= 4 && tokens[3] == "R") {
        const auto number = IntegerText(tokens[1]);
        const auto position = number ? AnyValuePosition(*number) : std::nullopt;
        if (!position) return -1;
        FileBuffer cursor = CursorAt(*position);
        return ReadTokenAsInteger(cursor);
    }
    if (tokens.size() == 2) {
        if (const auto length = IntegerText(tokens[1])) return *length;
    }
    return -1;
}

std::optional<std::string> ObjectReader::StreamData(int32_t keywordPosition, int32_t length) const
{
    FileBuffer cursor = CursorAt(keywordPosition);
    if (ReadToken(cursor) != "stream") return std::nullopt;
    const std::string_view file(reinterpret_cast<const char*>(file_.data), static_cast<size_t>(file_.size));
    if (length <= 0) return std::string();
    const int64_t start = std::max<int32_t>(static_cast<int32_t>(StreamDataStart(file, keywordPosition)), 0);
    const int64_t end = std::min<int64_t>(start + length, file_.size);
    std::string bytes;
    if (end > start) bytes.assign(file.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));
    return bytes;
}

ObjectRead<StreamObject> ObjectReader::Stream(int32_t number) const
{
    ObjectRead<StreamObject> read;
    read.damage.objectNumber = number;
    const auto position = ValuePosition(number);
    if (!position) {
        read.damage.what = "kein Objekt in Gebrauch";
        return read;
    }
    read.damage.offset = *position;
    DictionaryRead dictionary = EntriesAt(*position);
    StreamObject stream;
    for (DictionaryEntry& entry : dictionary.entries) stream.entries.push_back(std::move(entry.tokens));
    const TokenList* lengthEntry = LastLengthEntry(stream.entries);
    const int32_t length = lengthEntry ? StreamLength(*lengthEntry) : -1;
    if (length < 0) {
        read.damage.what = "keine Länge des Datenstroms";
        return read;
    }
    auto data = StreamData(dictionary.end, length);
    if (!data) {
        read.damage.offset = dictionary.end;
        read.damage.what = "kein Datenstrom";
        return read;
    }
    stream.data = std::move(*data);
    read.value = std::move(stream);
    return read;
}

ObjectRead<std::string> ObjectReader::DecodedStream(int32_t number, size_t limit) const
{
    ObjectRead<std::string> decoded;
    ObjectRead<StreamObject> raw = Stream(number);
    decoded.damage = raw.damage;
    if (!raw) return decoded;
    std::vector<StreamFilterStep> steps;
    for (const TokenList& tokens : raw->entries) {
        if (tokens[0] != "/Filter") continue;
        for (size_t t = 1; t < tokens.size(); ++t)
            if (!tokens[t].empty() && tokens[t][0] == '/') steps.push_back({tokens[t], {}});
    }
    std::string codec;
    auto data = UndoFilterChain(std::move(raw.value->data), steps, limit, &codec);
    if (!data || !codec.empty() || data->size() > limit) {
        decoded.damage.what = "nicht dekodierbar";
        return decoded;
    }
    decoded.value = std::move(*data);
    return decoded;
}

ObjectRead<StreamObject> ObjectReader::StreamObjectAt(int32_t position, size_t limit, bool* tooLarge) const
{
    ObjectRead<StreamObject> read;
    read.damage.offset = position;
    DictionaryRead dictionary = EntriesAt(position);
    StreamObject stream;
    for (DictionaryEntry& entry : dictionary.entries) stream.entries.push_back(std::move(entry.tokens));

    // The data: by /Length when "endstream" follows there, else up to "endstream".
    const int32_t keyword = dictionary.end;
    FileBuffer cursor = CursorAt(keyword);
    read.damage.offset = keyword;
    if (ReadToken(cursor) != "stream") {
        read.damage.what = "kein Datenstrom";
        return read;
    }
    const std::string_view file(reinterpret_cast<const char*>(file_.data), static_cast<size_t>(file_.size));
    const int64_t start = StreamDataStart(file, keyword);
    const std::vector<int64_t> lengths = EntryIntegers(FindEntry(stream.entries, "/Length"));
    int64_t end = -1;
    if (lengths.size() == 1 && lengths[0] >= 0 && lengths[0] <= file_.size - start && EndstreamFollows(file, start + lengths[0]))
        end = start + lengths[0];
    if (end < 0) {
        const size_t found = file.find("endstream", static_cast<size_t>(start));
        if (found == std::string_view::npos) {
            read.damage.what = "kein Ende des Datenstroms";
            return read;
        }
        end = static_cast<int64_t>(found);
        if (end > start && file[static_cast<size_t>(end - 1)] == '\n') --end;
        if (end > start && file[static_cast<size_t>(end - 1)] == '\r') --end;
    }
    std::string data(file.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));

    // Only Flate, with the one predictor of /DecodeParms, and ASCII85 are read here.
    const TokenList* filters = FindEntry(stream.entries, "/Filter");
    static const TokenList none;
    const TokenList& parameters = FindEntry(stream.entries, "/DecodeParms") ? *FindEntry(stream.entries, "/DecodeParms") : none;
    const PredictorParameters predictor{IntegerAfter(parameters, "/Predictor", 1), IntegerAfter(parameters, "/Colors", 1),
                                        IntegerAfter(parameters, "/BitsPerComponent", 8),
                                        IntegerAfter(parameters, "/Columns", 1)};
    std::vector<StreamFilterStep> steps;
    for (size_t i = 1; filters && i < filters->size(); ++i) {
        if ((*filters)[i] != "[" && (*filters)[i] != "]") steps.push_back({(*filters)[i], predictor});
    }
    FilterChainOptions options;
    options.accepted = FlateFilter | Ascii85Filter;
    options.stepLimit = StepLimit::InflateTooLarge;
    FilterChainResult decoded = DecodeFilterChain(std::move(data), steps, limit, options);
    if (decoded.outcome == FilterChainResult::Outcome::TooLarge && tooLarge) *tooLarge = true;
    if (decoded.outcome != FilterChainResult::Outcome::Decoded) {
        read.damage.what = "nicht dekodierbar";
        return read;
    }
    stream.data = std::move(decoded.data);
    read.value = std::move(stream);
    return read;
}

}  // namespace folivo
