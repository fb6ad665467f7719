#include "view/PageGeometry.h"

#include <algorithm>
#include <cmath>

namespace folivo {

int TruncatedPixels(double value)
{
    if (std::isnan(value)) return 0;
    return static_cast<int>(std::clamp(std::trunc(value), -CoordinateBound, CoordinateBound));
}

bool DrawableSize(const QSize& size)
{
    // A drawing beyond these bounds would need gigabytes; it is not made.
    constexpr int MaxDrawingSide = 32767;
    constexpr int64_t MaxDrawingPixels = int64_t{64} << 20;
    return size.width() > 0 && size.height() > 0 && size.width() <= MaxDrawingSide && size.height() <= MaxDrawingSide &&
           int64_t{size.width()} * size.height() <= MaxDrawingPixels;
}

bool IsPageNumber(const PdfDocument& document, int pageNumber)
{
    return pageNumber >= 1 && static_cast<uint32_t>(pageNumber) <= document.pages.Count();
}

PageMapping::PageMapping(const double mediaBox[4], int rotation, int zoom, int resolution)
    : x1_(mediaBox[0]), y1_(mediaBox[1]), rotation_(rotation), zoom_(zoom), resolution_(resolution)
{
    if (rotation_ != 90 && rotation_ != 180 && rotation_ != 270) rotation_ = 0;
    unturned_ = QSize(Pixels(mediaBox[2] - mediaBox[0]), Pixels(mediaBox[3] - mediaBox[1]));
}

std::optional<PageMapping> PageMapping::Of(const PdfDocument& document, int pageNumber, int zoom, int resolution)
{
    if (!IsPageNumber(document, pageNumber)) return std::nullopt;
    const PageRecord& page = *document.pages.At(static_cast<uint32_t>(pageNumber - 1));
    return PageMapping(page.mediaBox, page.rotation, zoom, resolution);
}

int PageMapping::Pixels(double points) const { return TruncatedPixels(zoom_ * (points * resolution_ / 72.0) / 100.0); }

int PageMapping::PageY(double y) const { return TruncatedPixels(unturned_.height() - static_cast<double>(Pixels(y - y1_))); }

int PageMapping::CommentX(double inches) const { return TruncatedPixels(zoom_ * ((inches - x1_ / 72.0) * resolution_) / 100.0); }

int PageMapping::CommentY(double inches) const { return TruncatedPixels(zoom_ * ((inches - y1_ / 72.0) * resolution_) / 100.0); }

QTransform PageMapping::Turn() const
{
    // Whole-pixel offsets keep the pixel grid on itself: a turned drawing has the same pixels.
    const qreal width = unturned_.width(), height = unturned_.height();
    switch (rotation_) {
    case 90: return QTransform(0, 1, -1, 0, height, 0);
    case 180: return QTransform(-1, 0, 0, -1, width, height);
    case 270: return QTransform(0, -1, 1, 0, 0, width);
    default: return QTransform();
    }
}

QSize PageDrawingSize(const PdfDocument& document, int pageNumber, int zoom, int resolution)
{
    if (!IsPageNumber(document, pageNumber)) {
        // Both sides are divided by the printer's horizontal resolution.
        return QSize(TruncatedPixels(zoom * (resolution * static_cast<double>(PrinterPageWidthPixels) / PrinterPixelsPerInch) / 100.0),
                     TruncatedPixels(zoom * (resolution * static_cast<double>(PrinterPageHeightPixels) / PrinterPixelsPerInch) / 100.0));
    }
    return PageMapping::Of(document, pageNumber, zoom, resolution)->Size();
}

QSize UnturnedPageDrawingSize(const PdfDocument& document, int pageNumber, int zoom, int resolution)
{
    if (const auto mapping = PageMapping::Of(document, pageNumber, zoom, resolution)) return mapping->UnturnedSize();
    return PageDrawingSize(document, pageNumber, zoom, resolution);
}

}  // namespace folivo
