// The page view's picture: the items and comments of one page drawn into an off-screen image
// at a zoom (percent) and a resolution (pixels per inch).
#pragma once

#include <QFont>
#include <QImage>
#include <QSize>

#include "document/PdfDocument.h"

namespace folivo {

// The platform's default printer page, which the view takes when no page is shown.
inline constexpr int PrinterPageWidthPixels = 4960;
inline constexpr int PrinterPageHeightPixels = 7016;
inline constexpr int PrinterPixelsPerInch = 600;

// The drawing's size in pixels: page n's media box, or the printer page when n is not a page
// of the document.
QSize PageDrawingSize(const PdfDocument& document, int pageNumber, int zoom, int resolution);

// The pixel height of the display font for a text of fontSize points (at least 1).
int TextPixelHeight(double fontSize, int zoom, int resolution);

// The pixel height of the comments' font: zoom × 11 / 100 points, rounded half to even.
int CommentFontPixelHeight(int zoom, int resolution);

// Page n drawn into a white image of PageDrawingSize. A page number outside the document gives
// a white image of the printer page's size. While a reading is in progress, and for drawings
// too large to hold, the image is null.
QImage RenderPage(const PdfDocument& document, int pageNumber, int zoom, int resolution, const QFont& displayFont);

}  // namespace folivo
