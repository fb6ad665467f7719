// Form XObjects for the interpreter: a name is looked up in the resources of the page or of the
// form that uses it, and each form's content is decoded once per reading.
#include <algorithm>
#include <memory>

#include "document/PdfDocument.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/StreamFilters.h"
#include "syntax/TokenReader.h"

namespace folivo {


TokenList PdfDocument::FormResources(int32_t form, const char* kind, size_t& start, int32_t* position)
{
    // The form's /Resources and their kind, each given inline or by reference.
    start = 0;
    const auto formAt = objects.ValuePosition(form);
    if (!formAt) return {};
    int32_t readAt = *formAt;
    TokenList tokens = objects.DictionaryAt(readAt);
    size_t resources = ValueIndex(tokens, 0, "/Resources");
    if (const auto number = ReferenceAt(tokens, resources)) {
        const auto resourcesAt = objects.ValuePosition(*number);
        if (!resourcesAt) return {};
        readAt = *resourcesAt;
        tokens = objects.DictionaryAt(readAt);
        resources = 0;
    } else if (resources == 0 || tokens[resources] != "<<") {
        return {};
    }
    const size_t value = ValueIndex(tokens, resources, kind);
    if (const auto number = ReferenceAt(tokens, value)) {
        const auto kindAt = objects.ValuePosition(*number);
        if (!kindAt) return {};
        if (position) *position = *kindAt;
        return objects.DictionaryAt(*kindAt);
    }
    if (value == 0 || tokens[value] != "<<") return {};
    if (position) *position = readAt;
    start = value;
    return tokens;
}

const PdfDocument::ResourceTable& PdfDocument::ResourceTableOf(uint32_t pageNumber, const char* kind, int32_t scope)
{
    const auto key = std::make_pair(scope, std::string(kind));
    if (const auto known = resourceTables_.find(key); known != resourceTables_.end()) return *known->second;
    TokenList dictionary;
    size_t start = 0;
    int32_t position = -1;
    if (scope != 0) {
        dictionary = FormResources(scope, kind, start, &position);
    } else if (pageNumber >= 1 && pageNumber <= pages.Count()) {
        // The reader kept where the page's fonts and XObjects are; other kinds are looked up.
        const PageRecord& page = *pages.At(pageNumber - 1);
        const std::string_view wanted(kind);
        if (wanted == "/XObject") {
            if (page.hasXObjects) dictionary = objects.DictionaryAt(position = static_cast<int32_t>(page.xobjectDictionaryPosition));
        } else if (wanted == "/Font") {
            if (page.hasFonts) dictionary = objects.DictionaryAt(position = static_cast<int32_t>(page.fontDictionaryPosition));
        } else if (page.hasResources) {
            const TokenList resources = objects.DictionaryAt(static_cast<int32_t>(page.resourceDictionaryPosition));
            dictionary = objects.ValueTokens(resources, ValueIndex(resources, 0, kind));
        }
    }
    // Forms that share one dictionary share its table; inline ones are told apart by where the
    // dictionary they sit in was read.
    std::shared_ptr<const ResourceTable>* shared = nullptr;
    if (position >= 0) shared = &resourceTablesAt_[std::make_pair(position, start)];
    std::shared_ptr<const ResourceTable> table = shared && *shared ? *shared : nullptr;
    if (!table) table = std::make_shared<const ResourceTable>(ReferencesByName(dictionary, start));
    if (shared) *shared = table;
    return *resourceTables_.emplace(key, std::move(table)).first->second;
}

std::optional<int32_t> PdfDocument::ResourceNamed(uint32_t pageNumber, const char* kind, const std::string& name,
                                                  int32_t scope)
{
    const ResourceTable& table = ResourceTableOf(pageNumber, kind, scope);
    if (const auto found = table.find(name); found != table.end() && found->second) return found->second;
    // A form without the name in its own resources uses the page's.
    if (scope != 0) return ResourceNamed(pageNumber, kind, name, 0);
    return std::nullopt;
}

void PdfDocument::AppendFormPictures(int32_t form, int32_t pageIndex, std::unordered_set<std::string>& names,
                                     std::unordered_set<int32_t>& visited, size_t depth)
{
    if (depth > ContentInterpreter::MaxFormDepth || visited.size() >= MaxFormsSearched || !visited.insert(form).second)
        return;
    size_t start = 0;
    const TokenList xobjects = FormResources(form, "/XObject", start);
    int nesting = 0;
    for (size_t i = start; i < xobjects.size(); ++i) {
        const std::string& token = xobjects[i];
        if (token == "<<" || token == "[") ++nesting;
        if ((token == ">>" || token == "]") && --nesting <= 0) break;  // the end of the /XObject dictionary
        if (nesting != 1 || token.empty() || token[0] != '/') continue;
        const auto number = ReferenceAt(xobjects, i + 1);
        const auto position = number ? objects.ValuePosition(*number) : std::nullopt;
        if (!position) continue;
        const TokenList dictionary = objects.DictionaryAt(*position);
        const size_t subtype = ValueIndex(dictionary, 0, "/Subtype");
        if (subtype != 0 && dictionary[subtype] == "/Form") {
            AppendFormPictures(*number, pageIndex, names, visited, depth + 1);
        } else if (names.insert(token).second) {
            ImageObject* picture = pictures.Append();
            picture->pageIndex = pageIndex;
            picture->name = MakeText(token);
            picture->dictionaryPosition = static_cast<uint32_t>(*position);
        }
        i += 3;
    }
}

std::shared_ptr<const FormContent> PdfDocument::LoadForm(int32_t number, uint32_t pageNumber)
{
    const auto position = objects.ValuePosition(number);
    if (!position) return nullptr;
    const TokenList dictionary = objects.DictionaryAt(*position);
    // Appearance streams often leave out their subtype; a box tells them from other streams.
    const size_t subtype = ValueIndex(dictionary, 0, "/Subtype");
    const size_t box = ValueIndex(dictionary, 0, "/BBox");
    if (subtype != 0 ? dictionary[subtype] != "/Form" : box == 0) return nullptr;
    FormContent form{nullptr, {}, number};
    double m[6];
    if (NumbersAt(dictionary, ValueIndex(dictionary, 0, "/Matrix"), m, 6))
        form.matrix = {m[0], m[1], m[2], m[3], m[4], m[5]};
    NumbersAt(dictionary, box, form.box, 4);

    // The stream's data, decoded within what the reading may still take.
    ObjectRead<StreamObject> stream = objects.Stream(number);
    if (!stream) return nullptr;
    TokenList filters;
    for (const TokenList& tokens : stream->entries) {
        if (tokens[0] != "/Filter") continue;
        for (size_t t = 1; t < tokens.size(); ++t)
            if (tokens[t] != "[" && tokens[t] != "]") filters.push_back(tokens[t]);
    }
    std::string& data = stream.value->data;
    const uint64_t room = DocumentContentLimit - std::min(contentBytesRead_, DocumentContentLimit);
    const size_t limit = static_cast<size_t>(std::min<uint64_t>(InflateLimit, room));
    if (DecodeContentStream(data, filters, static_cast<int32_t>(pageNumber), limit) != StreamDecoding::Decoded)
        return nullptr;
    contentBytesRead_ += data.size();
    form.content = std::make_shared<const std::string>(std::move(data));
    return std::make_shared<const FormContent>(std::move(form));
}

std::shared_ptr<const FormContent> PdfDocument::CachedForm(int32_t number, uint32_t pageNumber)
{
    auto loaded = formContents_.find(number);
    if (loaded == formContents_.end()) loaded = formContents_.emplace(number, LoadForm(number, pageNumber)).first;
    return loaded->second;
}

std::optional<FormContent> PdfDocument::ResolveForm(uint32_t pageNumber, const std::string& name, int32_t scope)
{
    // Forms are decoded once per reading.
    const auto number = ResourceNamed(pageNumber, "/XObject", name, scope);
    const std::shared_ptr<const FormContent> form = number ? CachedForm(*number, pageNumber) : nullptr;
    if (!form) return std::nullopt;
    return *form;
}

}  // namespace folivo
