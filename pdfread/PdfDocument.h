// The open document and its operations. It owns the file buffer, the cross-reference table and
// every list; the window and the command-line tool each own one and forward to it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/DynaArray.h"
#include "core/UserInterfacePort.h"
#include "pdfread/DocumentModel.h"

namespace folivo {

struct ObjectReference {
    int32_t objectNumber = 0;
    int32_t generation = 0;
    bool found = false;
};

class PdfDocument {
public:
    explicit PdfDocument(UserInterfacePort& ui);
    ~PdfDocument();
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    // Reads the file at path into the document, discarding the previous one first. Does
    // nothing while a reading is in progress.
    void openfilenow(const std::string& path);
    // The same reading for bytes already in memory; path names them in messages.
    void OpenBytes(std::vector<uint8_t> bytes, const std::string& path);

    // Folder for temporary files, ending in a separator.
    std::string programFolder;
    // Values kept in controls by the window: the version box item, "Bilder einlesen", the
    // information fields, the current page box value.
    int versionItem = DefaultVersionItem;
    bool readImages = true;
    InfoFields info;
    int currentPageNumber = 1;

    bool readingInProgress = false;
    bool documentModified = false;

    // Document state.
    FileBuffer fileBuffer;
    std::vector<XrefEntry> XrefTable;
    bool invalid = false;
    bool encrypted = false;
    ObjectReference rootReference;
    ObjectReference infoReference;
    ObjectReference pagesRootReference;
    double defaultMediaBox[4] = {0, 0, 595, 842};
    bool defaultMediaBoxFound = false;
    TDynaArray<DictEntry>* InfoEntries = nullptr;

    // Cursor variables of the lists.
    DictEntry* currentEntry = nullptr;
    PageRecord* currentPage = nullptr;
    ImageObject* currentPicture = nullptr;
    FontRecord* currentFont = nullptr;
    ContentStreamRef* currentStream = nullptr;
    AnnotationRecord* currentComment = nullptr;
    DictEntry* currentKeptEntry = nullptr;

    TDynaArray<PageRecord> pages{&currentPage};
    TDynaArray<ImageObject> pictures{&currentPicture};
    TDynaArray<FontRecord> fonts{&currentFont};
    // The entries of the dictionary parsed last.
    std::unique_ptr<TDynaArray<DictEntry>> DictEntryList;

    // Reader services over the file buffer and the cross-reference table.
    bool GotoObject(int32_t number);
    void ParseDictionary();
    void ReleaseDictionary();
    bool MatchText(std::string_view text);
    std::string ReadBytes(int32_t count);

    // Frees everything the document holds; the lists stay, empty.
    void DiscardDocument();

private:
    void ReadFileStructure(const std::string& path);
    bool FindStartXref(int32_t& sectionOffset);
    void ReadCrossReferenceSections(int32_t sectionOffset);
    bool ReadCrossReferenceSection(int32_t sectionOffset, int32_t& prevOffset);
    void ReadTrailer(int32_t& prevOffset);
    void ReadDocumentInformation();
    void ReadCatalogAndPagesRoot();
    void WalkPageTree();
    bool ReadKids(std::vector<ObjectReference>& kids);
    void ReadPageDictionaries();
    void ReadPageDictionary(const std::vector<TokenList>& inheritedFromRoot);
    void ReadResourceDictionaries();
    void ReadFontList();
    void ReadFontDictionaries();
    void ReadFontDescriptors();
    void ReadEncodingDictionaries();
    void ReadPageComments();
    void ReadComment(double pageTop);
    void ReadPages();
    void FinishReading();

    // Position of the value of an entry: the entry's value position for an inline value,
    // otherwise the position after the header of the referenced object. Empty when the
    // referenced object cannot be reached. The read position is kept.
    std::optional<int32_t> LocateValue(const DictEntry& entry);
    // The elements of an array, inline (tokens from index 1) or referenced, read in threes:
    // (number, generation, R). Keeps the read position.
    void AppendDictionaryTakeover(TDynaArray<DictEntry>*& target);
    std::unique_ptr<TDynaArray<DictEntry>> NewEntryList();

    UserInterfacePort& ui_;
    std::vector<uint8_t> fileBytes_;
};

}  // namespace folivo
