// A page drawn as printed: its content and its comments' appearances run through the drawing
// interpreter, with the document answering for resources: forms, fonts, inline pictures,
// graphics state parameters, colour spaces and Type 3 glyph procedures.
#include <algorithm>
#include <cmath>

#include "content/DrawingInterpreter.h"
#include "core/ResourceLimits.h"
#include "document/AppearanceSynthesis.h"
#include "document/PdfDocument.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {

// Glyph procedures are small; a larger one is damage, not a glyph.
constexpr size_t MaxGlyphProcedureBytes = size_t{1} << 20;
// Type 3 glyphs kept per drawing of a page.
constexpr size_t MaxCachedGlyphProcedures = 4096;

std::optional<double> NumberValue(const TokenList& dictionary, std::string_view key)
{
    const size_t at = ValueIndex(dictionary, 0, key);
    if (at == 0) return std::nullopt;
    const auto number = NumberText(dictionary[at]);
    if (!number || !std::isfinite(*number)) return std::nullopt;
    return number;
}

}  // namespace

std::optional<Matrix> AppearancePlacement(const FormContent& form, const AnnotationRecord& comment, double pageTop)
{
    // The box as the form's matrix turns it, fitted onto the comment's rectangle.
    const Matrix& m = form.matrix;
    double xs[4], ys[4];
    const double corners[4][2] = {{form.box[0], form.box[1]}, {form.box[2], form.box[1]},
                                  {form.box[0], form.box[3]}, {form.box[2], form.box[3]}};
    for (int k = 0; k < 4; ++k) {
        xs[k] = corners[k][0] * m.a + corners[k][1] * m.c + m.e;
        ys[k] = corners[k][0] * m.b + corners[k][1] * m.d + m.f;
    }
    const double x0 = *std::min_element(xs, xs + 4), x1 = *std::max_element(xs, xs + 4);
    const double y0 = *std::min_element(ys, ys + 4), y1 = *std::max_element(ys, ys + 4);
    const double left = comment.left * 72, right = comment.right * 72;
    const double bottom = pageTop - comment.bottom * 72, top = pageTop - comment.top * 72;
    if (!(x1 - x0 > 1e-9) || !(y1 - y0 > 1e-9) || !std::isfinite(left + right + bottom + top)) return std::nullopt;
    const double sx = (right - left) / (x1 - x0), sy = (top - bottom) / (y1 - y0);
    return Matrix{sx, 0, 0, sy, left - x0 * sx, bottom - y0 * sy};
}

void PdfDocument::DrawPage(uint32_t pageNumber, OutputDevice& device)
{
    if (readingInProgress || pageNumber < 1 || pageNumber > pages.Count()) return;
    // Resource tables are kept per page.
    resourceTables_.clear();
    resourceTablesAt_.clear();
    graphicsStates_.clear();
    glyphProcedures_.clear();
    DrawingInterpreter interpreter(DrawingSources(pageNumber), device);

    const PageRecord& page = *pages.At(pageNumber - 1);
    if (page.contentLoaded && page.content && page.contentLength > 0) {
        FileBuffer content{page.content, page.contentLength, 0};
        interpreter.Run(content);
    }
    // Comments and fields without an appearance (or whose form asks for new ones) get one made
    // from their dictionaries, as other readers draw them.
    const bool formNeedsAppearances = page.comments && FormNeedsAppearances(*this);
    for (uint32_t i = 0; page.comments && i < page.comments->Count(); ++i) {
        const AnnotationRecord& comment = *page.comments->At(i);
        const double opacity = CommentOpacity(comment);
        if (opacity <= 0) continue;
        std::optional<FormContent> made = SynthesizedAppearance(*this, comment, formNeedsAppearances);
        if (!made && comment.appearance <= 0 && comment.kind == AnnotText) {
            // The icon keeps its size at the note's corner, whatever the note's rectangle.
            if (const auto icon = NoteIcon(comment, page.mediaBox[3])) interpreter.DrawForm(*icon, Matrix{}, opacity);
            continue;
        }
        std::shared_ptr<const FormContent> form = made ? std::make_shared<const FormContent>(std::move(*made)) : nullptr;
        if (!form && comment.appearance > 0) form = CachedForm(comment.appearance, pageNumber);
        if (!form) continue;
        if (const auto placement = AppearancePlacement(*form, comment, page.mediaBox[3]))
            interpreter.DrawForm(*form, *placement, opacity);
    }
}

std::optional<int32_t> PdfDocument::CommentPosition(const AnnotationRecord& comment) const
{
    if (comment.directStart > 0) return comment.directStart;
    if (comment.objectNumber > 0) return objects.ValuePosition(comment.objectNumber);
    return std::nullopt;
}

double PdfDocument::CommentOpacity(const AnnotationRecord& comment)
{
    const auto position = CommentPosition(comment);
    if (!position) return 1;
    const TokenList dictionary = objects.DictionaryAt(*position);
    const size_t flags = ValueIndex(dictionary, 0, "/F");
    if (flags && (IntegerText(dictionary[flags]).value_or(0) & HiddenCommentFlags)) return 0;
    return std::clamp(NumberValue(dictionary, "/CA").value_or(1), 0.0, 1.0);
}

DrawingInterpreter::Sources PdfDocument::DrawingSources(uint32_t pageNumber)
{
    DrawingInterpreter::Sources sources{pictures};
    sources.form = [this, pageNumber](const std::string& name, int32_t scope) { return ResolveForm(pageNumber, name, scope); };
    sources.font = [this, pageNumber](const std::string& name, int32_t scope) {
        std::shared_ptr<const TextFont> font = ResolveTextFont(pageNumber, name, scope);
        return font ? font : StandardFontNamed(name);
    };
    sources.inlinePicture = [this](const TokenList& dictionary, std::string_view data) {
        return readImages ? DecodeInlinePicture(dictionary, data) : std::nullopt;
    };
    sources.resource = [this, pageNumber](const char* kind, const std::string& name, int32_t scope) {
        return ResourceNamed(pageNumber, kind, name, scope);
    };
    sources.graphicsState = [this, pageNumber](const std::string& name, int32_t scope) {
        return GraphicsStateNamed(pageNumber, name, scope);
    };
    sources.colourSpaceComponents = [this, pageNumber](const std::string& name, int32_t scope) -> std::optional<int> {
        const TokenList space = ResourceValue(pageNumber, "/ColorSpace", name, scope);
        if (space.empty()) return std::nullopt;
        SampleFormat format;
        if (!ReadColourSpace(space, format)) return 1;
        return format.components;
    };
    sources.undecodedPicture = [this](const std::string& name) { return undecodedPictures_.count(name) > 0; };
    sources.picture = [this, pageNumber](const std::string& name, int32_t scope) {
        return readImages ? PictureNamed(pageNumber, name, scope) : std::nullopt;
    };
    sources.type3Glyph = [this](const TextFont& font, uint32_t code) { return Type3GlyphProcedure(font, code); };
    return sources;
}

void PdfDocument::DrawSoftMaskGroup(uint32_t pageNumber, int32_t group, const Matrix& ctm, OutputDevice& device)
{
    if (const std::shared_ptr<const FormContent> form = CachedForm(group, pageNumber)) DrawCell(pageNumber, *form, ctm, device);
}

void PdfDocument::DrawCell(uint32_t pageNumber, const FormContent& cell, const Matrix& ctm, OutputDevice& device)
{
    DrawingInterpreter interpreter(DrawingSources(pageNumber), device);
    interpreter.DrawForm(cell, ctm);
}

std::optional<int32_t> PdfDocument::PictureNamed(uint32_t pageNumber, const std::string& name, int32_t scope)
{
    const auto number = ResourceNamed(pageNumber, "/XObject", name, scope);
    if (!number) return std::nullopt;
    if (const auto known = objectPictures_.find(*number); known != objectPictures_.end()) return known->second;
    std::optional<int32_t> index;
    const auto position = objects.ValuePosition(*number);
    // Only a stream dictionary is read as a picture: anything else is no picture, not damage.
    if (position && !objects.EntriesAt(*position).damage) {
        ImageObject picture{};
        picture.dictionaryPosition = static_cast<uint32_t>(*position);
        ReadPictureDictionary(picture);
        const int64_t pixels = int64_t{std::max(picture.width, 0)} * std::max(picture.height, 0);
        if (picture.isImage && inlinePixelBytes_ + pixels * 4 <= InlinePixelLimit) {
            codecAccount_ = {static_cast<uint64_t>(std::max<int64_t>(InlinePixelLimit - inlinePixelBytes_, 0)), 0, false};
            if (DecodePicture(picture, *number)) {
                inlinePixelBytes_ += int64_t{picture.image.bytesPerRow} * picture.image.height;
                index = static_cast<int32_t>(inlinePictures.Count());
                *inlinePictures.Append() = picture;
            } else {
                deldib(picture.image);
                deldib(picture.mask);
            }
            codecAccount_ = {};
        }
        delete picture.filterNames;
        if (index) inlinePictures.At(static_cast<uint32_t>(*index))->filterNames = nullptr;
    }
    objectPictures_.emplace(*number, index);
    return index;
}

std::optional<PdfDocument::Pattern> PdfDocument::ReadPattern(int32_t number)
{
    const TokenList dictionary = objects.ObjectTokens(number);
    if (dictionary.empty() || dictionary[0] != "<<") return std::nullopt;
    Pattern pattern;
    pattern.type = static_cast<int>(NumberValue(dictionary, "/PatternType").value_or(0));
    double m[6];
    if (NumbersAt(dictionary, ValueIndex(dictionary, 0, "/Matrix"), m, 6)) pattern.cell.matrix = {m[0], m[1], m[2], m[3], m[4], m[5]};
    if (pattern.type == 2) {
        const size_t at = ValueIndex(dictionary, 0, "/Shading");
        const auto shading = ReferenceAt(dictionary, at);
        pattern.shading = shading ? ShadingNumbered(*shading) : ReadShading(objects.ValueTokens(dictionary, at));
        if (!pattern.shading) return std::nullopt;
        return pattern;
    }
    if (pattern.type != 1) return std::nullopt;
    pattern.uncoloured = NumberValue(dictionary, "/PaintType").value_or(1) == 2;
    NumbersAt(dictionary, ValueIndex(dictionary, 0, "/BBox"), pattern.cell.box, 4);
    pattern.xStep = NumberValue(dictionary, "/XStep").value_or(0);
    pattern.yStep = NumberValue(dictionary, "/YStep").value_or(0);
    auto data = objects.DecodedStream(number, MaxGlyphProcedureBytes);
    if (!data || pattern.xStep == 0 || pattern.yStep == 0) return std::nullopt;
    // The pattern's own resources serve its cell: the pattern object stands as their scope.
    pattern.cell.content = std::make_shared<const std::string>(std::move(*data.value));
    pattern.cell.scope = number;
    return pattern;
}

std::shared_ptr<const TextFont> PdfDocument::StandardFontNamed(const std::string& name)
{
    // The names that made appearances and form defaults use for the standard fonts.
    static const std::pair<const char*, const char*> aliases[] = {
        {"/Helv", "Helvetica"}, {"/HeBo", "Helvetica-Bold"}, {"/Cour", "Courier"}, {"/TiRo", "Times-Roman"},
        {"/ZaDb", "ZapfDingbats"}, {"/Symb", "Symbol"},
    };
    for (const auto& [alias, font] : aliases) {
        if (name != alias) continue;
        auto standard = std::make_shared<TextFont>(*PlainTextFont());
        standard->baseFont = font;
        return standard;
    }
    return nullptr;
}

std::optional<FormContent> PdfDocument::NoteIcon(const AnnotationRecord& comment, double pageTop)
{
    // A note without an appearance shows as a small yellow sheet at its corner.
    const double left = comment.left * 72, top = pageTop - comment.top * 72;
    if (!std::isfinite(left) || !std::isfinite(top)) return std::nullopt;
    const std::string content = "q 1 1 0 rg 0 G 0.5 w 0.5 -19.5 17 19 re B 3 -6 m 15 -6 l 3 -10 m 15 -10 l 3 -14 m 12 -14 l S Q";
    return FormContent{std::make_shared<const std::string>(content), {1, 0, 0, 1, left, top}, 0, {0, -20, 18, 0}};
}

TokenList PdfDocument::ResourceValue(uint32_t pageNumber, const char* kind, const std::string& name, int32_t scope)
{
    TokenList dictionary;
    size_t start = 0;
    if (scope != 0) {
        dictionary = FormResources(scope, kind, start);
    } else if (pageNumber >= 1 && pageNumber <= pages.Count() && pages.At(pageNumber - 1)->hasResources) {
        const TokenList resources = objects.DictionaryAt(static_cast<int32_t>(pages.At(pageNumber - 1)->resourceDictionaryPosition));
        dictionary = objects.ValueTokens(resources, ValueIndex(resources, 0, kind));
    }
    const size_t at = dictionary.empty() ? 0 : ValueIndex(dictionary, start, name);
    if (at == 0) return scope != 0 ? ResourceValue(pageNumber, kind, name, 0) : TokenList{};
    return objects.ValueTokens(dictionary, at);
}

GraphicsStateParameters PdfDocument::GraphicsStateNamed(uint32_t pageNumber, const std::string& name, int32_t scope)
{
    const auto key = std::make_pair(scope, name);
    if (const auto known = graphicsStates_.find(key); known != graphicsStates_.end()) return known->second;
    const TokenList state = ResourceValue(pageNumber, "/ExtGState", name, scope);
    GraphicsStateParameters parameters;
    if (!state.empty() && state[0] == "<<") {
        parameters.lineWidth = NumberValue(state, "/LW");
        if (const auto cap = NumberValue(state, "/LC")) parameters.cap = static_cast<int>(*cap);
        if (const auto join = NumberValue(state, "/LJ")) parameters.join = static_cast<int>(*join);
        parameters.miterLimit = NumberValue(state, "/ML");
        parameters.strokeAlpha = NumberValue(state, "/CA");
        parameters.fillAlpha = NumberValue(state, "/ca");
        // /D [[dash] phase]
        const TokenList dash = objects.ValueTokens(state, ValueIndex(state, 0, "/D"));
        const std::vector<TokenList> parts = ArrayElements(dash, 0);
        if (parts.size() == 2) {
            std::vector<double> lengths;
            for (const std::string& token : parts[0]) {
                if (const auto number = NumberText(token); number && std::isfinite(*number)) lengths.push_back(*number);
            }
            parameters.dash = lengths;
            parameters.dashPhase = parts[1].size() == 1 ? NumberText(parts[1][0]).value_or(0) : 0;
        }
        parameters.softMask = SoftMaskOf(state);
    }
    if (graphicsStates_.size() < 4096) graphicsStates_.emplace(key, parameters);
    return parameters;
}

std::optional<DeviceSoftMask> PdfDocument::SoftMaskOf(const TokenList& state)
{
    const size_t at = ValueIndex(state, 0, "/SMask");
    if (at == 0) return std::nullopt;
    if (state[at] == "/None") return DeviceSoftMask{};
    const TokenList mask = objects.ValueTokens(state, at);
    if (mask.empty() || mask[0] != "<<") return std::nullopt;
    DeviceSoftMask softMask;
    const auto group = ReferenceAt(mask, ValueIndex(mask, 0, "/G"));
    if (!group || *group <= 0) return std::nullopt;
    softMask.group = *group;
    const size_t kind = ValueIndex(mask, 0, "/S");
    softMask.luminosity = kind == 0 || mask[kind] != "/Alpha";
    // The backdrop is given in the group's colour space; black when it is not.
    const TokenList backdrop = objects.ValueTokens(mask, ValueIndex(mask, 0, "/BC"));
    std::vector<double> values;
    for (size_t i = 1; i < backdrop.size() && values.size() < 4; ++i) {
        if (const auto number = NumberText(backdrop[i]); number && std::isfinite(*number)) values.push_back(*number);
    }
    if (!backdrop.empty() && backdrop[0] == "[") softMask.backdrop = ColourOfComponents(values.data(), values.size());
    return softMask;
}

std::optional<FormContent> PdfDocument::Type3GlyphProcedure(const TextFont& font, uint32_t code)
{
    if (!font.isType3 || font.objectNumber <= 0 || code > 255) return std::nullopt;
    const auto key = std::make_pair(font.objectNumber, code);
    if (const auto known = glyphProcedures_.find(key); known != glyphProcedures_.end()) return known->second;
    std::optional<FormContent> procedure;
    const TokenList dictionary = objects.ObjectTokens(font.objectNumber);
    // The code's glyph name from the /Differences of the font's encoding.
    const TokenList encoding = objects.ValueTokens(dictionary, ValueIndex(dictionary, 0, "/Encoding"));
    const TokenList differences = objects.ValueTokens(encoding, ValueIndex(encoding, 0, "/Differences"));
    std::string glyphName;
    int64_t next = -1;
    for (size_t i = 1; i + 1 < differences.size(); ++i) {
        const std::string& token = differences[i];
        if (const auto number = IntegerText(token)) {
            next = *number;
        } else if (!token.empty() && token[0] == '/' && next >= 0) {
            if (next == code) glyphName = token;
            ++next;
        }
    }
    const TokenList procedures = objects.ValueTokens(dictionary, ValueIndex(dictionary, 0, "/CharProcs"));
    const size_t at = glyphName.empty() ? 0 : ValueIndex(procedures, 0, glyphName);
    if (const auto stream = ReferenceAt(procedures, at)) {
        if (auto data = objects.DecodedStream(*stream, MaxGlyphProcedureBytes)) {
            // The font's own resources serve its glyphs: the font object stands as their scope.
            procedure = FormContent{std::make_shared<const std::string>(std::move(*data.value)), {}, font.objectNumber, {0, 0, 0, 0}};
        }
    }
    if (glyphProcedures_.size() < MaxCachedGlyphProcedures) glyphProcedures_.emplace(key, procedure);
    return procedure;
}

}  // namespace folivo
