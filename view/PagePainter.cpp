#include "view/PagePainter.h"

#include <QPen>
#include <algorithm>
#include <cmath>

#include "view/PageGeometry.h"

namespace folivo {

namespace {

QPainterPath QtPath(const DevicePath& path, bool evenOdd)
{
    QPainterPath qt;
    qt.setFillRule(evenOdd ? Qt::OddEvenFill : Qt::WindingFill);
    size_t at = 0;
    const std::vector<double>& p = path.points;
    for (const DevicePath::Verb verb : path.verbs) {
        switch (verb) {
        case DevicePath::Verb::Move:
            qt.moveTo(p[at], p[at + 1]);
            at += 2;
            break;
        case DevicePath::Verb::Line:
            qt.lineTo(p[at], p[at + 1]);
            at += 2;
            break;
        case DevicePath::Verb::Curve:
            qt.cubicTo(p[at], p[at + 1], p[at + 2], p[at + 3], p[at + 4], p[at + 5]);
            at += 6;
            break;
        case DevicePath::Verb::Close:
            qt.closeSubpath();
            break;
        }
    }
    return qt;
}

// How much a transform enlarges lengths, on average over directions.
double Scale(const QTransform& t) { return std::sqrt(std::fabs(t.m11() * t.m22() - t.m12() * t.m21())); }

// A pen for the stroke with its width in device pixels; lines thinner than a pixel are drawn one
// pixel wide, as printers and other viewers draw them.
QPen PenOf(const DeviceStroke& stroke, double scale, const QColor& colour)
{
    QPen pen(colour);
    const double width = std::max(stroke.width * scale, 1.0);
    pen.setWidthF(width);
    static constexpr Qt::PenCapStyle caps[] = {Qt::FlatCap, Qt::RoundCap, Qt::SquareCap};
    static constexpr Qt::PenJoinStyle joins[] = {Qt::MiterJoin, Qt::RoundJoin, Qt::BevelJoin};
    pen.setCapStyle(caps[std::clamp(stroke.cap, 0, 2)]);
    pen.setJoinStyle(joins[std::clamp(stroke.join, 0, 2)]);
    // The miter limit counts from the join's middle, half the length that the file's counts.
    pen.setMiterLimit(stroke.miterLimit / 2);
    double total = 0;
    for (double d : stroke.dash) total += std::max(d, 0.0);
    if (!stroke.dash.empty() && total > 0 && stroke.dash.size() <= 64) {
        // Dashes are counted in pen widths; an odd list repeats once more.
        const double unit = scale / width;
        QVector<qreal> pattern;
        for (size_t k = 0; k < stroke.dash.size() * (stroke.dash.size() % 2 ? 2 : 1); ++k)
            pattern.push_back(std::max(stroke.dash[k % stroke.dash.size()], 1e-3) * unit);
        pen.setDashPattern(pattern);
        pen.setDashOffset(stroke.dashPhase * unit);
    }
    return pen;
}

}  // namespace

PagePainter::PagePainter(PdfDocument& document, uint32_t pageNumber, QPainter& painter, const QTransform& pageToDevice,
                         FontPrograms& fonts, int depth)
    : document_(document), pageNumber_(pageNumber), depth_(depth), painter_(painter), pageToDevice_(pageToDevice), fonts_(fonts),
      pictureImages_(QSize(painter.device()->width(), painter.device()->height()))
{
}

std::optional<QBrush> PagePainter::PatternBrush(int32_t number)
{
    const std::optional<PdfDocument::Pattern> pattern = document_.ReadPattern(number);
    if (!pattern) return std::nullopt;
    if (pattern->type == 2) {
        if (!pattern->colour) return std::nullopt;
        const uint32_t c = *pattern->colour;
        return QBrush(QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF)));
    }
    if (depth_ >= 2) return std::nullopt;
    // One cell drawn into a tile at the device's resolution, repeated by the brush.
    const Matrix& m = pattern->cell.matrix;
    const QTransform patternToDevice = QTransform(m.a, m.b, m.c, m.d, m.e, m.f) * pageToDevice_;
    const double scale = std::max(Scale(patternToDevice), 1e-6);
    const double xStep = std::fabs(pattern->xStep), yStep = std::fabs(pattern->yStep);
    const double side = std::max(xStep, yStep) * scale;
    // Tiles stay small however large a step or a zoom asks them to be.
    const double s = side > 2048 ? scale * 2048 / side : scale;
    const QSize size(std::max(1, static_cast<int>(std::ceil(xStep * s))), std::max(1, static_cast<int>(std::ceil(yStep * s))));
    QImage tile(size, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    const QTransform cellToTile(s, 0, 0, -s, 0, yStep * s);
    {
        QPainter tilePainter(&tile);
        tilePainter.setRenderHints(painter_.renderHints());
        PagePainter cellDevice(document_, pageNumber_, tilePainter, cellToTile, fonts_, depth_ + 1);
        cellDevice.fontProblem = fontProblem;
        FormContent cell = pattern->cell;
        cell.matrix = Matrix{};
        document_.DrawCell(pageNumber_, cell, Matrix{}, cellDevice);
    }
    QBrush brush(tile);
    brush.setTransform(cellToTile.inverted() * patternToDevice);
    return brush;
}

QTransform PagePainter::ToDevice(const Matrix& m) const { return QTransform(m.a, m.b, m.c, m.d, m.e, m.f) * pageToDevice_; }

QColor PagePainter::ColourOf(const DevicePaint& paint) const
{
    QColor colour;
    colour.setRgbF(static_cast<float>(paint.colour.red), static_cast<float>(paint.colour.green),
                   static_cast<float>(paint.colour.blue), static_cast<float>(std::clamp(paint.alpha, 0.0, 1.0)));
    return colour;
}

void PagePainter::SaveState() { painter_.save(); }

void PagePainter::RestoreState() { painter_.restore(); }

void PagePainter::FillPath(const DevicePath& path, const Matrix& ctm, bool evenOdd, const DevicePaint& paint)
{
    if (paint.pattern) {
        // Filled on the device, where the brush's tiles lie.
        const std::optional<QBrush> brush = PatternBrush(paint.pattern);
        if (!brush) return;
        painter_.setTransform(QTransform());
        painter_.setOpacity(std::clamp(paint.alpha, 0.0, 1.0));
        painter_.fillPath(ToDevice(ctm).map(QtPath(path, evenOdd)), *brush);
        painter_.setOpacity(1);
        return;
    }
    painter_.setTransform(ToDevice(ctm));
    painter_.fillPath(QtPath(path, evenOdd), ColourOf(paint));
}

void PagePainter::StrokePath(const DevicePath& path, const Matrix& ctm, const DeviceStroke& stroke, const DevicePaint& paint)
{
    if (paint.pattern) return;
    // Stroked on the device, so that a thin line keeps a whole pixel however the page is turned.
    const QTransform transform = ToDevice(ctm);
    painter_.setTransform(QTransform());
    painter_.strokePath(transform.map(QtPath(path, false)), PenOf(stroke, Scale(transform), ColourOf(paint)));
}

void PagePainter::ClipPath(const DevicePath& path, const Matrix& ctm, bool evenOdd)
{
    painter_.setTransform(ToDevice(ctm));
    painter_.setClipPath(QtPath(path, evenOdd), Qt::IntersectClip);
}

const FontGlyphs* PagePainter::GlyphsOf(const TextFont& font)
{
    const FontGlyphs* glyphs = nullptr;
    if (font.objectNumber > 0) glyphs = fonts_.Font(font.objectNumber);
    // A standard font named by a made appearance, or text before any font or in a font the
    // file does not hold (in the plain sans face): substitutes.
    if (!glyphs) return fonts_.Standard(font.baseFont.empty() ? "Helvetica" : font.baseFont);
    if (glyphs->Problem() && !problemsShown_[font.objectNumber]) {
        problemsShown_[font.objectNumber] = true;
        if (fontProblem) fontProblem(*glyphs->Problem());
    }
    return glyphs;
}

void PagePainter::DrawGlyph(const DeviceGlyph& glyph)
{
    const FontGlyphs* glyphs = GlyphsOf(*glyph.font);
    if (!glyphs) return;
    const QPainterPath outline = glyphs->Outline(glyph.code);
    if (outline.isEmpty()) return;
    const QPainterPath onDevice = ToDevice(glyph.matrix).map(outline);
    const int mode = glyph.renderMode;
    painter_.setTransform(QTransform());
    if (mode == 0 || mode == 2 || mode == 4 || mode == 6) painter_.fillPath(onDevice, ColourOf(glyph.fill));
    if (mode == 1 || mode == 2 || mode == 5 || mode == 6) {
        painter_.strokePath(onDevice, PenOf(glyph.strokeStyle, Scale(ToDevice(glyph.ctm)), ColourOf(glyph.stroke)));
    }
    if (mode >= 4) {
        textClip_.addPath(onDevice);
        textClipStarted_ = true;
    }
}

std::optional<double> PagePainter::GlyphAdvance(const TextFont& font, uint32_t code)
{
    const FontGlyphs* glyphs = GlyphsOf(font);
    return glyphs ? glyphs->Advance(code) : std::nullopt;
}

void PagePainter::EndText()
{
    if (!textClipStarted_) return;
    painter_.setTransform(QTransform());
    painter_.setClipPath(textClip_, Qt::IntersectClip);
    textClip_ = QPainterPath();
    textClipStarted_ = false;
}

void PagePainter::DrawPicture(int32_t index, bool inlinePicture, const Matrix& ctm, const DevicePaint& fill)
{
    if (index == -1) {
        // A picture that could not be decoded keeps its place as a grey area.
        painter_.setTransform(ToDevice(ctm));
        painter_.fillRect(QRectF(0, 0, 1, 1), QColor(0xC0, 0xC0, 0xC0));
        return;
    }
    const TDynaArray<ImageObject>& list = inlinePicture ? document_.inlinePictures : document_.pictures;
    if (index < 0 || static_cast<uint32_t>(index) >= list.Count()) return;
    const ImageObject& picture = *list.At(static_cast<uint32_t>(index));
    const RasterImage& raster = picture.image;
    if (!raster.pixels || raster.width <= 0 || raster.height <= 0) return;
    const QImage& image = pictureImages_.Of(picture, ColourOf({fill.colour, 1, 0}).rgb());
    if (image.isNull()) return;
    // The picture fills the unit square, its first row at the top.
    painter_.setTransform(QTransform(1.0 / image.width(), 0, 0, -1.0 / image.height(), 0, 1) * ToDevice(ctm));
    painter_.setOpacity(std::clamp(fill.alpha, 0.0, 1.0));
    painter_.drawImage(QPointF(0, 0), image);
    painter_.setOpacity(1);
}

void PagePainter::FillShading(int32_t shading, const Matrix&, double alpha)
{
    const std::optional<uint32_t> colour = document_.ShadingColour(shading);
    if (!colour) return;
    DevicePaint paint;
    paint.colour = {(*colour & 0xFF) / 255.0, ((*colour >> 8) & 0xFF) / 255.0, ((*colour >> 16) & 0xFF) / 255.0};
    paint.alpha = alpha;
    // sh paints the whole clip.
    painter_.setTransform(QTransform());
    painter_.fillRect(QRectF(QPointF(0, 0), QSizeF(painter_.device()->width(), painter_.device()->height())), ColourOf(paint));
}

QImage RenderPageAsPrinted(PdfDocument& document, FontPrograms& fonts, int pageNumber, int zoom, int resolution,
                           double pixelRatio, const std::function<void(const std::string&)>& fontProblem)
{
    if (document.readingInProgress) return {};
    const QSize size = PageDrawingSize(document, pageNumber, zoom, resolution);
    pixelRatio = std::clamp(pixelRatio, 1.0, 4.0);
    const QSize pixels(static_cast<int>(std::ceil(size.width() * pixelRatio)), static_cast<int>(std::ceil(size.height() * pixelRatio)));
    if (!DrawableSize(pixels)) return {};
    QImage image(pixels, QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    const auto mapping = PageMapping::Of(document, pageNumber, zoom, resolution);
    if (!mapping) return image;

    const PageRecord& page = *document.pages.At(static_cast<uint32_t>(pageNumber - 1));
    const double scale = zoom * resolution / 7200.0;
    const double height = mapping->UnturnedSize().height();
    const QTransform pageToPixels =
        QTransform(scale, 0, 0, -scale, -page.mediaBox[0] * scale, height + page.mediaBox[1] * scale) * mapping->Turn();
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    PagePainter device(document, static_cast<uint32_t>(pageNumber), painter, pageToPixels, fonts);
    device.fontProblem = fontProblem;
    document.DrawPage(static_cast<uint32_t>(pageNumber), device);
    return image;
}

}  // namespace folivo
