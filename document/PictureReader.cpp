// Pictures: the XObject resources of all pages, their dictionaries, and decoding them into
// bitmaps; only DCT and CCITT pictures pass through temporary files, in the reading's own
// temporary folder.
#include <cstdio>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <unordered_map>
#include <unordered_set>

#include "core/PictureCodecs.h"
#include "core/RasterImage.h"
#include "core/ResourceLimits.h"
#include "core/TiffFile.h"
#include "core/TemporaryFolder.h"
#include "document/PdfDocument.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/FilterChain.h"
#include "syntax/Names.h"
#include "syntax/StreamData.h"
#include "syntax/StreamFilters.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

bool WriteFile(const std::string& path, std::string_view bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

// The tokens after the key of an entry.
TokenList ValueOf(const TokenList& entry) { return TokenList(entry.begin() + (entry.empty() ? 0 : 1), entry.end()); }

// The bytes of a string value: "(literal)" as one token, or "<", hex digits, ">".
std::optional<std::string> StringBytes(const TokenList& value)
{
    if (value.empty()) return std::nullopt;
    if (value[0].size() >= 2 && value[0].front() == '(' && value[0].back() == ')')
        return DecodeStringEscapes(std::string_view(value[0]).substr(1, value[0].size() - 2));
    if (!StartsHexString(value[0])) return std::nullopt;
    std::string digits = value[0].substr(1);
    for (size_t i = 1; i < value.size() && value[i] != ">"; ++i) digits += value[i];
    return DecodeAsciiHex(digits);
}

bool IsTrue(const TokenList& value) { return !value.empty() && value[0] == "true"; }

}  // namespace

void PdfDocument::ReadPictureList()
{
    std::unordered_set<std::string> names;
    std::unordered_set<int32_t> formsSearched;
    ReadPagesResourceDictionaries(
        &PageRecord::hasXObjects, &PageRecord::xobjectDictionaryPosition, &PageRecord::xobjectsFirstKey,
        [&](int32_t pageIndex, const TDynaArray<DictEntry>& entries, uint32_t position) {
            for (uint32_t i = 0; i < entries.Count(); ++i) {
                const DictEntry& entry = *entries.At(i);
                const std::string& key = (*entry.tokens)[0];
                if (!names.insert(key).second) continue;
                ImageObject* picture = pictures.Append();
                picture->pageIndex = pageIndex;
                picture->name = MakeText(key);
                if (const auto value = LocateValue(entry)) picture->dictionaryPosition = static_cast<uint32_t>(*value);
            }
            for (const ObjectReference& xobject : ReferencesIn(objects.DictionaryAt(static_cast<int32_t>(position)), 0))
                AppendFormPictures(xobject.objectNumber, pageIndex, names, formsSearched);
        });
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

void PdfDocument::ReadPictureDictionaries()
{
    pictures.First();
    while (pictures.FetchNext()) ReadPictureDictionary(*currentPicture);
}

void PdfDocument::ReadPictureDictionary(ImageObject& picture)
{
    auto IntegerValue = [this](const TokenList& entry) {
        const TokenList value = objects.ResolvedValue(ValueOf(entry));
        return value.size() == 1 ? IntegerOrZero(value[0]) : 0;
    };
    fileBuffer.position = static_cast<int32_t>(picture.dictionaryPosition);
    ParseDictionary();
    picture.streamPosition = static_cast<uint32_t>(std::max(fileBuffer.position, 0));
    for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
        const TokenList& tokens = *DictEntryList->At(i)->tokens;
        if (tokens.size() < 2) continue;
        if (IsKey(tokens, "/Subtype")) {
            picture.isImage = tokens[1] == "/Image";
        } else if (IsKey(tokens, "/Width")) {
            picture.width = IntegerValue(tokens);
        } else if (IsKey(tokens, "/Height")) {
            picture.height = IntegerValue(tokens);
        } else if (IsKey(tokens, "/ImageMask")) {
            picture.stencil = IsTrue(objects.ResolvedValue(ValueOf(tokens)));
        } else if (IsKey(tokens, "/BitsPerComponent")) {
            picture.bitsPerComponent = IntegerValue(tokens);
        } else if (IsKey(tokens, "/Length")) {
            const int32_t length = objects.StreamLength(tokens);
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

namespace {


// The pixel memory a picture will take at most, told from its dictionary before decoding.
int64_t EstimatedPixelBytes(const ImageObject& picture)
{
    const int32_t bits = picture.filterKind == FilterCCITT || picture.stencil ? 1 : 24;
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
            const uint32_t index = static_cast<uint32_t>(pictures.CurrentIndex() - 1);
            const auto [first, isNew] = firstOfObject.emplace(currentPicture->dictionaryPosition, index);
            if (!isNew) {
                sharedib(pictures.At(first->second)->image, currentPicture->image);
                sharedib(pictures.At(first->second)->mask, currentPicture->mask);
                if (currentPicture->image.pixels) ++decoded;
            } else if (pixelBytes + EstimatedPixelBytes(*currentPicture) > PictureMemoryLimit) {
                ui_.AddMemoLine("Bild " + ReadableName(currentPicture->name.View()) +
                                " übersprungen: die Bilder brauchen zusammen mehr als " +
                                std::to_string(PictureMemoryLimit >> 20) + " MB Speicher.");
            } else {
                const int64_t before = pixelBytes;
                codecAccount_ = {static_cast<uint64_t>(PictureMemoryLimit - pixelBytes), 0, false};
                if (DecodePicture(*currentPicture, pictures.CurrentIndex())) {
                    ++decoded;
                    pixelBytes += int64_t{currentPicture->image.bytesPerRow} * currentPicture->image.height;
                    // The mask counts as well; when all together would pass the limit it is left out.
                    const RasterImage& mask = currentPicture->mask;
                    const int64_t maskBytes = int64_t{mask.bytesPerRow} * mask.height;
                    if (pixelBytes + maskBytes > PictureMemoryLimit) deldib(currentPicture->mask);
                    else pixelBytes += maskBytes;
                } else if (codecAccount_.refused) {
                    ui_.AddMemoLine("Bild " + ReadableName(currentPicture->name.View()) +
                                    " übersprungen: die Bilder brauchen zusammen mehr als " +
                                    std::to_string(PictureMemoryLimit >> 20) + " MB Speicher.");
                } else if (codecAccount_.tooLarge) {
                    ui_.AddMemoLine("Bild " + ReadableName(currentPicture->name.View()) +
                                    " übersprungen: es ist zu groß, um es zu dekodieren.");
                }
                // A codestream counts with the size it declares, shown or not: decoding it took that.
                pixelBytes = std::max(pixelBytes, before + static_cast<int64_t>(codecAccount_.charged));
                codecAccount_ = {};
            }
        }
    }
    for (int32_t i = static_cast<int32_t>(pictures.Count()) - 1; i >= 0; --i) {
        ImageObject& picture = *pictures.At(static_cast<uint32_t>(i));
        if (picture.image.pixels) continue;
        // The page still shows where the picture stands.
        if (readImages && picture.isImage) undecodedPictures_.insert(std::string(picture.name.View()));
        ReleaseText(picture.name);
        delete picture.filterNames;
        picture.filterNames = nullptr;
        pictures.DeleteAt(i);
    }
    ui_.AddMemoLine(std::to_string(decoded) + " JPEG-Bilder gelesen...");
    ui_.AddMemoLine("Lese Seiten...");
}


std::shared_ptr<const std::string> PdfDocument::Jbig2Globals(int32_t number)
{
    if (jbig2Globals_.first == number) return jbig2Globals_.second;
    std::shared_ptr<const std::string> data;
    if (const auto position = objects.ValuePosition(number)) {
        if (auto stream = objects.StreamObjectAt(*position, MaxJbig2GlobalsBytes)) {
            data = std::make_shared<const std::string>(std::move(stream.value->data));
        } else {
            ui_.AddMemoLine("JBIG2-Globals (Objekt " + std::to_string(number) + ") über " +
                            std::to_string(MaxJbig2GlobalsBytes >> 20) + " MB oder beschädigt: nicht gelesen.");
        }
    }
    jbig2Globals_ = {number, data};
    return data;
}

std::string PdfDocument::ReadLookup(const TokenList& value)
{
    if (const auto bytes = StringBytes(value)) return *bytes;
    if (!IsReference(value, 0)) return {};
    const TokenList resolved = objects.ResolvedValue(value);
    if (const auto bytes = StringBytes(resolved)) return *bytes;
    if (resolved.empty() || resolved[0] != "<<") return {};
    std::string lookup;
    // At most 256 entries of up to 32 components.
    if (const auto position = objects.AnyValuePosition(*IntegerText(value[0]))) {
        if (auto stream = objects.StreamObjectAt(*position, size_t{1} << 16)) lookup = std::move(stream.value->data);
    }
    return lookup;
}

bool PdfDocument::ReadColourSpace(const TokenList& given, SampleFormat& format, int depth)
{
    if (depth > 4) return false;
    const TokenList value = objects.ResolvedValue(given);
    if (value.empty()) return false;
    auto device = [&](const std::string& name) {
        if (name == "/DeviceGray" || name == "/G" || name == "/CalGray") format.colours = SampleColours::Gray, format.components = 1;
        else if (name == "/DeviceRGB" || name == "/RGB" || name == "/CalRGB") format.colours = SampleColours::Rgb, format.components = 3;
        else if (name == "/DeviceCMYK" || name == "/CMYK") format.colours = SampleColours::Cmyk, format.components = 4;
        else if (name == "/Lab") format.colours = SampleColours::Lab, format.components = 3;
        else return false;
        return true;
    };
    if (value[0] != "[") return value.size() == 1 && device(value[0]);
    const std::vector<TokenList> elements = ArrayElements(value, 0);
    if (elements.empty() || elements[0].size() != 1) return false;
    const std::string& family = elements[0][0];
    if (family == "/ICCBased" && elements.size() >= 2 && IsReference(elements[1], 0)) {
        // The profile's component count decides; the profile itself is not applied.
        // A profile that is no dictionary leaves the colour space unknown, the document valid.
        int components = 0;
        if (const auto profile = objects.AnyValuePosition(*IntegerText(elements[1][0]))) {
            for (const DictionaryEntry& entry : objects.EntriesAt(*profile).entries) {
                if (entry.tokens.size() >= 2 && entry.tokens[0] == "/N") components = IntegerOrZero(entry.tokens[1]);
            }
        }
        if (components == 1) return device("/DeviceGray");
        if (components == 3) return device("/DeviceRGB");
        if (components == 4) return device("/DeviceCMYK");
        return false;
    }
    if (family == "/Indexed" && elements.size() >= 4) {
        SampleFormat base;
        if (!ReadColourSpace(elements[1], base, depth + 1) || base.colours == SampleColours::Indexed) return false;
        const TokenList hival = objects.ResolvedValue(elements[2]);
        if (hival.size() != 1 || !IntegerText(hival[0])) return false;
        format.colours = SampleColours::Indexed;
        format.components = 1;
        format.hival = std::clamp(*IntegerText(hival[0]), 0, 255);
        format.baseColours = base.colours;
        format.baseComponents = base.components;
        format.lookup = ReadLookup(elements[3]);
        return true;
    }
    if (family == "/Separation") {
        format.colours = SampleColours::Tint, format.components = 1;
        return true;
    }
    if (family == "/DeviceN" && elements.size() >= 2) {
        const TokenList names = objects.ResolvedValue(elements[1]);
        const auto count = static_cast<int32_t>(ArrayElements(names, 0).size());
        if (count < 1 || count > 32) return false;
        format.colours = SampleColours::Tint, format.components = count;
        return true;
    }
    return device(family);
}

void PdfDocument::DecodeMask(ImageObject& picture, const std::vector<TokenList>& entries)
{
    // A soft mask gives each pixel's opacity as grey; a stencil (/Mask as a stream) shows the
    // pixels it would paint. Colour-key masks (/Mask as an array) are read with the samples.
    const TokenList* entry = FindEntry(entries, "/SMask", 2);
    if (!entry || !IsReference(*entry, 1)) entry = FindEntry(entries, "/Mask", 2);
    if (!entry || !IsReference(*entry, 1)) return;
    // Reading the mask's dictionary moves the read position; the picture's reading goes on after.
    const int32_t saved = fileBuffer.position;
    if (const auto position = objects.AnyValuePosition(*IntegerText((*entry)[1]))) {
        ImageObject mask{};
        mask.dictionaryPosition = static_cast<uint32_t>(*position);
        mask.isImage = 1;
        ReadPictureDictionary(mask);
        if (mask.isImage && DecodePicture(mask, 0, false) &&
            (mask.image.bitsPerPixel == 1 || (mask.image.bitsPerPixel == 8 && mask.image.paletteCount == 256)))
            picture.mask = mask.image;
        else
            deldib(mask.image);
        delete mask.filterNames;
    }
    fileBuffer.position = saved;
}

void PdfDocument::ReadColourKeyMask(ImageObject& picture, const std::vector<TokenList>& entries, const SampleFormat& format,
                                    std::string_view samples)
{
    // A soft mask, when there is one, is the mask that counts.
    const TokenList* entry = FindEntry(entries, "/Mask", 2);
    const TokenList* softMask = FindEntry(entries, "/SMask", 2);
    if (!entry || IsReference(*entry, 1) || (softMask && IsReference(*softMask, 1))) return;
    std::vector<double> ranges;
    for (const std::string& token : objects.ResolvedValue(ValueOf(*entry))) {
        if (const auto number = NumberText(token); number && std::isfinite(*number)) ranges.push_back(*number);
    }
    RasterImage mask;
    if (ColourKeyMask(format, samples, ranges, mask)) picture.mask = mask;
}

bool PdfDocument::DecodePicture(ImageObject& picture, int32_t number, bool withMask)
{
    auto data = objects.StreamData(static_cast<int32_t>(picture.streamPosition), picture.length);
    if (!data) return false;
    if (!picture.isImage || picture.width <= 0 || picture.height <= 0 || picture.length <= 0) return false;

    // The dictionary once more, its entries copied: resolving references parses other objects.
    std::vector<TokenList> entries;
    for (DictionaryEntry& entry : objects.EntriesAt(static_cast<int32_t>(picture.dictionaryPosition)).entries)
        entries.push_back(std::move(entry.tokens));
    return DecodePictureData(picture, std::move(*data), entries, number, withMask);
}

PdfDocument::PictureFilters PdfDocument::ReadPictureFilters(const std::vector<TokenList>& entries)
{
    PictureFilters filters;
    if (const TokenList* entry = FindEntry(entries, "/Filter", 2)) {
        for (const std::string& token : objects.ResolvedValue(ValueOf(*entry))) {
            if (!token.empty() && token[0] == '/') filters.steps.push_back({token, {}});
        }
    }
    if (const TokenList* entry = FindEntry(entries, "/DecodeParms", 2)) {
        const TokenList value = ValueOf(*entry);
        if (!value.empty() && value[0] == "[") filters.parameters = ArrayElements(value, 0);
        else filters.parameters.push_back(value);
        for (size_t i = 0; i < filters.steps.size() && i < filters.parameters.size(); ++i) {
            const TokenList dictionary = objects.ResolvedValue(filters.parameters[i]);
            PredictorParameters& p = filters.steps[i].predictor;
            p.predictor = IntegerAfter(dictionary, "/Predictor", 1);
            p.colors = IntegerAfter(dictionary, "/Colors", 1);
            p.bitsPerComponent = IntegerAfter(dictionary, "/BitsPerComponent", 8);
            p.columns = IntegerAfter(dictionary, "/Columns", 1);
        }
    }
    return filters;
}

bool PdfDocument::DecodePictureData(ImageObject& picture, std::string streamData, const std::vector<TokenList>& entries,
                                    int32_t number, bool withMask)
{
    std::optional<std::string> data(std::move(streamData));

    SampleFormat format;
    format.width = picture.width;
    format.height = picture.height;
    format.bitsPerComponent = picture.stencil ? 1 : picture.bitsPerComponent;
    format.stencil = picture.stencil != 0;
    bool colourSpaceKnown = format.stencil;
    if (const TokenList* entry = FindEntry(entries, "/ColorSpace", 2); entry && !format.stencil) {
        colourSpaceKnown = ReadColourSpace(ValueOf(*entry), format);
        // A colour space that cannot be drawn leaves the picture out rather than drawn wrong.
        if (!colourSpaceKnown && objects.ResolvedValue(ValueOf(*entry)).size() > 1) return false;
    }
    if (const TokenList* entry = FindEntry(entries, "/Decode", 2)) {
        const TokenList value = objects.ResolvedValue(ValueOf(*entry));
        for (const std::string& token : value) {
            if (const auto number = NumberText(token)) format.decode.push_back(*number);
        }
    }
    const PictureFilters filters = ReadPictureFilters(entries);

    // Without a colour space the data size tells grey from RGB; room is made for the larger.
    const int32_t components = colourSpaceKnown ? format.components : 3;
    const int64_t rowBytes = (int64_t{picture.width} * components * std::clamp(format.bitsPerComponent, 1, 16) + 7) / 8;
    const auto limit = static_cast<int64_t>(InflateLimit);
    const int64_t wanted = rowBytes > limit / picture.height ? limit : rowBytes * picture.height;
    std::string codec;
    auto decoded = UndoFilterChain(std::move(*data), filters.steps, static_cast<size_t>(wanted), &codec);
    data.reset();
    if (!decoded) return false;
    // JPEG 2000 data tell their own depth; every other picture needs it from the dictionary.
    if (picture.bitsPerComponent <= 0 && !picture.stencil && codec != "/JPXDecode") return false;

    bool shown = false;
    if (codec == "/DCTDecode" || codec == "/DCT") {
        const std::string path = temporaryFolder + "tempimage.jpg";
        if (!WriteFile(path, *decoded)) {
            RemoveTemporaryFile(path);
            return false;
        }
        OpenDib(picture.image, path.c_str(), 0, &ui_);
        RemoveTemporaryFile(path);
        shown = picture.image.pixels != nullptr;
    } else if (codec == "/CCITTFaxDecode" || codec == "/CCF") {
        shown = DecodeFaxPicture(picture, *decoded, number, codec, format, filters);
    } else if (codec == "/JBIG2Decode" || codec == "/JPXDecode") {
        shown = DecodeCodecPicture(picture, std::move(*decoded), codec, format, colourSpaceKnown, filters);
    } else if (codec.empty()) {
        if (!colourSpaceKnown) {
            const int64_t rgbRow = (int64_t{picture.width} * 3 * std::clamp(format.bitsPerComponent, 1, 16) + 7) / 8;
            const bool rgb = rgbRow <= static_cast<int64_t>(decoded->size()) / picture.height;
            format.colours = rgb ? SampleColours::Rgb : SampleColours::Gray;
            format.components = rgb ? 3 : 1;
        }
        shown = SamplesToRaster(format, *decoded, picture.image);
        if (shown && withMask) ReadColourKeyMask(picture, entries, format, *decoded);
    }
    if (shown && withMask) DecodeMask(picture, entries);
    return shown;
}

bool PdfDocument::DecodeFaxPicture(ImageObject& picture, const std::string& data, int32_t number, const std::string& codec,
                                   const SampleFormat& format, const PictureFilters& filters)
{
    if (picture.width <= 1 || picture.height <= 1) return false;
    const std::string path = temporaryFolder + "tempimage" + std::to_string(number) + ".tif";
    if (!WriteFile(path, CcittTiffWrapper(picture.width, picture.height, data))) {
        RemoveTemporaryFile(path);
        ShowError("Fehler: Konnte Datei " + path + "nicht erstellen!");
        return false;
    }
    OpenDib(picture.image, path.c_str(), 0, &ui_);
    RemoveTemporaryFile(path);
    // Stencils and masks read index 0 as the painted colour, black; the fax decoder gives
    // a white-to-black palette. /BlackIs1 and /Decode [1 0] swap black and white.
    bool invert = false;
    for (size_t i = 0; i < filters.steps.size() && i < filters.parameters.size(); ++i) {
        if (filters.steps[i].name != codec) continue;
        const TokenList dictionary = objects.ResolvedValue(filters.parameters[i]);
        const auto key = std::find(dictionary.begin(), dictionary.end(), "/BlackIs1");
        invert = key != dictionary.end() && key + 1 != dictionary.end() && key[1] == "true";
    }
    if (format.decode.size() >= 2 && format.decode[0] > format.decode[1]) invert = !invert;
    RasterImage& image = picture.image;
    if (image.pixels && image.bitsPerPixel == 1 && image.paletteCount >= 2) {
        if ((image.palette[0] & 0xFF) > (image.palette[1] & 0xFF)) {
            invert = !invert;
            std::swap(image.palette[0], image.palette[1]);
        }
        if (invert) {
            for (int64_t i = 0; i < int64_t{image.bytesPerRow} * image.height; ++i) image.pixels[i] = static_cast<uint8_t>(~image.pixels[i]);
        }
    }
    return picture.image.pixels != nullptr;
}

bool PdfDocument::DecodeCodecPicture(ImageObject& picture, std::string data, const std::string& codec, SampleFormat format,
                                     bool colourSpaceKnown, const PictureFilters& filters)
{
    std::optional<CodecPicture> decodedPicture;
    const bool roomBound = codecAccount_.room < CodecMemoryLimit;
    const size_t room = static_cast<size_t>(std::min<uint64_t>(codecAccount_.room, CodecMemoryLimit));
    CodecCost cost;
    if (codec == "/JPXDecode") {
        decodedPicture = DecodeJpx(data, room, &cost);
    } else {
        // The globals stream is named in the parameters that stand beside the codec.
        size_t at = 0;
        while (at < filters.steps.size() && filters.steps[at].name != codec) ++at;
        std::string_view globals;
        if (at < filters.parameters.size()) {
            const TokenList dictionary = objects.ResolvedValue(filters.parameters[at]);
            const auto key = static_cast<size_t>(std::find(dictionary.begin(), dictionary.end(), "/JBIG2Globals") - dictionary.begin());
            if (IsReference(dictionary, key + 1)) {
                if (const auto shared = Jbig2Globals(*IntegerText(dictionary[key + 1]))) globals = *shared;
            }
        }
        decodedPicture = DecodeJbig2(data, globals, room, &cost);
    }
    std::string().swap(data);
    codecAccount_.charged += cost.declaredBytes;
    codecAccount_.room -= std::min(codecAccount_.room, cost.declaredBytes);
    if (cost.overLimit) {
        (roomBound ? codecAccount_.refused : codecAccount_.tooLarge) = true;
        return false;
    }
    if (!decodedPicture) return false;
    format.width = decodedPicture->width;
    format.height = decodedPicture->height;
    format.bitsPerComponent = decodedPicture->bitsPerComponent;
    if (codec == "/JPXDecode") {
        // The codestream's own colours count unless the dictionary names a space of the same size.
        if (format.stencil || !colourSpaceKnown || format.components != decodedPicture->components ||
            format.colours == SampleColours::Indexed)
            format.colours = decodedPicture->colours;
        format.components = decodedPicture->components;
        format.stencil = false;
        format.decode.clear();
    } else if (!format.stencil) {
        format.colours = SampleColours::Gray;
        format.components = 1;
    }
    return SamplesToRaster(format, decodedPicture->samples, picture.image);
}

}  // namespace folivo
