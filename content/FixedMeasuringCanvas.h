// A canvas without a platform font: every character is half as wide as the font is high.
// Stands in where no page view exists (fuzzing, tests that need exact figures).
#pragma once

#include "content/MeasuringCanvas.h"

namespace folivo {

class FixedMeasuringCanvas : public MeasuringCanvas {
public:
    explicit FixedMeasuringCanvas(int pixelsPerInch = 96) : pixelsPerInch_(pixelsPerInch) {}

    int PixelsPerInch() const override { return pixelsPerInch_; }
    void SelectDisplayFont(int pixelHeight) override { pixelHeight_ = pixelHeight < 1 ? 1 : pixelHeight; }
    int TextWidth(std::string_view text) override { return static_cast<int>(text.size()) * (pixelHeight_ / 2); }
    int TextHeight(std::string_view) override { return pixelHeight_ + pixelHeight_ / 8; }

private:
    int pixelsPerInch_;
    int pixelHeight_ = 1;
};

}  // namespace folivo
