// Pictures: the XObject resources of all pages, their dictionaries, and decoding them into
// bitmaps through temporary files in the program folder.
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unordered_map>
#include <unordered_set>

#include "core/RasterImage.h"
#include "document/PdfDocument.h"
#include "syntax/StreamData.h"
#include "syntax/StreamFilters.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

bool IsKey(const TokenList& tokens, const char* key) { return !tokens.empty() && tokens[0] == key; }

bool WriteFile(const std::string& path, std::string_view bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

void RemoveFile(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

void PutLittleEndian(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::string CcittTiffWrapper(int32_t width, int32_t height, std::string_view data)
{
    std::string tiff = "II";
    PutLittleEndian(tiff, 42, 2);
    PutLittleEndian(tiff, 8, 4);
    PutLittleEndian(tiff, 8, 2);
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        PutLittleEndian(tiff, tag, 2);
        PutLittleEndian(tiff, type, 2);
        PutLittleEndian(tiff, 1, 4);
        PutLittleEndian(tiff, value, 4);  // a SHORT sits in the first two bytes
    };
    constexpr uint16_t Short = 3, Long = 4;
    entry(256, Short, static_cast<uint32_t>(width) & 0xFFFF);
    entry(257, Short, static_cast<uint32_t>(height) & 0xFFFF);
    entry(258, Short, 1);
    entry(259, Short, 4);
    entry(262, Short, 0);
    entry(273, Long, 110);
    entry(278, Short, static_cast<uint32_t>(height) & 0xFFFF);
    entry(279, Long, static_cast<uint32_t>(data.size()));
    PutLittleEndian(tiff, 0, 4);
    tiff.append(data);
    return tiff;
}

void PdfDocument::ReadPictureList()
{
    std::unordered_set<std::string> names;
    std::unordered_set<int32_t> formsSearched;
    pages.First();
    while (pages.FetchNext()) {
        PageRecord& page = *currentPage;
        const int32_t pageIndex = pages.CurrentIndex() - 1;
        if (!page.hasXObjects) continue;
        fileBuffer.position = static_cast<int32_t>(page.xobjectDictionaryPosition);
        ParseDictionary();
        page.xobjectsFirstKey = DictEntryList->Count() > 0 ? DictEntryList->At(0)->keyPosition : -1;
        for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
            const DictEntry& entry = *DictEntryList->At(i);
            const std::string& key = (*entry.tokens)[0];
            if (!names.insert(key).second) continue;
            ImageObject* picture = pictures.Append();
            picture->pageIndex = pageIndex;
            picture->name = MakeText(key);
            if (const auto position = LocateValue(entry)) picture->dictionaryPosition = static_cast<uint32_t>(*position);
        }
        const std::vector<ObjectReference> xobjects = ReferencesIn(DictionaryTokensAt(page.xobjectDictionaryPosition), 0);
        ReleaseDictionary();
        for (const ObjectReference& xobject : xobjects) AppendFormPictures(xobject.objectNumber, pageIndex, names, formsSearched);
    }
    // The comments' appearances, found once: they are drawn with every interpretation of the
    // page and may bring pictures of their own.
    pages.First();
    while (pages.FetchNext()) {
        const PageRecord& page = *currentPage;
        for (uint32_t i = 0; page.comments && i < page.comments->Count(); ++i) {
            AnnotationRecord& comment = *page.comments->At(i);
            comment.appearance = AppearanceOf(comment).value_or(0);
            if (comment.appearance > 0) AppendFormPictures(comment.appearance, pages.CurrentIndex() - 1, names, formsSearched);
        }
    }
    ui_.AddMemoLine(std::to_string(pictures.Count()) + " Bilder/Objekte gefunden...");
}

int32_t PdfDocument::ReadStreamLength(const TokenList& tokens)
{
    if (tokens.size() >= 4 && tokens[3] == "R") {
        const auto number = IntegerText(tokens[1]);
        const int32_t saved = fileBuffer.position;
        int32_t length = -1;
        if (number && GotoObject(*number)) length = ReadTokenAsInteger(fileBuffer);
        fileBuffer.position = saved;
        return length;
    }
    if (tokens.size() == 2) {
        if (const auto length = IntegerText(tokens[1])) return *length;
    }
    return -1;
}

void PdfDocument::ReadPictureDictionaries()
{
    pictures.First();
    while (pictures.FetchNext()) {
        ImageObject& picture = *currentPicture;
        fileBuffer.position = static_cast<int32_t>(picture.dictionaryPosition);
        ParseDictionary();
        picture.streamPosition = static_cast<uint32_t>(std::max(fileBuffer.position, 0));
        for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
            const TokenList& tokens = *DictEntryList->At(i)->tokens;
            if (tokens.size() < 2) continue;
            if (IsKey(tokens, "/Subtype")) {
                picture.isImage = tokens[1] == "/Image";
            } else if (IsKey(tokens, "/Width")) {
                picture.width = IntegerOrZero(tokens[1]);
            } else if (IsKey(tokens, "/Height")) {
                picture.height = IntegerOrZero(tokens[1]);
            } else if (IsKey(tokens, "/BitsPerComponent")) {
                picture.bitsPerComponent = IntegerOrZero(tokens[1]);
            } else if (IsKey(tokens, "/Length")) {
                const int32_t length = ReadStreamLength(tokens);
                if (length >= 0) picture.length = length;
            } else if (IsKey(tokens, "/Filter")) {
                delete picture.filterNames;
                picture.filterNames = new TokenList;
                picture.hasFilter = 1;
                for (size_t t = 1; t < tokens.size(); ++t) {
                    if (tokens[t] != "[" && tokens[t] != "]") picture.filterNames->push_back(tokens[t]);
                }
                // An array that holds one filter names that filter as well as the plain name.
                const std::string& filter = picture.filterNames->size() == 1 ? picture.filterNames->front() : tokens[1];
                if (filter == "/DCTDecode") picture.filterKind = FilterDCT;
                else if (filter == "/FlateDecode") picture.filterKind = FilterFlate;
                else if (filter == "/CCITTFaxDecode") picture.filterKind = FilterCCITT;
            }
        }
        ReleaseDictionary();
    }
}

std::optional<std::string> PdfDocument::ReadStreamData(int32_t length)
{
    const int32_t keyword = fileBuffer.position;
    if (ReadToken(fileBuffer) != "stream") return std::nullopt;
    const std::string_view file(reinterpret_cast<const char*>(fileBuffer.data), static_cast<size_t>(fileBuffer.size));
    fileBuffer.position = static_cast<int32_t>(StreamDataStart(file, keyword));
    return ReadBytes(length);
}

namespace {

// Decoded pictures of one document take at most this much memory together.
constexpr int64_t PictureMemoryLimit = int64_t{512} << 20;

// The pixel memory a picture will take at most, told from its dictionary before decoding.
int64_t EstimatedPixelBytes(const ImageObject& picture)
{
    const int32_t bits = picture.filterKind == FilterCCITT ? 1 : std::max(24, picture.bitsPerComponent);
    return RasterRowBytes(picture.width, bits) * std::max(picture.height, 0);
}

}  // namespace

void PdfDocument::DecodePictures()
{
    int decoded = 0;
    int64_t pixelBytes = 0;
    if (readImages) {
        // Several names may stand for one picture object: it is decoded once, and the records
        // of its other names share the pixels.
        std::unordered_map<uint32_t, uint32_t> firstOfObject;
        pictures.First();
        while (pictures.FetchNext()) {
            if (!currentPicture->hasFilter) continue;
            const uint32_t index = static_cast<uint32_t>(pictures.CurrentIndex() - 1);
            const auto [first, isNew] = firstOfObject.emplace(currentPicture->dictionaryPosition, index);
            if (!isNew) {
                sharedib(pictures.At(first->second)->image, currentPicture->image);
                if (currentPicture->image.pixels) ++decoded;
            } else if (pixelBytes + EstimatedPixelBytes(*currentPicture) > PictureMemoryLimit) {
                ui_.AddMemoLine("Bild " + std::string(currentPicture->name.View()) +
                                " übersprungen: die Bilder brauchen zusammen mehr als " +
                                std::to_string(PictureMemoryLimit >> 20) + " MB Speicher.");
            } else if (DecodePicture(*currentPicture, pictures.CurrentIndex())) {
                ++decoded;
                pixelBytes += int64_t{currentPicture->image.bytesPerRow} * currentPicture->image.height;
            }
        }
    }
    for (int32_t i = static_cast<int32_t>(pictures.Count()) - 1; i >= 0; --i) {
        ImageObject& picture = *pictures.At(static_cast<uint32_t>(i));
        if (picture.image.pixels) continue;
        ReleaseText(picture.name);
        delete picture.filterNames;
        picture.filterNames = nullptr;
        pictures.DeleteAt(i);
    }
    ui_.AddMemoLine(std::to_string(decoded) + " JPEG-Bilder gelesen...");
    ui_.AddMemoLine("Lese Seiten...");
}

bool PdfDocument::DecodePicture(ImageObject& picture, int32_t number)
{
    fileBuffer.position = static_cast<int32_t>(picture.streamPosition);
    const auto data = ReadStreamData(picture.length);
    if (!data) return false;
    if (!picture.isImage || picture.width <= 0 || picture.height <= 0 || picture.bitsPerComponent <= 0 ||
        picture.length <= 0)
        return false;
    switch (picture.filterKind) {
    case FilterDCT: {
        const std::string path = programFolder + "tempimage.jpg";
        if (!WriteFile(path, *data)) {
            RemoveFile(path);
            return false;
        }
        OpenDib(picture.image, path.c_str(), 0, &ui_);
        RemoveFile(path);
        return picture.image.pixels != nullptr;
    }
    case FilterFlate:
        return DecodeFlatePicture(picture, *data);
    case FilterCCITT: {
        if (picture.width <= 1 || picture.height <= 1) return false;
        const std::string path = programFolder + "tempimage" + std::to_string(number) + ".tif";
        if (!WriteFile(path, CcittTiffWrapper(picture.width, picture.height, *data))) {
            RemoveFile(path);
            ShowError("Fehler: Konnte Datei " + path + "nicht erstellen!");
            return false;
        }
        OpenDib(picture.image, path.c_str(), 0, &ui_);
        RemoveFile(path);
        return picture.image.pixels != nullptr;
    }
    default:
        return false;
    }
}

bool PdfDocument::DecodeFlatePicture(ImageObject& picture, std::string_view data)
{
    const auto inflated = Inflate(data);
    if (!inflated) return false;
    const int64_t width = picture.width;
    const int64_t height = picture.height;
    const auto* source = reinterpret_cast<const uint8_t*>(inflated->data());
    const auto available = static_cast<int64_t>(inflated->size());
    RasterImage& image = picture.image;
    const bool threeBytesPerPixel = available % 3 == 0 && (available / 3) % height == 0 && available / 3 / height == width;
    if (threeBytesPerPixel) {
        if (!newdib(image, picture.width, picture.height, 24)) return false;
        for (int64_t y = 0; y < height; ++y) {
            uint8_t* row = image.pixels + (height - 1 - y) * image.bytesPerRow;
            const uint8_t* from = source + 3 * y * width;
            for (int64_t x = 0; x < width; ++x) {
                row[3 * x] = from[3 * x + 2];
                row[3 * x + 1] = from[3 * x + 1];
                row[3 * x + 2] = from[3 * x];
            }
        }
        return true;
    }
    const int32_t bits = picture.bitsPerComponent;
    if (!newdib(image, picture.width, picture.height, bits)) return false;
    // Rows that the data does not reach stay empty: nothing is read past its end.
    const int64_t rowBytes = std::min<int64_t>(width * bits / 8, image.bytesPerRow);
    for (int64_t y = 0; y < height; ++y) {
        const int64_t from = (height - 1 - y) * width * bits / 8;
        const int64_t count = std::min(rowBytes, available - from);
        if (count <= 0) continue;
        std::memcpy(image.pixels + y * image.bytesPerRow, source + from, static_cast<size_t>(count));
    }
    return true;
}

}  // namespace folivo
