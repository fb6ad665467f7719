// The document's life cycle: reading a file from start to end, and releasing what it holds.
#include "document/PdfDocument.h"

#include <climits>
#include <ctime>
#include <algorithm>
#include <fstream>

#include "pdfwrite/InformationFields.h"

namespace folivo {

namespace {

// The whole file, or nothing when it cannot be read or is too large for 32-bit positions.
bool LoadFile(const std::string& path, std::unique_ptr<uint8_t[]>& bytes, int32_t& size)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return false;
    const std::streamoff length = file.tellg();
    if (length < 0 || length >= INT32_MAX) return false;
    bytes.reset(new uint8_t[static_cast<size_t>(length) + 1]);
    size = static_cast<int32_t>(length);
    file.seekg(0);
    return length == 0 || static_cast<bool>(file.read(reinterpret_cast<char*>(bytes.get()), length));
}

}  // namespace

PdfDocument::PdfDocument(UserInterfacePort& ui) : DictEntryList(NewEntryList()), ui_(ui) {}

PdfDocument::~PdfDocument()
{
    DiscardDocument();
    fileBuffer = {};
}

void PdfDocument::openfilenow(const std::string& path)
{
    if (readingInProgress) return;
    std::unique_ptr<uint8_t[]> bytes;
    int32_t size = 0;
    const bool loaded = LoadFile(path, bytes, size);
    // Cancelling the password question leaves the document that was open.
    if (loaded && !AcceptPassword(bytes.get(), size, path)) return;
    BeginReading();
    if (!loaded) {
        ShowError("Konnte die Datei " + path + " nicht öffnen.");
        FinishReading();
        return;
    }
    ReadDocument(std::move(bytes), size);
}

void PdfDocument::OpenBytes(std::vector<uint8_t> bytes, const std::string& path)
{
    if (readingInProgress) return;
    if (bytes.size() < INT32_MAX && !AcceptPassword(bytes.data(), static_cast<int32_t>(bytes.size()), path)) return;
    BeginReading();
    if (bytes.size() >= INT32_MAX) {
        ShowError("Konnte die Datei " + path + " nicht öffnen.");
        FinishReading();
        return;
    }
    auto copy = std::make_unique<uint8_t[]>(bytes.size() + 1);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    ReadDocument(std::move(copy), static_cast<int32_t>(bytes.size()));
}

void PdfDocument::BeginReading()
{
    ui_.ShowProgressWindow();
    ui_.SetProgressLabel("");
    readingInProgress = true;
    documentRead = false;
    ui_.ClearCancelRequest();
    DiscardDocument();
    info = InfoFields{};
    SetToNow(info.createdDate, info.createdTime);
    SetToNow(info.modifiedDate, info.modifiedTime);
    defaultMediaBoxFound = false;
    inheritedAttributes_.clear();
    DictEntryList = NewEntryList();
    rootReference = {};
    infoReference = {};
    pagesRootReference = {};
    encrypted = false;
    encryption = Encryption{};
    encryptionSource_ = {};
    encryptionTextStart_ = 0;
    fileIds.clear();
    inputSize = 0;
    lastSectionOffset = -1;
    lastSectionIsStream = false;
    trailerSize = 0;
    repaired = false;
    catalogDictionaryPosition = -1;
    catalogHasExtensions = false;
    metadataReference = {};
    metadataPacket.reset();
    signatures.clear();
    appendChanges = false;
    refused_ = false;
    invalid = false;
    XrefTable.clear();
    structuralObjects_.clear();
    repairedObjectStreams_.clear();
    formContents_.clear();
    textFonts_.clear();
    cmaps_.clear();
    cmapEntries_ = 0;
    jbig2Globals_ = {0, nullptr};
    cmapsCut_ = false;
}

void PdfDocument::ReadDocument(std::unique_ptr<uint8_t[]> bytes, int32_t size)
{
    documentRead = true;
    fileBytes_ = std::move(bytes);
    fileBuffer = {fileBytes_.get(), size, 0};
    inputSize = size;

    ReadVersion();
    ReadFileStructure();
    if (refused_) {
        invalid = true;
        FinishReading();
        return;
    }
    if (infoReference.found) ReadDocumentInformation();
    if (rootReference.found && objects.InUse(rootReference.objectNumber)) {
        ReadMetadata();
        ReadSignatureFields();
    }
    if (rootReference.found && !invalid && GotoObject(rootReference.objectNumber)) {
        ReadPageStructure();
    } else {
        invalid = true;
    }
    FinishReading();
}

void PdfDocument::ReadPageStructure()
{
    ReadCatalogAndPagesRoot();
    if (!pagesRootReference.found) {
        invalid = true;
        return;
    }
    WalkPageTree();
    ui_.AddMemoLine(std::to_string(pages.Count()) + " Seiten gefunden...");
    ReadPageDictionaries();
    ReadResourceDictionaries();
    ReadFontList();
    ui_.AddMemoLine(std::to_string(fonts.Count()) + " Schriftarten gefunden...");
    ReadFontDictionaries();
    ReadFontDescriptors();
    ReadEncodingDictionaries();
    ReadPictureList();
    ReadPictureDictionaries();
    DecodePictures();
    ReadPages();
    ui_.SetProStatus(0);
}

void PdfDocument::ReadPages()
{
    const uint32_t pageCount = pages.Count();
    pages.First();
    while (pages.FetchNext()) {
        if (ui_.CancelRequested()) break;
        const int32_t pageNumber = pages.CurrentIndex();
        ui_.SetProgressLabel("Lese Seite " + std::to_string(pageNumber) + "...");
        ui_.ProcessMessages();
        // The message loop may have run anything; position on the page again.
        pages.Select(pageNumber - 1);
        pages.SetCurrentIndex(pageNumber);
        ui_.SetProStatus(static_cast<int>(static_cast<int64_t>(pageNumber) * 100 / pageCount));
        ReadPageComments();
        ReadPageContent(pageNumber);
    }
}

void PdfDocument::FinishReading()
{
    if (invalid && !refused_) ShowError("Dies ist keine gültige PDF-Datei.");
    password.clear();
    ReleaseDictionary();
    currentPageNumber = 1;
    documentModified = false;
    ui_.ReadingFinished(static_cast<int>(pages.Count()));
    ui_.CloseProgressWindow();
    readingInProgress = false;
}

bool PdfDocument::ChangesAllowed() const
{
    if (!encryption.handler || encryption.access == Access::Owner) return true;
    return (encryption.handler->Parameters().permissions & PermitModify) != 0;
}

bool PdfDocument::EncryptionChangeAllowed() const
{
    return !encryption.handler || encryption.access == Access::Owner ||
           (encryption.openedWithEmptyPassword && ChangesAllowed());
}

bool PdfDocument::HasChanges() const
{
    if (info.changedByUser || documentModified) return true;
    for (uint32_t i = 0; i < pages.Count(); ++i) {
        if (pages.At(i)->modified) return true;
    }
    return false;
}

void PdfDocument::ShowError(const std::string& text) { ui_.ShowMessage(text, ApplicationTitle, MessageIcon::Error); }

void PdfDocument::DiscardDocument()
{
    DiscardAllItems(PageItemList, StagingItemList, pageItemRanges);
    formContents_.clear();
    textFonts_.clear();
    cmaps_.clear();
    jbig2Globals_ = {0, nullptr};
    for (uint32_t i = 0; i < pictures.Count(); ++i) {
        ImageObject& picture = *pictures.At(i);
        ReleaseText(picture.name);
        deldib(picture.image);
        deldib(picture.mask);
        delete picture.filterNames;
    }
    pictures.Clear();
    for (uint32_t i = 0; i < inlinePictures.Count(); ++i) {
        deldib(inlinePictures.At(i)->image);
        deldib(inlinePictures.At(i)->mask);
    }
    inlinePictures.Clear();
    inlineIndex_.clear();
    objectPictures_.clear();
    undecodedPictures_.clear();
    shadingColours_.clear();
    shadings_.clear();
    shadingMeshParts_ = 0;
    inlinePixelBytes_ = 0;

    for (uint32_t i = 0; i < fonts.Count(); ++i) {
        FontRecord& font = *fonts.At(i);
        ReleaseText(font.resourceName);
        ReleaseText(font.baseFontText);
        ReleaseText(font.fontDictionaryText);
        ReleaseText(font.charSetText);
    }
    fonts.Clear();

    for (uint32_t i = 0; i < pages.Count(); ++i) ReleasePage(*pages.At(i));
    pages.Clear();

    if (InfoEntries) {
        ReleaseEntries(*InfoEntries);
        delete InfoEntries;
        InfoEntries = nullptr;
    }
    if (DictEntryList) ReleaseDictionary();
    XrefTable.clear();
    XrefTable.shrink_to_fit();
}

void PdfDocument::ReleasePage(PageRecord& page)
{
    delete page.contentStreams;
    if (page.comments) {
        for (uint32_t k = 0; k < page.comments->Count(); ++k) {
            ReleaseText(page.comments->At(k)->title);
            ReleaseText(page.comments->At(k)->text);
        }
        delete page.comments;
    }
    delete[] page.content;
    if (page.keptEntries && !page.keptEntriesShared) {
        ReleaseEntries(*page.keptEntries);
        delete page.keptEntries;
    }
    delete page.filterNames;
    page = PageRecord{};
}

}  // namespace folivo
