#include "view/PageRenderer.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <utility>

#include "view/PictureImages.h"
#include "view/QtText.h"
#include "view/RasterQImage.h"

namespace folivo {

namespace {

constexpr int MaxPenWidth = 1 << 16;
// Font engines misbehave at enormous pixel heights; no screen text comes near this.
constexpr int MaxFontPixelHeight = 8192;

QColor ColourOf(uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF));
}

// The display font as the measuring canvas prepares it: whole-pixel advances, no kerning.
QFont PreparedFont(const QFont& displayFont, int pixelHeight)
{
    QFont font = displayFont;
    font.setKerning(false);
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setPixelSize(std::clamp(pixelHeight, 1, MaxFontPixelHeight));
    return font;
}

// The simplified drawing: the page items, every text in the display font.
class ItemPainter {
public:
    ItemPainter(const PdfDocument& document, QImage& image, const PageMapping& mapping, int zoom, int resolution,
                const QFont& displayFont)
        : document_(document), painter_(&image), mapping_(mapping), zoom_(zoom), resolution_(resolution),
          displayFont_(displayFont), pictureImages_(mapping.Size())
    {
        // Items and comments are placed on the upright page; the painter turns them all alike.
        if (mapping.Rotation() != 0) painter_.setWorldTransform(mapping.Turn());
    }

    void DrawItem(const PageItem& item)
    {
        if (!ClipFor(item)) return;
        if (item.IsImage) DrawImage(item);
        else if (item.IsPath) DrawPath(item);
        else if (!item.Invisible) DrawText(item);
    }

    void DrawComments(const PageRecord& page);

private:
    // Sets the painter's clip for the item; false when its clip leaves nothing to see.
    bool ClipFor(const PageItem& item);
    void DrawText(const PageItem& item);
    void DrawImage(const PageItem& item);
    // A picture whose matrix turns or skews it.
    void DrawTurnedImage(const PageItem& item, const QImage& source);
    void DrawPath(const PageItem& item);

    const PdfDocument& document_;
    QPainter painter_;
    const PageMapping& mapping_;
    int zoom_;
    int resolution_;
    QFont displayFont_;
    PictureImages pictureImages_;
    // The clip the painter holds, in unturned pixels; none while clipping is off. Items in a
    // row mostly share one, so it is only set when it changes.
    std::optional<QRect> clip_;
};

bool ItemPainter::ClipFor(const PageItem& item)
{
    if (!item.Clipped) {
        if (clip_) painter_.setClipping(false);
        clip_.reset();
        return true;
    }
    // NaN fails both comparisons: such a clip hides the item too.
    if (!(item.ClipRight > item.ClipLeft) || !(item.ClipTop > item.ClipBottom)) return false;
    const int left = mapping_.PageX(item.ClipLeft), top = mapping_.PageY(item.ClipTop);
    // A clip narrower than a pixel still keeps one, as a hairline keeps its row.
    const int right = std::max(mapping_.PageX(item.ClipRight), left + 1);
    const int bottom = std::max(mapping_.PageY(item.ClipBottom), top + 1);
    const QRect clip(QPoint(left, top), QPoint(right - 1, bottom - 1));
    if (clip_ != clip) {
        // In the painter's own coordinates: the page's turn applies to the clip as to the items.
        painter_.setClipRect(clip);
        clip_ = clip;
    }
    return true;
}

void ItemPainter::DrawText(const PageItem& item)
{
    const std::string_view text = item.Text.View();
    if (text.empty()) return;
    const QFont font =
        PreparedFont(StyledFont(displayFont_, item.FontStyle), TextPixelHeight(item.FontSize, zoom_, resolution_));
    const QFontMetrics metrics(font, painter_.device());
    // Characters whose origin lies this far outside the drawing leave no pixel in it.
    const int margin = metrics.maxWidth() + metrics.height();
    const int top = mapping_.PageY(item.Y);
    const QSize size = mapping_.UnturnedSize();
    if (top > size.height() + margin || top < -margin) return;
    painter_.setFont(font);
    painter_.setPen(ColourOf(item.FillColor));
    // Characters are placed by their top-left corner; QPainter places them by the baseline.
    const int ascent = metrics.ascent();
    // The text is UTF-8 with one width and spacing per byte; a character takes those of all its
    // bytes.
    double offset = 0;
    for (size_t i = 0; i < text.size() && text[i] != '\0';) {
        size_t end = i + 1;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
        const int left = mapping_.PageX(item.X + offset);
        if (left >= -margin && left <= size.width() + margin)
            painter_.drawText(QPoint(left, top + ascent), QString::fromUtf8(text.data() + i, static_cast<qsizetype>(end - i)));
        for (; i < end; ++i) {
            if (item.CharWidths) offset += item.CharWidths[i];
            if (item.CharSpacings) offset += item.CharSpacings[i];
        }
    }
}

void ItemPainter::DrawImage(const PageItem& item)
{
    const auto& list = item.IsInline ? document_.inlinePictures : document_.pictures;
    // Index -1: a picture that could not be decoded.
    if (item.ImageIndex < -1 || (item.ImageIndex >= 0 && static_cast<uint32_t>(item.ImageIndex) >= list.Count())) return;
    static const QImage none;
    const QImage& source = item.ImageIndex < 0 ? none : pictureImages_.Of(*list.At(static_cast<uint32_t>(item.ImageIndex)), ColourOf(item.FillColor).rgb());
    const int left = mapping_.PageX(item.X);
    const int top = mapping_.PageY(item.Y + item.ScaleY);
    const int width = mapping_.Pixels(item.ScaleX);
    const int height = mapping_.Pixels(item.ScaleY);
    if (width == 0 || height == 0) return;
    // A negative extent mirrors the picture, as a stretch to a reversed rectangle does.
    QRect target(left, top, width, height);
    if (source.isNull()) {
        // A picture that could not be decoded is marked where it stands, not left out unseen.
        target = target.normalized();
        painter_.setPen(QColor(160, 160, 160));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(target.adjusted(0, 0, -1, -1));
        painter_.drawLine(target.topLeft(), target.bottomRight());
        painter_.drawLine(target.topRight(), target.bottomLeft());
        return;
    }
    if (item.MatrixB != 0 || item.MatrixC != 0) {
        DrawTurnedImage(item, source);
        return;
    }
    if (width < 0 || height < 0) {
        target = target.normalized();
        painter_.drawImage(target, source.mirrored(width < 0, height < 0));
        return;
    }
    painter_.drawImage(target, source);
}

void ItemPainter::DrawTurnedImage(const PageItem& item, const QImage& source)
{
    // The picture's top-left corner is the unit point (0, 1); its rows run along the unit x axis
    // and downwards from (0, 1) to (0, 0).
    const double a = item.ScaleX - item.MatrixC, d = item.ScaleY - item.MatrixB;
    const auto device = [&](double x, double y) { return QPointF(mapping_.PageX(x), mapping_.PageY(y)); };
    const QPointF origin = device(item.X, item.Y);
    const QPointF alongX = device(item.X + a, item.Y + item.MatrixB) - origin;
    const QPointF top = device(item.X + item.MatrixC, item.Y + d);
    const QPointF down = origin - top;
    const double width = source.width(), height = source.height();
    const QTransform placement(alongX.x() / width, alongX.y() / width, down.x() / height, down.y() / height, top.x(), top.y());
    if (!placement.isInvertible()) return;
    painter_.save();
    painter_.setWorldTransform(placement, true);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.drawImage(QPointF(0, 0), source);
    painter_.restore();
}

void ItemPainter::DrawPath(const PageItem& item)
{
    if (!item.Segments) return;
    QPolygon points;
    for (uint32_t i = 0; i < item.Segments->Count(); ++i) {
        const PathSegment& segment = *item.Segments->At(i);
        if (!segment.IsDrawn) continue;
        // With MatrixB and MatrixC 0 (an upright placement) this is X + x * ScaleX, Y + y * ScaleY.
        const auto point = [&](double x, double y) {
            return QPoint(mapping_.PageX(item.X + x * (item.ScaleX - item.MatrixC) + y * item.MatrixC),
                          mapping_.PageY(item.Y + x * item.MatrixB + y * (item.ScaleY - item.MatrixB)));
        };
        const QPoint corners[3] = {point(segment.X1, segment.Y1), point(segment.X2, segment.Y2), point(segment.X3, segment.Y3)};
        points << corners[0] << corners[1] << corners[2];
        if (item.Stroked) {
            QPen pen(ColourOf(item.StrokeColor), std::clamp(mapping_.Pixels(segment.LineWidth), 0, MaxPenWidth), Qt::SolidLine, Qt::RoundCap,
                     Qt::RoundJoin);
            painter_.setPen(pen);
            painter_.setBrush(Qt::NoBrush);
            painter_.drawPolyline(corners, 3);
        }
    }
    if (item.Filled && !points.isEmpty()) {
        // The fill comes after the strokes and covers them.
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(ColourOf(item.FillColor));
        painter_.drawPolygon(points, Qt::OddEvenFill);
        painter_.setBrush(Qt::NoBrush);
    }
}

void ItemPainter::DrawComments(const PageRecord& page)
{
    if (clip_) painter_.setClipping(false);
    clip_.reset();
    if (!page.comments) return;
    const QColor yellow = ColourOf(0x0000FFFF);
    painter_.setFont(PreparedFont(displayFont_, CommentFontPixelHeight(zoom_, resolution_)));
    // Opaque text background in the brush's colour.
    painter_.setBackgroundMode(Qt::OpaqueMode);
    painter_.setBackground(yellow);
    painter_.setPen(Qt::black);
    for (uint32_t i = 0; i < page.comments->Count(); ++i) {
        const AnnotationRecord& comment = *page.comments->At(i);
        if (comment.kind != AnnotText && comment.kind != AnnotFreeText && comment.kind != AnnotStamp) continue;
        const int left = mapping_.CommentX(comment.left);
        const int top = mapping_.CommentY(comment.top);
        const int right = mapping_.CommentX(comment.right);
        const int bottom = mapping_.CommentY(comment.bottom);
        // The outline covers the pixels from left up to right - 1, as a filled rectangle's edge
        // does. Filled areas rather than a one-pixel pen: areas keep their pixels when the page
        // is turned, where a thin line would move by one.
        painter_.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), Qt::black);
        painter_.fillRect(QRect(QPoint(left + 1, top + 1), QPoint(right - 2, bottom - 2)), yellow);
        std::string_view text = comment.text.View();
        text = text.substr(0, text.find('\0'));
        if (text.empty()) continue;
        const QRect inner(QPoint(left + 3, top + 3), QPoint(right - 4, bottom - 4));
        if (inner.width() <= 0 || inner.height() <= 0) continue;
        painter_.drawText(inner, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, QStringFromWindows1252(text));
    }
    painter_.setBackgroundMode(Qt::TransparentMode);
}

}  // namespace

int TextPixelHeight(double fontSize, int zoom, int resolution)
{
    return std::max(TruncatedPixels(zoom * (resolution * fontSize / 72.0) / 100.0), 1);
}

int CommentFontPixelHeight(int zoom, int resolution)
{
    // nearbyint rounds halves to even in the default rounding mode.
    const int64_t points = std::max<int64_t>(static_cast<int64_t>(std::nearbyint(zoom * 11 / 100.0)), 1);
    // Points become pixels rounded to the nearest, as the platform converts font sizes.
    return static_cast<int>(std::clamp<int64_t>((points * resolution * 2 + 72) / 144, 1, MaxFontPixelHeight));
}

QImage RenderPage(const PdfDocument& document, int pageNumber, int zoom, int resolution, const QFont& displayFont)
{
    if (document.readingInProgress) return {};
    const QSize size = PageDrawingSize(document, pageNumber, zoom, resolution);
    if (!DrawableSize(size)) return {};
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) return {};
    const int dotsPerMeter = static_cast<int>(std::lround(std::max(resolution, 1) / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    if (!IsPageNumber(document, pageNumber)) return image;

    const PageRecord& page = *document.pages.At(static_cast<uint32_t>(pageNumber - 1));
    const PageMapping mapping(page.mediaBox, page.rotation, zoom, resolution);
    {
        ItemPainter painter(document, image, mapping, zoom, resolution, displayFont);
        const PageItemRanges::Range items = document.pageItemRanges.Of(static_cast<uint32_t>(pageNumber));
        for (uint32_t i = items.first; i < items.first + items.count; ++i) painter.DrawItem(*document.PageItemList.At(i));
        painter.DrawComments(page);
    }
    return image;
}

}  // namespace folivo
