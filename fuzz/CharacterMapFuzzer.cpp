// Parses arbitrary bytes as a font's character map and shows the same bytes through a
// composite font that uses it as encoding and /ToUnicode map, as the interpreter does.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "content/CMap.h"
#include "content/TextFont.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto map = std::make_shared<const folivo::CMap>(folivo::CMap::Parse(text));
    folivo::TextFont font;
    font.composite = true;
    font.encoding = map;
    font.toUnicode = map;
    size_t characters = 0;
    font.ForEachCode(text.substr(0, 4096), [&](const folivo::TextFont::Code& code) { characters += code.characters.size(); });
    (void)characters;
    return 0;
}
