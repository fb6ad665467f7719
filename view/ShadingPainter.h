// Smooth shadings painted with Qt: axial and radial ones as gradients over the parameter range
// they cover (extended or not), meshes by their flat parts, the other types in one colour.
#pragma once

#include <QPainter>
#include <QRectF>
#include <QTransform>

#include "document/PdfDocument.h"

namespace folivo {

// QColor of a colour packed as ColourOf packs it.
QColor PackedColour(uint32_t colour);

// Paints the shading over `bounds` (device pixels of the painter's base transform `base`), as
// far as the shading reaches: its /BBox, and for unextended gradients the part between their
// ends. `shadingToDevice` maps the shading's space to those pixels.
void PaintShading(QPainter& painter, const QTransform& base, const PdfDocument::Shading& shading,
                  const QTransform& shadingToDevice, const QRectF& bounds);

}  // namespace folivo
