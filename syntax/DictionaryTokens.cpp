#include "syntax/DictionaryTokens.h"

#include <algorithm>

#include "core/NumberConversion.h"
#include "syntax/TokenReader.h"

namespace folivo {

size_t ValueIndex(const TokenList& tokens, size_t start, std::string_view key)
{
    size_t found = 0;
    VisitTopLevelNames(tokens, start, [&](size_t i) {
        if (tokens[i] == key) found = i + 1;
        return found == 0;
    });
    return found;
}

std::optional<int32_t> ReferenceAt(const TokenList& tokens, size_t at)
{
    if (at == 0 || at + 2 >= tokens.size() || tokens[at + 2] != "R") return std::nullopt;
    return IntegerText(tokens[at]);
}

std::unordered_map<std::string, std::optional<int32_t>> ReferencesByName(const TokenList& tokens, size_t start)
{
    std::unordered_map<std::string, std::optional<int32_t>> references;
    VisitTopLevelNames(tokens, start, [&](size_t i) {
        // The first occurrence counts, as for ValueIndex.
        references.try_emplace(tokens[i], ReferenceAt(tokens, i + 1));
        return true;
    });
    return references;
}

bool NumbersAt(const TokenList& tokens, size_t at, double* values, size_t count)
{
    if (at == 0 || count > 6 || at + count >= tokens.size() || tokens[at] != "[") return false;
    double read[6];
    for (size_t i = 0; i < count; ++i) {
        const auto value = NumberText(tokens[at + 1 + i]);
        if (!value) return false;
        read[i] = *value;
    }
    std::copy(read, read + count, values);
    return true;
}

bool StartsHexString(const std::string& token) { return !token.empty() && token[0] == '<' && token.rfind("<<", 0) != 0; }

bool IsReference(const TokenList& tokens, size_t at)
{
    return at + 2 < tokens.size() && IntegerText(tokens[at]) && IntegerText(tokens[at + 1]) && tokens[at + 2] == "R";
}

namespace {

// Where the array element that starts at tokens[i] ends: a reference, a hex string or a nested
// array or dictionary is one element of several tokens.
size_t ElementEnd(const TokenList& tokens, size_t i)
{
    size_t end = i + 1;
    if (IsReference(tokens, i)) {
        end = i + 3;
    } else if (StartsHexString(tokens[i])) {
        while (end < tokens.size() && tokens[end - 1] != ">") ++end;
    } else if (tokens[i] == "[" || tokens[i] == "<<") {
        const std::string close = tokens[i] == "[" ? "]" : ">>";
        int depth = 0;
        for (end = i; end < tokens.size(); ++end) {
            if (tokens[end] == tokens[i]) ++depth;
            else if (tokens[end] == close && --depth == 0) break;
        }
        end = std::min(end + 1, tokens.size());
    }
    return end;
}

}  // namespace

std::vector<size_t> ArrayElementStarts(const TokenList& tokens, size_t at)
{
    std::vector<size_t> starts;
    if (at >= tokens.size() || tokens[at] != "[") return starts;
    for (size_t i = at + 1; i < tokens.size() && tokens[i] != "]"; i = ElementEnd(tokens, i)) starts.push_back(i);
    return starts;
}

std::vector<TokenList> ArrayElements(const TokenList& tokens, size_t at)
{
    std::vector<TokenList> elements;
    for (const size_t start : ArrayElementStarts(tokens, at))
        elements.emplace_back(tokens.begin() + static_cast<std::ptrdiff_t>(start),
                              tokens.begin() + static_cast<std::ptrdiff_t>(ElementEnd(tokens, start)));
    return elements;
}

TokenList InnerArray(const TokenList& tokens, size_t at)
{
    TokenList inner;
    if (at >= tokens.size() || tokens[at] != "[") return inner;
    int depth = 0;
    for (size_t i = at; i < tokens.size(); ++i) {
        if (tokens[i] == "[") ++depth;
        else if (tokens[i] == "]" && --depth == 0) break;
        if (i > at) inner.push_back(tokens[i]);
    }
    return inner;
}

const TokenList* FindEntry(const std::vector<TokenList>& entries, std::string_view key, size_t minimumTokens)
{
    for (const TokenList& entry : entries) {
        if (entry.size() >= std::max<size_t>(minimumTokens, 1) && entry[0] == key) return &entry;
    }
    return nullptr;
}

std::vector<int64_t> EntryIntegers(const TokenList* entry)
{
    std::vector<int64_t> numbers;
    if (!entry) return numbers;
    for (size_t i = 1; i < entry->size(); ++i) {
        // A number beyond 64 bits is no count or offset of any file: passed over like a name.
        const auto value = NumberText((*entry)[i]);
        if (const auto whole = value ? ExactInteger<int64_t>(*value) : std::nullopt) numbers.push_back(*whole);
    }
    return numbers;
}

int IntegerAfter(const TokenList& tokens, std::string_view key, int fallback)
{
    for (size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (tokens[i] == key) return IntegerText(tokens[i + 1]).value_or(fallback);
    }
    return fallback;
}

}  // namespace folivo
