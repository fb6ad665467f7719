#include "document/DocumentWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string_view>
#include <unordered_map>

#include "pdfwrite/Compression.h"
#include "pdfwrite/EncryptionDictionary.h"
#include "pdfwrite/FileIdentifier.h"
#include "pdfwrite/InformationFields.h"
#include "syntax/ObjectCipher.h"
#include "syntax/StreamData.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

// Comment rectangles are written as whole numbers, rounded half to even.
std::string Rounded(double value)
{
    const double rounded = std::nearbyint(value);
    if (!std::isfinite(rounded) || std::fabs(rounded) > 1e15) return "0";
    return std::to_string(static_cast<int64_t>(rounded));
}

std::string JoinTokens(const TokenList& tokens)
{
    std::string line;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (i > 0) line += ' ';
        line += tokens[i];
    }
    return line;
}

// Members per object stream: large enough to compress well, small enough that a reader
// decodes little for one object.
constexpr size_t ObjectStreamMembers = 200;

const char* const InformationKeys[] = {"/Producer", "/Author",       "/Creator", "/Title",
                                       "/Subject",  "/CreationDate", "/ModDate", "/Keywords"};

// The values a save writes into the information dictionary, for the XMP packet.
XmpUpdate MetadataValues(const InfoFields& info)
{
    XmpUpdate update{info.title, info.author, info.subject, info.keywords, info.creator, info.producer, {}, {}, {}};
    update.created = InformationDateText(info.createdDate, info.createdTime, info.createdPresent, info.createdAsRead);
    update.modified =
        InformationDateText(info.modifiedDate, info.modifiedTime, info.modifiedPresent, info.modifiedAsRead);
    update.metadataDate = update.modified ? *update.modified : CurrentPdfDateText();
    return update;
}

}  // namespace

DocumentWriter::DocumentWriter(PdfDocument& document, std::string fileName)
    : document_(document), fileName_(std::move(fileName))
{
}

std::string DocumentWriter::Write()
{
    const FileBuffer saved = document_.fileBuffer;
    if (document_.appendChanges) {
        appending_ = true;
        std::string bytes = WriteAppended();
        document_.fileBuffer = saved;
        return bytes;
    }
    ChooseEncryption();
    versionItem_ = WrittenVersionItem(document_.versionItem, encryption_ && encryption_->Parameters().revision >= 5);
    compact_ = versionItem_ >= FirstCompactVersionItem && versionItem_ < VersionCount;
    WriteHeader();
    PlanNumbers();
    PlanMetadata();
    PlanExtensions();
    CollectInsertions();
    CopyUnchangedObjects();
    WriteEncryptionDictionary();
    WriteAddedFonts();
    WriteInformation();
    WriteMetadata();
    WritePagesRoot();
    CompressModifiedPages();
    for (uint32_t i = 0; i < document_.pages.Count(); ++i) WritePage(i);
    ChooseFileIds();
    if (compact_) {
        WriteCrossReferenceStream();
    } else {
        WriteCrossReferenceTable();
    }
    document_.fileBuffer = saved;
    return out_.Bytes();
}

void DocumentWriter::WriteHeader()
{
    const int item = versionItem_;
    out_.WriteLine(std::string("%PDF-") + (item >= 0 && item < VersionCount ? VersionTexts[item] : "1.3"));
    out_.WriteLine("%\xE2\xE3\xCF\xD3");
}

void DocumentWriter::WriteObjectHeader(int32_t number, int32_t generation)
{
    objectStart_ = out_.Position();
    out_.WriteLine(std::to_string(number) + " " + std::to_string(generation) + " obj");
    bodyStart_ = out_.Position();
}

void DocumentWriter::EndObject(XrefOutEntry& entry)
{
    out_.WriteLine("endobj");
    if (!compact_ || entry.generation != 0) {
        Seal(objectStart_, entry.objectNumber, entry.generation);
        return;
    }
    const int64_t bodyEnd = out_.Position() - 7;  // before "endobj" and its CR
    const std::string body = out_.Bytes().substr(static_cast<size_t>(bodyStart_), static_cast<size_t>(bodyEnd - bodyStart_));
    out_.Truncate(objectStart_);
    Pack(entry, body);
}

void DocumentWriter::Pack(XrefOutEntry& entry, std::string_view body)
{
    if (pending_.Count() == 0) pendingNumber_ = NewNumber();
    entry.container = pendingNumber_;
    entry.offset = pending_.Add(entry.objectNumber, body);
    // The entry may live in xref_, which the flush extends: it is complete before.
    if (pending_.Count() >= ObjectStreamMembers) FlushObjectStream();
}

void DocumentWriter::FlushObjectStream()
{
    if (pending_.Count() == 0) return;
    AddXref(pendingNumber_, 0);
    const int64_t start = out_.Position();
    out_.Append(pending_.ObjectText(pendingNumber_));
    Seal(start, pendingNumber_, 0);
    pending_.Clear();
}

void DocumentWriter::PlanNumbers()
{
    PdfDocument& doc = document_;
    // New objects continue after the input's table. Numbers that the document refers to beyond
    // it name no object, but are skipped too, so that no such reference comes to mean one of
    // the new objects; they get no table entries of their own.
    const auto tableSize = static_cast<int32_t>(doc.XrefTable.size());
    lastObjectNumber_ = std::max(tableSize - 1, 0);
    // An update must not take numbers that an earlier trailer's /Size counted.
    if (appending_) lastObjectNumber_ = std::max(lastObjectNumber_, doc.trailerSize - 1);
    auto refersBeyond = [&](int32_t number) {
        if (number >= tableSize) danglingNumbers_.insert(number);
    };
    if (doc.infoReference.found) refersBeyond(doc.infoReference.objectNumber);
    std::unordered_set<int32_t> streamsOfUnchangedPages;
    for (uint32_t i = 0; i < doc.pages.Count(); ++i) {
        const PageRecord& page = *doc.pages.At(i);
        notCopied_.insert(page.objectNumber);
        for (uint32_t s = 0; s < page.contentStreams->Count(); ++s) {
            refersBeyond(page.contentStreams->At(s)->objectNumber);
            if (!page.modified) streamsOfUnchangedPages.insert(page.contentStreams->At(s)->objectNumber);
        }
        for (uint32_t c = 0; c < page.comments->Count(); ++c) {
            if (page.comments->At(c)->directStart == 0) refersBeyond(page.comments->At(c)->objectNumber);
        }
    }
    notCopied_.insert(doc.pagesRootReference.objectNumber);
    // The input's /Encrypt dictionary is written anew when kept, and dropped otherwise.
    if (doc.encryption.objectNumber > 0) notCopied_.insert(doc.encryption.objectNumber);
    if (encryption_) {
        const bool kept = encryption_ == doc.encryption.handler;
        encryptionNumber_ = kept && doc.encryption.objectNumber > 0 ? doc.encryption.objectNumber : NewNumber();
    }

    for (uint32_t i = 0; i < doc.fonts.Count(); ++i) {
        const FontRecord& font = *doc.fonts.At(i);
        if (!font.addedByUser) continue;
        fontNumbers_.push_back(NewNumber());
        if (!fontRefs_.empty()) fontRefs_ += ' ';
        fontRefs_ += std::string(font.resourceName.View()) + " " + std::to_string(fontNumbers_.back()) + " 0 R";
    }

    // The document information: under the input's number when it was read there, or new
    // when the user filled in fields of a document that had none.
    if (doc.infoReference.found && doc.InfoEntries && doc.objects.InUse(doc.infoReference.objectNumber)) {
        information_ = doc.infoReference;
        notCopied_.insert(information_.objectNumber);
    } else if (doc.info.changedByUser) {
        information_ = {NewNumber(), 0, true};
    }

    // A page object that the tree lists again is written once more under a new number. A small
    // file may list a large page very often: past a bound the tree lists the first copy again,
    // as the input did.
    pageObjects_.assign(doc.pages.Count(), ObjectReference{});
    listedAgain_.assign(doc.pages.Count(), false);
    std::unordered_map<int32_t, uint32_t> firstOccurrence;
    uint64_t repeatedBytes = 0;
    for (uint32_t i = 0; i < doc.pages.Count(); ++i) {
        const PageRecord& page = *doc.pages.At(i);
        const auto [first, isFirst] = firstOccurrence.try_emplace(page.objectNumber, i);
        if (appending_ || isFirst) {
            pageObjects_[i] = {page.objectNumber, page.generation, true};
        } else if ((repeatedBytes += KeptEntriesBytes(page)) <= RepeatedPagesByteLimit) {
            pageObjects_[i] = {NewNumber(), 0, true};
        } else {
            pageObjects_[i] = pageObjects_[first->second];
            listedAgain_[i] = true;
        }
    }

    // A modified page's new content goes under its first stream's number unless that names no
    // object of the input, another page still needs that stream or already took the number.
    newContent_.assign(doc.pages.Count(), ObjectReference{});
    std::unordered_set<int32_t> taken;
    for (uint32_t i = 0; i < doc.pages.Count(); ++i) {
        const PageRecord& page = *doc.pages.At(i);
        if (!page.modified || listedAgain_[i]) continue;
        for (uint32_t s = 0; s < page.contentStreams->Count(); ++s) {
            const int32_t number = page.contentStreams->At(s)->objectNumber;
            if (!streamsOfUnchangedPages.count(number)) notCopied_.insert(number);
        }
        if (page.contentStreams->Count() > 0) {
            const ContentStreamRef& first = *page.contentStreams->At(0);
            if (doc.objects.InUse(first.objectNumber) && !streamsOfUnchangedPages.count(first.objectNumber) &&
                taken.insert(first.objectNumber).second) {
                newContent_[i] = {first.objectNumber, first.generation, true};
                continue;
            }
        }
        newContent_[i] = {NewNumber(), 0, true};
    }
}

uint64_t DocumentWriter::KeptEntriesBytes(const PageRecord& page)
{
    uint64_t bytes = 0;
    for (uint32_t i = 0; page.keptEntries && i < page.keptEntries->Count(); ++i)
        for (const std::string& token : *page.keptEntries->At(i)->tokens) bytes += token.size() + 1;
    return bytes;
}

int32_t DocumentWriter::NewNumber()
{
    do {
        ++lastObjectNumber_;
    } while (danglingNumbers_.count(lastObjectNumber_));
    return lastObjectNumber_;
}

void DocumentWriter::CollectInsertions()
{
    // A dictionary that several pages share receives each insertion once. A resource
    // dictionary gets a font or XObject dictionary only when it has none at all; an empty one
    // receives the added fonts right after its "<<".
    for (uint32_t i = 0; i < document_.pages.Count(); ++i) {
        const PageRecord& page = *document_.pages.At(i);
        if (!page.hasResources) continue;
        std::string text;
        if (!page.hasFonts) text += "/Font << " + fontRefs_ + " >> ";
        if (!page.hasXObjects) text += "/XObject <<  >> ";
        const int64_t resourcesStart =
            page.resourcesFirstKey >= 0 ? page.resourcesFirstKey : static_cast<int64_t>(page.resourceDictionaryPosition) + 2;
        insertions_.emplace(std::pair{resourcesStart, 0}, text);
        if (page.fontsFirstKey >= 0) {
            insertions_.emplace(std::pair{page.fontsFirstKey, 1}, fontRefs_ + " ");
        } else if (page.hasFonts) {
            insertions_.emplace(std::pair{static_cast<int64_t>(page.fontDictionaryPosition) + 2, 1}, " " + fontRefs_ + " ");
        }
        if (page.xobjectsFirstKey >= 0) insertions_.emplace(std::pair{page.xobjectsFirstKey, 2}, " ");
    }
}

void DocumentWriter::CopyUnchangedObjects()
{
    const auto count = static_cast<int32_t>(document_.XrefTable.size());
    for (int32_t number = 1; number < count; ++number) {
        if (notCopied_.count(number)) continue;
        CopyObject(number);
    }
}

void DocumentWriter::CopyObject(int32_t number)
{
    const XrefEntry& entry = document_.XrefTable[static_cast<size_t>(number)];
    // An entry whose offset does not lead to this object's header cannot be copied; it stays a
    // free number rather than copying bytes of some other place.
    const bool copyable = entry.inUse && document_.ObjectHeaderAt(entry.offset, number);
    xref_.push_back({number, out_.Position(), entry.generation, copyable});
    if (!copyable) return;

    const int64_t start = entry.offset;
    const int64_t bodyStart = document_.fileBuffer.position;  // after "obj"
    bool isStream = false;
    int32_t streamLength = -1;
    const int64_t end = document_.ObjectEnd(start, &isStream, &streamLength);
    if (compact_ && !isStream && entry.generation == 0) {
        const std::string_view file(reinterpret_cast<const char*>(document_.fileBuffer.data),
                                    static_cast<size_t>(document_.fileBuffer.size));
        const bool closed = end - 6 >= bodyStart && file.substr(static_cast<size_t>(end - 6), 6) == "endobj";
        std::string body;
        CopyWithInsertions(bodyStart, closed ? end - 6 : end, [&](std::string_view bytes) { body.append(bytes); });
        Pack(xref_.back(), body);
        return;
    }
    const int64_t copyStart = out_.Position();
    CopyWithInsertions(start, end, [&](std::string_view bytes) { out_.Append(bytes); });
    // An object the input left open is closed, so that the next one does not seem part of it.
    if (!std::string_view(out_.Bytes()).ends_with("endobj")) out_.Append("\rendobj");
    out_.WriteLine("");
    // A copied stream keeps the crypt filter it chooses for itself.
    std::optional<CryptMethod> dataMethod;
    if (encryption_ && isStream) dataMethod = document_.StreamMethod(number, encryption_->Parameters());
    Seal(copyStart, number, entry.generation, streamLength >= 0 ? std::optional<int64_t>(streamLength) : std::nullopt,
         dataMethod);
}

void DocumentWriter::CopyWithInsertions(int64_t from, int64_t to, const std::function<void(std::string_view)>& append)
{
    const auto* data = reinterpret_cast<const char*>(document_.fileBuffer.data);
    int64_t at = from;
    for (auto it = insertions_.lower_bound({from, 0}); it != insertions_.end() && it->first.first < to; ++it) {
        append(std::string_view(data + at, static_cast<size_t>(it->first.first - at)));
        append(it->second);
        at = it->first.first;
    }
    append(std::string_view(data + at, static_cast<size_t>(to - at)));
}

void DocumentWriter::ChooseEncryption()
{
    const PasswordSettings& settings = document_.passwordSettings;
    const auto& encryption = document_.encryption;
    if (settings.mode == PasswordSettings::Mode::Encrypt) {
        encryption_ = std::make_shared<const SecurityHandler>(SecurityHandler::CreateAes256(
            settings.userPassword, settings.ownerPassword, PermissionsDenying(settings.denied)));
        encryptionText_ = EncryptionDictionaryText(encryption_->Parameters());
    } else if (settings.mode == PasswordSettings::Mode::Keep && encryption.handler) {
        encryption_ = encryption.handler;
        encryptionText_ = encryption.dictionaryText;
    }
}

void DocumentWriter::ChooseFileIds()
{
    const PdfDocument& doc = document_;
    // Revisions 2 to 4 derive their keys from the first /ID string: a kept encryption keeps it.
    if (encryption_ && encryption_ == doc.encryption.handler && encryption_->Parameters().revision <= 4) {
        fileIds_ = doc.fileIds;
        fileIds_.resize(2);
        return;
    }
    const bool hadIds = doc.fileIds.size() == 2;
    const bool changed = doc.HasChanges() || doc.passwordSettings.mode != PasswordSettings::Mode::Keep;
    const std::string fresh = NewFileIdentifier(out_.Bytes(), fileName_);
    fileIds_ = {hadIds ? doc.fileIds[0] : fresh, hadIds && !changed ? doc.fileIds[1] : fresh};
}

void DocumentWriter::WriteEncryptionDictionary()
{
    if (!encryption_) return;
    AddXref(encryptionNumber_, 0);
    WriteObjectHeader(encryptionNumber_, 0);
    out_.WriteLine(encryptionText_);
    // Neither encrypted nor packed: a reader needs it before it can read anything else.
    out_.WriteLine("endobj");
}

void DocumentWriter::Seal(int64_t start, int32_t number, int32_t generation, std::optional<int64_t> dataLength,
                          std::optional<CryptMethod> dataMethod)
{
    if (!encryption_) return;
    const SecurityHandler& handler = *encryption_;
    ConvertedObject sealed = ConvertObject(
        std::string_view(out_.Bytes()).substr(static_cast<size_t>(start)), dataLength,
        [&](std::string_view bytes) { return std::optional<std::string>(handler.EncryptString(bytes, number, generation)); },
        [&](std::string_view bytes) {
            return std::optional<std::string>(
                handler.Encrypt(dataMethod.value_or(handler.Parameters().streams), bytes, number, generation));
        });
    out_.Truncate(start);
    out_.Append(sealed.text);
}

void DocumentWriter::WriteAddedFonts()
{
    size_t added = 0;
    for (uint32_t i = 0; i < document_.fonts.Count(); ++i) {
        const FontRecord& font = *document_.fonts.At(i);
        if (!font.addedByUser) continue;
        const int32_t number = fontNumbers_[added++];
        AddXref(number, 0);
        WriteObjectHeader(number, 0);
        out_.WriteLine("<<");
        out_.WriteLine("/Type /Font");
        out_.WriteLine("/Subtype /TrueType");
        out_.WriteLine("/Name " + std::string(font.resourceName.View()));
        out_.WriteLine("/Encoding /WinAnsiEncoding");
        out_.WriteLine("/BaseFont " + std::string(font.baseFontText.View()));
        out_.WriteLine(font.fontDictionaryText.View());
        out_.WriteLine(">>");
        EndObject(xref_.back());
    }
}

void DocumentWriter::WriteInformation()
{
    if (!information_.found) return;
    const InfoFields& info = document_.info;
    informationEntry_ = {information_.objectNumber, out_.Position(), information_.generation, true};
    WriteObjectHeader(information_.objectNumber, information_.generation);
    out_.WriteLine("<<");
    if (document_.InfoEntries) {
        for (uint32_t i = 0; i < document_.InfoEntries->Count(); ++i) {
            const TokenList& tokens = *document_.InfoEntries->At(i)->tokens;
            if (std::find(std::begin(InformationKeys), std::end(InformationKeys), tokens[0]) != std::end(InformationKeys))
                continue;
            out_.WriteLine(JoinTokens(tokens));
        }
    }
    auto text = [](const std::string& field) { return "(" + EscapeLiteralString(InformationStringBytes(field)) + ")"; };
    out_.WriteLine("/Producer " + text(info.producer));
    out_.WriteLine("/Creator " + text(info.creator));
    out_.WriteLine("/Author " + text(info.author));
    out_.WriteLine("/Title " + text(info.title));
    out_.WriteLine("/Subject " + text(info.subject));
    out_.WriteLine("/Keywords " + text(info.keywords));
    const auto created = InformationDateText(info.createdDate, info.createdTime, info.createdPresent, info.createdAsRead);
    if (created) out_.WriteLine("/CreationDate " + text(*created));
    const auto modified =
        InformationDateText(info.modifiedDate, info.modifiedTime, info.modifiedPresent, info.modifiedAsRead);
    if (modified) out_.WriteLine("/ModDate " + text(*modified));
    out_.WriteLine(">>");
    EndObject(informationEntry_);
}

void DocumentWriter::PlanMetadata()
{
    const PdfDocument& doc = document_;
    const bool informationChanged = doc.info.changedByUser;
    if (doc.metadataReference.found) {
        // An unchanged document keeps its packet byte for byte.
        if (!informationChanged) return;
        const auto packet =
            doc.metadataPacket ? UpdatedXmpPacket(*doc.metadataPacket, MetadataValues(doc.info)) : std::nullopt;
        if (!packet) {
            warnings_.push_back("Die XMP-Metadaten konnten nicht auf den neuen Stand gebracht werden; sie bleiben, wie "
                                "sie waren.");
            return;
        }
        metadata_ = doc.metadataReference;
        metadataPacket_ = *packet;
        notCopied_.insert(metadata_.objectNumber);
        return;
    }
    // PDF 2.0 deprecates the information dictionary: its readers look for the packet.
    const bool versionTwo = doc.versionItem == VersionCount - 1;
    if (!versionTwo || !information_.found || doc.catalogDictionaryPosition < 0) return;
    if (appending_ && !informationChanged) return;
    const auto packet = UpdatedXmpPacket("", MetadataValues(doc.info));
    if (!packet) return;
    metadata_ = {NewNumber(), 0, true};
    metadataPacket_ = *packet;
    insertions_.emplace(std::pair{static_cast<int64_t>(doc.catalogDictionaryPosition) + 2, 3},
                        " /Metadata " + std::to_string(metadata_.objectNumber) + " 0 R ");
}

void DocumentWriter::PlanExtensions()
{
    const PdfDocument& doc = document_;
    if (versionItem_ != Aes256VersionItem || !encryption_ || encryption_->Parameters().revision < 5) return;
    // A catalog that names extensions keeps its own; two /Extensions keys would be worse.
    if (doc.catalogHasExtensions || doc.catalogDictionaryPosition < 0) return;
    insertions_.emplace(std::pair{static_cast<int64_t>(doc.catalogDictionaryPosition) + 2, 4},
                        " /Extensions << /ADBE << /BaseVersion /1.7 /ExtensionLevel 8 >> >> ");
}

void DocumentWriter::WriteMetadata()
{
    if (!metadata_.found) return;
    AddXref(metadata_.objectNumber, metadata_.generation);
    WriteObjectHeader(metadata_.objectNumber, metadata_.generation);
    // Uncompressed, so that tools which scan files for packets find it.
    out_.WriteLine("<< /Type /Metadata /Subtype /XML /Length " + std::to_string(metadataPacket_.size()) + " >>");
    out_.WriteLineLF("stream");
    out_.Append(metadataPacket_);
    out_.Append("\n");
    out_.WriteLine("endstream");
    out_.WriteLine("endobj");
    std::optional<CryptMethod> method;
    if (encryption_ && !encryption_->Parameters().encryptMetadata) method = CryptMethod::Identity;
    Seal(objectStart_, metadata_.objectNumber, metadata_.generation, std::nullopt, method);
}

void DocumentWriter::WritePagesRoot()
{
    const ObjectReference& root = document_.pagesRootReference;
    pagesRootEntry_ = {root.objectNumber, out_.Position(), root.generation, true};
    WriteObjectHeader(root.objectNumber, root.generation);
    out_.WriteLine("<<");
    out_.WriteLine("/Type /Pages");
    std::string kids = "/Kids [ ";
    for (const ObjectReference& page : pageObjects_)
        kids += std::to_string(page.objectNumber) + " " + std::to_string(page.generation) + " R ";
    out_.WriteLine(kids + "]");
    out_.WriteLine("/Count " + std::to_string(document_.pages.Count()));
    out_.WriteLine(">>");
    EndObject(pagesRootEntry_);
}

void DocumentWriter::WritePage(uint32_t index)
{
    if (listedAgain_[index]) return;
    PageRecord& page = *document_.pages.At(index);
    if (page.modified) WritePageContent(page, index, newContent_[index]);

    page.newPageOffset = static_cast<uint32_t>(out_.Position());
    const ObjectReference& written = pageObjects_[index];
    AddXref(written.objectNumber, written.generation);
    WriteObjectHeader(written.objectNumber, written.generation);
    out_.WriteLine("<<");
    WritePageDictionary(page);
    // A page without resources still needs the added fonts that its new text selects.
    if (!page.hasResources && !fontRefs_.empty() && !HasKeptEntry(page, "/Resources"))
        out_.WriteLine("/Resources << /Font << " + fontRefs_ + " >> >>");
    const int32_t annotations = NewNumber();
    if (page.modified) {
        const ObjectReference& content = newContent_[index];
        out_.WriteLine("/Contents " + std::to_string(content.objectNumber) + " " + std::to_string(content.generation) + " R");
    }
    // The box as read: rounding would change the page's size and could leave a kept crop box
    // sticking out of it.
    out_.WriteLine("/MediaBox [ " + PdfNumber(page.mediaBox[0]) + " " + PdfNumber(page.mediaBox[1]) + " " +
                   PdfNumber(page.mediaBox[2]) + " " + PdfNumber(page.mediaBox[3]) + " ]");
    out_.WriteLine("/Annots " + std::to_string(annotations) + " 0 R");
    const ObjectReference& root = document_.pagesRootReference;
    out_.WriteLine("/Parent " + std::to_string(root.objectNumber) + " " + std::to_string(root.generation) + " R");
    out_.WriteLine(">>");
    EndObject(xref_.back());
    WriteComments(page, annotations);
}

void DocumentWriter::CompressModifiedPages()
{
    std::vector<std::string_view> contents(document_.pages.Count());
    for (uint32_t i = 0; i < document_.pages.Count(); ++i) {
        const PageRecord& page = *document_.pages.At(i);
        if (page.modified && page.content)
            contents[i] = std::string_view(reinterpret_cast<const char*>(page.content),
                                           static_cast<size_t>(std::max(page.contentLength, 0)));
    }
    compressedContent_ = CompressEach(contents, 9);
}

void DocumentWriter::WritePageContent(PageRecord& page, uint32_t index, const ObjectReference& stream)
{
    page.newContentOffset = static_cast<uint32_t>(out_.Position());
    std::string compressed;
    compressed.swap(compressedContent_[index]);
    AddXref(stream.objectNumber, stream.generation);
    WriteObjectHeader(stream.objectNumber, stream.generation);
    // The length counts the line feed after the data.
    out_.WriteLine("<< /Length " + std::to_string(compressed.size() + 1) + " /Filter /FlateDecode >>");
    out_.WriteLineLF("stream");
    out_.Append(compressed);
    out_.Append("\n");
    out_.WriteLine("endstream");
    out_.WriteLine("endobj");
    Seal(objectStart_, stream.objectNumber, stream.generation);
}

void DocumentWriter::WritePageDictionary(const PageRecord& page)
{
    if (!page.keptEntries) return;
    for (uint32_t i = 0; i < page.keptEntries->Count(); ++i) {
        const TokenList& tokens = *page.keptEntries->At(i)->tokens;
        const std::string& key = tokens[0];
        if (key == "/Parent" || key == "/Annots" || key == "/MediaBox") continue;
        if (key == "/Contents" && page.modified) continue;
        out_.WriteLine(KeptEntryLine(page, tokens));
    }
}

bool DocumentWriter::HasKeptEntry(const PageRecord& page, const char* key)
{
    if (!page.keptEntries) return false;
    for (uint32_t i = 0; i < page.keptEntries->Count(); ++i) {
        if ((*page.keptEntries->At(i)->tokens)[0] == key) return true;
    }
    return false;
}

std::string DocumentWriter::KeptEntryLine(const PageRecord& page, const TokenList& tokens) const
{
    std::string line;
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (i > 0) line += ' ';
        line += tokens[i];
        if (tokens[i] != "<<" || i == 0) continue;
        const std::string& before = tokens[i - 1];
        if (before == "/Resources") {
            if (!page.hasXObjects) line += " /XObject <<  >>";
            if (!page.hasFonts) line += " /Font << " + fontRefs_ + " >>";
        } else if (before == "/Font") {
            line += " " + fontRefs_;
        } else if (before == "/XObject") {
            line += " ";
        }
    }
    return line;
}

std::string DocumentWriter::CommentArrayText(const PageRecord& page) const
{
    // Comments given as dictionaries in the input's array stay there as they were written.
    const std::string_view file(reinterpret_cast<const char*>(document_.fileBuffer.data),
                                static_cast<size_t>(document_.fileBuffer.size));
    std::string array = "[ ";
    for (uint32_t i = 0; i < page.comments->Count(); ++i) {
        const AnnotationRecord& comment = *page.comments->At(i);
        if (comment.directStart > 0) {
            array += file.substr(static_cast<size_t>(comment.directStart),
                                 static_cast<size_t>(comment.directEnd - comment.directStart));
            array += ' ';
        } else {
            array += std::to_string(comment.objectNumber) + " " + std::to_string(comment.generation) + " R ";
        }
    }
    return array + "]";
}

void DocumentWriter::WriteComments(const PageRecord& page, int32_t arrayNumber)
{
    AddXref(arrayNumber, 0);
    WriteObjectHeader(arrayNumber, 0);
    out_.WriteLine(CommentArrayText(page));
    EndObject(xref_.back());

    const double top = page.mediaBox[3];
    for (uint32_t i = 0; i < page.comments->Count(); ++i) {
        const AnnotationRecord& comment = *page.comments->At(i);
        if (comment.kind == AnnotOther || comment.directStart > 0) continue;
        if (!writtenComments_.insert(comment.objectNumber).second) continue;
        WriteObjectHeader(comment.objectNumber, comment.generation);
        out_.WriteLine("<<");
        out_.WriteLine("/Type /Annot");
        const bool known = comment.icon >= 0 && comment.icon < AnnotationIconCount;
        const std::string name = known ? std::string("/Name ") + AnnotationIconNames[comment.icon] : "";
        if (comment.icon < 7 && comment.freeText) {
            out_.WriteLine("/Subtype /FreeText");
            out_.WriteLine("/DA ()");
            out_.WriteLine("/Border [0 0 0]");
        } else if (comment.icon < 7) {
            out_.WriteLine("/Subtype /Text");
            if (known) out_.WriteLine(name);
            out_.WriteLine(comment.open ? "/Open true" : "/Open false");
        } else {
            out_.WriteLine("/Subtype /Stamp");
            if (known) out_.WriteLine(name);
        }
        out_.WriteLine("/Rect [ " + Rounded(comment.left * 72) + " " + Rounded(top - comment.top * 72) + " " +
                       Rounded(comment.right * 72) + " " + Rounded(top - comment.bottom * 72) + " ]");
        out_.WriteLine("/Contents (" + EscapeLiteralString(comment.text.View()) + ")");
        out_.WriteLine("/T (" + EscapeLiteralString(comment.title.View()) + ")");
        out_.WriteLine(">>");
        out_.WriteLine("endobj");
        Seal(objectStart_, comment.objectNumber, comment.generation);
    }
}

std::vector<DocumentWriter::XrefOutEntry> DocumentWriter::TableRows()
{
    xref_.push_back({0, 0, 65535, false});
    xref_.push_back(pagesRootEntry_);
    if (informationEntry_.inUse) xref_.push_back(informationEntry_);
    std::stable_sort(xref_.begin(), xref_.end(),
                     [](const XrefOutEntry& a, const XrefOutEntry& b) { return a.objectNumber < b.objectNumber; });

    std::vector<XrefOutEntry> table;
    table.reserve(xref_.size());
    for (const XrefOutEntry& entry : xref_) {
        if (!table.empty() && entry.objectNumber <= table.back().objectNumber) continue;  // never twice
        while (!table.empty() && table.back().objectNumber + 1 < entry.objectNumber)
            table.push_back({table.back().objectNumber + 1, 0, 65535, false});
        table.push_back(entry);
    }
    // Each free entry names the next free one; the last names 0.
    int32_t nextFree = 0;
    for (auto it = table.rbegin(); it != table.rend(); ++it) {
        if (it->inUse) continue;
        it->offset = nextFree;
        nextFree = it->objectNumber;
    }
    return table;
}

std::vector<std::string> DocumentWriter::TrailerReferences() const
{
    std::vector<std::string> lines;
    auto reference = [](const char* key, int32_t number, int32_t generation) {
        return std::string(key) + " " + std::to_string(number) + " " + std::to_string(generation) + " R";
    };
    if (informationEntry_.inUse) lines.push_back(reference("/Info", information_.objectNumber, information_.generation));
    if (document_.rootReference.found)
        lines.push_back(reference("/Root", document_.rootReference.objectNumber, document_.rootReference.generation));
    if (encryption_) lines.push_back(reference("/Encrypt", encryptionNumber_, 0));
    lines.push_back(FileIdentifierEntry(fileIds_[0], fileIds_[1]));
    return lines;
}

void DocumentWriter::WriteCrossReferenceTable()
{
    const std::vector<XrefOutEntry> table = TableRows();
    xrefPosition_ = out_.Position();
    out_.WriteLine("xref");
    out_.WriteLine("0 " + std::to_string(table.size()));
    for (const XrefOutEntry& entry : table) {
        out_.WriteLineCRLF(ZeroPad(std::to_string(entry.offset), 10) + " " + ZeroPad(std::to_string(entry.generation), 5) +
                           (entry.inUse ? " n" : " f"));
    }
    out_.WriteLine("trailer");
    out_.WriteLine("<<");
    out_.WriteLine("/Size " + std::to_string(table.size()));
    for (const std::string& line : TrailerReferences()) out_.WriteLine(line);
    out_.WriteLine(">>");
    WriteStartXref();
}

void DocumentWriter::WriteCrossReferenceStream()
{
    FlushObjectStream();
    const int32_t number = NewNumber();
    xrefPosition_ = out_.Position();
    AddXref(number, 0);
    std::vector<CompactXrefEntry> rows;
    for (const XrefOutEntry& entry : TableRows()) {
        if (!entry.inUse) {
            rows.push_back({0, entry.offset, entry.generation});
        } else if (entry.container != 0) {
            rows.push_back({2, entry.container, entry.offset});
        } else {
            rows.push_back({1, entry.offset, entry.generation});
        }
    }
    out_.Append(CrossReferenceStreamText(number, rows, TrailerReferences()));
    WriteStartXref();
}

void DocumentWriter::WriteStartXref()
{
    out_.WriteLine("startxref");
    out_.WriteLine(std::to_string(xrefPosition_));
    out_.WriteLine("%%EOF");
}

}  // namespace folivo
