// Where a drawing has ink: what the view tests judge pages by.
#pragma once

#include <QImage>
#include <QRect>

namespace folivo::test {

// The bounding box of the pixels that are not white; empty for a white image.
inline QRect InkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace folivo::test
