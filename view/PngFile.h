// Page drawings as PNG files. Drawings of pages are mostly paper: unfiltered rows and a fast
// deflate level make files about as small as the image library's defaults in a quarter of
// its time.
#pragma once

#include <QImage>
#include <QString>

namespace folivo {

// Writes the image as an 8-bit RGB PNG (alpha dropped) with its resolution. False when the
// image is null or the file cannot be written; a partial file is removed.
bool WritePng(const QImage& image, const QString& path);

}  // namespace folivo
