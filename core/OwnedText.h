// A zero-terminated byte text owned by a plain record. It keeps its length too, so texts that
// hold zero bytes (UTF-16 strings) survive. Records are trivially copyable, so the owner
// releases the text explicitly.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace folivo {

struct OwnedText {
    char* data;
    uint32_t length;

    bool Empty() const { return data == nullptr; }
    std::string_view View() const { return data ? std::string_view(data, length) : std::string_view(); }
};

inline OwnedText MakeText(std::string_view text)
{
    OwnedText owned{new char[text.size() + 1], static_cast<uint32_t>(text.size())};
    if (!text.empty()) std::memcpy(owned.data, text.data(), text.size());
    owned.data[text.size()] = '\0';
    return owned;
}

inline void ReleaseText(OwnedText& text)
{
    delete[] text.data;
    text.data = nullptr;
    text.length = 0;
}

}  // namespace folivo
