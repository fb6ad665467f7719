// The open document and its operations. It owns the file buffer, the cross-reference table and
// every list; the window and the command-line tool each own one and forward to it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "content/ContentInterpreter.h"
#include "content/DrawingInterpreter.h"
#include "content/OutputDevice.h"
#include "content/MeasuringCanvas.h"
#include "content/PageItems.h"
#include "core/PictureCodecs.h"
#include "core/PictureSamples.h"
#include "core/DynaArray.h"
#include "core/ResourceLimits.h"
#include "core/UserInterfacePort.h"
#include "document/ObjectReader.h"
#include "edit/AddTextSettings.h"
#include "model/DocumentModel.h"
#include "model/XmpMetadata.h"
#include "pdfwrite/OutlineFontMetrics.h"
#include "syntax/FilterChain.h"
#include "syntax/SecurityHandler.h"

namespace folivo {

constexpr int32_t AnnotationIconCount = 21;
// The icon and stamp names of comments, by icon number.
extern const char* const AnnotationIconNames[AnnotationIconCount];

// Where a comment's appearance form lands on the page: its box, as its matrix turns it, fitted
// onto the comment's rectangle; none for a box or rectangle without area.
std::optional<Matrix> AppearancePlacement(const FormContent& form, const AnnotationRecord& comment, double pageTop);

// How a shading's function outputs become a colour: by the component count of its space, or as
// tints. With `tintAt`, a separation's tint goes through its tint transform (space[tintAt]) into
// the alternate space of `components`.
struct ShadingSpace {
    TokenList space;
    size_t components = 0;
    bool subtractive = false;
    size_t tintAt = 0;
};

// The colour of a shading's values in its space (grey for values that cannot be taken).
uint32_t ColourOfShadingValues(const ShadingSpace& space, const std::vector<double>& values);

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

    // The password to open the next file with (UTF-8); without one the empty password is tried
    // and the user is asked when a port can ask. The reading clears it.
    std::string password;

    // Folder for temporary files, ending in a separator.
    std::string temporaryFolder;
    // The page view's canvas with the display font; the interpreter measures text with it.
    MeasuringCanvas* canvas = nullptr;
    // Values kept in controls by the window: the version box item, "Bilder einlesen", the
    // information fields, the current page box value.
    int versionItem = DefaultVersionItem;
    bool readImages = true;
    // Reading and adding text turn a page's content into its items. A batch save never shows
    // or lists them and keeps no items at all.
    bool interpretPages = true;
    InfoFields info;
    int currentPageNumber = 1;

    bool readingInProgress = false;
    // The last reading got the file's bytes (it could be opened).
    bool documentRead = false;
    bool documentModified = false;

    // Document state.
    FileBuffer fileBuffer;
    std::vector<XrefEntry> XrefTable;
    // Objects read by number, without moving the read position.
    const ObjectReader objects{fileBuffer, XrefTable};
    bool invalid = false;
    bool encrypted = false;
    ObjectReference rootReference;
    ObjectReference infoReference;
    ObjectReference pagesRootReference;
    double defaultMediaBox[4] = {0, 0, 595, 842};
    bool defaultMediaBoxFound = false;
    TDynaArray<DictEntry>* InfoEntries = nullptr;
    // The trailer's /ID strings as read (none or two).
    std::vector<std::string> fileIds;
    // The file as read: its size before the reader joined plain copies of objects behind it,
    // its newest cross-reference section (where it starts, whether it is a stream), the
    // largest /Size of its trailers, and whether its table had to be rebuilt from the objects.
    int32_t inputSize = 0;
    int32_t lastSectionOffset = -1;
    bool lastSectionIsStream = false;
    int32_t trailerSize = 0;
    bool repaired = false;
    // Where the catalog's dictionary begins (its "<<"); -1 when unknown.
    int32_t catalogDictionaryPosition = -1;
    // The catalog names extensions of the version (/Extensions).
    bool catalogHasExtensions = false;
    // The catalog's /Metadata stream and its packet, decoded; no packet when the stream
    // cannot be decoded.
    ObjectReference metadataReference;
    std::optional<std::string> metadataPacket;
    // The signature fields that hold a signature, in the order of the form's field tree.
    std::vector<SignatureField> signatures;

    // How the data of stream object `number` is encrypted under `parameters`: by the crypt filter
    // that a /Crypt filter of its own names, not at all for metadata when /EncryptMetadata is
    // false, by /EFF for embedded files, else by /StmF.
    CryptMethod StreamMethod(int32_t number, const EncryptionParameters& parameters);

    // An encrypted document as opened: its handler, how it was opened, and what saving it with
    // the same protection keeps.
    struct Encryption {
        std::shared_ptr<const SecurityHandler> handler;
        Access access = Access::Owner;
        bool openedWithEmptyPassword = true;
        // The /Encrypt dictionary as the file wrote it, and its object number (0: given inline).
        std::string dictionaryText;
        int32_t objectNumber = 0;
    };
    Encryption encryption;
    // The protection the next save writes.
    PasswordSettings passwordSettings;
    // The author's permissions allow saving changes: an unencrypted document, the owner
    // password, or permission bit 4.
    bool ChangesAllowed() const;
    // The protection may be changed or removed: the owner password, or a document that opens
    // with the empty password and allows changes.
    bool EncryptionChangeAllowed() const;
    // Something a save would write differently from what was read: information, added text,
    // the document protection.
    bool HasChanges() const;

    // Cursor variables of the lists.
    DictEntry* currentEntry = nullptr;
    PageRecord* currentPage = nullptr;
    ImageObject* currentPicture = nullptr;
    FontRecord* currentFont = nullptr;
    ContentStreamRef* currentStream = nullptr;
    PageItem* currentPageItem = nullptr;
    PageItem* currentStagingItem = nullptr;
    AnnotationRecord* currentComment = nullptr;
    DictEntry* currentKeptEntry = nullptr;

    TDynaArray<PageRecord> pages{&currentPage};
    TDynaArray<ImageObject> pictures{&currentPicture};
    // Pictures written into page content (BI ... ID ... EI), decoded once each per reading; page
    // items marked inline refer to them.
    TDynaArray<ImageObject> inlinePictures{nullptr};
    TDynaArray<FontRecord> fonts{&currentFont};
    // The items of every page interpreted so far, and those of the running interpreter.
    TDynaArray<PageItem> PageItemList{&currentPageItem};
    TDynaArray<PageItem> StagingItemList{&currentStagingItem};
    PageItemRanges pageItemRanges;
    // The entries of the dictionary parsed last.
    std::unique_ptr<TDynaArray<DictEntry>> DictEntryList;

    // Reader services over the file buffer and the cross-reference table.
    bool GotoObject(int32_t number);
    void ParseDictionary();
    void ReleaseDictionary();
    bool MatchText(std::string_view text);
    std::string ReadBytes(int32_t count);

    // Draws page n as printed: its content and its comments' appearances, told to the device in
    // the page's default space.
    void DrawPage(uint32_t pageNumber, OutputDevice& device);
    // A smooth shading as the painter draws it. Axial and radial shadings keep their geometry
    // and their colours at evenly spaced points from the start to the end; the other types are
    // shown in one colour over their area.
    struct Shading {
        int type = 0;
        // Axial: x0 y0 x1 y1; radial: x0 y0 r0 x1 y1 r1.
        double coords[6] = {};
        bool extendStart = false, extendEnd = false;
        // Colours as ColourOf packs them: one, or the gradient's (at least two).
        std::vector<uint32_t> colours;
        std::optional<std::array<double, 4>> box;
        std::optional<uint32_t> background;
        // Meshes: their triangles and patches cut into flat parts (3 or 4 points each).
        struct MeshPart {
            std::array<double, 8> points{};
            int count = 0;
            uint32_t colour = 0;
        };
        std::vector<MeshPart> mesh;
    };
    // The shading object `number`, read once per document; null when it cannot be drawn.
    std::shared_ptr<const Shading> ShadingNumbered(int32_t number);
    // A pattern object as the painter fills with it: a tiling pattern's cell (its content, /Matrix,
    // /BBox, steps, whether it is coloured) or a shading pattern's shading.
    struct Pattern {
        int type = 0;  // 1 tiling, 2 shading
        FormContent cell;
        double xStep = 0, yStep = 0;
        bool uncoloured = false;  // /PaintType 2: the cell's shapes in the colour of the fill
        std::shared_ptr<const Shading> shading;
    };
    std::optional<Pattern> ReadPattern(int32_t number);
    // Where the comment's dictionary starts: inside /Annots, or its object; none when it is missing.
    std::optional<int32_t> CommentPosition(const AnnotationRecord& comment) const;
    // How opaque a comment is drawn: its /CA; 0 when its flags hide it.
    double CommentOpacity(const AnnotationRecord& comment);
    // The soft mask an ExtGState dictionary sets: none when it sets none or names no group.
    std::optional<DeviceSoftMask> SoftMaskOf(const TokenList& state);
    // Runs a soft mask's group (a form object) for page n into the device with `ctm`.
    void DrawSoftMaskGroup(uint32_t pageNumber, int32_t group, const Matrix& ctm, OutputDevice& device);
    // Runs a tiling pattern's cell (or any form) for page n into the device with `ctm`.
    void DrawCell(uint32_t pageNumber, const FormContent& cell, const Matrix& ctm, OutputDevice& device);
    // The one colour a shading object is shown in, read once per reading; none when it cannot
    // be evaluated.
    std::optional<uint32_t> ShadingColour(int32_t number);

    // Turns a page's decoded content into its page items (replacing the page's old items).
    void InterPretPage(const uint8_t* content, int32_t length, bool processMessages, uint32_t pageNumber);

    // The number of items of each page, by page index.
    std::vector<uint32_t> ItemCountsByPage() const;

    // The object `number` begins at `offset` with its header "number G obj".
    bool ObjectHeaderAt(int64_t offset, int32_t number);
    // End (exclusive) of the object that starts at `start`: after its "endobj", or where its
    // value ends when no "endobj" follows it. A stream's data is stepped over by its /Length
    // (given in streamLength, -1 when unknown), else it runs to the first "endstream"; "endobj"
    // bytes inside it do not end the object.
    int64_t ObjectEnd(int64_t start, bool* isStream = nullptr, int32_t* streamLength = nullptr);

    // The catalog names a pages root that the file holds: what was read can be saved.
    bool HasPagesRoot() const { return pagesRootReference.found && objects.InUse(pagesRootReference.objectNumber); }

    // Writes the document as a complete new PDF file at path, with the version item and the
    // information fields. Never leaves a half-written file there: a failure shows a message
    // and keeps whatever the path held. Returns whether the file was written.
    bool SavePDFNew(const std::string& path);
    // Saving by appending: the input's bytes unchanged, then the changed and new objects and a
    // cross-reference section that extends the input's, so that signatures stay valid. The
    // version and the password protection stay as read.
    bool appendChanges = false;
    // Why the document cannot be saved by appending (German); empty when it can, or when it is
    // saved as a new file.
    std::string AppendRefusal() const;
    static constexpr const char* SignaturesBrokenWarning =
        "Die digitalen Signaturen dieses Dokuments werden beim Speichern als neue Datei ungültig. Trotzdem speichern?";

    // The add-text settings and adding their text to the page of currentPageNumber at x, y
    // (points of the page's user space; y is the first line's baseline).
    AddTextSettings addTextSettings;
    static constexpr const char* UndecodedPageMessage = "Der Inhalt der Seite konnte nicht dekodiert werden!";
    void AddNewText(double x, double y);
    // The same without the message: false when the page's content was not decoded (the page
    // stays as it was).
    bool AddNewTextToDecodedPage(double x, double y);

    // The document protection: a new TrueType font described from `font` and, on every page,
    // a text object selecting it. pageViewHeight(page) is the page view's height in pixels
    // with that page shown; resolution and zoom are the page view's.
    void FileProtectBtnClick(const DisplayFont& font, OutlineFontMetrics& metrics,
                             const std::function<int(int pageNumber)>& pageViewHeight, int resolution, int zoom);

    // Frees everything the document holds; the lists stay, empty.
    void DiscardDocument();

private:
    void BeginReading();
    void ReadDocument(std::unique_ptr<uint8_t[]> bytes, int32_t size);
    void FinishReading();
    void ShowError(const std::string& text);

    // File structure.
    void ReadVersion();
    void ReadFileStructure();
    // The cross-reference sections, or the objects themselves when they are damaged.
    void ReadCrossReferenceStructure();
    bool FindStartXref(int32_t& sectionOffset);
    bool ReadCrossReferenceSection(int32_t sectionOffset, int32_t& prevOffset);
    bool ReadSubsection(int32_t first, int32_t count);
    // Reads the trailer dictionary at the read position; a table's trailer may name the
    // cross-reference stream of a hybrid file.
    void ReadTrailer(int32_t& prevOffset, int32_t* hybridStreamOffset = nullptr);
    // The two strings of an /ID entry, when it holds two.
    void ReadFileIds(const TokenList& tokens);

    // Cross-reference streams, object streams and repair.
    bool ReadCrossReferenceSections();
    bool ReadCrossReferenceStream(int32_t offset, int32_t& prevOffset, bool keepTrailer);
    // Every entry in use leads to the header of its object.
    bool EntriesLeadToObjects();
    void RepairCrossReference();
    // The members of the object streams that a repair found join the table where no object
    // header defines their numbers.
    void AddObjectStreamMembers();
    std::vector<int32_t> repairedObjectStreams_;
    // The first object typed /Catalog, once every object has its place in the buffer.
    void FindCatalogAmongObjects();
    void LoadObjectStreams();
    // Objects joined behind the file's bytes, each at its position in `appended`; false when
    // the buffer would grow too large.
    bool AppendObjects(const std::string& appended, const std::vector<std::pair<int32_t, size_t>>& placed);
    // Cross-reference streams and object streams: read, never copied into a saved file. By
    // number, the offset where each was read: a later update may give the number to an
    // ordinary object, which then is one.
    std::unordered_map<int32_t, int32_t> structuralObjects_;
    void NoteStructuralObject(int32_t number, int32_t offset) { structuralObjects_[number] = offset; }
    // The table's entry for the number leads to the structural object read there.
    bool IsStructuralObject(int32_t number) const;
    // Cross-reference and object streams are no objects of the document: marked not in use.
    void MarkStructuralObjectsUnused();

    // Encryption. The file may be read with `password`, else the user is asked; false when the
    // user cancels.
    bool AcceptPassword(const uint8_t* bytes, int32_t size, const std::string& path);
    // The handler of the trailer's /Encrypt dictionary; none, with a message, when it cannot
    // be used.
    std::optional<SecurityHandler> ReadSecurityHandler();
    void OpenEncryption();
    // Every object decrypted into a plain copy behind the file's bytes.
    void DecryptObjects();
    // The bytes of the dictionary at the position, from "<<" to ">>".
    std::string DictionaryText(int32_t position);
    ObjectReference encryptionSource_;
    int32_t encryptionTextStart_ = 0;
    // The reading was refused with a message of its own.
    bool refused_ = false;

    // Document information.
    void ReadDocumentInformation();
    // The XMP packet of the catalog's /Metadata; its values fill the fields that the
    // information dictionary leaves empty.
    void ReadMetadata();
    void FillFromMetadata(const XmpInformation& xmp);
    // The signature fields of the catalog's /AcroForm.
    void ReadSignatureFields();
    std::string ReadStringValue(const TokenList& tokens);

    // Catalog, page tree, pages.
    void ReadPageStructure();
    void ReadCatalogAndPagesRoot();
    void WalkPageTree();
    // The inheritable entries of a page tree node and its ancestors, nearest first.
    struct InheritedAttributes {
        std::shared_ptr<const TokenList> resources;
        std::optional<int32_t> resourcesPosition;
        std::shared_ptr<const TokenList> mediaBox;
        std::shared_ptr<const TokenList> cropBox;
        std::shared_ptr<const TokenList> rotate;
    };
    // Appends the node's kids; true when the node is an inner node of the tree (it has /Kids
    // and is not typed /Page).
    bool ReadKids(std::vector<ObjectReference>& kids, InheritedAttributes& attributes);
    // The entry's array, read from the referenced object when the value is a reference.
    TokenList ResolvedArray(const TokenList& tokens);
    // A /Rotate entry's quarter turn (0, 90, 180, 270); 0 for what is not a multiple of 90.
    int32_t PageRotation(const TokenList& tokens);
    void AppendPage(const ObjectReference& node, const InheritedAttributes& inherited);
    void ReadPageDictionaries();
    void ReadPageDictionary(const InheritedAttributes& inherited);
    // A page object the tree lists again under the same inheritance reads as it read the first
    // time: a small file may list a large page thousands of times.
    void RepeatPageReading(const PageRecord& first, PageRecord& page);
    // The content streams of a /Contents entry: one stream, or an array inline or by reference.
    std::vector<ObjectReference> ReadReferenceList(const TokenList& tokens);
    // One element of a page's /Annots array: a reference, or a dictionary written into the
    // array (its file positions).
    struct AnnotationElement {
        ObjectReference reference;
        int32_t directStart = 0;
        int32_t directEnd = 0;
    };
    std::vector<AnnotationElement> ReadAnnotationArray(const DictEntry& entry);
    void ReadResourceDictionaries();
    // One kind of the pages' resource dictionaries (fonts, XObjects), each parsed once however
    // many pages share it: visit(pageIndex, entries, position) for the first page naming it, in
    // page order; every page that names one gets its first key's position.
    void ReadPagesResourceDictionaries(
        uint8_t PageRecord::*has, uint32_t PageRecord::*position, int32_t PageRecord::*firstKey,
        const std::function<void(int32_t pageIndex, const TDynaArray<DictEntry>& entries, uint32_t position)>& visit);
    void ReadPages();

    // Fonts.
    void ReadFontList();
    void ReadFontDictionaries();
    void ReadWidths(FontRecord& font, const TokenList& tokens);
    void ReadFontDescriptors();
    void ReadEncodingDictionaries();

    // Pictures and content streams.
    void ReadPictureList();
    void ReadPictureDictionaries();
    void DecodePictures();
    void ReadPictureDictionary(ImageObject& picture);
    // withMask: a soft mask or stencil mask the picture names is decoded into its mask.
    bool DecodePicture(ImageObject& picture, int32_t number, bool withMask = true);
    // The samples of a picture whose dictionary `entries` (key and value tokens each) and
    // stream data are at hand.
    bool DecodePictureData(ImageObject& picture, std::string data, const std::vector<TokenList>& entries, int32_t number,
                           bool withMask);
    void DecodeMask(ImageObject& picture, const std::vector<TokenList>& entries);
    // /Mask as an array: the pixels whose samples lie in its ranges are left out.
    void ReadColourKeyMask(ImageObject& picture, const std::vector<TokenList>& entries, const SampleFormat& format,
                           std::string_view samples);
    // A picture's /Filter names with the predictors of its /DecodeParms, and those parameters as
    // given, one element per filter.
    struct PictureFilters {
        std::vector<StreamFilterStep> steps;
        std::vector<TokenList> parameters;
    };
    PictureFilters ReadPictureFilters(const std::vector<TokenList>& entries);
    // The pictures whose data stop at a codec: CCITT through a TIFF file, JBIG2 and JPEG 2000
    // against the codec account.
    bool DecodeFaxPicture(ImageObject& picture, const std::string& data, int32_t number, const std::string& codec,
                          const SampleFormat& format, const PictureFilters& filters);
    bool DecodeCodecPicture(ImageObject& picture, std::string data, const std::string& codec, SampleFormat format,
                            bool colourSpaceKnown, const PictureFilters& filters);
    // JBIG2 and JPEG 2000 pictures carry their own size: whoever decodes pictures against a
    // limit sets the room their codestreams may declare, and learns what they declared (charged
    // whether or not the picture could be shown) and whether one was refused for the room.
    struct CodecAccount {
        uint64_t room = CodecMemoryLimit;
        uint64_t charged = 0;
        bool refused = false;
        // The picture alone is more than its decoder may take.
        bool tooLarge = false;
    };
    CodecAccount codecAccount_;
    // The decoded /JBIG2Globals stream `number`, read once while the pictures sharing it are
    // decoded one after another; null when it cannot be read or passes MaxJbig2GlobalsBytes
    // (real symbol dictionaries take kilobytes).
    std::shared_ptr<const std::string> Jbig2Globals(int32_t number);
    static constexpr size_t MaxJbig2GlobalsBytes = size_t{16} << 20;
    std::pair<int32_t, std::shared_ptr<const std::string>> jbig2Globals_{0, nullptr};
    // What a picture's dictionary says about its samples; false when its colour space is
    // one the samples cannot be drawn in. depth bounds colour spaces nested by reference.
    bool ReadColourSpace(const TokenList& value, SampleFormat& format, int depth = 0);
    // An indexed colour space's lookup: a string, or a stream, given directly or by reference.
    std::string ReadLookup(const TokenList& value);
    void ReadPageContent(int32_t pageNumber);
    enum class StreamDecoding { Decoded, Skipped, Unsupported, TooLarge };
    // TooLarge: the decoded data would pass limit bytes.
    StreamDecoding DecodeContentStream(std::string& data, const TokenList& filters, int32_t pageNumber, size_t limit);
    std::string DecodeLzwThroughFiles(std::string data, size_t limit);

    // Form XObjects. The interpreter's lookup: the form that `name` names in `scope`.
    std::optional<FormContent> ResolveForm(uint32_t pageNumber, const std::string& name, int32_t scope);
    // One dictionary of a form's resources (`kind`: "/XObject", "/Font") as tokens, its "<<" at
    // start; empty when the form has none. position: where in the file those tokens were read.
    TokenList FormResources(int32_t form, const char* kind, size_t& start, int32_t* position = nullptr);
    // Pictures drawn inside a form (and the forms it draws) join the list under their names,
    // as those of the pages do; each form is searched once.
    void AppendFormPictures(int32_t form, int32_t pageIndex, std::unordered_set<std::string>& names,
                            std::unordered_set<int32_t>& visited, size_t depth = 1);
    // The object that `name` names in the `kind` resources ("/XObject", "/Font", "/Shading") of
    // the form object `scope`, else in those of the page (scope 0).
    std::optional<int32_t> ResourceNamed(uint32_t pageNumber, const char* kind, const std::string& name, int32_t scope);
    // The names of one resource dictionary and what they refer to. Each (scope, kind) is read
    // once per page interpretation, and scopes that share a dictionary share its table: a page
    // may name thousands of resources and use them a hundred thousand times.
    using ResourceTable = std::unordered_map<std::string, std::optional<int32_t>>;
    const ResourceTable& ResourceTableOf(uint32_t pageNumber, const char* kind, int32_t scope);
    std::map<std::pair<int32_t, std::string>, std::shared_ptr<const ResourceTable>> resourceTables_;
    std::map<std::pair<int32_t, size_t>, std::shared_ptr<const ResourceTable>> resourceTablesAt_;
    // The decoded form, or null when the object is no form or cannot be decoded.
    std::shared_ptr<const FormContent> LoadForm(int32_t number, uint32_t pageNumber);
    // LoadForm once per reading.
    std::shared_ptr<const FormContent> CachedForm(int32_t number, uint32_t pageNumber);
    // The form of a comment's normal appearance (/AP /N, by /AS among states); none for a
    // hidden comment or one without.
    std::optional<int32_t> AppearanceOf(const AnnotationRecord& comment);
    // Draws the appearances (found while reading the picture list) of the page's comments but
    // its text notes, which keep their boxes.
    void DrawAppearances(ContentInterpreter& interpreter, uint32_t pageNumber);
    // The value that `name` stands for in the `kind` resources of the scope (a form's or a Type 3
    // font's object, else the page's), a reference replaced by its object's tokens.
    TokenList ResourceValue(uint32_t pageNumber, const char* kind, const std::string& name, int32_t scope);
    GraphicsStateParameters GraphicsStateNamed(uint32_t pageNumber, const std::string& name, int32_t scope);
    DrawingInterpreter::Sources DrawingSources(uint32_t pageNumber);
    // A picture object that a pattern or glyph names, decoded once into the inline pictures.
    std::optional<int32_t> PictureNamed(uint32_t pageNumber, const std::string& name, int32_t scope);
    std::map<int32_t, std::optional<int32_t>> objectPictures_;
    // A standard font that made appearances name (/Helv, /ZaDb ...); null for another name.
    static std::shared_ptr<const TextFont> StandardFontNamed(const std::string& name);
    // The icon of a text note without an appearance, placed at the note's top-left corner.
    static std::optional<FormContent> NoteIcon(const AnnotationRecord& comment, double pageTop);
    // The procedure that draws a Type 3 font's code, with the font's resources as its scope.
    std::optional<FormContent> Type3GlyphProcedure(const TextFont& font, uint32_t code);
    // Per drawn page: graphics states by (scope, name), glyph procedures by (font, code).
    std::map<std::pair<int32_t, std::string>, GraphicsStateParameters> graphicsStates_;
    std::map<std::pair<int32_t, uint32_t>, std::optional<FormContent>> glyphProcedures_;
    // By reading: the forms.
    std::map<int32_t, std::shared_ptr<const FormContent>> formContents_;

    // Fonts for the interpreter. The font that `name` names in `scope` (as for forms), read once
    // per reading; null when the name names no font object.
    std::shared_ptr<const TextFont> ResolveTextFont(uint32_t pageNumber, const std::string& name, int32_t scope);
    std::shared_ptr<const TextFont> LoadTextFont(int32_t number);
    void ReadSimpleFontWidths(TextFont& font, const TokenList& dictionary);
    void ReadSimpleEncoding(TextFont& font, const TokenList& dictionary);
    void ReadCompositeEncoding(TextFont& font, const TokenList& dictionary);
    // Style from the base name and descriptor of `owner` (the font, or a Type0 font's CID font).
    void ReadFontStyle(TextFont& font, const TokenList& owner);
    // The CMap stream that tokens[at] refers to; null for a name or anything not a stream.
    // Each stream is parsed once per reading, however many fonts share it.
    std::shared_ptr<const CMap> ReadCMap(const TokenList& tokens, size_t at);
    std::map<int32_t, std::shared_ptr<const CMap>> cmaps_;
    size_t cmapEntries_ = 0;
    bool cmapsCut_ = false;

    // Inline pictures: decodes one into the inline list, once for equal dictionary and data.
    std::optional<int32_t> DecodeInlinePicture(const TokenList& dictionary, std::string_view data);
    std::unordered_map<std::string, std::optional<int32_t>> inlineIndex_;
    // Shadings (sh): the one colour a shading is shown in, read once per reading.
    std::optional<uint32_t> ResolveShading(uint32_t pageNumber, const std::string& name, int32_t scope);
    // The outputs of the function at owner[at] (a reference, a dictionary or an array of
    // functions) for input t; empty when it cannot be evaluated.
    std::vector<double> FunctionValues(const TokenList& owner, size_t at, double t, int depth = 0);
    std::map<int32_t, std::optional<uint32_t>> shadingColours_;
    // A shading's dictionary as the painter draws it.
    std::shared_ptr<const Shading> ReadShading(const TokenList& shading, int32_t number = 0);
    // The triangles or patches of the mesh shading object `number` into shading.mesh.
    void ReadMesh(int32_t number, const TokenList& dictionary, const ShadingSpace& space, Shading& shading);
    // The shading's colour space; `throughTint`: a separation's tints through their transform.
    ShadingSpace ReadShadingSpace(const TokenList& shading, bool throughTint);
    uint32_t ShadingColourAt(const TokenList& shading, const ShadingSpace& space, double t);
    std::map<int32_t, std::shared_ptr<const Shading>> shadings_;
    size_t shadingMeshParts_ = 0;
    // Sampled functions' data while one shading is read: its colours evaluate them many times.
    std::map<int32_t, std::shared_ptr<const std::string>> functionSamples_;
    // Names of pictures that were left out of the list because they could not be decoded.
    std::unordered_set<std::string> undecodedPictures_;
    int64_t inlinePixelBytes_ = 0;
    std::map<int32_t, std::shared_ptr<const TextFont>> textFonts_;
    // Decoded content of the pages read so far in this reading.
    uint64_t contentBytesRead_ = 0;
    // What the page items of the document may still take.
    PageItemBudget pageItemBudget_;
    // What PageElementLimit still allows.
    uint32_t pageElementsLeft_ = PageElementLimit;
    // Takes one element from that bound; false (with a memo line, once) when none is left.
    bool TakePageElement();

    // Comments.
    void ReadPageComments();
    void ReadComment(AnnotationRecord& comment, double pageTop);
    void ReadCommentRectangle(AnnotationRecord& comment, const TokenList& tokens, double pageTop);

    // Helpers over the reader services.
    // Where an entry's value is: the entry's value position for an inline value, otherwise
    // the position after the header of the referenced object; empty when that object cannot
    // be reached. Keeps the read position.
    std::optional<int32_t> LocateValue(const DictEntry& entry);
    static void ReleaseEntries(TDynaArray<DictEntry>& entries);
    static void ReleasePage(PageRecord& page);
    // Hands the parsed entries over to a new owner and starts a fresh, empty list.
    TDynaArray<DictEntry>* TakeDictionary();
    std::unique_ptr<TDynaArray<DictEntry>> NewEntryList();

    UserInterfacePort& ui_;
    // What each page inherits, by page index; only while the pages are read.
    std::vector<InheritedAttributes> inheritedAttributes_;
    // The whole input file; left uninitialised before it is read, a large file costs no
    // extra pass.
    std::unique_ptr<uint8_t[]> fileBytes_;
};

}  // namespace folivo
