// The page as printed: the drawing interpreter's calls painted with QPainter, glyphs from the
// fonts' own programs (or their substitutes), pictures with their masks, true paths and clips.
#pragma once

#include <QImage>
#include <QPainter>
#include <QBrush>
#include <QPainterPath>
#include <QTransform>
#include <functional>
#include <map>
#include <memory>
#include <vector>
#include <string>

#include "content/OutputDevice.h"
#include "document/PdfDocument.h"
#include "view/FontPrograms.h"
#include "view/PictureImages.h"

namespace folivo {

class PagePainter : public OutputDevice {
public:
    // pageToDevice: from the page's default space (points, y up) to the painter's pixels.
    PagePainter(PdfDocument& document, uint32_t pageNumber, QPainter& painter, const QTransform& pageToDevice,
                FontPrograms& fonts, int depth = 0);

    void SaveState() override;
    void RestoreState() override;
    void FillPath(const DevicePath& path, const Matrix& ctm, bool evenOdd, const DevicePaint& paint) override;
    void StrokePath(const DevicePath& path, const Matrix& ctm, const DeviceStroke& stroke, const DevicePaint& paint) override;
    void ClipPath(const DevicePath& path, const Matrix& ctm, bool evenOdd) override;
    void DrawGlyph(const DeviceGlyph& glyph) override;
    std::optional<double> GlyphAdvance(const TextFont& font, uint32_t code) override;
    void EndText() override;
    void DrawPicture(int32_t index, bool inlinePicture, const Matrix& ctm, const DevicePaint& fill) override;
    void FillShading(int32_t shading, const Matrix& ctm, double alpha) override;
    void SetSoftMask(const std::optional<DeviceSoftMask>& mask) override;

    // Called once for each font whose program could not be used (German, for the memo).
    std::function<void(const std::string&)> fontProblem;

private:
    // A soft mask's opacity over the device pixels of `rect`, drawn `scale` times as fine.
    struct SoftMaskImage {
        QImage image;
        QRect rect;
        double scale = 1;
    };
    // How one painting operation draws, onto a painter whose pixels `base` reaches from the device's.
    using Drawing = std::function<void(QPainter& painter, const QTransform& base)>;

    QTransform ToDevice(const Matrix& m) const;
    QColor ColourOf(const DevicePaint& paint) const;
    const FontGlyphs* GlyphsOf(const TextFont& font);
    // Runs a painting operation on the page, or under a soft mask through a layer over its
    // device `bounds` that the mask cuts before it joins the page.
    void Paint(const std::function<QRectF()>& bounds, const Drawing& draw);
    // Fills an area given in device pixels with a pattern.
    void FillWithPattern(const QPainterPath& area, const DevicePaint& paint);
    // The brush of a tiling pattern's cell on the device; none when it cannot be drawn.
    std::optional<QBrush> TileBrush(int32_t number, const PdfDocument::Pattern& pattern, const QColor& colour);
    QRectF DeviceRect() const;


    PdfDocument& document_;
    uint32_t pageNumber_;
    // Patterns drawn inside patterns: a bound stops cells that fill with themselves.
    int depth_;
    QPainter& painter_;
    QTransform pageToDevice_;
    FontPrograms& fonts_;
    PictureImages pictureImages_;
    // Glyph outlines drawn in a clipping mode since the text object began, on the page.
    QPainterPath textClip_;
    bool textClipStarted_ = false;
    std::map<int32_t, bool> problemsShown_;
    std::shared_ptr<const SoftMaskImage> softMask_;
    std::vector<std::shared_ptr<const SoftMaskImage>> savedSoftMasks_;
    // Tiles drawn on this device, by pattern and colour.
    std::map<std::pair<int32_t, QRgb>, QBrush> tiles_;

};

// Page n drawn as printed into an image of the page view's size at the zoom and resolution,
// with device pixels per pixel `pixelRatio` (2 on a HiDPI screen). `fonts` keeps the glyphs
// between drawings of one document. Null for a drawing too large or while a reading is in
// progress.
QImage RenderPageAsPrinted(PdfDocument& document, FontPrograms& fonts, int pageNumber, int zoom, int resolution,
                           double pixelRatio = 1, const std::function<void(const std::string&)>& fontProblem = nullptr);

}  // namespace folivo
