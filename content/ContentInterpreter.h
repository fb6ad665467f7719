// The reduced content-stream interpreter: one page's decoded content becomes text runs, image
// placements and paths. One text matrix, curves as control polygons; clipping, dash patterns,
// word spacing, scaling, rise and rendering modes are ignored.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "content/MeasuringCanvas.h"
#include "content/PageItems.h"
#include "core/DynaArray.h"
#include "pdfread/DocumentModel.h"

namespace folivo {

struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
};

class ContentInterpreter {
public:
    struct Sources {
        TDynaArray<FontRecord>& fonts;
        TDynaArray<ImageObject>& pictures;
        MeasuringCanvas& canvas;
        // Runs before every token when messages are to be processed; may be empty.
        std::function<void()> processMessages;
    };

    ContentInterpreter(Sources sources, TDynaArray<PageItem>& staging, uint32_t pageNumber);
    ~ContentInterpreter();

    // Interprets the buffer's bytes from its position to its end; items go to the staging list.
    void Run(FileBuffer& content);

    enum class Op;

private:
    struct InterpreterFont {
        uint32_t firstChar = 0;
        bool isType3 = false;
        double boxHeight = 1;
        double widths[256] = {};
        uint8_t widthPresent[256] = {};
        uint8_t differences[256] = {};
        uint8_t differencePresent[256] = {};
    };
    struct SavedPath {
        std::vector<PathSegment> segments;
        double lineWidth;
    };

    void Execute(Op op, const std::string& token);
    bool Has(size_t count) const { return operands_.size() > count; }
    // Operand k (1-based) of an operator that takes m operands.
    const std::string& Operand(size_t k, size_t m) const { return operands_[operands_.size() - 1 - m + k - 1]; }
    bool NumberOperand(size_t k, size_t m, double& value) const;
    bool ReadColour(size_t m, bool stroking, bool cmyk);
    void SetColour(bool stroking, uint32_t colour) { (stroking ? strokeColor_ : fillColor_) = colour; }

    void AppendSegment(double x1, double y1, double x2, double y2, double x3, double y3, bool drawn);
    void MoveOrLine(bool drawn);
    void Curve(Op op);
    void Rectangle();
    void ClosePath();
    void PaintPath(Op op);
    void ShowImage();
    void ConcatenateMatrix();
    void SelectFont();
    void ShowText(bool kerning);
    void AppendTextItem(const std::string& text, const std::vector<double>& kerning);
    uint8_t ConvertByte(uint8_t byte) const;
    PageItem* AppendItem();
    PageItem* AppendPlacedItem();
    void CompactOperands();

    Sources sources_;
    TDynaArray<PageItem>& staging_;
    uint32_t pageNumber_;
    int resolution_ = 96;

    Matrix ctm_;
    Matrix tm_;
    double fontSize_ = 1;
    double leading_ = 0;
    double charSpacing_ = 0;
    std::string fontName_ = "/R1";
    InterpreterFont font_;
    int32_t encoding_;
    uint32_t strokeColor_ = 0;
    uint32_t fillColor_ = 0;
    double lineWidth_ = 1;
    double pointX_ = 0;
    double pointY_ = 0;
    PathSegment* currentSegment_ = nullptr;
    TDynaArray<PathSegment>* path_;
    bool inText_ = false;
    double advance_ = 0;
    std::vector<std::string> operands_;
    std::vector<Matrix> ctmStack_;
    std::vector<std::pair<uint32_t, uint32_t>> colourStack_;  // stroking, non-stroking
    std::vector<SavedPath> pathStack_;
    PageItem* currentItem_ = nullptr;
};

// Colour byte of a component in 0 ... 1: trunc(v × 255) modulo 256.
uint8_t ColourByte(double value);
// 0x00BBGGRR.
uint32_t ColourOf(double red, double green, double blue);

}  // namespace folivo
