// The page view's picture: the items and comments of one page drawn into an off-screen image
// at a zoom (percent) and a resolution (pixels per inch).
#pragma once

#include <QFont>
#include <QImage>

#include "document/PdfDocument.h"
#include "view/PageGeometry.h"

namespace folivo {

// The pixel height of the display font for a text of fontSize points (at least 1).
int TextPixelHeight(double fontSize, int zoom, int resolution);

// The pixel height of the comments' font: zoom × 11 / 100 points, rounded half to even.
int CommentFontPixelHeight(int zoom, int resolution);

// Page n drawn into a white image of PageDrawingSize. A page number outside the document gives
// a white image of the printer page's size. While a reading is in progress, and for drawings
// too large to hold, the image is null.
QImage RenderPage(const PdfDocument& document, int pageNumber, int zoom, int resolution, const QFont& displayFont);

}  // namespace folivo
