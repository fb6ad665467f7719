#include "content/ContentInterpreter.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>
#include <algorithm>
#include <array>
#include <cctype>

#include "core/CharsetTables.h"
#include "core/NumberConversion.h"
#include "syntax/TokenReader.h"

namespace folivo {

enum class ContentInterpreter::Op {
    None, q, Q, Do, g, G, rg, RG, k, K, sc, SC, n, sh, s, S, f, F, fStar, B, b, BStar, bStar, h, c, v, y, m, l, w, re,
    W, WStar, cm, BT, ET, Tc, Tf, TL, Tr, TStar, Td, TD, Tm, Tj, TJ, Quote, DoubleQuote,
};

namespace {

using Op = ContentInterpreter::Op;

struct OperatorName {
    std::string_view name;
    Op op;
};

constexpr OperatorName LongOperators[] = {
    {"Do", Op::Do},   {"rg", Op::rg}, {"RG", Op::RG}, {"sc", Op::sc}, {"scn", Op::sc}, {"SC", Op::SC},
    {"SCN", Op::SC},  {"sh", Op::sh},  {"f*", Op::fStar}, {"B*", Op::BStar}, {"b*", Op::bStar}, {"re", Op::re},
    {"W*", Op::WStar}, {"cm", Op::cm}, {"BT", Op::BT}, {"ET", Op::ET}, {"Tc", Op::Tc}, {"Tf", Op::Tf}, {"TL", Op::TL}, {"Tr", Op::Tr},
    {"T*", Op::TStar}, {"Td", Op::Td}, {"TD", Op::TD}, {"Tm", Op::Tm}, {"Tj", Op::Tj}, {"TJ", Op::TJ},
};

// A name of up to three bytes and its length in one number: compared without a string compare.
constexpr uint32_t OperatorKey(std::string_view name)
{
    uint32_t key = static_cast<uint32_t>(name.size()) << 24;
    for (size_t i = 0; i < name.size() && i < 3; ++i) key |= static_cast<uint32_t>(static_cast<uint8_t>(name[i])) << (8 * i);
    return key;
}

constexpr auto LongOperatorKeys = [] {
    std::array<uint32_t, std::size(LongOperators)> keys{};
    for (size_t i = 0; i < keys.size(); ++i) keys[i] = OperatorKey(LongOperators[i].name);
    return keys;
}();

// Operators of one byte, by that byte; the most frequent tokens of path-heavy pages.
constexpr std::array<Op, 256> MakeShortOperators()
{
    std::array<Op, 256> table{};
    const std::pair<char, Op> names[] = {
        {'q', Op::q}, {'Q', Op::Q}, {'g', Op::g}, {'G', Op::G}, {'k', Op::k}, {'K', Op::K}, {'n', Op::n},
        {'s', Op::s}, {'S', Op::S}, {'f', Op::f}, {'F', Op::F}, {'B', Op::B}, {'b', Op::b}, {'h', Op::h},
        {'c', Op::c}, {'v', Op::v}, {'y', Op::y}, {'m', Op::m}, {'l', Op::l}, {'w', Op::w}, {'\'', Op::Quote},
        {'"', Op::DoubleQuote}, {'W', Op::W},
    };
    for (const auto& [name, op] : names) table[static_cast<uint8_t>(name)] = op;
    return table;
}
constexpr std::array<Op, 256> ShortOperators = MakeShortOperators();

Op OperatorOf(std::string_view token)
{
    if (token.size() == 1) return ShortOperators[static_cast<uint8_t>(token[0])];
    // Numbers, names and strings are longer or start otherwise.
    if (token.size() < 2 || token.size() > 3 || !std::isalpha(static_cast<unsigned char>(token[0]))) return Op::None;
    const uint32_t key = OperatorKey(token);
    for (size_t i = 0; i < LongOperatorKeys.size(); ++i) {
        if (LongOperatorKeys[i] == key) return LongOperators[i].op;
    }
    return Op::None;
}

// Entries kept outside text objects: no operator there reads more than six operands.
constexpr size_t KeptOperands = 8;

// The bounding rectangle of points as a matrix places them.
struct Bounds {
    double left = std::numeric_limits<double>::infinity(), bottom = left;
    double right = -left, top = -left;

    void Take(const Matrix& m, double x, double y)
    {
        const double px = x * m.a + y * m.c + m.e, py = x * m.b + y * m.d + m.f;
        left = std::min(left, px), right = std::max(right, px);
        bottom = std::min(bottom, py), top = std::max(top, py);
    }
};

}  // namespace

Matrix Concatenated(const Matrix& m, const Matrix& base)
{
    return {m.a * base.a + m.b * base.c, m.a * base.b + m.b * base.d, m.c * base.a + m.d * base.c,
            m.c * base.b + m.d * base.d, m.e * base.a + m.f * base.c + base.e, m.e * base.b + m.f * base.d + base.f};
}

uint8_t ColourByte(double value)
{
    const double scaled = std::trunc(value * 255.0);
    if (!std::isfinite(scaled)) return 0;
    const double wrapped = std::fmod(scaled, 256.0);  // exact; keeps the sign like integer modulo
    return static_cast<uint8_t>(static_cast<int32_t>(wrapped) & 0xFF);
}

uint32_t ColourOf(double red, double green, double blue)
{
    return ColourByte(red) + 256u * ColourByte(green) + 65536u * ColourByte(blue);
}

ContentInterpreter::ContentInterpreter(Sources sources, TDynaArray<PageItem>& staging, uint32_t pageNumber)
    : sources_(std::move(sources)), staging_(staging), pageNumber_(pageNumber),
      path_(new TDynaArray<PathSegment>(&currentSegment_)), budget_(sources_.budget ? *sources_.budget : ownBudget_)
{
    ClearStagingItems(staging_);
    resolution_ = sources_.canvas.PixelsPerInch();
    if (resolution_ <= 0) resolution_ = 96;
}

ContentInterpreter::~ContentInterpreter()
{
    ClearPath();  // gives its segments back to the budget
    delete path_;
}

void ContentInterpreter::Run(FileBuffer& content)
{
    while (content.position < content.size) {
        if (sources_.processMessages) sources_.processMessages();
        std::string token = ReadToken(content);
        if (token == "BI") {
            ReadInlinePicture(content);
            continue;
        }
        const Op op = OperatorOf(token);
        const char first = token.empty() ? '\0' : token[0];
        operands_.Push(std::move(token));
        Execute(op);
        if (inText_ && (first == 'T' || first == '\'' || first == '"')) operands_.Clear();
        // Outside text objects the list only grows, and only its last entries are ever read.
        if (!inText_ && operands_.Size() >= 8 * KeptOperands) operands_.KeepLast(KeptOperands);
    }
}

ContentInterpreter::Omissions ContentInterpreter::Omitted() const
{
    Omissions omitted = omitted_;
    omitted.operands = operands_.Lost();
    return omitted;
}

bool ContentInterpreter::NumberOperand(size_t k, size_t m, double& value) const
{
    const auto number = NumberText(Operand(k, m));
    if (!number) return false;
    value = *number;
    return true;
}

void ContentInterpreter::SaveGraphicsState()
{
    if (stateStack_.size() >= MaxSavedStates) {
        ++unsavedStates_;
        ++omitted_.savedStates;
        return;
    }
    stateStack_.push_back({ctm_, strokeColor_, fillColor_, lineWidth_, clip_});
}

void ContentInterpreter::RestoreGraphicsState()
{
    if (unsavedStates_ > 0) {
        --unsavedStates_;
        return;
    }
    // Colours belong to the saved state too: a background filled white inside q ... Q
    // must not leave the page's text white.
    if (!stateStack_.empty()) {
        ctm_ = stateStack_.back().ctm;
        strokeColor_ = stateStack_.back().strokeColor;
        fillColor_ = stateStack_.back().fillColor;
        lineWidth_ = stateStack_.back().lineWidth;
        clip_ = stateStack_.back().clip;
        stateStack_.pop_back();
    }
}

void ContentInterpreter::Execute(Op op)
{
    double value = 0;
    switch (op) {
    case Op::None:
        return;
    case Op::q:
        SaveGraphicsState();
        return;
    case Op::Q:
        RestoreGraphicsState();
        return;
    case Op::Do:
        if (HasOperands(1) && !EnterForm()) ShowImage();
        return;
    case Op::g:
    case Op::G:
        if (HasOperands(1) && NumberOperand(1, 1, value)) SetColour(op == Op::G, ColourOf(value, value, value));
        return;
    case Op::rg:
    case Op::RG:
        if (HasOperands(3)) ReadColour(3, op == Op::RG, false);
        return;
    case Op::k:
    case Op::K:
        if (HasOperands(4)) ReadColour(4, op == Op::K, true);
        return;
    case Op::sc:
    case Op::SC:
        // Three components, then four when the list holds them; four replace three.
        if (HasOperands(3) && ReadColour(3, op == Op::SC, false) && HasOperands(4)) ReadColour(4, op == Op::SC, true);
        return;
    case Op::n:
        EndPath();
        return;
    case Op::sh:
        PaintShading();
        return;
    case Op::W:
    case Op::WStar:
        clipPending_ = true;
        return;
    case Op::s:
    case Op::b:
    case Op::bStar:
        ClosePath();
        PaintPath(op);
        return;
    case Op::S:
    case Op::f:
    case Op::F:
    case Op::fStar:
    case Op::B:
    case Op::BStar:
        PaintPath(op);
        return;
    case Op::h:
        ClosePath();
        return;
    case Op::c:
    case Op::v:
    case Op::y:
        Curve(op);
        return;
    case Op::m:
    case Op::l:
        if (HasOperands(2)) MoveOrLine(op == Op::l);
        return;
    case Op::w:
        if (HasOperands(1) && NumberOperand(1, 1, value)) lineWidth_ = value;
        return;
    case Op::re:
        if (HasOperands(4)) Rectangle();
        return;
    case Op::cm:
        if (HasOperands(6)) ConcatenateMatrix();
        return;
    case Op::BT:
        inText_ = true;
        operands_.Clear();
        tm_ = Matrix{};
        advance_ = 0;
        return;
    case Op::ET:
        inText_ = false;
        operands_.Clear();
        return;
    case Op::Tr:
        // Set anywhere: files put it before or inside their text objects.
        if (HasOperands(1) && NumberOperand(1, 1, value)) renderMode_ = ClampedInteger<int>(value);
        return;
    default:
        // Text state and showing act only inside a text object.
        if (inText_) ExecuteTextOperator(op);
        return;
    }
}

void ContentInterpreter::ExecuteTextOperator(Op op)
{
    double value = 0;
    switch (op) {
    case Op::Tc:
        if (HasOperands(1) && NumberOperand(1, 1, value)) charSpacing_ = value;
        return;
    case Op::Tf:
        if (!HasOperands(2)) return;
        fontName_ = Operand(1, 2);
        if (!NumberOperand(2, 2, value)) return;
        fontSize_ = value;
        SelectFont();
        return;
    case Op::TL:
        if (HasOperands(1) && NumberOperand(1, 1, value)) leading_ = value;
        return;
    case Op::TStar:
        tm_.f -= leading_ * tm_.d;
        advance_ = 0;
        return;
    case Op::Td:
    case Op::TD: {
        advance_ = 0;
        double tx = 0, ty = 0;
        if (!HasOperands(2) || !NumberOperand(1, 2, tx) || !NumberOperand(2, 2, ty)) return;
        tm_.e += tx * tm_.a + ty * tm_.c;
        tm_.f += tx * tm_.b + ty * tm_.d;
        if (op == Op::TD) leading_ = -ty;
        return;
    }
    case Op::Tm: {
        advance_ = 0;
        if (!HasOperands(6)) return;
        double* const targets[6] = {&tm_.a, &tm_.b, &tm_.c, &tm_.d, &tm_.e, &tm_.f};
        for (size_t k = 1; k <= 6; ++k) {
            if (!NumberOperand(k, 6, *targets[k - 1])) return;
        }
        return;
    }
    case Op::Quote:
    case Op::DoubleQuote:
        tm_.f -= leading_ * tm_.d;
        advance_ = 0;
        ShowText(false);
        return;
    case Op::Tj:
    case Op::TJ:
        ShowText(op == Op::TJ);
        return;
    default:
        return;
    }
}

bool ContentInterpreter::ReadColour(size_t m, bool stroking, bool cmyk)
{
    double values[4] = {};
    for (size_t k = 1; k <= m; ++k) {
        if (!NumberOperand(k, m, values[k - 1])) return false;
    }
    if (cmyk) {
        const double black = values[3];
        SetColour(stroking, ColourOf(1 - std::min(1.0, values[0] + black), 1 - std::min(1.0, values[1] + black),
                                     1 - std::min(1.0, values[2] + black)));
    } else {
        SetColour(stroking, ColourOf(values[0], values[1], values[2]));
    }
    return true;
}

void ContentInterpreter::AppendSegment(double x1, double y1, double x2, double y2, double x3, double y3, bool drawn)
{
    // Segment arrays grow a whole step at a time; a step is only taken while the page has room.
    constexpr uint32_t step = TDynaArray<PathSegment>::GrowthStep;
    if (path_->Count() % step == 0) {
        if (budget_.segmentSlots < step) {
            ++omitted_.segments;
            return;
        }
        budget_.segmentSlots -= step;
    }
    *path_->Append() = PathSegment{lineWidth_, x1, y1, x2, y2, x3, y3, static_cast<uint8_t>(drawn)};
}

void ContentInterpreter::EndPath()
{
    if (clipPending_) ClipToPath();
    ClearPath();
}

void ContentInterpreter::ClipToPath()
{
    clipPending_ = false;
    Bounds bounds;
    for (uint32_t i = 0; i < path_->Count(); ++i) {
        const PathSegment& segment = *path_->At(i);
        // Every drawn segment starts where the move before it went; a move alone encloses nothing.
        if (!segment.IsDrawn) continue;
        bounds.Take(ctm_, segment.X1, segment.Y1);
        bounds.Take(ctm_, segment.X2, segment.Y2);
        bounds.Take(ctm_, segment.X3, segment.Y3);
    }
    // With no drawn segment kept (none given, or past the budget) the bounds stay infinite and
    // the clip as it was: showing too much is the lesser fault than hiding the rest of the page.
    ClipTo(bounds.left, bounds.bottom, bounds.right, bounds.top);
}

void ContentInterpreter::ClipTo(double left, double bottom, double right, double top)
{
    // Overflowing or undefined figures give no rectangle to clip by.
    if (!std::isfinite(left) || !std::isfinite(bottom) || !std::isfinite(right) || !std::isfinite(top)) return;
    if (!clip_.active) {
        clip_ = {true, left, bottom, right, top};
        return;
    }
    // Clips only ever narrow; one without area stays without.
    clip_.left = std::max(clip_.left, left);
    clip_.bottom = std::max(clip_.bottom, bottom);
    clip_.right = std::min(clip_.right, right);
    clip_.top = std::min(clip_.top, top);
}

void ContentInterpreter::ClearPath()
{
    constexpr uint32_t step = TDynaArray<PathSegment>::GrowthStep;
    budget_.segmentSlots += (path_->Count() + step - 1) / step * step;
    path_->Clear();
}

// Path operators store their coordinates one by one: an operand that is not a number leaves
// the segments appended with 0 for what was not stored, and the current point unchanged.
void ContentInterpreter::MoveOrLine(bool drawn)
{
    double x = 0, y = 0;
    const bool complete = NumberOperand(1, 2, x) && NumberOperand(2, 2, y);
    AppendSegment(pointX_, pointY_, pointX_, pointY_, x, y, drawn);
    if (!complete) return;
    pointX_ = x;
    pointY_ = y;
}

void ContentInterpreter::Curve(Op op)
{
    // c has six operands; v and y may have four, their missing control point being the
    // current point (v) or the end point (y).
    const size_t count = op == Op::c ? 6 : 4;
    if (!HasOperands(count)) return;
    double values[6] = {};
    size_t read = 0;
    while (read < count && NumberOperand(read + 1, count, values[read])) ++read;
    double x1 = values[0], y1 = values[1], x2 = values[2], y2 = values[3], x3 = values[4], y3 = values[5];
    if (count == 4 && op == Op::v) {
        x1 = pointX_, y1 = pointY_, x2 = values[0], y2 = values[1], x3 = values[2], y3 = values[3];
    } else if (count == 4) {
        x3 = values[2], y3 = values[3], x2 = x3, y2 = y3;
    }
    AppendSegment(pointX_, pointY_, pointX_, pointY_, x1, y1, true);
    AppendSegment(x1, y1, x2, y2, x3, y3, true);
    if (read < count) return;
    pointX_ = x3;
    pointY_ = y3;
}

void ContentInterpreter::Rectangle()
{
    double values[4] = {};
    size_t read = 0;
    while (read < 4 && NumberOperand(read + 1, 4, values[read])) ++read;
    const double x = values[0], y = values[1], w = values[2], h = values[3];
    AppendSegment(x, y, x, y, x + w, y, true);
    AppendSegment(x + w, y, x + w, y, x + w, y + h, true);
    AppendSegment(x + w, y + h, x + w, y + h, x, y + h, true);
    AppendSegment(x, y + h, x, y + h, x, y, true);
    if (read < 4) return;
    pointX_ = x;
    pointY_ = y;
}

void ContentInterpreter::ClosePath()
{
    if (path_->Count() == 0) return;
    const PathSegment& first = *path_->At(0);
    const double x = first.IsDrawn ? first.X1 : first.X3;
    const double y = first.IsDrawn ? first.Y1 : first.Y3;
    AppendSegment(x, y, x, y, x, y, true);
    pointX_ = x;
    pointY_ = y;
}

bool ContentInterpreter::ItemAllowed()
{
    if (budget_.items > 0) {
        --budget_.items;
        return true;
    }
    ++omitted_.items;
    return false;
}

PageItem* ContentInterpreter::AppendItem()
{
    PageItem* item = staging_.Append();
    item->StrokeColor = strokeColor_;
    item->FillColor = fillColor_;
    item->PageNumber = pageNumber_;
    if (clip_.active) {
        item->Clipped = 1;
        item->ClipLeft = clip_.left;
        item->ClipBottom = clip_.bottom;
        item->ClipRight = clip_.right;
        item->ClipTop = clip_.top;
    }
    return item;
}

PageItem* ContentInterpreter::AppendPlacedItem()
{
    // Images and paths sit where the current transformation puts its origin and unit square.
    PageItem* item = AppendItem();
    item->X = ctm_.e;
    item->Y = ctm_.f;
    item->ScaleX = ctm_.a + ctm_.c;
    item->ScaleY = ctm_.b + ctm_.d;
    item->MatrixB = ctm_.b;
    item->MatrixC = ctm_.c;
    item->FontSize = 12;
    item->LineHeight = 12;
    item->FontName = MakeText("Arial");
    return item;
}

void ContentInterpreter::PaintPath(Op op)
{
    if (!ItemAllowed()) {
        EndPath();
        return;
    }
    // The item takes the clip from before: a clipping path does not clip its own painting.
    PageItem* item = AppendPlacedItem();
    item->IsPath = 1;
    item->Stroked = op == Op::S || op == Op::s || op == Op::B || op == Op::b || op == Op::BStar || op == Op::bStar;
    item->Filled = op != Op::S && op != Op::s;
    if (clipPending_) ClipToPath();
    // The item keeps a copy in small steps; the building steps go back to the budget, which
    // always has room for the copy, as it never takes more slots.
    auto* segments = new PathSegments();
    if (path_->Count() > 0) segments->AppendCopies(path_->At(0), path_->Count());
    item->Segments = segments;
    ClearPath();
    budget_.segmentSlots -= (segments->Count() + PathSegments::GrowthStep - 1) / PathSegments::GrowthStep * PathSegments::GrowthStep;
}

void ContentInterpreter::PaintShading()
{
    EndPath();
    if (!HasOperands(1) || !sources_.shading) return;
    const auto colour = sources_.shading(Operand(1, 1), formScopes_.empty() ? 0 : formScopes_.back());
    if (!colour) return;
    // Without a clip the shading covers the page, whatever its size.
    constexpr double Everywhere = 1e5;
    const double left = clip_.active ? clip_.left : -Everywhere, bottom = clip_.active ? clip_.bottom : -Everywhere;
    const double right = clip_.active ? clip_.right : Everywhere, top = clip_.active ? clip_.top : Everywhere;
    if (!(right > left && top > bottom)) return;
    const Matrix ctm = ctm_;
    const uint32_t fillColour = fillColor_;
    ctm_ = Matrix{};
    fillColor_ = *colour;
    AppendSegment(left, bottom, left, bottom, right, bottom, true);
    AppendSegment(right, bottom, right, bottom, right, top, true);
    AppendSegment(right, top, right, top, left, top, true);
    AppendSegment(left, top, left, top, left, bottom, true);
    PaintPath(Op::f);
    ctm_ = ctm;
    fillColor_ = fillColour;
}

void ContentInterpreter::ShowImage()
{
    const std::string& name = Operand(1, 1);
    TDynaArray<ImageObject>& pictures = sources_.pictures;
    for (uint32_t i = 0; i < pictures.Count(); ++i) {
        if (pictures.At(i)->name.View() != name) continue;
        if (!ItemAllowed()) return;
        PageItem* item = AppendPlacedItem();
        item->IsImage = 1;
        item->ImageIndex = static_cast<int32_t>(i);
        return;
    }
    if (sources_.undecodedPicture && sources_.undecodedPicture(name) && ItemAllowed()) {
        PageItem* item = AppendPlacedItem();
        item->IsImage = 1;
        item->ImageIndex = -1;
    }
}

bool ContentInterpreter::EnterForm()
{
    if (!sources_.form) return false;
    const std::string name = Operand(1, 1);
    std::optional<FormContent> form = sources_.form(name, formScopes_.empty() ? 0 : formScopes_.back());
    if (!form) return false;
    operands_.Clear();
    RunForm(*form, Concatenated(form->matrix, ctm_));
    return true;
}

void ContentInterpreter::DrawForm(const FormContent& form, const Matrix& placement)
{
    operands_.Clear();
    ClearPath();
    // Nor does a clip that the page's content left behind reach the form.
    const ClipArea clip = clip_;
    clip_ = ClipArea{};
    clipPending_ = false;
    RunForm(form, Concatenated(form.matrix, placement));
    clip_ = clip;
}

void ContentInterpreter::RunForm(const FormContent& form, const Matrix& formCtm)
{
    const size_t size = form.content ? form.content->size() : 0;
    // A form inside itself would never end; nesting and repetition are bounded as well.
    const bool drawing = std::find(formScopes_.begin(), formScopes_.end(), form.scope) != formScopes_.end();
    if (drawing || formScopes_.size() >= MaxFormDepth || formEntriesLeft_ == 0 || size > formBytesLeft_ ||
        size > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        ++omitted_.forms;
        return;
    }
    --formEntriesLeft_;
    formBytesLeft_ -= size;

    // The form runs in a state of its own: whatever it sets, the state returns after it.
    const Matrix ctm = ctm_, tm = tm_;
    const double fontSize = fontSize_, leading = leading_, charSpacing = charSpacing_, lineWidth = lineWidth_;
    const std::string fontName = fontName_;
    const std::shared_ptr<const TextFont> font = font_;
    const int renderMode = renderMode_;
    const uint32_t strokeColor = strokeColor_, fillColor = fillColor_;
    const bool inText = inText_;
    const size_t savedStates = stateStack_.size();
    const uint64_t unsavedStates = unsavedStates_;
    const ClipArea clip = clip_;
    const bool clipPending = clipPending_;

    ctm_ = formCtm;
    inText_ = false;
    clipPending_ = false;
    // The form's box clips it; a box without area is taken for one left out.
    if (form.box[2] != form.box[0] && form.box[3] != form.box[1]) {
        Bounds box;
        for (const int x : {0, 2}) {
            for (const int y : {1, 3}) box.Take(formCtm, form.box[x], form.box[y]);
        }
        ClipTo(box.left, box.bottom, box.right, box.top);
    }
    formScopes_.push_back(form.scope);
    FileBuffer content{reinterpret_cast<const uint8_t*>(size ? form.content->data() : ""), static_cast<int32_t>(size), 0};
    Run(content);
    formScopes_.pop_back();

    ClearPath();
    operands_.Clear();
    if (stateStack_.size() > savedStates) stateStack_.resize(savedStates);
    unsavedStates_ = unsavedStates;
    ctm_ = ctm, tm_ = tm;
    fontSize_ = fontSize, leading_ = leading, charSpacing_ = charSpacing, lineWidth_ = lineWidth;
    fontName_ = fontName;
    font_ = font;
    renderMode_ = renderMode;
    strokeColor_ = strokeColor, fillColor_ = fillColor;
    inText_ = inText;
    clip_ = clip;
    clipPending_ = clipPending;
}

void ContentInterpreter::ConcatenateMatrix()
{
    double m[6];
    for (size_t k = 1; k <= 6; ++k) {
        if (!NumberOperand(k, 6, m[k - 1])) return;
    }
    ctm_ = Concatenated({m[0], m[1], m[2], m[3], m[4], m[5]}, ctm_);
}

}  // namespace folivo
