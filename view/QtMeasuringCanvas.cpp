#include "view/QtMeasuringCanvas.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "view/QtText.h"

namespace folivo {

namespace {

// Pages with many distinct text sizes must not grow the cache without bound.
constexpr size_t MaxCachedSizes = 64;

// Around 17000 pixels the font engine's line height overflows (earlier for fonts with tall
// ascenders); text on a screen never gets near this bound.
constexpr int MaxPixelHeight = 8192;

}  // namespace

QtMeasuringCanvas::QtMeasuringCanvas(int pixelsPerInch)
    : pixelsPerInch_(std::max(pixelsPerInch, 1)), device_(1, 1, QImage::Format_RGB32)
{
    const int dotsPerMeter = static_cast<int>(std::min<long>(std::lround(pixelsPerInch_ / 0.0254), INT_MAX));
    device_.setDotsPerMeterX(dotsPerMeter);
    device_.setDotsPerMeterY(dotsPerMeter);
    SetDisplayFont(QStringLiteral("Arial"));
}

void QtMeasuringCanvas::SetDisplayFont(const QString& family, bool bold, bool italic)
{
    QFont font(family);
    font.setBold(bold);
    font.setItalic(italic);
    SetDisplayFont(font);
}

void QtMeasuringCanvas::SetDisplayFont(const QFont& font)
{
    font_ = font;
    // The platform's text extent is the plain sum of the characters' whole-pixel advances: no
    // kerning pairs, no ligatures. Full hinting gives whole-pixel advances; the default (slight)
    // hinting keeps fractional ones, so a text would measure narrower than its characters.
    font_.setKerning(false);
    font_.setStyleStrategy(QFont::StyleStrategy(font_.styleStrategy() | QFont::PreferNoShaping));
    font_.setHintingPreference(QFont::PreferFullHinting);
    sizes_.clear();
    current_ = nullptr;
}

void QtMeasuringCanvas::SelectDisplayFont(int pixelHeight)
{
    const int bounded = std::clamp(pixelHeight, 1, MaxPixelHeight);
    if (bounded == pixelHeight_) return;
    pixelHeight_ = bounded;
    current_ = nullptr;
}

void QtMeasuringCanvas::SelectDisplayStyle(uint8_t style)
{
    if (style == style_) return;
    style_ = style;
    current_ = nullptr;
}

QtMeasuringCanvas::Size& QtMeasuringCanvas::Current()
{
    if (current_) return *current_;
    const auto key = std::make_pair(pixelHeight_, style_);
    auto found = sizes_.find(key);
    if (found == sizes_.end()) {
        if (sizes_.size() >= MaxCachedSizes) sizes_.clear();
        QFont font = StyledFont(font_, style_);
        font.setPixelSize(pixelHeight_);
        auto size = std::make_unique<Size>(Size{QFontMetrics(font, &device_), {}});
        size->byteWidths.fill(-1);
        found = sizes_.emplace(key, std::move(size)).first;
    }
    current_ = found->second.get();
    return *current_;
}

int QtMeasuringCanvas::TextWidth(std::string_view text)
{
    Size& size = Current();
    if (text.size() == 1) {
        int& width = size.byteWidths[static_cast<unsigned char>(text[0])];
        if (width < 0) width = size.metrics.horizontalAdvance(QStringFromWindows1252(text));
        return width;
    }
    if (text.empty()) return 0;
    return size.metrics.horizontalAdvance(QStringFromWindows1252(text));
}

int QtMeasuringCanvas::UnicodeTextWidth(std::string_view text)
{
    // ASCII reads alike in both forms and takes the cached widths.
    if (text.size() == 1 && static_cast<unsigned char>(text[0]) < 0x80) return TextWidth(text);
    if (text.empty()) return 0;
    return Current().metrics.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

int QtMeasuringCanvas::TextHeight(std::string_view)
{
    // The text extent's height is the font's line height, whatever the text.
    Size& size = Current();
    // Asked for with every text run; the metrics compute it anew each time.
    if (size.height < 0) size.height = size.metrics.height();
    return size.height;
}

}  // namespace folivo
