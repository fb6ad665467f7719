// Smooth shadings: for the simplified drawing, a shading (sh) is its clip region filled with one
// colour, the shading's colour halfway through its function; for the drawing as printed, axial
// and radial shadings are read as gradients.
#include <algorithm>
#include <cmath>

#include "core/NumberConversion.h"
#include "core/ResourceLimits.h"
#include "document/PdfDocument.h"
#include "syntax/DictionaryTokens.h"
#include "syntax/TokenReader.h"

namespace folivo {

namespace {


// The numbers of the array whose "[" is tokens[at], up to its "]".
std::vector<double> ArrayNumbers(const TokenList& tokens, size_t at)
{
    std::vector<double> numbers;
    if (at == 0 || at >= tokens.size() || tokens[at] != "[") return numbers;
    for (size_t i = at + 1; i < tokens.size() && tokens[i] != "]" && numbers.size() < 64; ++i) {
        if (const auto number = NumberText(tokens[i]); number && std::isfinite(*number)) numbers.push_back(*number);
    }
    return numbers;
}

double Component(const std::vector<double>& values, size_t i) { return i < values.size() ? std::clamp(values[i], 0.0, 1.0) : 0; }

// Colours a gradient is drawn with, evenly spaced from its start to its end.
constexpr int GradientStops = 128;
// Functions in a shading's /Function array: one per colour component.
constexpr size_t MaxFunctionOutputs = 32;
// Mesh parts of all shadings kept read together (about 80 bytes each).
constexpr size_t MaxCachedMeshParts = size_t{1} << 20;

size_t ComponentsOfFamily(const std::string& kind)
{
    if (kind == "/DeviceGray" || kind == "/CalGray" || kind == "/G") return 1;
    if (kind == "/DeviceRGB" || kind == "/CalRGB" || kind == "/RGB") return 3;
    if (kind == "/DeviceCMYK" || kind == "/CMYK") return 4;
    return 0;
}


}  // namespace

uint32_t ColourOfShadingValues(const ShadingSpace& space, const std::vector<double>& values)
{
    if (values.empty()) return ColourOf(0.5, 0.5, 0.5);
    if (space.subtractive) {
        // Tints: 1 is full ink; their mean darkens a grey.
        double sum = 0;
        for (double v : values) sum += std::clamp(v, 0.0, 1.0);
        const double grey = 1 - sum / static_cast<double>(values.size());
        return ColourOf(grey, grey, grey);
    }
    if (space.components == 1 || (space.components == 0 && values.size() == 1)) {
        const double grey = Component(values, 0);
        return ColourOf(grey, grey, grey);
    }
    if (space.components == 4 || (space.components == 0 && values.size() == 4)) {
        const double black = Component(values, 3);
        return ColourOf(1 - std::min(1.0, Component(values, 0) + black), 1 - std::min(1.0, Component(values, 1) + black),
                        1 - std::min(1.0, Component(values, 2) + black));
    }
    return ColourOf(Component(values, 0), Component(values, 1), Component(values, 2));
}

std::vector<double> PdfDocument::FunctionValues(const TokenList& owner, size_t at, double t, int depth)
{
    if (depth > MaxFunctionDepth) return {};
    // An array of functions gives one output each; only a shading's own /Function may be one,
    // and it has at most one function per colour component.
    if (at < owner.size() && owner[at] == "[") {
        std::vector<double> values;
        if (depth > 0) return values;
        for (size_t start : ArrayElementStarts(owner, at)) {
            if (values.size() >= MaxFunctionOutputs) break;
            const std::vector<double> one = FunctionValues(owner, start, t, depth + 1);
            values.push_back(one.empty() ? 0 : one[0]);
        }
        return values;
    }
    const auto number = ReferenceAt(owner, at);
    const TokenList function = objects.ValueTokens(owner, at);
    if (function.empty() || function[0] != "<<") return {};
    const size_t typeAt = ValueIndex(function, 0, "/FunctionType");
    const int type = typeAt ? IntegerOrZero(function[typeAt]) : -1;
    std::vector<double> domain = ArrayNumbers(function, ValueIndex(function, 0, "/Domain"));
    if (domain.size() < 2) domain = {0, 1};
    t = std::clamp(t, std::min(domain[0], domain[1]), std::max(domain[0], domain[1]));
    const double span = domain[1] - domain[0];
    const double x = span != 0 ? (t - domain[0]) / span : 0;  // 0 ... 1 through the domain

    if (type == 2) {
        std::vector<double> c0 = ArrayNumbers(function, ValueIndex(function, 0, "/C0"));
        std::vector<double> c1 = ArrayNumbers(function, ValueIndex(function, 0, "/C1"));
        if (c0.empty()) c0 = {0};
        if (c1.empty()) c1 = {1};
        const size_t nAt = ValueIndex(function, 0, "/N");
        const double n = nAt ? NumberText(function[nAt]).value_or(1) : 1;
        const double power = std::pow(std::max(t, 0.0), n);
        std::vector<double> values;
        for (size_t i = 0; i < std::min(c0.size(), c1.size()); ++i) values.push_back(c0[i] + power * (c1[i] - c0[i]));
        return values;
    }
    if (type == 3) {
        const size_t functionsAt = ValueIndex(function, 0, "/Functions");
        const std::vector<size_t> parts = ArrayElementStarts(function, functionsAt);
        if (parts.empty()) return {};
        const std::vector<double> bounds = ArrayNumbers(function, ValueIndex(function, 0, "/Bounds"));
        const std::vector<double> encode = ArrayNumbers(function, ValueIndex(function, 0, "/Encode"));
        size_t k = 0;
        while (k < bounds.size() && k + 1 < parts.size() && t >= bounds[k]) ++k;
        const double low = k == 0 ? domain[0] : bounds[k - 1];
        const double high = k < bounds.size() ? bounds[k] : domain[1];
        double inner = t;
        if (encode.size() >= 2 * k + 2 && high != low) inner = encode[2 * k] + (t - low) * (encode[2 * k + 1] - encode[2 * k]) / (high - low);
        return FunctionValues(function, parts[k], inner, depth + 1);
    }
    if (type == 0 && number) {
        const std::vector<double> size = ArrayNumbers(function, ValueIndex(function, 0, "/Size"));
        const std::vector<double> range = ArrayNumbers(function, ValueIndex(function, 0, "/Range"));
        const size_t bitsAt = ValueIndex(function, 0, "/BitsPerSample");
        const int bits = bitsAt ? IntegerOrZero(function[bitsAt]) : 0;
        const size_t outputs = range.size() / 2;
        if (size.empty() || size[0] < 1 || size[0] > 1e6 || outputs == 0 || bits < 1 || bits > 32) return {};
        std::vector<double> encode = ArrayNumbers(function, ValueIndex(function, 0, "/Encode"));
        if (encode.size() < 2) encode = {0, size[0] - 1};
        std::vector<double> decode = ArrayNumbers(function, ValueIndex(function, 0, "/Decode"));
        if (decode.size() < 2 * outputs) decode = range;
        auto known = functionSamples_.find(*number);
        if (known == functionSamples_.end()) {
            auto decoded = objects.DecodedStream(*number, MaxSampleBytes);
            std::shared_ptr<const std::string> data = decoded ? std::make_shared<const std::string>(std::move(*decoded.value)) : nullptr;
            known = functionSamples_.emplace(*number, std::move(data)).first;
        }
        const std::shared_ptr<const std::string>& samples = known->second;
        if (!samples) return {};
        const double e = std::clamp(encode[0] + x * (encode[1] - encode[0]), 0.0, size[0] - 1);
        // NaN (an /Encode range too wide for a double) takes the first sample.
        const uint64_t index = ClampedInteger<uint64_t>(std::round(e));
        const double maxSample = std::pow(2.0, bits) - 1;
        std::vector<double> values;
        for (size_t j = 0; j < outputs; ++j) {
            const uint64_t bit = (index * outputs + j) * static_cast<uint64_t>(bits);
            if ((bit + static_cast<uint64_t>(bits) + 7) / 8 > samples->size()) return {};
            uint64_t sample = 0;
            for (int b = 0; b < bits; ++b) {
                const uint64_t at = bit + static_cast<uint64_t>(b);
                sample = sample << 1 | ((static_cast<uint8_t>((*samples)[at / 8]) >> (7 - at % 8)) & 1);
            }
            values.push_back(decode[2 * j] + static_cast<double>(sample) * (decode[2 * j + 1] - decode[2 * j]) / maxSample);
        }
        return values;
    }
    return {};
}

ShadingSpace PdfDocument::ReadShadingSpace(const TokenList& shading, bool throughTint)
{
    ShadingSpace result;
    TokenList& space = result.space;
    space = objects.ValueTokens(shading, ValueIndex(shading, 0, "/ColorSpace"));
    const bool array = space.size() >= 2 && space[0] == "[";
    const std::string kind = space.size() > (array ? 1 : 0) ? space[array ? 1 : 0] : "";
    result.components = ComponentsOfFamily(kind);
    if (kind == "/Separation" || kind == "/DeviceN") {
        result.subtractive = true;
        const std::vector<size_t> parts = array ? ArrayElementStarts(space, 0) : std::vector<size_t>{};
        // [/Separation name alternate tintTransform]: one tint in, the alternate's colour out.
        if (throughTint && kind == "/Separation" && parts.size() == 4) {
            const TokenList alternate = objects.ValueTokens(space, parts[2]);
            const size_t count = alternate.empty() ? 0 : ComponentsOfFamily(alternate[0] == "[" && alternate.size() > 1 ? alternate[1] : alternate[0]);
            if (count > 0 && !FunctionValues(space, parts[3], 1).empty()) {
                result.subtractive = false;
                result.components = count;
                result.tintAt = parts[3];
            }
        }
    } else if (kind == "/ICCBased" && array) {
        const TokenList profile = objects.ValueTokens(space, 2);
        const size_t n = ValueIndex(profile, 0, "/N");
        result.components = n ? static_cast<size_t>(std::max(IntegerOrZero(profile[n]), 0)) : 0;
    }
    return result;
}

uint32_t PdfDocument::ShadingColourAt(const TokenList& shading, const ShadingSpace& space, double t)
{
    std::vector<double> values = FunctionValues(shading, ValueIndex(shading, 0, "/Function"), t);
    if (space.tintAt && !values.empty()) values = FunctionValues(space.space, space.tintAt, values[0]);
    return ColourOfShadingValues(space, values);
}

std::optional<uint32_t> PdfDocument::ShadingColour(int32_t number)
{
    const TokenList shading = objects.ObjectTokens(number);
    if (shading.empty() || shading[0] != "<<") return std::nullopt;
    const uint32_t colour = ShadingColourAt(shading, ReadShadingSpace(shading, false), 0.5);
    functionSamples_.clear();
    return colour;
}

std::shared_ptr<const PdfDocument::Shading> PdfDocument::ShadingNumbered(int32_t number)
{
    if (const auto known = shadings_.find(number); known != shadings_.end()) return known->second;
    std::shared_ptr<const Shading> shading = ReadShading(objects.ObjectTokens(number), number);
    const size_t parts = shading ? shading->mesh.size() : 0;
    // Meshes are large: the kept ones stay within a bound together, the oldest go first.
    if (shadings_.size() >= MaxCachedShadings || shadingMeshParts_ + parts > MaxCachedMeshParts) {
        shadings_.clear();
        shadingMeshParts_ = 0;
    }
    shadings_.emplace(number, shading);
    shadingMeshParts_ += parts;
    return shading;
}

std::shared_ptr<const PdfDocument::Shading> PdfDocument::ReadShading(const TokenList& dictionary, int32_t number)
{
    if (dictionary.empty() || dictionary[0] != "<<") return nullptr;
    auto shading = std::make_shared<Shading>();
    const size_t typeAt = ValueIndex(dictionary, 0, "/ShadingType");
    shading->type = typeAt ? IntegerOrZero(dictionary[typeAt]) : 0;
    const ShadingSpace space = ReadShadingSpace(dictionary, true);
    std::array<double, 4> box{};
    if (NumbersAt(dictionary, ValueIndex(dictionary, 0, "/BBox"), box.data(), 4)) shading->box = box;
    const TokenList background = objects.ValueTokens(dictionary, ValueIndex(dictionary, 0, "/Background"));
    if (background.size() >= 3 && background[0] == "[") {
        std::vector<double> values = ArrayNumbers(background, 0);
        if (space.tintAt && !values.empty()) values = FunctionValues(space.space, space.tintAt, values[0]);
        shading->background = ColourOfShadingValues(space, values);
    }
    const size_t count = shading->type == 2 ? 4 : shading->type == 3 ? 6 : 0;
    const std::vector<double> coords = ArrayNumbers(dictionary, ValueIndex(dictionary, 0, "/Coords"));
    const size_t functionAt = ValueIndex(dictionary, 0, "/Function");
    if (count > 0 && coords.size() >= count && functionAt) {
        std::copy(coords.begin(), coords.begin() + static_cast<std::ptrdiff_t>(count), shading->coords);
        if (shading->type == 3 && (shading->coords[2] < 0 || shading->coords[5] < 0)) return nullptr;
        std::vector<double> domain = ArrayNumbers(dictionary, ValueIndex(dictionary, 0, "/Domain"));
        if (domain.size() < 2) domain = {0, 1};
        const std::vector<TokenList> extend = ArrayElements(objects.ValueTokens(dictionary, ValueIndex(dictionary, 0, "/Extend")), 0);
        shading->extendStart = extend.size() == 2 && extend[0].size() == 1 && extend[0][0] == "true";
        shading->extendEnd = extend.size() == 2 && extend[1].size() == 1 && extend[1][0] == "true";
        for (int k = 0; k < GradientStops; ++k) {
            const double t = domain[0] + (domain[1] - domain[0]) * k / (GradientStops - 1);
            shading->colours.push_back(ShadingColourAt(dictionary, space, t));
        }
    } else {
        // Meshes as their parts; function-based shadings, and meshes that cannot be read, in one
        // colour: the function's halfway, or grey.
        if (shading->type >= 4 && shading->type <= 7 && number > 0) ReadMesh(number, dictionary, space, *shading);
        shading->colours.push_back(ShadingColourAt(dictionary, space, 0.5));
        if (shading->type == 1) {
            // A function-based shading covers its /Domain as its /Matrix places it.
            std::vector<double> domain = ArrayNumbers(dictionary, ValueIndex(dictionary, 0, "/Domain"));
            if (domain.size() < 4) domain = {0, 1, 0, 1};
            double m[6] = {1, 0, 0, 1, 0, 0};
            NumbersAt(dictionary, ValueIndex(dictionary, 0, "/Matrix"), m, 6);
            Shading::MeshPart area;
            area.count = 4;
            area.colour = shading->colours.front();
            const double corners[4][2] = {{domain[0], domain[2]}, {domain[1], domain[2]}, {domain[1], domain[3]}, {domain[0], domain[3]}};
            for (int k = 0; k < 4; ++k) {
                area.points[2 * k] = m[0] * corners[k][0] + m[2] * corners[k][1] + m[4];
                area.points[2 * k + 1] = m[1] * corners[k][0] + m[3] * corners[k][1] + m[5];
            }
            if (std::all_of(area.points.begin(), area.points.end(), [](double v) { return std::isfinite(v); })) shading->mesh.push_back(area);
        }
    }
    functionSamples_.clear();
    return shading;
}

std::optional<uint32_t> PdfDocument::ResolveShading(uint32_t pageNumber, const std::string& name, int32_t scope)
{
    std::optional<uint32_t> colour;
    if (const auto number = ResourceNamed(pageNumber, "/Shading", name, scope)) {
        auto known = shadingColours_.find(*number);
        if (known == shadingColours_.end()) known = shadingColours_.emplace(*number, ShadingColour(*number)).first;
        colour = known->second;
    }
    return colour;
}

}  // namespace folivo
