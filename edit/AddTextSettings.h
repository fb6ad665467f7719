// The settings of adding text to a page; the text-adding form only carries them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace folivo {

struct AddTextSettings {
    // Font resource names, each with its leading "/"; the selected one is used.
    std::vector<std::string> fontNames;
    int selectedFont = -1;
    int fontSize = 12;       // 1 ... 1000
    uint32_t color = 0;      // 0x00BBGGRR
    bool pasteInBack = false;  // "Hinter allen Objekten einfügen"
    std::vector<std::string> lines;  // Windows-1252 bytes

    // The selected font's name, or empty when none is selected.
    std::string SelectedFontName() const
    {
        return selectedFont >= 0 && static_cast<size_t>(selectedFont) < fontNames.size() ? fontNames[selectedFont] : "";
    }
};

}  // namespace folivo
