// The measuring canvas on Qt: integer font metrics of the display font on an off-screen image
// whose resolution is the canvas's pixels per inch.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QString>
#include <array>
#include <map>
#include <memory>

#include "content/MeasuringCanvas.h"

namespace folivo {

class QtMeasuringCanvas : public MeasuringCanvas {
public:
    static constexpr int DefaultPixelsPerInch = 96;

    explicit QtMeasuringCanvas(int pixelsPerInch = DefaultPixelsPerInch);

    // The display font; its size is set by SelectDisplayFont.
    void SetDisplayFont(const QString& family, bool bold = false, bool italic = false);
    void SetDisplayFont(const QFont& font);
    const QFont& DisplayFont() const { return font_; }

    int PixelsPerInch() const override { return pixelsPerInch_; }
    void SelectDisplayFont(int pixelHeight) override;
    void SelectDisplayStyle(uint8_t style) override;
    int TextWidth(std::string_view text) override;
    int UnicodeTextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;

    // The pixel height SelectDisplayFont last set (after its lower bound).
    int SelectedPixelHeight() const { return pixelHeight_; }

private:
    // The metrics of the display font at one pixel height, with the width of each single byte
    // filled in on first use (-1 until then).
    struct Size {
        QFontMetrics metrics;
        std::array<int, 256> byteWidths;
        int height = -1;  // the line height once asked for
    };

    Size& Current();

    int pixelsPerInch_;
    QImage device_;
    QFont font_;
    int pixelHeight_ = 1;
    uint8_t style_ = 0;
    // By pixel height and style.
    std::map<std::pair<int, uint8_t>, std::unique_ptr<Size>> sizes_;
    Size* current_ = nullptr;
};

}  // namespace folivo
