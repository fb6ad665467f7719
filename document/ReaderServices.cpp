// Object lookup and dictionary parsing over the file buffer.
#include <algorithm>
#include <climits>

#include "document/PdfDocument.h"
#include "syntax/StreamData.h"
#include "syntax/TokenReader.h"
#include "syntax/ValueExtent.h"

namespace folivo {

namespace {

// Moves the position forward without overflowing it.
void Advance(FileBuffer& buffer, int64_t count)
{
    buffer.position = static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(buffer.position) + count, INT32_MAX));
}

}  // namespace

std::string PdfDocument::ReadBytes(int32_t count)
{
    FileBuffer& buffer = fileBuffer;
    if (count <= 0) return {};
    const int64_t start = std::max<int32_t>(buffer.position, 0);
    const int64_t end = std::min<int64_t>(start + count, buffer.size);
    std::string bytes;
    if (end > start) bytes.assign(reinterpret_cast<const char*>(buffer.data) + start, static_cast<size_t>(end - start));
    Advance(buffer, count);
    return bytes;
}

bool PdfDocument::MatchText(std::string_view text)
{
    return ReadBytes(static_cast<int32_t>(text.size())) == text;
}

bool PdfDocument::GotoObject(int32_t number)
{
    if (number < 0 || static_cast<size_t>(number) >= XrefTable.size()) return false;
    fileBuffer.position = std::max(XrefTable[static_cast<size_t>(number)].offset, 0);
    for (int i = 0; i < 3; ++i) ReadToken(fileBuffer);
    return true;
}

void PdfDocument::ParseDictionary()
{
    FileBuffer& buffer = fileBuffer;
    if (ReadToken(buffer) != "<<") {
        invalid = true;
        return;
    }
    int dictionaryDepth = 0;
    int arrayDepth = 0;
    TokenList* entryTokens = nullptr;
    while (buffer.position < buffer.size) {
        const bool atLineStart = PreviousByteIsLineEnd(buffer);
        const int32_t keyPosition = buffer.position;
        std::string token = ReadToken(buffer);
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
            (entryTokens == nullptr || atLineStart || entryTokens->size() >= 2)) {
            DictEntry* entry = DictEntryList->Append();
            entry->tokens = new TokenList;
            entry->tokens->reserve(4);
            entry->keyPosition = keyPosition;
            entry->valuePosition = buffer.position;
            entryTokens = entry->tokens;
        }
        if (entryTokens) entryTokens->push_back(std::move(token));
    }
}

void PdfDocument::ReleaseDictionary() { ReleaseEntries(*DictEntryList); }

void PdfDocument::ReleaseEntries(TDynaArray<DictEntry>& entries)
{
    for (uint32_t i = 0; i < entries.Count(); ++i) {
        delete entries.At(i)->tokens;
        entries.At(i)->tokens = nullptr;
    }
    entries.Clear();
}

std::optional<int32_t> PdfDocument::LocateValue(const DictEntry& entry)
{
    const TokenList& tokens = *entry.tokens;
    if (tokens.size() < 4 || tokens[3] != "R") return entry.valuePosition;
    const auto number = IntegerText(tokens[1]);
    if (!number) return std::nullopt;
    const int32_t saved = fileBuffer.position;
    std::optional<int32_t> position;
    if (GotoObject(*number)) position = fileBuffer.position;
    fileBuffer.position = saved;
    return position;
}

std::vector<ObjectReference> PdfDocument::ReadReferencedArray(int32_t objectNumber)
{
    TokenList elements;
    const int32_t saved = fileBuffer.position;
    if (GotoObject(objectNumber) && ReadToken(fileBuffer) == "[") {
        int depth = 0;
        while (fileBuffer.position < fileBuffer.size) {
            std::string token = ReadToken(fileBuffer);
            if (token == "[") ++depth;
            if (token == "]" && depth-- == 0) break;
            elements.push_back(std::move(token));
        }
    }
    fileBuffer.position = saved;
    return ReferencesIn(elements, 0);
}

bool PdfDocument::ObjectHeaderAt(int64_t offset, int32_t number)
{
    FileBuffer& buffer = fileBuffer;
    if (offset <= 0 || offset >= buffer.size) return false;
    buffer.position = static_cast<int32_t>(offset);
    const auto found = IntegerText(ReadToken(buffer));
    ReadToken(buffer);
    return found && *found == number && ReadToken(buffer) == "obj";
}

int64_t PdfDocument::ObjectEnd(int64_t start, bool* isStream, int32_t* streamLength)
{
    FileBuffer& buffer = fileBuffer;
    const std::string_view all(reinterpret_cast<const char*>(buffer.data), static_cast<size_t>(buffer.size));
    // After the value (or the stream's "endstream"): "endobj" when it follows, else right there,
    // so that an object without "endobj" does not run into the objects after it.
    auto endobjAfter = [&](size_t from) -> int64_t {
        const size_t next = SkipBlanksAndComments(all, from);
        return static_cast<int64_t>(KeywordAt(all, next, "endobj") ? next + 6 : from);
    };
    buffer.position = static_cast<int32_t>(start);
    for (int i = 0; i < 3; ++i) ReadToken(buffer);
    const size_t valueEnd = ValueEnd(all, static_cast<size_t>(buffer.position));
    const size_t keyword = SkipBlanksAndComments(all, valueEnd);
    const bool streamKeyword = KeywordAt(all, keyword, "stream");
    if (isStream) *isStream = streamKeyword;
    if (!streamKeyword) return endobjAfter(valueEnd);

    // A stream: step over its data by /Length when "endstream" follows there, else up to the
    // first "endstream".
    buffer.position = static_cast<int32_t>(start);
    for (int i = 0; i < 3; ++i) ReadToken(buffer);
    ReleaseDictionary();
    const bool wasInvalid = invalid;
    ParseDictionary();
    invalid = wasInvalid;
    int32_t length = -1;
    for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
        const TokenList& tokens = *DictEntryList->At(i)->tokens;
        if (tokens[0] == "/Length") length = ReadStreamLength(tokens);
    }
    ReleaseDictionary();
    if (streamLength) *streamLength = length;
    const int64_t dataStart = StreamDataStart(all, static_cast<int64_t>(keyword));
    size_t endstream = std::string_view::npos;
    if (length >= 0 && EndstreamFollows(all, dataStart + length)) {
        endstream = all.find("endstream", static_cast<size_t>(dataStart + length));
    } else {
        endstream = all.find("endstream", static_cast<size_t>(std::min<int64_t>(dataStart, buffer.size)));
    }
    if (endstream == std::string_view::npos) {
        const size_t found = all.find("endobj", keyword);
        return found == std::string_view::npos ? buffer.size : static_cast<int64_t>(found) + 6;
    }
    return endobjAfter(endstream + 9);
}

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

std::unique_ptr<TDynaArray<DictEntry>> PdfDocument::NewEntryList()
{
    return std::make_unique<TDynaArray<DictEntry>>(&currentEntry);
}

TDynaArray<DictEntry>* PdfDocument::TakeDictionary()
{
    TDynaArray<DictEntry>* taken = DictEntryList.release();
    DictEntryList = NewEntryList();
    return taken;
}

}  // namespace folivo
