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
    DictionaryRead read = objects.EntriesAt(fileBuffer.position);
    fileBuffer.position = read.end;
    if (read.damage) invalid = true;
    for (DictionaryEntry& parsed : read.entries) {
        DictEntry* entry = DictEntryList->Append();
        entry->tokens = new TokenList(std::move(parsed.tokens));
        entry->keyPosition = parsed.keyPosition;
        entry->valuePosition = parsed.valuePosition;
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
    return objects.AnyValuePosition(*number);
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
    const int32_t valueStart = buffer.position;
    const size_t valueEnd = ValueEnd(all, static_cast<size_t>(buffer.position));
    const size_t keyword = SkipBlanksAndComments(all, valueEnd);
    const bool streamKeyword = KeywordAt(all, keyword, "stream");
    if (isStream) *isStream = streamKeyword;
    if (!streamKeyword) return endobjAfter(valueEnd);

    // A stream: step over its data by /Length when "endstream" follows there, else up to the
    // first "endstream".
    int32_t length = -1;
    for (const DictionaryEntry& entry : objects.EntriesAt(valueStart).entries) {
        if (entry.tokens[0] == "/Length") length = objects.StreamLength(entry.tokens);
    }
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
