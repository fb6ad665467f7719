#include "view/QtOutlineFontMetrics.h"

#include <QFontMetrics>
#include <QRawFont>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "view/QtMeasuringCanvas.h"
#include "view/QtText.h"

namespace folivo {

namespace {

// Big-endian fields of a font table; a field beyond the table's end reads as absent.
bool Has(const QByteArray& table, qsizetype offset, qsizetype size) { return offset >= 0 && table.size() >= offset + size; }

uint16_t Uint16At(const QByteArray& table, qsizetype offset)
{
    const auto* data = reinterpret_cast<const uint8_t*>(table.constData());
    return static_cast<uint16_t>((data[offset] << 8) | data[offset + 1]);
}

int16_t Int16At(const QByteArray& table, qsizetype offset) { return static_cast<int16_t>(Uint16At(table, offset)); }

int32_t Int32At(const QByteArray& table, qsizetype offset)
{
    return static_cast<int32_t>((static_cast<uint32_t>(Uint16At(table, offset)) << 16) | Uint16At(table, offset + 2));
}

// The first and last single-byte codes. A font whose characters start beyond the single bytes
// (a symbol font mapped to the private use area) still offers the printable ones.
void ReadCharacterRange(const QByteArray& os2, FontMeasurement& m)
{
    m.firstChar = 32;
    m.lastChar = 255;
    if (!Has(os2, 64, 4)) return;
    const int first = Uint16At(os2, 64);
    const int last = Uint16At(os2, 66);
    if (first > 255 || last < first) return;
    m.firstChar = first;
    m.lastChar = std::min(last, 255);
}

}  // namespace

bool ReadOutlineTables(const QByteArray& head, const QByteArray& hhea, const QByteArray& post, const QByteArray& os2,
                       int pixelSize, FontMeasurement& m)
{
    if (!Has(head, 36, 8)) return false;
    const int unitsPerEm = Uint16At(head, 18);
    if (unitsPerEm == 0) return false;
    auto pixels = [&](int units) { return static_cast<int>(std::lround(double(units) * pixelSize / unitsPerEm)); };

    m.hasOutline = true;
    m.boxLeft = pixels(Int16At(head, 36));
    m.boxBottom = pixels(Int16At(head, 38));
    m.boxRight = pixels(Int16At(head, 40));
    m.boxTop = pixels(Int16At(head, 42));
    if (Has(hhea, 4, 4)) {
        m.ascent = pixels(Int16At(hhea, 4));
        m.descent = pixels(Int16At(hhea, 6));
    } else {
        m.ascent = m.boxTop;
        m.descent = m.boxBottom;
    }
    // Fixed 16.16 degrees, reported in tenths of a degree.
    m.italicAngle = Has(post, 4, 4) ? static_cast<int>(std::lround(Int32At(post, 4) / 65536.0 * 10)) : 0;
    ReadCharacterRange(os2, m);
    return true;
}

FontMeasurement QtOutlineFontMetrics::Measure(const DisplayFont& font)
{
    QFont qtFont(QStringFromWindows1252(font.family));
    qtFont.setBold(font.bold);
    qtFont.setItalic(font.italic);
    return Measure(qtFont, font.pixelHeight);
}

FontMeasurement QtOutlineFontMetrics::Measure(const QFont& font, int pixelHeight)
{
    // The canvas prepares the font as every text extent of the program is measured, so the
    // descriptor's widths agree with the page view's.
    QtMeasuringCanvas canvas;
    canvas.SetDisplayFont(font);
    canvas.SelectDisplayFont(pixelHeight);
    const int pixelSize = canvas.SelectedPixelHeight();
    QFont sized = canvas.DisplayFont();
    sized.setPixelSize(pixelSize);

    FontMeasurement m;
    const QRawFont raw = QRawFont::fromFont(sized);
    const bool outline = raw.isValid() && ReadOutlineTables(raw.fontTable("head"), raw.fontTable("hhea"),
                                                            raw.fontTable("post"), raw.fontTable("OS/2"), pixelSize, m);
    if (!outline) {
        const QFontMetrics metrics(sized);
        m.hasOutline = false;
        m.height = metrics.height();
        m.maxCharWidth = metrics.maxWidth();
        m.ascent = metrics.ascent();
        m.descent = metrics.descent();
        m.firstChar = 32;
        m.lastChar = 255;
    }
    for (int code = 0; code < 256; ++code) {
        const char byte = static_cast<char>(code);
        m.widths[code] = canvas.TextWidth(std::string_view(&byte, 1));
    }
    return m;
}

}  // namespace folivo
