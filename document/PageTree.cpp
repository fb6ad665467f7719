// The catalog, the page tree, each page's dictionary and resource dictionary.
#include <algorithm>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "document/PdfDocument.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

// Reads up to four numbers from tokens 2 ... 5 of a "[ x1 y1 x2 y2 ]" entry; stops at the
// first value that does not convert, keeping the values before it.
void ReadBox(const TokenList& tokens, double box[4])
{
    for (size_t i = 0; i < 4; ++i) {
        if (i + 2 >= tokens.size()) return;
        const auto value = NumberText(tokens[i + 2]);
        if (!value) return;
        box[i] = *value;
    }
}

// Any multiple of 90 degrees, negative or beyond a full turn, as 0, 90, 180 or 270.
int32_t QuarterTurn(int32_t degrees)
{
    const int32_t turn = (degrees % 360 + 360) % 360;
    return turn % 90 == 0 ? turn : 0;
}


// Where the token at the read position begins: after the white space before it.
int32_t TokenStart(const FileBuffer& buffer)
{
    auto blank = [](uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == 0; };
    int32_t at = std::max(buffer.position, 0);
    while (at < buffer.size && blank(buffer.data[at])) ++at;
    return at;
}

}  // namespace

void PdfDocument::ReadCatalogAndPagesRoot()
{
    ParseDictionary();
    for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
        const TokenList& tokens = *DictEntryList->At(i)->tokens;
        if (tokens.size() >= 4 && tokens[0] == "/Pages" && tokens[3] == "R") {
            const auto number = IntegerText(tokens[1]);
            const auto generation = IntegerText(tokens[2]);
            if (number && generation) {
                pagesRootReference = {*number, *generation, true};
                break;
            }
        }
    }
    ReleaseDictionary();
    if (!pagesRootReference.found) return;
    if (!GotoObject(pagesRootReference.objectNumber)) return;
    ParseDictionary();
    for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
        const TokenList& tokens = *DictEntryList->At(i)->tokens;
        if (IsKey(tokens, "/MediaBox") && tokens.size() >= 2 && tokens[1] == "[") {
            defaultMediaBoxFound = true;
            ReadBox(tokens, defaultMediaBox);
        }
    }
    ReleaseDictionary();
}

TokenList PdfDocument::ResolvedArray(const TokenList& tokens)
{
    // A box given as a reference to an array object: the array's tokens stand for it.
    if (tokens.size() < 4 || tokens[3] != "R") return tokens;
    const auto number = IntegerText(tokens[1]);
    TokenList resolved{tokens[0]};
    auto cursor = number ? objects.CursorAtObject(*number) : std::nullopt;
    if (cursor && ReadToken(*cursor) == "[") {
        resolved.push_back("[");
        for (int i = 0; i < 16 && cursor->position < cursor->size; ++i) {
            resolved.push_back(ReadToken(*cursor));
            if (resolved.back() == "]") break;
        }
    }
    return resolved.size() > 1 ? resolved : tokens;
}

int32_t PdfDocument::PageRotation(const TokenList& tokens)
{
    std::optional<int32_t> degrees;
    if (tokens.size() >= 4 && tokens[3] == "R") {
        const auto number = IntegerText(tokens[1]);
        if (const auto position = number ? objects.ValuePosition(*number) : std::nullopt) {
            FileBuffer cursor = objects.CursorAt(*position);
            degrees = IntegerText(ReadToken(cursor));
        }
    } else if (tokens.size() >= 2) {
        degrees = IntegerText(tokens[1]);
    }
    return degrees ? QuarterTurn(*degrees) : 0;
}

bool PdfDocument::ReadKids(std::vector<ObjectReference>& kids, InheritedAttributes& attributes)
{
    ParseDictionary();
    bool hasKids = false;
    bool typePage = false;
    for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
        const DictEntry& entry = *DictEntryList->At(i);
        const TokenList& tokens = *entry.tokens;
        if (tokens.size() < 2) continue;
        if (tokens[0] == "/Type") typePage = tokens[1] == "/Page";
        if (tokens[0] == "/Resources") {
            attributes.resources = std::make_shared<const TokenList>(tokens);
            attributes.resourcesPosition = LocateValue(entry);
        } else if (tokens[0] == "/MediaBox") {
            attributes.mediaBox = std::make_shared<const TokenList>(ResolvedArray(tokens));
        } else if (tokens[0] == "/CropBox") {
            attributes.cropBox = std::make_shared<const TokenList>(tokens);
        } else if (tokens[0] == "/Rotate") {
            attributes.rotate = std::make_shared<const TokenList>(tokens);
        }
        if (tokens.size() < 3 || tokens[0] != "/Kids") continue;
        hasKids = true;
        std::vector<ObjectReference> found;
        if (tokens[1] == "[") {
            found = ReferencesIn(tokens, 2);
        } else if (const auto number = IntegerText(tokens[1])) {
            found = objects.ReferencedArray(*number);
        }
        kids.insert(kids.end(), found.begin(), found.end());
    }
    ReleaseDictionary();
    return hasKids && !typePage;
}

void PdfDocument::WalkPageTree()
{
    // Depth first, in /Kids order, so that pages come in document order whatever the depth of
    // their leaves. An inner node is taken once: kids that lead back to a node already met are
    // skipped, so loops end and the work stays linear. A page is shown as often as the tree
    // lists it (other readers do the same), up to a bound for trees that list one page
    // millions of times. Each level carries what its pages inherit from the nodes above them.
    // A node with /Kids is never a page, even when all its kids were met before, and a kid that
    // names no object of the file is damage, not a page.
    std::unordered_set<int32_t> met{pagesRootReference.objectNumber};
    std::unordered_set<int32_t> leaves;
    uint64_t repeatsSkipped = 0;
    struct Level {
        std::vector<ObjectReference> kids;
        InheritedAttributes attributes;
        size_t next = 0;
    };
    std::vector<Level> stack;
    if (!GotoObject(pagesRootReference.objectNumber)) {
        invalid = true;
        return;
    }
    std::vector<ObjectReference> rootKids;
    InheritedAttributes rootAttributes;
    ReadKids(rootKids, rootAttributes);
    stack.push_back({std::move(rootKids), rootAttributes});
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == level.kids.size()) {
            stack.pop_back();
            continue;
        }
        const ObjectReference node = level.kids[level.next++];
        if (!met.insert(node.objectNumber).second) {
            if (!leaves.count(node.objectNumber)) continue;
            if (pages.Count() < MaxPageOccurrences) AppendPage(node, level.attributes);
            else ++repeatsSkipped;
            continue;
        }
        if (!objects.InUse(node.objectNumber) || !GotoObject(node.objectNumber)) {
            invalid = true;
            continue;
        }
        std::vector<ObjectReference> kids;
        InheritedAttributes attributes = level.attributes;
        if (!ReadKids(kids, attributes)) {
            leaves.insert(node.objectNumber);
            AppendPage(node, level.attributes);
        } else if (!kids.empty()) {
            stack.push_back({std::move(kids), std::move(attributes)});  // invalidates `level`
        }
    }
    if (repeatsSkipped > 0)
        ui_.AddMemoLine(std::to_string(repeatsSkipped) + " weitere Nennungen von Seiten im Seitenbaum über der Grenze von " +
                        std::to_string(MaxPageOccurrences) + " Seiten übersprungen.");
}

void PdfDocument::AppendPage(const ObjectReference& node, const InheritedAttributes& inherited)
{
    PageRecord* page = pages.Append();
    page->objectNumber = node.objectNumber;
    page->generation = node.generation;
    page->resourcesFirstKey = -1;
    page->xobjectsFirstKey = -1;
    page->fontsFirstKey = -1;
    page->comments = new TDynaArray<AnnotationRecord>(&currentComment);
    page->contentStreams = new TDynaArray<ContentStreamRef>(&currentStream);
    const double fallback[4] = {0, 0, 595, 842};
    for (int i = 0; i < 4; ++i) page->mediaBox[i] = fallback[i];
    // The nearest node above the page that has a media box gives it.
    if (inherited.mediaBox && inherited.mediaBox->at(1) == "[") ReadBox(*inherited.mediaBox, page->mediaBox);
    inheritedAttributes_.push_back(inherited);
}

void PdfDocument::ReadPageDictionaries()
{
    const auto sameInheritance = [](const InheritedAttributes& a, const InheritedAttributes& b) {
        return a.resources == b.resources && a.resourcesPosition == b.resourcesPosition && a.mediaBox == b.mediaBox &&
               a.cropBox == b.cropBox && a.rotate == b.rotate;
    };
    std::unordered_map<int32_t, uint32_t> firstIndex;
    pageElementsLeft_ = PageElementLimit;
    pages.First();
    while (pages.FetchNext()) {
        const uint32_t index = static_cast<uint32_t>(pages.CurrentIndex() - 1);
        const auto [first, isFirst] = firstIndex.try_emplace(currentPage->objectNumber, index);
        if (!isFirst && sameInheritance(inheritedAttributes_[first->second], inheritedAttributes_[index])) {
            RepeatPageReading(*pages.At(first->second), *currentPage);
            continue;
        }
        if (!GotoObject(currentPage->objectNumber)) {
            invalid = true;
            continue;
        }
        ReadPageDictionary(inheritedAttributes_[index]);
    }
    inheritedAttributes_.clear();
}

void PdfDocument::ReadPageDictionary(const InheritedAttributes& inherited)
{
    PageRecord& page = *currentPage;
    ParseDictionary();
    bool ownResources = false, ownMediaBox = false, ownCropBox = false, ownRotate = false;
    for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
        const DictEntry& entry = *DictEntryList->At(i);
        const TokenList& tokens = *entry.tokens;
        if (IsKey(tokens, "/MediaBox")) {
            ownMediaBox = true;
            const TokenList box = ResolvedArray(tokens);
            if (box.size() >= 2 && box[1] == "[") ReadBox(box, page.mediaBox);
        } else if (IsKey(tokens, "/CropBox")) {
            ownCropBox = true;
        } else if (IsKey(tokens, "/Rotate")) {
            ownRotate = true;
            page.rotation = PageRotation(tokens);
        } else if (IsKey(tokens, "/Resources")) {
            ownResources = true;
            if (const auto position = LocateValue(entry)) {
                page.resourceDictionaryPosition = static_cast<uint32_t>(*position);
                page.hasResources = 1;
            }
        } else if (IsKey(tokens, "/Contents") && tokens.size() >= 4 && pageElementsLeft_ > 0) {
            for (const ObjectReference& stream : ReadReferenceList(tokens)) {
                if (!TakePageElement()) break;
                ContentStreamRef* ref = page.contentStreams->Append();
                ref->objectNumber = stream.objectNumber;
                ref->generation = stream.generation;
                ref->inUse = 1;
            }
        } else if (IsKey(tokens, "/Annots") && tokens.size() >= 4 && pageElementsLeft_ > 0) {
            for (const AnnotationElement& element : ReadAnnotationArray(entry)) {
                if (!TakePageElement()) break;
                AnnotationRecord* comment = page.comments->Append();
                comment->inUse = 1;
                comment->icon = 2;
                comment->objectNumber = element.reference.objectNumber;
                comment->generation = element.reference.generation;
                comment->directStart = element.directStart;
                comment->directEnd = element.directEnd;
            }
        }
    }
    page.keptEntries = TakeDictionary();

    // What the page inherits and lacks is kept behind its own entries, since a saved page
    // hangs directly under the root; its resources are the nearest ancestor's.
    auto keep = [&](const std::shared_ptr<const TokenList>& tokens) {
        if (tokens) page.keptEntries->Append()->tokens = new TokenList(*tokens);
    };
    if (!ownResources) {
        keep(inherited.resources);
        if (inherited.resourcesPosition) {
            page.resourceDictionaryPosition = static_cast<uint32_t>(*inherited.resourcesPosition);
            page.hasResources = 1;
        }
    }
    if (!ownMediaBox) keep(inherited.mediaBox);
    if (!ownCropBox) keep(inherited.cropBox);
    if (!ownRotate && inherited.rotate) {
        keep(inherited.rotate);
        page.rotation = PageRotation(*inherited.rotate);
    }
}

bool PdfDocument::TakePageElement()
{
    if (pageElementsLeft_ == 0) return false;
    if (--pageElementsLeft_ == 0)
        ui_.AddMemoLine("Die Seiten verweisen zu oft auf Inhalte und Kommentare; weitere Verweise werden übersprungen.");
    return pageElementsLeft_ > 0;
}

void PdfDocument::RepeatPageReading(const PageRecord& first, PageRecord& page)
{
    std::copy(std::begin(first.mediaBox), std::end(first.mediaBox), std::begin(page.mediaBox));
    page.rotation = first.rotation;
    page.resourceDictionaryPosition = first.resourceDictionaryPosition;
    page.hasResources = first.hasResources;
    for (uint32_t i = 0; i < first.contentStreams->Count() && TakePageElement(); ++i) {
        const ContentStreamRef& stream = *first.contentStreams->At(i);
        ContentStreamRef* copy = page.contentStreams->Append();
        copy->objectNumber = stream.objectNumber;
        copy->generation = stream.generation;
        copy->inUse = stream.inUse;
    }
    // Only what the page dictionary gave; each record reads its comments itself.
    for (uint32_t i = 0; i < first.comments->Count() && TakePageElement(); ++i) {
        const AnnotationRecord& comment = *first.comments->At(i);
        AnnotationRecord* copy = page.comments->Append();
        copy->inUse = comment.inUse;
        copy->icon = 2;
        copy->objectNumber = comment.objectNumber;
        copy->generation = comment.generation;
        copy->directStart = comment.directStart;
        copy->directEnd = comment.directEnd;
    }
    page.keptEntries = first.keptEntries;
    page.keptEntriesShared = 1;
}

std::vector<PdfDocument::AnnotationElement> PdfDocument::ReadAnnotationArray(const DictEntry& entry)
{
    const TokenList& tokens = *entry.tokens;
    std::optional<int32_t> start;
    if (tokens[1] == "[") start = entry.valuePosition;
    else if (tokens[3] == "R") start = LocateValue(entry);
    if (!start) return {};

    // References and dictionaries at the array's top level; references inside a direct
    // dictionary (its appearance streams, its file specification) are its own, not comments.
    std::vector<AnnotationElement> elements;
    FileBuffer cursor = objects.CursorAt(*start);
    if (ReadToken(cursor) == "[") {
        int depth = 0;
        int32_t dictionaryStart = 0;
        TokenList recent;  // the last top-level tokens, for "N G R"
        while (cursor.position < cursor.size) {
            const int32_t tokenStart = TokenStart(cursor);
            const std::string token = ReadToken(cursor);
            if (depth == 0 && token == "]") break;
            if (token == "<<" || token == "[") {
                if (depth++ == 0 && token == "<<") dictionaryStart = tokenStart;
                recent.clear();
            } else if (token == ">>" || token == "]") {
                if (depth == 0) continue;
                if (--depth > 0) continue;
                if (token == ">>" && dictionaryStart > 0) elements.push_back({{}, dictionaryStart, tokenStart + 2});
                dictionaryStart = 0;
            } else if (depth == 0) {
                recent.push_back(token);
                if (recent.size() > 3) recent.erase(recent.begin());
                const auto references = recent.size() == 3 ? ReferencesIn(recent, 0) : std::vector<ObjectReference>{};
                if (!references.empty()) {
                    elements.push_back({references.front(), 0, 0});
                    recent.clear();
                }
            }
        }
    }
    return elements;
}

std::vector<ObjectReference> PdfDocument::ReadReferenceList(const TokenList& tokens)
{
    if (tokens[1] == "[") return ReferencesIn(tokens, 2);
    if (tokens[3] != "R") return {};
    const auto number = IntegerText(tokens[1]);
    if (!number) return {};

    // /Contents: either the stream itself or an array of streams.
    std::vector<ObjectReference> references;
    if (auto cursor = objects.CursorAtObject(*number)) {
        if (ReadToken(*cursor) != "[") {
            references = ReferencesIn(tokens, 1);
        } else {
            references = objects.ReferencedArray(*number);
        }
    }
    return references;
}

void PdfDocument::ReadResourceDictionaries()
{
    // Pages commonly share one resource dictionary: it is parsed once.
    struct ResourceKeys {
        int32_t firstKey = -1;
        std::optional<int32_t> fonts;
        std::optional<int32_t> xobjects;
    };
    std::unordered_map<uint32_t, ResourceKeys> parsed;
    pages.First();
    while (pages.FetchNext()) {
        PageRecord& page = *currentPage;
        if (!page.hasResources) continue;
        auto [known, isNew] = parsed.try_emplace(page.resourceDictionaryPosition);
        ResourceKeys& keys = known->second;
        if (isNew) {
            fileBuffer.position = static_cast<int32_t>(page.resourceDictionaryPosition);
            ParseDictionary();
            if (DictEntryList->Count() > 0) keys.firstKey = DictEntryList->At(0)->keyPosition;
            for (uint32_t i = 0; i < DictEntryList->Count(); ++i) {
                const DictEntry& entry = *DictEntryList->At(i);
                std::optional<int32_t>* slot = IsKey(*entry.tokens, "/Font")      ? &keys.fonts
                                               : IsKey(*entry.tokens, "/XObject") ? &keys.xobjects
                                                                                  : nullptr;
                if (slot) {
                    if (const auto position = LocateValue(entry)) *slot = position;
                }
            }
            ReleaseDictionary();
        }
        page.resourcesFirstKey = keys.firstKey;
        page.fontsFirstKey = -1;
        page.xobjectsFirstKey = -1;
        if (keys.fonts) {
            page.fontDictionaryPosition = static_cast<uint32_t>(*keys.fonts);
            page.hasFonts = 1;
        }
        if (keys.xobjects) {
            page.xobjectDictionaryPosition = static_cast<uint32_t>(*keys.xobjects);
            page.hasXObjects = 1;
        }
    }
}

void PdfDocument::ReadPagesResourceDictionaries(
    uint8_t PageRecord::*has, uint32_t PageRecord::*position, int32_t PageRecord::*firstKey,
    const std::function<void(int32_t pageIndex, const TDynaArray<DictEntry>& entries, uint32_t position)>& visit)
{
    std::unordered_map<uint32_t, int32_t> firstKeys;
    pages.First();
    while (pages.FetchNext()) {
        PageRecord& page = *currentPage;
        if (!(page.*has)) continue;
        if (const auto known = firstKeys.find(page.*position); known != firstKeys.end()) {
            page.*firstKey = known->second;
            continue;
        }
        fileBuffer.position = static_cast<int32_t>(page.*position);
        ParseDictionary();
        page.*firstKey = DictEntryList->Count() > 0 ? DictEntryList->At(0)->keyPosition : -1;
        firstKeys.emplace(page.*position, page.*firstKey);
        visit(pages.CurrentIndex() - 1, *DictEntryList, page.*position);
        ReleaseDictionary();
    }
}

}  // namespace folivo
