#include "view/ShadingPainter.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <vector>

namespace folivo {

namespace {

// Points on a circle's outline for the hull of two circles: the hull lies within a tenth of a
// point of the true one for circles of a page's size.
constexpr int CirclePoints = 128;

double Cross(const QPointF& o, const QPointF& a, const QPointF& b)
{
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

// The convex hull of the points (monotone chain), counter-clockwise.
QPolygonF ConvexHull(std::vector<QPointF> points)
{
    std::sort(points.begin(), points.end(), [](const QPointF& a, const QPointF& b) {
        return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
    });
    std::vector<QPointF> hull(2 * points.size());
    size_t k = 0;
    for (const QPointF& p : points) {
        while (k >= 2 && Cross(hull[k - 2], hull[k - 1], p) <= 0) --k;
        hull[k++] = p;
    }
    for (size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && Cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
        hull[k++] = points[i];
    }
    return QPolygonF(QVector<QPointF>(hull.begin(), hull.begin() + static_cast<std::ptrdiff_t>(k > 0 ? k - 1 : 0)));
}

// An axial shading reaches from its start line to its end line, or beyond where it is extended:
// the band across `area` (shading space) for those parameters.
QPainterPath AxialReach(const PdfDocument::Shading& shading, const QRectF& area)
{
    const QPointF p0(shading.coords[0], shading.coords[1]), p1(shading.coords[2], shading.coords[3]);
    const QPointF d = p1 - p0;
    const double length2 = QPointF::dotProduct(d, d);
    const QPointF normal(-d.y() / std::sqrt(length2), d.x() / std::sqrt(length2));
    double sLow = 0, sHigh = 1, nLow = 0, nHigh = 0;
    bool first = true;
    for (const QPointF& corner : {area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()}) {
        const double s = QPointF::dotProduct(corner - p0, d) / length2, n = QPointF::dotProduct(corner - p0, normal);
        if (first) nLow = nHigh = n;
        sLow = std::min(sLow, s), sHigh = std::max(sHigh, s), nLow = std::min(nLow, n), nHigh = std::max(nHigh, n);
        first = false;
    }
    if (!shading.extendStart) sLow = 0;
    if (!shading.extendEnd) sHigh = 1;
    QPainterPath band;
    band.addPolygon(QPolygonF({p0 + sLow * d + nLow * normal, p0 + sHigh * d + nLow * normal, p0 + sHigh * d + nHigh * normal,
                               p0 + sLow * d + nHigh * normal}));
    band.closeSubpath();
    return band;
}

// A radial shading covers the circles between its two, and beyond them where it is extended:
// the convex hull of the two outermost circles it reaches.
QPainterPath RadialReach(const PdfDocument::Shading& shading, const QRectF& area)
{
    const double* c = shading.coords;
    auto centre = [c](double s) { return QPointF(c[0] + s * (c[3] - c[0]), c[1] + s * (c[4] - c[1])); };
    auto radius = [c](double s) { return c[2] + s * (c[5] - c[2]); };
    // Far enough that the circle there covers the whole area.
    const double size = std::hypot(area.width(), area.height()) + std::hypot(area.center().x() - c[0], area.center().y() - c[1]) +
                        std::hypot(c[3] - c[0], c[4] - c[1]) + c[2] + c[5];
    const double change = std::hypot(c[3] - c[0], c[4] - c[1]) + std::fabs(c[5] - c[2]);
    const double far = std::min(1e6, 4 * size / std::max(change, 1e-9));
    // Where the radius shrinks to nothing, the circles end.
    const double vanish = c[5] != c[2] ? -c[2] / (c[5] - c[2]) : 0;
    double sLow = 0, sHigh = 1;
    if (shading.extendStart) sLow = c[5] > c[2] ? vanish : -far;
    if (shading.extendEnd) sHigh = c[5] < c[2] ? vanish : 1 + far;
    std::vector<QPointF> points;
    for (const double s : {sLow, sHigh}) {
        const QPointF at = centre(s);
        const double r = std::max(radius(s), 0.0);
        for (int k = 0; k < CirclePoints; ++k) {
            const double angle = 2 * M_PI * k / CirclePoints;
            points.emplace_back(at.x() + r * std::cos(angle), at.y() + r * std::sin(angle));
        }
    }
    QPainterPath hull;
    hull.addPolygon(ConvexHull(std::move(points)));
    hull.closeSubpath();
    return hull;
}

}  // namespace

QColor PackedColour(uint32_t colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF), static_cast<int>((colour >> 16) & 0xFF));
}

void PaintShading(QPainter& painter, const QTransform& base, const PdfDocument::Shading& shading,
                  const QTransform& shadingToDevice, const QRectF& bounds)
{
    if (shading.colours.empty() || bounds.isEmpty()) return;
    bool invertible = false;
    const QTransform toPixels = shadingToDevice * base;
    const QTransform fromPixels = toPixels.inverted(&invertible);
    if (!invertible) return;
    painter.save();
    painter.setTransform(base);
    painter.setClipRect(bounds, Qt::IntersectClip);
    painter.setTransform(toPixels);
    if (shading.box) {
        const auto& b = *shading.box;
        painter.setClipRect(QRectF(QPointF(b[0], b[1]), QPointF(b[2], b[3])).normalized(), Qt::IntersectClip);
    }
    const QRectF area = fromPixels.mapRect(base.map(QPolygonF(bounds)).boundingRect());
    const double* c = shading.coords;
    const bool axial = shading.type == 2 && (c[0] != c[2] || c[1] != c[3]);
    const bool radial = shading.type == 3 && (c[0] != c[3] || c[1] != c[4] || c[2] != c[5]);
    if ((axial || radial) && shading.colours.size() >= 2) {
        QGradientStops stops;
        const auto last = static_cast<double>(shading.colours.size() - 1);
        for (size_t k = 0; k < shading.colours.size(); ++k) stops.append({k / last, PackedColour(shading.colours[k])});
        QGradient gradient = axial ? static_cast<QGradient>(QLinearGradient(c[0], c[1], c[2], c[3]))
                                   : static_cast<QGradient>(QRadialGradient(QPointF(c[3], c[4]), c[5], QPointF(c[0], c[1]), c[2]));
        gradient.setStops(stops);
        gradient.setSpread(QGradient::PadSpread);
        if (!shading.extendStart || !shading.extendEnd || radial)
            painter.setClipPath(axial ? AxialReach(shading, area) : RadialReach(shading, area), Qt::IntersectClip);
        painter.fillRect(area, QBrush(gradient));
    } else if (!shading.mesh.empty()) {
        // Neighbouring parts meet without a seam only when their edges are not blended.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        for (const PdfDocument::Shading::MeshPart& part : shading.mesh) {
            QPointF points[4];
            for (int k = 0; k < part.count && k < 4; ++k) points[k] = QPointF(part.points[2 * k], part.points[2 * k + 1]);
            painter.setBrush(PackedColour(part.colour));
            painter.drawPolygon(points, std::min(part.count, 4));
        }
    } else if (shading.type != 2 && shading.type != 3) {
        painter.fillRect(area, PackedColour(shading.colours.front()));
    }
    painter.restore();
}

}  // namespace folivo
