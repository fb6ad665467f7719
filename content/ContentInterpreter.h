// The reduced content-stream interpreter: one page's decoded content becomes text runs, image
// placements and paths; form XObjects are entered. One text matrix, curves as control polygons;
// clipping paths count by their bounding rectangle on the page; dash patterns, word spacing,
// scaling and rise are ignored; of the rendering modes only "invisible" counts.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "content/MeasuringCanvas.h"
#include "content/OperandList.h"
#include "content/PageItems.h"
#include "content/TextFont.h"
#include "core/DynaArray.h"
#include "core/ResourceLimits.h"
#include "model/DocumentModel.h"

namespace folivo {

struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
};

// m applied first, then base: the matrix that "m cm" makes of the current matrix base.
Matrix Concatenated(const Matrix& m, const Matrix& base);

// A form XObject ready to run: its decoded content, its /Matrix, and the scope in which the
// names it uses are looked up (its own resources first).
struct FormContent {
    std::shared_ptr<const std::string> content;
    Matrix matrix;
    int32_t scope = 0;
    double box[4] = {0, 0, 0, 0};  // /BBox in form space
};

class ContentInterpreter {
public:
    struct Sources {
        TDynaArray<FontRecord>& fonts;
        TDynaArray<ImageObject>& pictures;
        MeasuringCanvas& canvas;
        // Runs before every token when messages are to be processed; may be empty.
        std::function<void()> processMessages;
        // What the items may take, charged as they are made; null: a budget of the run's own.
        PageItemBudget* budget = nullptr;
        // The form named `name` in the scope of the page (0) or of a form entered before; empty
        // when the name is no form. May be empty: then no form is entered.
        std::function<std::optional<FormContent>(const std::string& name, int32_t scope)> form = nullptr;
        // The font that `name` names in the scope, as for forms; null when the name names none.
        // May be empty: then fonts come from the font list by name alone.
        std::function<std::shared_ptr<const TextFont>(const std::string& name, int32_t scope)> font = nullptr;
        // The index of an inline picture (its dictionary between BI and ID, its data) among the
        // document's inline pictures; none when it cannot be decoded. May be empty.
        std::function<std::optional<int32_t>(const TokenList& dictionary, std::string_view data)> inlinePicture = nullptr;
        // Whether a name that names no picture of the list names one that could not be
        // decoded: it is placed all the same, as an image of index -1. May be empty.
        std::function<bool(const std::string& name)> undecodedPicture = nullptr;
        // The colour that the shading `name` in the scope is shown in; none when the name names
        // no shading. May be empty.
        std::function<std::optional<uint32_t>(const std::string& name, int32_t scope)> shading = nullptr;
    };

    ContentInterpreter(Sources sources, TDynaArray<PageItem>& staging, uint32_t pageNumber);
    ~ContentInterpreter();

    // Interprets the buffer's bytes from its position to its end; items go to the staging list.
    void Run(FileBuffer& content);
    // Draws a form placed by `placement` on the page's default space, whatever the content
    // before left in the state (an annotation's appearance).
    void DrawForm(const FormContent& form, const Matrix& placement);

    static constexpr size_t MaxSavedStates = SavedStateLimit;
    static constexpr size_t MaxFormDepth = FormDepthLimit;
    // What one run may read in entered forms together, however often they are drawn.
    static constexpr uint64_t FormBytesPerRun = uint64_t{256} << 20;
    static constexpr uint64_t FormEntriesPerRun = uint64_t{1} << 16;

    // What a run left out to stay within the bounds and its budget.
    struct Omissions {
        uint64_t operands = 0;  // read but dropped before an operator came
        uint64_t textBytes = 0;
        uint64_t items = 0;
        uint64_t segments = 0;
        uint64_t savedStates = 0;
        uint64_t forms = 0;  // not entered: a loop, too deep, or past the run's bound
    };
    Omissions Omitted() const;

    enum class Op;

private:
    // One code of a shown string: where its characters end in the run's text, its width in
    // points when the font gives one, and the spacing after it.
    struct ShownCode {
        size_t end;
        double width;
        bool hasWidth;
        double spacing;
    };
    // A clipping region as its bounding rectangle in page points.
    struct ClipArea {
        bool active = false;
        double left = 0, bottom = 0, right = 0, top = 0;
    };
    // The graphics state that q saves and Q restores. The current path is not part of it.
    struct SavedState {
        Matrix ctm;
        uint32_t strokeColor;
        uint32_t fillColor;
        double lineWidth;
        ClipArea clip;
    };

    void Execute(Op op);
    // q and Q; states past MaxSavedStates are counted, not kept.
    void SaveGraphicsState();
    void RestoreGraphicsState();
    // The operators of text state and text showing, inside a text object.
    void ExecuteTextOperator(Op op);
    // At least count operands precede the operator, which the list holds last.
    bool HasOperands(size_t count) const { return operands_.Size() > count; }
    // Operand k (1-based) of an operator that takes m operands.
    const std::string& Operand(size_t k, size_t m) const { return operands_[operands_.Size() - 1 - m + k - 1]; }
    bool NumberOperand(size_t k, size_t m, double& value) const;
    bool ReadColour(size_t m, bool stroking, bool cmyk);
    void SetColour(bool stroking, uint32_t colour) { (stroking ? strokeColor_ : fillColor_) = colour; }

    void AppendSegment(double x1, double y1, double x2, double y2, double x3, double y3, bool drawn);
    void MoveOrLine(bool drawn);
    void Curve(Op op);
    void Rectangle();
    void ClosePath();
    void PaintPath(Op op);
    // Ends the current path; after W or W* it clips what follows.
    void EndPath();
    // Narrows the clip to the current path's bounding rectangle on the page.
    void ClipToPath();
    // Narrows the clip to a rectangle in page points.
    void ClipTo(double left, double bottom, double right, double top);
    void ShowImage();
    // sh: the clip region (or all of the page) filled in the shading's colour.
    void PaintShading();
    // Reads an inline picture from after its BI to after its EI and places it.
    void ReadInlinePicture(FileBuffer& content);
    // Draws the form that the operand names, if it is one; false for any other name.
    bool EnterForm();
    // Runs the form's content with the current matrix `ctm`, in a state of its own.
    void RunForm(const FormContent& form, const Matrix& ctm);
    void ConcatenateMatrix();
    void SelectFont();
    void ShowText(bool kerning);
    void AppendTextItem(const std::string& text, const std::vector<ShownCode>& codes);
    PageItem* AppendItem();
    PageItem* AppendPlacedItem();
    bool ItemAllowed();
    void ClearPath();

    Sources sources_;
    TDynaArray<PageItem>& staging_;
    uint32_t pageNumber_;
    int resolution_ = 96;

    Matrix ctm_;
    Matrix tm_;
    double fontSize_ = 1;
    double leading_ = 0;
    double charSpacing_ = 0;
    int renderMode_ = 0;  // Tr
    std::string fontName_ = "/R1";
    std::shared_ptr<const TextFont> font_ = PlainTextFont();
    // The fonts that names in scopes stand for, as the source gave them (null: none).
    struct SelectedFont {
        int32_t scope;
        std::string name;
        std::shared_ptr<const TextFont> font;
    };
    std::vector<SelectedFont> selectedFonts_;
    static constexpr size_t MaxSelectedFonts = 64;
    static constexpr uint32_t MaxRecordFonts = 1024;
    // Fonts made from the font list's records, by record index.
    std::vector<std::shared_ptr<const TextFont>> recordFonts_;
    uint32_t strokeColor_ = 0;
    uint32_t fillColor_ = 0;
    double lineWidth_ = 1;
    double pointX_ = 0;
    double pointY_ = 0;
    PathSegment* currentSegment_ = nullptr;
    TDynaArray<PathSegment>* path_;
    ClipArea clip_;
    bool clipPending_ = false;  // W or W*: the path clips once it is ended
    bool inText_ = false;
    double advance_ = 0;
    OperandList operands_;
    std::vector<SavedState> stateStack_;
    uint64_t unsavedStates_ = 0;  // q beyond the bound, still to be matched by Q
    PageItem* currentItem_ = nullptr;
    // The scopes of the forms being drawn, outermost first.
    std::vector<int32_t> formScopes_;
    uint64_t formBytesLeft_ = FormBytesPerRun;
    uint64_t formEntriesLeft_ = FormEntriesPerRun;
    PageItemBudget ownBudget_;
    PageItemBudget& budget_;
    Omissions omitted_;
};

// An inline picture between BI and EI: its dictionary's tokens and its data (empty when none).
struct InlinePicture {
    TokenList dictionary;
    std::string_view data;
};
// Reads from after BI to after EI; none when no ID follows. The data point into the content.
std::optional<InlinePicture> ReadInlinePictureData(FileBuffer& content);

// Colour byte of a component in 0 ... 1: trunc(v × 255) modulo 256.
uint8_t ColourByte(double value);
// 0x00BBGGRR.
uint32_t ColourOf(double red, double green, double blue);

}  // namespace folivo
