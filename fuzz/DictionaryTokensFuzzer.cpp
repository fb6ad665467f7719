// The dictionary token lookups over the token reader's tokens of arbitrary bytes, from every
// start position (the first few hundred), with keys taken from the input and a few common ones.
// Besides memory errors it checks what every caller relies on: an index found lies inside the
// list and past the start, the one-pass name table agrees with the lookups by key, and a name
// written with escapes comes in its canonical form, which reads back as itself.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "syntax/DictionaryTokens.h"
#include "syntax/Names.h"
#include "syntax/TokenReader.h"

namespace {

// Bounds that keep one input's work small: every start walks to the end of the list.
constexpr size_t MaxTokens = 1024;
constexpr size_t MaxStarts = 256;
constexpr size_t MaxNamesChecked = 16;

void Require(bool condition)
{
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    folivo::FileBuffer buffer{data, static_cast<int32_t>(std::min<size_t>(size, INT32_MAX)), 0};
    folivo::TokenList tokens;
    while (buffer.position < buffer.size && tokens.size() < MaxTokens) tokens.push_back(folivo::ReadToken(buffer));

    for (const std::string& token : tokens) {
        if (token.size() < 2 || token[0] != '/' || token.find('#') == std::string::npos) continue;
        Require(folivo::CanonicalName(token) == token);
        folivo::FileBuffer again{reinterpret_cast<const uint8_t*>(token.data()), static_cast<int32_t>(token.size()), 0};
        Require(folivo::ReadToken(again) == token && again.position >= again.size);
    }

    for (size_t start = 0; start < std::min(tokens.size() + 1, MaxStarts); ++start) {
        const auto table = folivo::ReferencesByName(tokens, start);
        size_t checked = 0;
        for (const auto& [name, reference] : table) {
            if (++checked > MaxNamesChecked) break;
            const size_t at = folivo::ValueIndex(tokens, start, name);
            Require(at > start && at < tokens.size());
            Require(folivo::ReferenceAt(tokens, at) == reference);
        }
        for (const std::string key : {"/Type", "/Length", "/Filter", "/Resources", ""}) {
            const size_t at = folivo::ValueIndex(tokens, start, key);
            Require(at == 0 || (at > start && at < tokens.size() && table.count(key) == 1));
        }
        folivo::VisitTopLevelNames(tokens, start, [&](size_t i) {
            Require(i >= start && i + 1 < tokens.size() && tokens[i][0] == '/');
            return true;
        });

        if (const auto reference = folivo::ReferenceAt(tokens, start)) Require(tokens[start + 2] == "R");
        if (folivo::IsReference(tokens, start)) Require(start + 2 < tokens.size());
        double values[6] = {};
        folivo::NumbersAt(tokens, start, values, start % 7);
        if (start < tokens.size()) folivo::StartsHexString(tokens[start]);

        size_t elementTokens = 0;
        for (const folivo::TokenList& element : folivo::ArrayElements(tokens, start)) {
            Require(!element.empty());
            elementTokens += element.size();
        }
        Require(elementTokens == 0 || elementTokens < tokens.size() - start);
    }
    return 0;
}
