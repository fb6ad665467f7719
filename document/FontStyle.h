// How a font looks, as its base name and descriptor flags tell.
#pragma once

#include <cstdint>
#include <string_view>

namespace folivo {

// The style a base font name tells, as in "/ABCDEF+Times-BoldItalic" or "/Arial,Bold".
uint8_t StyleOfBaseFont(std::string_view name);

// `style` with a descriptor's /Flags added: fixed pitch, serif, italic and force bold. A fixed
// pitch wins over the serif that a base name may have suggested.
uint8_t WithFlagsStyle(uint8_t style, int64_t flags);

}  // namespace folivo
