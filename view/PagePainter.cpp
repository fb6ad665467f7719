#include "view/PagePainter.h"

#include <QPainterPathStroker>
#include <QPen>
#include <algorithm>
#include <cmath>

#include "view/PageGeometry.h"
#include "view/ShadingPainter.h"

namespace folivo {

namespace {

// Patterns inside patterns and soft masks inside soft masks: a bound stops cells that fill with
// themselves.
constexpr int MaxNestedDrawings = 2;
// A soft mask larger than this is drawn coarser and spread over its area.
constexpr double MaxSoftMaskPixels = 16.0 * 1024 * 1024;
constexpr size_t MaxTilesPerDrawing = 64;

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
    // Past the miter limit a join is bevelled, as printers do, not cut off at the limit.
    static constexpr Qt::PenJoinStyle joins[] = {Qt::SvgMiterJoin, Qt::RoundJoin, Qt::BevelJoin};
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

QRectF PagePainter::DeviceRect() const
{
    return QRectF(0, 0, painter_.device()->width(), painter_.device()->height());
}

std::optional<QBrush> PagePainter::TileBrush(int32_t number, const PdfDocument::Pattern& pattern, const QColor& colour)
{
    if (depth_ >= MaxNestedDrawings) return std::nullopt;
    const QRgb tint = pattern.uncoloured ? colour.rgb() : 0;
    if (const auto known = tiles_.find({number, tint}); known != tiles_.end()) return known->second;
    // One cell drawn into a tile at the device's resolution, repeated by the brush.
    const Matrix& m = pattern.cell.matrix;
    const QTransform patternToDevice = QTransform(m.a, m.b, m.c, m.d, m.e, m.f) * pageToDevice_;
    const double scale = std::max(Scale(patternToDevice), 1e-6);
    const double xStep = std::fabs(pattern.xStep), yStep = std::fabs(pattern.yStep);
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
        FormContent cell = pattern.cell;
        cell.matrix = Matrix{};
        document_.DrawCell(pageNumber_, cell, Matrix{}, cellDevice);
        if (pattern.uncoloured) {
            // An uncoloured cell gives shapes only: they take the colour of the fill.
            tilePainter.setCompositionMode(QPainter::CompositionMode_SourceIn);
            tilePainter.fillRect(tile.rect(), QColor(colour.rgb()));
        }
    }
    QBrush brush(tile);
    brush.setTransform(cellToTile.inverted() * patternToDevice);
    if (tiles_.size() < MaxTilesPerDrawing) tiles_.emplace(std::make_pair(number, tint), brush);
    return brush;
}

void PagePainter::FillWithPattern(const QPainterPath& area, const DevicePaint& paint)
{
    const std::optional<PdfDocument::Pattern> pattern = document_.ReadPattern(paint.pattern);
    if (!pattern) return;
    const double alpha = std::clamp(paint.alpha, 0.0, 1.0);
    const auto bounds = [&area] { return area.boundingRect(); };
    if (pattern->type == 2) {
        const Matrix& m = pattern->cell.matrix;
        const QTransform shadingToDevice = QTransform(m.a, m.b, m.c, m.d, m.e, m.f) * pageToDevice_;
        Paint(bounds, [&](QPainter& p, const QTransform& base) {
            p.save();
            p.setTransform(base);
            p.setClipPath(area, Qt::IntersectClip);
            p.setOpacity(alpha);
            // A shading pattern's background fills what the shading itself leaves.
            if (pattern->shading->background) p.fillPath(area, PackedColour(*pattern->shading->background));
            PaintShading(p, base, *pattern->shading, shadingToDevice, area.boundingRect());
            p.restore();
        });
        return;
    }
    const std::optional<QBrush> brush = TileBrush(paint.pattern, *pattern, ColourOf({paint.colour, 1, 0}));
    if (!brush) return;
    Paint(bounds, [&](QPainter& p, const QTransform& base) {
        p.setTransform(base);
        p.setOpacity(alpha);
        p.fillPath(area, *brush);
        p.setOpacity(1);
    });
}

void PagePainter::Paint(const std::function<QRectF()>& bounds, const Drawing& draw)
{
    if (!softMask_) {
        draw(painter_, QTransform());
        return;
    }
    const QRect rect = bounds().toAlignedRect().adjusted(-1, -1, 1, 1) & softMask_->rect;
    if (rect.isEmpty()) return;
    QImage layer(rect.size(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull()) return;
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHints(painter_.renderHints());
        draw(p, QTransform::fromTranslate(-rect.x(), -rect.y()));
        p.setTransform(QTransform());
        p.setOpacity(1);
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        const double s = softMask_->scale;
        const QRectF source((rect.x() - softMask_->rect.x()) * s, (rect.y() - softMask_->rect.y()) * s, rect.width() * s,
                            rect.height() * s);
        p.drawImage(QRectF(0, 0, rect.width(), rect.height()), softMask_->image, source);
    }
    painter_.setTransform(QTransform());
    painter_.drawImage(rect.topLeft(), layer);
}

void PagePainter::SetSoftMask(const std::optional<DeviceSoftMask>& mask)
{
    softMask_.reset();
    if (!mask || depth_ >= MaxNestedDrawings) return;
    // The mask matters only where paint can go: within the clip.
    painter_.setTransform(QTransform());
    QRect rect = DeviceRect().toAlignedRect();
    if (painter_.hasClipping()) rect &= painter_.clipBoundingRect().toAlignedRect();
    auto made = std::make_shared<SoftMaskImage>();
    made->rect = rect;
    if (rect.isEmpty()) {
        softMask_ = made;
        return;
    }
    const double pixels = static_cast<double>(rect.width()) * rect.height();
    made->scale = pixels > MaxSoftMaskPixels ? std::sqrt(MaxSoftMaskPixels / pixels) : 1;
    QImage image(std::max(1, static_cast<int>(std::ceil(rect.width() * made->scale))),
                 std::max(1, static_cast<int>(std::ceil(rect.height() * made->scale))), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return;
    image.fill(mask->luminosity ? ColourOf({mask->backdrop, 1, 0}) : QColor(Qt::transparent));
    {
        QPainter groupPainter(&image);
        groupPainter.setRenderHints(painter_.renderHints());
        const QTransform toImage = QTransform::fromTranslate(-rect.x(), -rect.y()) * QTransform::fromScale(made->scale, made->scale);
        PagePainter group(document_, pageNumber_, groupPainter, pageToDevice_ * toImage, fonts_, depth_ + 1);
        group.fontProblem = fontProblem;
        document_.DrawSoftMaskGroup(pageNumber_, mask->group, mask->ctm, group);
    }
    // The opacity, as a premultiplied white of that alpha: the luminosity of the group on its
    // backdrop, or the group's own alpha.
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            const uint32_t a = mask->luminosity ? (qRed(pixel) * 77u + qGreen(pixel) * 151u + qBlue(pixel) * 28u) >> 8 : qAlpha(pixel);
            line[x] = a << 24 | a << 16 | a << 8 | a;
        }
    }
    made->image = std::move(image);
    softMask_ = made;
}

QTransform PagePainter::ToDevice(const Matrix& m) const { return QTransform(m.a, m.b, m.c, m.d, m.e, m.f) * pageToDevice_; }

QColor PagePainter::ColourOf(const DevicePaint& paint) const
{
    QColor colour;
    colour.setRgbF(static_cast<float>(paint.colour.red), static_cast<float>(paint.colour.green),
                   static_cast<float>(paint.colour.blue), static_cast<float>(std::clamp(paint.alpha, 0.0, 1.0)));
    return colour;
}

void PagePainter::SaveState()
{
    painter_.save();
    savedSoftMasks_.push_back(softMask_);
}

void PagePainter::RestoreState()
{
    painter_.restore();
    if (savedSoftMasks_.empty()) return;
    softMask_ = savedSoftMasks_.back();
    savedSoftMasks_.pop_back();
}

void PagePainter::FillPath(const DevicePath& path, const Matrix& ctm, bool evenOdd, const DevicePaint& paint)
{
    const QTransform transform = ToDevice(ctm);
    if (paint.pattern) {
        // Filled on the device, where the brush's tiles lie.
        FillWithPattern(transform.map(QtPath(path, evenOdd)), paint);
        return;
    }
    const QPainterPath area = QtPath(path, evenOdd);
    Paint([&] { return transform.mapRect(area.boundingRect()); },
          [&](QPainter& p, const QTransform& base) {
              p.setTransform(transform * base);
              p.fillPath(area, ColourOf(paint));
          });
}

void PagePainter::StrokePath(const DevicePath& path, const Matrix& ctm, const DeviceStroke& stroke, const DevicePaint& paint)
{
    // Stroked on the device, so that a thin line keeps a whole pixel however the page is turned.
    const QTransform transform = ToDevice(ctm);
    const QPainterPath line = transform.map(QtPath(path, false));
    const QPen pen = PenOf(stroke, Scale(transform), ColourOf(paint));
    if (paint.pattern) {
        QPainterPathStroker stroker(pen);
        FillWithPattern(stroker.createStroke(line), paint);
        return;
    }
    Paint([&] { return line.boundingRect().adjusted(-pen.widthF(), -pen.widthF(), pen.widthF(), pen.widthF()); },
          [&](QPainter& p, const QTransform& base) {
              p.setTransform(base);
              p.strokePath(line, pen);
          });
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
    const bool fill = mode == 0 || mode == 2 || mode == 4 || mode == 6;
    const bool stroke = mode == 1 || mode == 2 || mode == 5 || mode == 6;
    if (fill && glyph.fill.pattern) {
        FillWithPattern(onDevice, glyph.fill);
    } else if (fill) {
        Paint([&] { return onDevice.boundingRect(); },
              [&](QPainter& p, const QTransform& base) {
                  p.setTransform(base);
                  p.fillPath(onDevice, ColourOf(glyph.fill));
              });
    }
    if (stroke) {
        const QPen pen = PenOf(glyph.strokeStyle, Scale(ToDevice(glyph.ctm)), ColourOf(glyph.stroke));
        if (glyph.stroke.pattern) {
            FillWithPattern(QPainterPathStroker(pen).createStroke(onDevice), glyph.stroke);
        } else {
            Paint([&] { return onDevice.boundingRect().adjusted(-pen.widthF(), -pen.widthF(), pen.widthF(), pen.widthF()); },
                  [&](QPainter& p, const QTransform& base) {
                      p.setTransform(base);
                      p.strokePath(onDevice, pen);
                  });
        }
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
    const QTransform transform = ToDevice(ctm);
    const auto bounds = [&transform] { return transform.mapRect(QRectF(0, 0, 1, 1)); };
    if (index == -1) {
        // A picture that could not be decoded keeps its place as a grey area.
        Paint(bounds, [&](QPainter& p, const QTransform& base) {
            p.setTransform(transform * base);
            p.fillRect(QRectF(0, 0, 1, 1), QColor(0xC0, 0xC0, 0xC0));
        });
        return;
    }
    const TDynaArray<ImageObject>& list = inlinePicture ? document_.inlinePictures : document_.pictures;
    if (index < 0 || static_cast<uint32_t>(index) >= list.Count()) return;
    const ImageObject& picture = *list.At(static_cast<uint32_t>(index));
    const RasterImage& raster = picture.image;
    if (!raster.pixels || raster.width <= 0 || raster.height <= 0) return;
    const QImage& image = pictureImages_.Of(picture, ColourOf({fill.colour, 1, 0}).rgb());
    if (image.isNull()) return;
    Paint(bounds, [&](QPainter& p, const QTransform& base) {
        // The picture fills the unit square, its first row at the top.
        p.setTransform(QTransform(1.0 / image.width(), 0, 0, -1.0 / image.height(), 0, 1) * transform * base);
        p.setOpacity(std::clamp(fill.alpha, 0.0, 1.0));
        p.drawImage(QPointF(0, 0), image);
        p.setOpacity(1);
    });
}

void PagePainter::FillShading(int32_t number, const Matrix& ctm, double alpha)
{
    const std::shared_ptr<const PdfDocument::Shading> shading = document_.ShadingNumbered(number);
    if (!shading) return;
    // sh paints the whole clip.
    painter_.setTransform(QTransform());
    const QRectF area = painter_.hasClipping() ? painter_.clipBoundingRect() & DeviceRect() : DeviceRect();
    const QTransform shadingToDevice = ToDevice(ctm);
    Paint([&area] { return area; },
          [&](QPainter& p, const QTransform& base) {
              p.setOpacity(std::clamp(alpha, 0.0, 1.0));
              PaintShading(p, base, *shading, shadingToDevice, area);
              p.setOpacity(1);
          });
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
