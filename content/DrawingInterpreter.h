// The full content interpreter for drawing a page as printed: the whole graphics state (matrix,
// colours and opacity, line width, cap, join, dash), paths with their curves, clipping by the
// true path, text with its whole text state, pictures, shadings and forms. It tells an
// OutputDevice what to paint. The page items keep the reduced interpreter (ContentInterpreter),
// whose measurements other parts of the program rely on.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/ContentInterpreter.h"
#include "content/OutputDevice.h"
#include "content/TextFont.h"
#include "core/DynaArray.h"
#include "model/DocumentModel.h"

namespace folivo {

// What an ExtGState dictionary sets; unset entries leave the state as it is.
struct GraphicsStateParameters {
    std::optional<double> lineWidth;
    std::optional<int> cap;
    std::optional<int> join;
    std::optional<double> miterLimit;
    std::optional<std::vector<double>> dash;
    double dashPhase = 0;
    std::optional<double> strokeAlpha;  // /CA
    std::optional<double> fillAlpha;    // /ca
    std::optional<std::shared_ptr<const TextFont>> font;
    double fontSize = 0;
    // /SMask: a group (its matrix filled in when the state is applied), or /None.
    std::optional<DeviceSoftMask> softMask;
};

class DrawingInterpreter {
public:
    struct Sources {
        const TDynaArray<ImageObject>& pictures;
        // As for the reduced interpreter: forms, fonts and inline pictures by name and scope.
        std::function<std::optional<FormContent>(const std::string& name, int32_t scope)> form = nullptr;
        std::function<std::shared_ptr<const TextFont>(const std::string& name, int32_t scope)> font = nullptr;
        std::function<std::optional<int32_t>(const TokenList& dictionary, std::string_view data)> inlinePicture = nullptr;
        // The object a name of the `kind` resources ("/Shading", "/Pattern", "/ColorSpace")
        // stands for in the scope.
        std::function<std::optional<int32_t>(const char* kind, const std::string& name, int32_t scope)> resource = nullptr;
        // The ExtGState that `name` names in the scope.
        std::function<GraphicsStateParameters(const std::string& name, int32_t scope)> graphicsState = nullptr;
        // The component count of the colour space a /ColorSpace resource name stands for (1, 3
        // or 4; anything else is drawn as grey); none when the name names none.
        std::function<std::optional<int>(const std::string& name, int32_t scope)> colourSpaceComponents = nullptr;
        // Whether a name names a picture that could not be decoded: it is shown as a grey area.
        std::function<bool(const std::string& name)> undecodedPicture = nullptr;
        // A picture that `name` names in the scope but the document's picture list does not hold
        // (in a pattern's or a Type 3 glyph's resources): its index among the inline pictures.
        std::function<std::optional<int32_t>(const std::string& name, int32_t scope)> picture = nullptr;
        // The glyph procedure of a Type 3 font's code, as a form in the font's resources.
        std::function<std::optional<FormContent>(const TextFont& font, uint32_t code)> type3Glyph = nullptr;
    };

    DrawingInterpreter(Sources sources, OutputDevice& device);

    // Interprets the content with `ctm` as the matrix from user space to the page.
    void Run(FileBuffer& content, const Matrix& ctm = {});
    // Draws a form, its own matrix and then `placement` taking it to the page (an annotation's
    // appearance, a pattern's cell), in a state of its own; everything it paints takes on
    // `opacity` (a comment's /CA).
    void DrawForm(const FormContent& form, const Matrix& placement, double opacity = 1);

    enum class Op;

private:
    struct State {
        Matrix ctm;
        DevicePaint fill, stroke;
        int fillComponents = 1, strokeComponents = 1;
        DeviceStroke strokeStyle;
        double charSpacing = 0, wordSpacing = 0, horizontalScaling = 1, leading = 0, fontSize = 1, rise = 0;
        int renderMode = 0;
        std::shared_ptr<const TextFont> font;
        // The opacity of what the state belongs to, times the graphics state's own.
        double opacity = 1;
    };

    // Runs the tokens of the content from its position to its end.
    void Interpret(FileBuffer& content);
    void Execute(Op op);
    void ExecuteTextOperator(Op op);
    bool Numbers(size_t count, double* values) const;
    double NumberAt(size_t k, size_t count) const;
    const std::string& OperandAt(size_t k, size_t count) const;
    // The numbers of the array operand that ends before the last `after` operands.
    std::vector<double> ArrayOperand(size_t after) const;

    void SetColour(bool stroking, size_t components);
    void SetColourSpace(bool stroking);
    void SetColourWithPattern(bool stroking);
    void ApplyGraphicsState();
    void PaintPath(bool fill, bool stroke, bool evenOdd, bool close);
    void EndPath();
    void AddPoint(DevicePath::Verb verb, std::initializer_list<double> coordinates);
    void Rectangle();
    void DoXObject();
    void RunForm(const FormContent& form, const Matrix& ctm);
    void PaintShading();
    void DrawInlinePicture(FileBuffer& content);

    void BeginText();
    void EndText();
    void ShowText(bool kerning);
    void ShowString(std::string_view bytes);
    void ShowType3Glyph(uint32_t code, const Matrix& trm);
    void AdvanceText(double tx);
    Matrix TextRenderingMatrix() const;

    Sources sources_;
    OutputDevice& device_;
    State state_;
    std::vector<State> saved_;
    uint64_t unsaved_ = 0;
    Matrix tm_, tlm_;
    bool inText_ = false;
    // A glyph of this text object was drawn in a clipping mode.
    bool textClips_ = false;
    DevicePath path_;
    bool clipPending_ = false;
    bool clipEvenOdd_ = false;
    std::vector<std::string> operands_;
    std::vector<int32_t> formScopes_;
    uint64_t formBytesLeft_ = ContentInterpreter::FormBytesPerRun;
    uint64_t formEntriesLeft_ = ContentInterpreter::FormEntriesPerRun;
    // Type 3 glyphs may show text in Type 3 fonts; a bound stops fonts that show themselves.
    static constexpr int MaxType3Depth = 4;
    int type3Depth_ = 0;
};

// Every operator of content streams; marked content, compatibility sections and rendering
// intents are read and passed over (Ignored).
enum class DrawingInterpreter::Op {
    None, q, Q, cm, w, J, j, M, d, gs, m, l, c, v, y, h, re, S, s, f, fStar, B, BStar, b, bStar, n, W, WStar,
    BT, ET, Tc, Tw, Tz, TL, Tf, Tr, Ts, Td, TD, Tm, TStar, Tj, TJ, Quote, DoubleQuote, d0, d1,
    CS, cs, SC, SCN, sc, scn, G, g, RG, rg, K, k, sh, Do, BI, Ignored,
};

}  // namespace folivo
