#include "content/DrawingInterpreter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "core/NumberConversion.h"
#include "core/ResourceLimits.h"
#include "syntax/TokenReader.h"

namespace folivo {


namespace {

using Op = DrawingInterpreter::Op;

const std::unordered_map<std::string_view, Op>& Operators()
{
    static const std::unordered_map<std::string_view, Op> operators = {
        {"q", Op::q}, {"Q", Op::Q}, {"cm", Op::cm}, {"w", Op::w}, {"J", Op::J}, {"j", Op::j}, {"M", Op::M},
        {"d", Op::d}, {"gs", Op::gs}, {"ri", Op::Ignored}, {"i", Op::Ignored}, {"m", Op::m}, {"l", Op::l},
        {"c", Op::c}, {"v", Op::v}, {"y", Op::y}, {"h", Op::h}, {"re", Op::re}, {"S", Op::S}, {"s", Op::s},
        {"f", Op::f}, {"F", Op::f}, {"f*", Op::fStar}, {"B", Op::B}, {"B*", Op::BStar}, {"b", Op::b},
        {"b*", Op::bStar}, {"n", Op::n}, {"W", Op::W}, {"W*", Op::WStar}, {"BT", Op::BT}, {"ET", Op::ET},
        {"Tc", Op::Tc}, {"Tw", Op::Tw}, {"Tz", Op::Tz}, {"TL", Op::TL}, {"Tf", Op::Tf}, {"Tr", Op::Tr},
        {"Ts", Op::Ts}, {"Td", Op::Td}, {"TD", Op::TD}, {"Tm", Op::Tm}, {"T*", Op::TStar}, {"Tj", Op::Tj},
        {"TJ", Op::TJ}, {"'", Op::Quote}, {"\"", Op::DoubleQuote}, {"d0", Op::d0}, {"d1", Op::d1},
        {"CS", Op::CS}, {"cs", Op::cs}, {"SC", Op::SC}, {"SCN", Op::SCN}, {"sc", Op::sc}, {"scn", Op::scn},
        {"G", Op::G}, {"g", Op::g}, {"RG", Op::RG}, {"rg", Op::rg}, {"K", Op::K}, {"k", Op::k},
        {"sh", Op::sh}, {"Do", Op::Do}, {"BI", Op::BI}, {"BMC", Op::Ignored}, {"BDC", Op::Ignored},
        {"EMC", Op::Ignored}, {"MP", Op::Ignored}, {"DP", Op::Ignored}, {"BX", Op::Ignored}, {"EX", Op::Ignored},
    };
    return operators;
}

// Operands are everything but operators: numbers, names, strings, arrays and dictionaries.
bool MayBeOperator(const std::string& token)
{
    if (token.empty()) return false;
    const char first = token[0];
    if (first == '\'' || first == '"') return true;
    if (!std::isalpha(static_cast<unsigned char>(first))) return false;
    return token != "true" && token != "false" && token != "null";
}

// A page names at most this many operands before an operator; more are a damaged stream.
constexpr size_t MaxOperands = size_t{1} << 16;
// Points of one path; the rest of a larger path is dropped.
constexpr size_t MaxPathPoints = size_t{1} << 22;

}  // namespace

DeviceColour ColourOfComponents(const double* values, size_t count)
{
    auto unit = [](double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; };
    if (count >= 4) {
        const double k = unit(values[3]);
        return {(1 - unit(values[0])) * (1 - k), (1 - unit(values[1])) * (1 - k), (1 - unit(values[2])) * (1 - k)};
    }
    if (count == 3) return {unit(values[0]), unit(values[1]), unit(values[2])};
    const double grey = count == 1 ? unit(values[0]) : 0;
    return {grey, grey, grey};
}

DrawingInterpreter::DrawingInterpreter(Sources sources, OutputDevice& device)
    : sources_(std::move(sources)), device_(device)
{
    state_.font = PlainTextFont();
}

void DrawingInterpreter::Run(FileBuffer& content, const Matrix& ctm)
{
    state_.ctm = ctm;
    Interpret(content);
}

void DrawingInterpreter::Interpret(FileBuffer& content)
{
    while (content.position < content.size) {
        std::string token = ReadToken(content);
        if (!MayBeOperator(token)) {
            if (token.empty()) continue;
            if (operands_.size() >= MaxOperands) operands_.erase(operands_.begin(), operands_.begin() + MaxOperands / 2);
            operands_.push_back(std::move(token));
            continue;
        }
        const auto found = Operators().find(token);
        const Op op = found == Operators().end() ? Op::None : found->second;
        if (op == Op::BI) DrawInlinePicture(content);
        else Execute(op);
        operands_.clear();
    }
    if (inText_) EndText();
}

void DrawingInterpreter::DrawForm(const FormContent& form, const Matrix& placement, double opacity)
{
    State outer = state_;
    state_ = State{};
    state_.font = PlainTextFont();
    state_.opacity = std::isfinite(opacity) ? std::clamp(opacity, 0.0, 1.0) : 1;
    state_.fill.alpha = state_.stroke.alpha = state_.opacity;
    RunForm(form, Concatenated(form.matrix, placement));
    state_ = std::move(outer);
}

const std::string& DrawingInterpreter::OperandAt(size_t k, size_t count) const
{
    return operands_[operands_.size() - count + k];
}

double DrawingInterpreter::NumberAt(size_t k, size_t count) const
{
    const auto number = NumberText(OperandAt(k, count));
    return number && std::isfinite(*number) ? *number : 0;
}

bool DrawingInterpreter::Numbers(size_t count, double* values) const
{
    if (operands_.size() < count) return false;
    for (size_t k = 0; k < count; ++k) {
        const auto number = NumberText(OperandAt(k, count));
        if (!number || !std::isfinite(*number)) return false;
        values[k] = *number;
    }
    return true;
}

std::vector<double> DrawingInterpreter::ArrayOperand(size_t after) const
{
    std::vector<double> numbers;
    if (operands_.size() < after + 1) return numbers;
    const size_t end = operands_.size() - after;
    size_t open = end;
    while (open > 0 && operands_[open - 1] != "[") --open;
    for (size_t i = open; i < end; ++i) {
        if (const auto number = NumberText(operands_[i]); number && std::isfinite(*number)) numbers.push_back(*number);
    }
    return numbers;
}

void DrawingInterpreter::Execute(Op op)
{
    double v[6] = {};
    switch (op) {
    case Op::q:
        if (saved_.size() >= SavedStateLimit) {
            ++unsaved_;
            return;
        }
        saved_.push_back(state_);
        device_.SaveState();
        return;
    case Op::Q:
        if (unsaved_ > 0) {
            --unsaved_;
        } else if (!saved_.empty()) {
            state_ = std::move(saved_.back());
            saved_.pop_back();
            device_.RestoreState();
        }
        return;
    case Op::cm:
        if (Numbers(6, v)) state_.ctm = Concatenated({v[0], v[1], v[2], v[3], v[4], v[5]}, state_.ctm);
        return;
    case Op::w:
        if (Numbers(1, v)) state_.strokeStyle.width = std::fabs(v[0]);
        return;
    case Op::J:
        if (Numbers(1, v)) state_.strokeStyle.cap = std::clamp(ClampedInteger<int>(v[0]), 0, 2);
        return;
    case Op::j:
        if (Numbers(1, v)) state_.strokeStyle.join = std::clamp(ClampedInteger<int>(v[0]), 0, 2);
        return;
    case Op::M:
        if (Numbers(1, v)) state_.strokeStyle.miterLimit = std::max(v[0], 1.0);
        return;
    case Op::d:
        if (!operands_.empty()) {
            state_.strokeStyle.dash = ArrayOperand(1);
            state_.strokeStyle.dashPhase = NumberAt(0, 1);
        }
        return;
    case Op::gs:
        ApplyGraphicsState();
        return;
    case Op::m:
        if (Numbers(2, v)) AddPoint(DevicePath::Verb::Move, {v[0], v[1]});
        return;
    case Op::l:
        if (Numbers(2, v)) AddPoint(DevicePath::Verb::Line, {v[0], v[1]});
        return;
    case Op::c:
        if (Numbers(6, v)) AddPoint(DevicePath::Verb::Curve, {v[0], v[1], v[2], v[3], v[4], v[5]});
        return;
    case Op::v:
        // The first control point is the current point.
        if (Numbers(4, v) && path_.points.size() >= 2) {
            const double x = path_.points[path_.points.size() - 2], y = path_.points.back();
            AddPoint(DevicePath::Verb::Curve, {x, y, v[0], v[1], v[2], v[3]});
        }
        return;
    case Op::y:
        if (Numbers(4, v)) AddPoint(DevicePath::Verb::Curve, {v[0], v[1], v[2], v[3], v[2], v[3]});
        return;
    case Op::h:
        if (!path_.Empty()) path_.verbs.push_back(DevicePath::Verb::Close);
        return;
    case Op::re:
        Rectangle();
        return;
    case Op::S: PaintPath(false, true, false, false); return;
    case Op::s: PaintPath(false, true, false, true); return;
    case Op::f: PaintPath(true, false, false, false); return;
    case Op::fStar: PaintPath(true, false, true, false); return;
    case Op::B: PaintPath(true, true, false, false); return;
    case Op::BStar: PaintPath(true, true, true, false); return;
    case Op::b: PaintPath(true, true, false, true); return;
    case Op::bStar: PaintPath(true, true, true, true); return;
    case Op::n: EndPath(); return;
    case Op::W:
    case Op::WStar:
        clipPending_ = true;
        clipEvenOdd_ = op == Op::WStar;
        return;
    case Op::BT: BeginText(); return;
    case Op::ET: EndText(); return;
    case Op::CS:
    case Op::cs: SetColourSpace(op == Op::CS); return;
    case Op::SC:
    case Op::SCN: SetColourWithPattern(true); return;
    case Op::sc:
    case Op::scn: SetColourWithPattern(false); return;
    case Op::G:
    case Op::g: SetColour(op == Op::G, 1); return;
    case Op::RG:
    case Op::rg: SetColour(op == Op::RG, 3); return;
    case Op::K:
    case Op::k: SetColour(op == Op::K, 4); return;
    case Op::sh: PaintShading(); return;
    case Op::Do: DoXObject(); return;
    default:
        ExecuteTextOperator(op);
        return;
    }
}

void DrawingInterpreter::SetColour(bool stroking, size_t components)
{
    double values[4] = {};
    if (!Numbers(components, values)) return;
    DevicePaint& paint = stroking ? state_.stroke : state_.fill;
    paint.colour = ColourOfComponents(values, components);
    paint.pattern = 0;
    (stroking ? state_.strokeComponents : state_.fillComponents) = static_cast<int>(components);
}

void DrawingInterpreter::SetColourSpace(bool stroking)
{
    if (operands_.empty()) return;
    const std::string& name = operands_.back();
    int components = 1;
    if (name == "/DeviceRGB" || name == "/RGB" || name == "/CalRGB" || name == "/Lab") {
        components = 3;
    } else if (name == "/DeviceCMYK" || name == "/CMYK") {
        components = 4;
    } else if (name == "/Pattern") {
        components = 0;
    } else if (name != "/DeviceGray" && name != "/G" && name != "/CalGray" && sources_.colourSpaceComponents) {
        const int32_t scope = formScopes_.empty() ? 0 : formScopes_.back();
        components = sources_.colourSpaceComponents(name, scope).value_or(1);
    }
    (stroking ? state_.strokeComponents : state_.fillComponents) = components;
    // A new colour space starts with its initial colour: black, or no pattern.
    DevicePaint& paint = stroking ? state_.stroke : state_.fill;
    paint.colour = DeviceColour{};
    paint.pattern = 0;
}

void DrawingInterpreter::SetColourWithPattern(bool stroking)
{
    if (operands_.empty()) return;
    DevicePaint& paint = stroking ? state_.stroke : state_.fill;
    const std::string& last = operands_.back();
    if (!last.empty() && last[0] == '/') {
        const int32_t scope = formScopes_.empty() ? 0 : formScopes_.back();
        paint.pattern = sources_.resource ? sources_.resource("/Pattern", last, scope).value_or(0) : 0;
        // An uncoloured pattern takes its colour from the numbers before its name.
        double values[4] = {};
        size_t count = 0;
        while (count < 4 && count + 1 < operands_.size() && NumberText(operands_[operands_.size() - 2 - count])) ++count;
        for (size_t k = 0; k < count; ++k) values[k] = NumberText(operands_[operands_.size() - 1 - count + k]).value_or(0);
        if (count == 1 || count == 3 || count == 4) paint.colour = ColourOfComponents(values, count);
        return;
    }
    // Numbers only: as many as the colour space has, else as many as were given.
    size_t count = 0;
    while (count < operands_.size() && count < 4 && NumberText(operands_[operands_.size() - 1 - count])) ++count;
    const int components = stroking ? state_.strokeComponents : state_.fillComponents;
    if (components >= 1 && static_cast<size_t>(components) <= count) count = static_cast<size_t>(components);
    if (count == 2) count = 1;
    if (count > 0) SetColour(stroking, count);
    (stroking ? state_.strokeComponents : state_.fillComponents) = components;
}

void DrawingInterpreter::ApplyGraphicsState()
{
    if (operands_.empty() || !sources_.graphicsState) return;
    const int32_t scope = formScopes_.empty() ? 0 : formScopes_.back();
    const GraphicsStateParameters parameters = sources_.graphicsState(operands_.back(), scope);
    DeviceStroke& stroke = state_.strokeStyle;
    if (parameters.lineWidth) stroke.width = std::fabs(*parameters.lineWidth);
    if (parameters.cap) stroke.cap = std::clamp(*parameters.cap, 0, 2);
    if (parameters.join) stroke.join = std::clamp(*parameters.join, 0, 2);
    if (parameters.miterLimit) stroke.miterLimit = std::max(*parameters.miterLimit, 1.0);
    if (parameters.dash) {
        stroke.dash = *parameters.dash;
        stroke.dashPhase = parameters.dashPhase;
    }
    if (parameters.strokeAlpha) state_.stroke.alpha = std::clamp(*parameters.strokeAlpha, 0.0, 1.0) * state_.opacity;
    if (parameters.fillAlpha) state_.fill.alpha = std::clamp(*parameters.fillAlpha, 0.0, 1.0) * state_.opacity;
    if (parameters.softMask) {
        // The mask's group is placed by the matrix in force when the state is set.
        DeviceSoftMask mask = *parameters.softMask;
        mask.ctm = state_.ctm;
        device_.SetSoftMask(mask.group != 0 ? std::optional<DeviceSoftMask>(mask) : std::nullopt);
    }
    if (parameters.font && *parameters.font) {
        state_.font = *parameters.font;
        state_.fontSize = parameters.fontSize;
    }
}

void DrawingInterpreter::AddPoint(DevicePath::Verb verb, std::initializer_list<double> coordinates)
{
    if (path_.points.size() + coordinates.size() > 2 * MaxPathPoints) return;
    // A line or curve without a current point starts at its own end.
    if (verb != DevicePath::Verb::Move && path_.points.empty()) {
        const auto end = coordinates.end();
        path_.verbs.push_back(DevicePath::Verb::Move);
        path_.points.insert(path_.points.end(), end - 2, end);
    }
    path_.verbs.push_back(verb);
    path_.points.insert(path_.points.end(), coordinates);
}

void DrawingInterpreter::Rectangle()
{
    double v[4];
    if (!Numbers(4, v)) return;
    AddPoint(DevicePath::Verb::Move, {v[0], v[1]});
    AddPoint(DevicePath::Verb::Line, {v[0] + v[2], v[1]});
    AddPoint(DevicePath::Verb::Line, {v[0] + v[2], v[1] + v[3]});
    AddPoint(DevicePath::Verb::Line, {v[0], v[1] + v[3]});
    path_.verbs.push_back(DevicePath::Verb::Close);
}

void DrawingInterpreter::PaintPath(bool fill, bool stroke, bool evenOdd, bool close)
{
    if (close && !path_.Empty()) path_.verbs.push_back(DevicePath::Verb::Close);
    if (!path_.Empty()) {
        if (fill) device_.FillPath(path_, state_.ctm, evenOdd, state_.fill);
        if (stroke) device_.StrokePath(path_, state_.ctm, state_.strokeStyle, state_.stroke);
    }
    EndPath();
}

void DrawingInterpreter::EndPath()
{
    if (clipPending_ && !path_.Empty()) device_.ClipPath(path_, state_.ctm, clipEvenOdd_);
    clipPending_ = false;
    path_.Clear();
}

void DrawingInterpreter::DoXObject()
{
    if (operands_.empty()) return;
    const std::string& name = operands_.back();
    const int32_t scope = formScopes_.empty() ? 0 : formScopes_.back();
    if (sources_.form) {
        if (const auto form = sources_.form(name, scope)) {
            RunForm(*form, Concatenated(form->matrix, state_.ctm));
            return;
        }
    }
    for (uint32_t i = 0; i < sources_.pictures.Count(); ++i) {
        if (sources_.pictures.At(i)->name.View() != name) continue;
        device_.DrawPicture(static_cast<int32_t>(i), false, state_.ctm, state_.fill);
        return;
    }
    if (sources_.undecodedPicture && sources_.undecodedPicture(name)) {
        device_.DrawPicture(-1, false, state_.ctm, state_.fill);
        return;
    }
    if (!sources_.picture) return;
    if (const auto index = sources_.picture(name, scope)) device_.DrawPicture(*index, true, state_.ctm, state_.fill);
}

void DrawingInterpreter::RunForm(const FormContent& form, const Matrix& ctm)
{
    if (!form.content || formScopes_.size() >= ContentInterpreter::MaxFormDepth || formEntriesLeft_ == 0 ||
        form.content->size() > formBytesLeft_)
        return;
    --formEntriesLeft_;
    formBytesLeft_ -= form.content->size();
    // A form runs in a state of its own, clipped to its box, and leaves the outer path alone.
    State outer = state_;
    DevicePath outerPath = std::move(path_);
    std::vector<std::string> outerOperands = std::move(operands_);
    const bool outerInText = inText_;
    const Matrix outerTm = tm_, outerTlm = tlm_;
    path_.Clear();
    operands_.clear();
    inText_ = false;
    state_.ctm = ctm;
    device_.SaveState();
    const double* box = form.box;
    if (box[2] != box[0] && box[3] != box[1]) {
        DevicePath clip;
        clip.verbs = {DevicePath::Verb::Move, DevicePath::Verb::Line, DevicePath::Verb::Line, DevicePath::Verb::Line,
                      DevicePath::Verb::Close};
        clip.points = {box[0], box[1], box[2], box[1], box[2], box[3], box[0], box[3]};
        device_.ClipPath(clip, ctm, false);
    }
    formScopes_.push_back(form.scope);
    const size_t savedDepth = saved_.size();
    FileBuffer content{reinterpret_cast<const uint8_t*>(form.content->data()),
                       static_cast<int32_t>(std::min<size_t>(form.content->size(), INT32_MAX)), 0};
    Interpret(content);
    // States the form saved but never restored end with it.
    while (saved_.size() > savedDepth) {
        saved_.pop_back();
        device_.RestoreState();
    }
    formScopes_.pop_back();
    device_.RestoreState();
    state_ = std::move(outer);
    path_ = std::move(outerPath);
    operands_ = std::move(outerOperands);
    inText_ = outerInText;
    tm_ = outerTm;
    tlm_ = outerTlm;
}

void DrawingInterpreter::PaintShading()
{
    if (operands_.empty() || !sources_.resource) return;
    const int32_t scope = formScopes_.empty() ? 0 : formScopes_.back();
    if (const auto shading = sources_.resource("/Shading", operands_.back(), scope))
        device_.FillShading(*shading, state_.ctm, state_.fill.alpha);
}

void DrawingInterpreter::DrawInlinePicture(FileBuffer& content)
{
    const std::optional<InlinePicture> picture = ReadInlinePictureData(content);
    if (!picture || picture->data.empty() || !sources_.inlinePicture) return;
    if (const auto index = sources_.inlinePicture(picture->dictionary, picture->data))
        device_.DrawPicture(*index, true, state_.ctm, state_.fill);
}

}  // namespace folivo
