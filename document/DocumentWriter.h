// Writing the open document as a complete new PDF file: unchanged objects copied byte for byte,
// everything the writer owns written anew, a fresh cross-reference table. From version 1.5 on
// the objects that are not streams go into object streams and the table becomes a stream.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/ResourceLimits.h"
#include "document/PdfDocument.h"
#include "pdfwrite/CompactStructure.h"
#include "pdfwrite/PdfOutput.h"

namespace folivo {

class DocumentWriter {
public:
    // fileName: the name the file is saved under, part of its identifier.
    DocumentWriter(PdfDocument& document, std::string fileName = {});

    // The bytes of the new file: complete, or the input with the changes appended when the
    // document says so.
    std::string Write();
    // What the save could not do as asked, for the user (German).
    const std::vector<std::string>& Warnings() const { return warnings_; }

private:
    struct XrefOutEntry {
        int32_t objectNumber;
        int64_t offset;
        int32_t generation;
        bool inUse;
        // The object stream holding the object (offset is then its index there); 0 for none.
        int32_t container = 0;
    };

    // The encryption the new file gets: the document's own, new, or none.
    void ChooseEncryption();
    void WriteEncryptionDictionary();
    // Encrypts the strings and stream data of the object written from `start` on, under its
    // number and generation; dataLength: its stream data's length when /Length does not say;
    // dataMethod: how its data is encrypted when not by /StmF.
    void Seal(int64_t start, int32_t number, int32_t generation, std::optional<int64_t> dataLength = std::nullopt,
              std::optional<CryptMethod> dataMethod = std::nullopt);
    void WriteHeader();
    void PlanNumbers();
    // The next number for a new object.
    int32_t NewNumber();
    void CopyUnchangedObjects();
    void CopyObject(int32_t number);
    // Appends the input's bytes [from, to) with the insertions that fall among them.
    void CopyWithInsertions(int64_t from, int64_t to, const std::function<void(std::string_view)>& append);
    void CollectInsertions();
    // Before 2.0 an AES-256 file names the extension level it needs in its catalog.
    void PlanExtensions();
    void WriteAddedFonts();
    void WriteInformation();
    // The XMP packet in step with the information: decided before anything is copied, since
    // its stream replaces the input's (or, new, joins the catalog).
    void PlanMetadata();
    void WriteMetadata();
    // The trailer's /ID: the first element as read, the second new when the document changed;
    // both as read when a kept encryption derives its key from them.
    void ChooseFileIds();
    void WritePagesRoot();
    void WritePage(uint32_t index);
    // The new content of every modified page, compressed at once; by page index.
    void CompressModifiedPages();
    void WritePageContent(PageRecord& page, uint32_t index, const ObjectReference& stream);
    void WritePageDictionary(const PageRecord& page);
    static bool HasKeptEntry(const PageRecord& page, const char* key);
    std::string KeptEntryLine(const PageRecord& page, const TokenList& tokens) const;
    void WriteComments(const PageRecord& page, int32_t arrayNumber);
    // "[ ... ]" with the page's comments: references, or dictionaries as the input wrote them.
    std::string CommentArrayText(const PageRecord& page) const;
    // One entry per number from 0 up, free where nothing was written.
    std::vector<XrefOutEntry> TableRows();
    void WriteCrossReferenceTable();
    void WriteCrossReferenceStream();
    // "/Info ..." and "/Root ..." as the trailer names them.
    std::vector<std::string> TrailerReferences() const;
    void WriteStartXref();
    void WriteObjectHeader(int32_t number, int32_t generation);
    // Writes "endobj". In the compact layout an object of generation 0 moves from the output
    // into the pending object stream, and its entry follows it there.
    void EndObject(XrefOutEntry& entry);
    void Pack(XrefOutEntry& entry, std::string_view body);
    void FlushObjectStream();
    void AddXref(int32_t number, int32_t generation) { xref_.push_back({number, out_.Position(), generation, true}); }

    // Saving by appending (an incremental update).
    std::string WriteAppended();
    // The input's objects that receive insertions (added fonts, the metadata reference).
    std::vector<int32_t> ObjectsWithInsertions();
    void WriteAppendedPage(uint32_t index);
    // A cross-reference section of the input's last kind, over the objects written, with the
    // trailer that extends the input's.
    void WriteAppendedSection();
    std::vector<std::string> AppendedTrailerLines(int32_t size) const;

    PdfDocument& document_;
    std::string fileName_;
    PdfOutput out_;
    bool appending_ = false;
    std::vector<std::string> warnings_;
    // The metadata stream written, and its packet.
    ObjectReference metadata_;
    std::string metadataPacket_;
    int32_t lastObjectNumber_ = 0;
    // Numbers the document refers to that lie beyond the input's table; new objects skip them.
    std::unordered_set<int32_t> danglingNumbers_;
    std::vector<int32_t> fontNumbers_;
    std::string fontRefs_;
    std::vector<XrefOutEntry> xref_;
    // Objects that the writer writes itself or drops, so they are not copied.
    std::unordered_set<int32_t> notCopied_;
    // The content stream each modified page gets; by page index.
    std::vector<ObjectReference> newContent_;
    // The object each page is written as, by page index: its own, or for a page object the
    // tree lists again a new one (a page has one /Parent), sharing contents and resources.
    std::vector<ObjectReference> pageObjects_;
    // Pages whose object the tree lists once more instead of a copy of its own.
    std::vector<bool> listedAgain_;
    static uint64_t KeptEntriesBytes(const PageRecord& page);
    // Comment objects written so far: pages listed again share them and write them once.
    std::unordered_set<int32_t> writtenComments_;
    std::vector<std::string> compressedContent_;
    // Texts inserted in front of input positions while copying, by position and kind.
    std::map<std::pair<int64_t, int>, std::string> insertions_;
    ObjectReference information_;
    XrefOutEntry pagesRootEntry_{};
    XrefOutEntry informationEntry_{};
    int64_t xrefPosition_ = 0;
    // Where the object written last begins, and its value after the "N G obj" line.
    int64_t objectStart_ = 0;
    int64_t bodyStart_ = 0;
    // The version written: the chosen one, raised for AES-256.
    int versionItem_ = DefaultVersionItem;
    // Object streams and a cross-reference stream (version 1.5 and later).
    bool compact_ = false;
    ObjectStreamBuilder pending_;
    int32_t pendingNumber_ = 0;
    // Encryption of the new file.
    std::shared_ptr<const SecurityHandler> encryption_;
    std::string encryptionText_;
    int32_t encryptionNumber_ = 0;
    std::vector<std::string> fileIds_;
};

}  // namespace folivo
