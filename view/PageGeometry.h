// Page geometry apart from painting: where a page's points land in its drawing at a zoom and
// resolution, and the drawing's size. The page view, the protection's placement and the
// command line measure pages by it.
#pragma once

#include <QSize>
#include <QTransform>
#include <optional>

#include "document/PdfDocument.h"

namespace folivo {

// The platform's default printer page, which the view takes when no page is shown.
inline constexpr int PrinterPageWidthPixels = 4960;
inline constexpr int PrinterPageHeightPixels = 7016;
inline constexpr int PrinterPixelsPerInch = 600;

// Where a page's points land in its drawing at one zoom and resolution. Unturned, the media
// box's lower-left corner sits at the bottom-left and y grows upwards; the drawing shows the page
// turned clockwise by its rotation, so a quarter turn swaps the drawing's sides. The drawing, the
// window's page size (and with it the scroll area, magnifier and hand) and the protection's page
// height all come from here.
class PageMapping {
public:
    PageMapping(const double mediaBox[4], int rotation, int zoom, int resolution);
    // Page n of the document; none when n is not a page.
    static std::optional<PageMapping> Of(const PdfDocument& document, int pageNumber, int zoom, int resolution);

    // A length in points as whole pixels.
    int Pixels(double points) const;
    // The page upright, as the content and the comments describe it.
    QSize UnturnedSize() const { return unturned_; }
    QSize Size() const { return rotation_ % 180 == 0 ? unturned_ : unturned_.transposed(); }
    int Rotation() const { return rotation_; }
    // Unturned pixels to the drawing's pixels.
    QTransform Turn() const;

    // A page point (points, y up) in unturned pixels.
    int PageX(double x) const { return Pixels(x - x1_); }
    int PageY(double y) const;
    // Comment coordinates are inches from the unturned page's top-left corner; y is not flipped.
    int CommentX(double inches) const;
    int CommentY(double inches) const;

private:
    double x1_, y1_;
    int rotation_, zoom_, resolution_;
    QSize unturned_;
};

// The drawing's size in pixels: page n's media box turned by its rotation, or the printer page
// when n is not a page of the document.
QSize PageDrawingSize(const PdfDocument& document, int pageNumber, int zoom, int resolution);
// The same without the turn: the page view's layout of page n upright, which the protection
// places its text by.
QSize UnturnedPageDrawingSize(const PdfDocument& document, int pageNumber, int zoom, int resolution);

// Pixel coordinates stay inside the range QPainter's rasterizer takes without clipping tricks,
// whatever a file's numbers say; no drawing comes near it.
inline constexpr double CoordinateBound = 1 << 22;
// A value in pixels cut towards zero and kept within CoordinateBound; 0 for NaN.
int TruncatedPixels(double value);
// A drawing of this many pixels can be made: neither side past 32767, at most 64 M pixels.
bool DrawableSize(const QSize& size);
// n is a page of the document.
bool IsPageNumber(const PdfDocument& document, int pageNumber);

}  // namespace folivo
