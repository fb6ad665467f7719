#include "syntax/DictionaryTokens.h"

#include <algorithm>

#include "syntax/TokenReader.h"

namespace folivo {

size_t ValueIndex(const TokenList& tokens, size_t start, std::string_view key)
{
    int depth = 0;
    for (size_t i = start; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if (token == "<<" || token == "[") {
            ++depth;
        } else if (token == ">>" || token == "]") {
            if (--depth <= 0) return 0;
        } else if (depth == 1 && token == key && i + 1 < tokens.size()) {
            return i + 1;
        }
    }
    return 0;
}

std::optional<int32_t> ReferenceAt(const TokenList& tokens, size_t at)
{
    if (at == 0 || at + 2 >= tokens.size() || tokens[at + 2] != "R") return std::nullopt;
    return IntegerText(tokens[at]);
}

bool NumbersAt(const TokenList& tokens, size_t at, double* values, size_t count)
{
    if (at == 0 || count > 6 || at + count >= tokens.size() || tokens[at] != "[") return false;
    double read[6];
    for (size_t i = 0; i < count; ++i) {
        const auto value = NumberText(tokens[at + 1 + i]);
        if (!value) return false;
        read[i] = *value;
    }
    std::copy(read, read + count, values);
    return true;
}

}  // namespace folivo
