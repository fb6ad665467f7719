// The signature fields of the document's form that hold a signature: a save must know them,
// since only an appended save keeps a signature valid.
#include <unordered_set>

#include "core/ResourceLimits.h"
#include "document/PdfDocument.h"
#include "model/TextStrings.h"
#include "syntax/DictionaryTokens.h"

namespace folivo {

namespace {

std::string NameAt(const TokenList& tokens, size_t at)
{
    return at > 0 && at < tokens.size() && !tokens[at].empty() && tokens[at][0] == '/' ? tokens[at] : "";
}

std::string TextAt(const TokenList& tokens, size_t at)
{
    if (at == 0 || at >= tokens.size()) return "";
    const std::string& token = tokens[at];
    if (token.empty() || (token[0] != '(' && !StartsHexString(token) && token != "<")) return "";
    return PdfTextToUtf8(StringValueBytes(tokens, at));
}

}  // namespace

void PdfDocument::ReadSignatureFields()
{
    const TokenList catalog = objects.ObjectTokens(rootReference.objectNumber);
    const TokenList form = objects.ValueTokens(catalog, ValueIndex(catalog, 0, "/AcroForm"));
    if (form.empty() || form[0] != "<<") return;
    const TokenList fields = objects.ValueTokens(form, ValueIndex(form, 0, "/Fields"));
    if (fields.empty() || fields[0] != "[") return;

    // The field tree, depth first in the order of the form, each field once: a field's type
    // and name are inherited by its kids.
    struct Pending {
        int32_t number;
        std::string parentName;
        std::string inheritedType;
        size_t depth;
    };
    std::vector<Pending> stack;
    auto pushKids = [&stack](const TokenList& array, const std::string& name, const std::string& type, size_t depth) {
        const std::vector<ObjectReference> kids = ReferencesIn(array, 1);
        for (auto it = kids.rbegin(); it != kids.rend(); ++it) stack.push_back({it->objectNumber, name, type, depth});
    };
    pushKids(fields, "", "", 1);
    std::unordered_set<int32_t> visited;
    while (!stack.empty() && visited.size() < MaxFieldsVisited) {
        const Pending field = std::move(stack.back());
        stack.pop_back();
        if (!visited.insert(field.number).second) continue;
        const TokenList tokens = objects.ObjectTokens(field.number);
        if (tokens.empty() || tokens[0] != "<<") continue;
        const std::string partial = TextAt(tokens, ValueIndex(tokens, 0, "/T"));
        std::string name = field.parentName;
        if (!partial.empty()) name = name.empty() ? partial : name + "." + partial;
        const std::string ownType = NameAt(tokens, ValueIndex(tokens, 0, "/FT"));
        const std::string type = ownType.empty() ? field.inheritedType : ownType;

        const size_t value = ValueIndex(tokens, 0, "/V");
        if (type == "/Sig" && value > 0 && tokens[value] != "null") {
            const TokenList signature = objects.ValueTokens(tokens, value);
            if (!signature.empty() && signature[0] == "<<") {
                signatures.push_back({name, TextAt(signature, ValueIndex(signature, 0, "/Name")),
                                      TextAt(signature, ValueIndex(signature, 0, "/M"))});
            }
        }
        if (field.depth >= MaxFieldDepth) continue;
        const TokenList kids = objects.ValueTokens(tokens, ValueIndex(tokens, 0, "/Kids"));
        if (!kids.empty() && kids[0] == "[") pushKids(kids, name, type, field.depth + 1);
    }
}

}  // namespace folivo
