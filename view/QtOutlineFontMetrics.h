// The protection font's metrics on Qt: the font's own tables (head, hhea, post, OS/2) scaled to
// its pixel size, and each character's whole-pixel advance as the measuring canvas gives it.
#pragma once

#include <QByteArray>
#include <QFont>

#include "pdfwrite/OutlineFontMetrics.h"

namespace folivo {

class QtOutlineFontMetrics : public OutlineFontMetrics {
public:
    FontMeasurement Measure(const DisplayFont& font) override;

    // The same measuring for a Qt font (its pixel size is set from pixelHeight).
    static FontMeasurement Measure(const QFont& font, int pixelHeight);
};

// The outline part of a measurement from the raw tables: false when the font has no usable
// 'head' table (not scalable). Values in font units become pixels at pixelSize, rounded.
bool ReadOutlineTables(const QByteArray& head, const QByteArray& hhea, const QByteArray& post, const QByteArray& os2,
                       int pixelSize, FontMeasurement& measurement);

}  // namespace folivo
