// The records of an opened document. The reader walks the file once and fills flat lists of
// these plain records; many of them remember byte positions in the file buffer rather than
// copying data out of it. Records own what their pointers point to and are released by the
// document (document/PdfDocument.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/DynaArray.h"
#include "core/OwnedText.h"
#include "core/RasterImage.h"
#include "syntax/SyntaxTypes.h"

namespace folivo {

struct ContentStreamRef {
    int32_t length;
    int32_t objectNumber;
    int32_t generation;
    uint8_t lengthKnown;
    uint8_t inUse;
};

enum AnnotationKind : int32_t { AnnotOther = 0, AnnotText = 1, AnnotFreeText = 2, AnnotStamp = 3 };

// /F flags that keep a comment off the screen: hidden (2) and not to be viewed (32).
inline constexpr int32_t HiddenCommentFlags = 2 | 32;

struct AnnotationRecord {
    OwnedText title;  // /T
    OwnedText text;   // /Contents
    // Inches from the page's top-left corner; left <= right, top <= bottom.
    double left, top, right, bottom;
    uint8_t inUse;
    uint8_t freeText;
    uint8_t open;
    int32_t icon;  // index into AnnotationIconNames; 2 (/Note) by default
    int32_t kind;  // AnnotationKind
    int32_t objectNumber;
    int32_t generation;
    // A comment given as a dictionary inside the /Annots array rather than by reference: the
    // file positions of its "<<" and just after its ">>"; both 0 for a referenced comment.
    int32_t directStart;
    int32_t directEnd;
    // The form object of the normal appearance to draw; 0 for none.
    int32_t appearance;
};

struct PageRecord {
    int32_t objectNumber;
    int32_t generation;
    int32_t resourcesFirstKey;  // -1: none
    int32_t xobjectsFirstKey;
    int32_t fontsFirstKey;
    uint32_t newPageOffset;
    uint32_t xobjectDictionaryPosition;
    uint32_t fontDictionaryPosition;
    uint32_t resourceDictionaryPosition;
    uint8_t hasXObjects;
    uint8_t hasFonts;
    uint8_t hasResources;
    uint8_t hasFilters;
    TokenList* filterNames;
    double mediaBox[4];  // lower-left x, lower-left y, upper-right x, upper-right y
    // 0, 90, 180 or 270: the page is shown turned clockwise by this many degrees (/Rotate, its
    // own or inherited). Only the view turns; the content and the saved entries stay as read.
    int32_t rotation;
    TDynaArray<ContentStreamRef>* contentStreams;
    TDynaArray<DictEntry>* keptEntries;
    // keptEntries belong to an earlier record of the same page object, which releases them.
    uint8_t keptEntriesShared;
    TDynaArray<AnnotationRecord>* comments;
    uint8_t* content;
    uint32_t newContentOffset;
    int32_t contentLength;
    uint8_t contentLoaded;
    uint8_t modified;
};

struct PageTreeNode {
    int32_t objectNumber;
    int32_t generation;
    uint8_t visited;
    uint8_t hasKids;
};

enum FilterKind : int32_t { FilterNone = 0, FilterDCT = 1, FilterFlate = 2, FilterCCITT = 3 };

struct ImageObject {
    OwnedText name;  // resource name with its slash
    int32_t pageIndex;
    int32_t filterKind;  // FilterKind
    int32_t length;
    int32_t width;
    int32_t height;
    int32_t bitsPerComponent;
    uint32_t dictionaryPosition;
    uint32_t streamPosition;
    uint8_t hasFilter;
    uint8_t isImage;
    // /ImageMask: the pixels are a 1-bit stencil (0 paints) drawn in the fill colour.
    uint8_t stencil;
    TokenList* filterNames;
    RasterImage image;
    // /SMask or /Mask: 8-bit grey opacity, or a 1-bit stencil (0 shows the pixel); any size,
    // stretched over the picture. No pixels: the picture is opaque.
    RasterImage mask;
};

// How a font's text looks, as its base name or descriptor says; the display font takes the
// style, so that text is measured and drawn alike.
enum FontStyleBits : uint8_t { StyleBold = 1, StyleItalic = 2, StyleFixedPitch = 4, StyleSerif = 8 };

struct FontRecord {
    OwnedText resourceName;
    OwnedText baseFontText;        // only for fonts added by the protection
    OwnedText fontDictionaryText;  // likewise
    uint32_t pageIndex;
    int32_t encodingDictionaryPosition;
    uint32_t firstChar;
    int32_t descriptorPosition;
    int32_t encoding;  // Encoding; PDFDocEncoding by default
    uint32_t dictionaryPosition;
    uint8_t addedByUser;
    uint8_t isType3;
    uint8_t hasEncodingDictionary;
    uint8_t hasCharSet;
    uint8_t hasDescriptor;
    double boxWidth;
    double boxHeight;
    // A Type3 font's /FontMatrix scales (a and d): its glyph space to text space.
    uint8_t style;  // FontStyleBits
    uint8_t hasFontMatrix;
    double fontMatrixX;
    double fontMatrixY;
    OwnedText charSetText;
    uint32_t charSetCount;
    uint8_t charSetCodes[256];
    uint8_t differences[256];
    uint8_t differencePresent[256];
    double widths[256];
    uint8_t widthPresent[256];
};

// A calendar date and a time of day, as the date and time fields hold them.
struct CivilDate {
    int year = 1970;
    int month = 1;
    int day = 1;
    bool operator==(const CivilDate&) const = default;
};

struct CivilTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const CivilTime&) const = default;
};

// A date of the information dictionary as read: its fields and its text ("D:...", with
// the time zone as written). Empty text: the file had no usable date.
struct InfoDateAsRead {
    CivilDate date;
    CivilTime time;
    std::string text;
};

// Where an information field's value came from: the information dictionary, the XMP
// metadata (where the dictionary has no value), or neither.
enum class InfoSource : uint8_t { None, Dictionary, Xmp };

struct InfoSources {
    InfoSource producer = InfoSource::None;
    InfoSource creator = InfoSource::None;
    InfoSource author = InfoSource::None;
    InfoSource title = InfoSource::None;
    InfoSource subject = InfoSource::None;
    InfoSource keywords = InfoSource::None;
    InfoSource created = InfoSource::None;
    InfoSource modified = InfoSource::None;
};

// The document information as the user sees and edits it: texts are UTF-8.
struct InfoFields {
    std::string producer;
    std::string creator;
    std::string author;
    std::string title;
    std::string subject;
    std::string keywords;
    CivilDate createdDate;
    CivilTime createdTime;
    CivilDate modifiedDate;
    CivilTime modifiedTime;
    // Whether each date is set: read from the file or set by the user. An absent date is shown
    // as absent and not written; its fields keep the moment of opening as a starting point.
    bool createdPresent = false;
    bool modifiedPresent = false;
    // The dates as the file wrote them, so that an unedited date is written back unchanged
    // (with its time zone).
    InfoDateAsRead createdAsRead;
    InfoDateAsRead modifiedAsRead;
    // The user set a field since the document was read; a document without an information
    // dictionary then gets one when saved.
    bool changedByUser = false;
    InfoSources sources;
};

// A signature field of the document's form that holds a signature (/FT /Sig with /V), as the
// file states it. Texts are UTF-8; the time is the signature's /M as written.
struct SignatureField {
    std::string fieldName;  // the full name: the partial names /T of the field and its parents
    std::string signerName;
    std::string signingTime;
};

// The password protection (encryption) a save writes: the document's own as read, new
// encryption with these passwords and permissions (AES-256), or none.
struct PasswordSettings {
    enum class Mode { Keep, Encrypt, Remove };
    Mode mode = Mode::Keep;
    std::string userPassword;   // may be empty: anyone may open the file
    std::string ownerPassword;  // required for Encrypt
    // PermitPrint, PermitModify, PermitCopy, PermitAnnotate bits taken away.
    int32_t denied = 0;
};

// The PDF version box: item 0 is 1.2, 1 is 1.3, 2 is 1.4, then 1.5, 1.6, 1.7 and 2.0.
constexpr int VersionCount = 7;
inline constexpr const char* VersionTexts[VersionCount] = {"1.2", "1.3", "1.4", "1.5", "1.6", "1.7", "2.0"};
constexpr int DefaultVersionItem = 1;
// From 1.5 on a saved file holds its objects in object streams, its table in a stream.
constexpr int FirstCompactVersionItem = 3;
// AES-256 arrived as extension level 8 of 1.7 and became part of 2.0: readers of older
// versions cannot open such a file, so it is written as 1.7 (with the extension) at least.
constexpr int Aes256VersionItem = 5;
constexpr int WrittenVersionItem(int chosenItem, bool aes256)
{
    return aes256 && (chosenItem < Aes256VersionItem || chosenItem >= VersionCount) ? Aes256VersionItem : chosenItem;
}

}  // namespace folivo
