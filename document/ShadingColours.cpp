// Smooth shadings for the interpreter: a shading (sh) is shown as its clip region filled with
// one colour, the shading's colour halfway through its function.
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

}  // namespace

std::vector<double> PdfDocument::FunctionValues(const TokenList& owner, size_t at, double t, int depth)
{
    if (depth > MaxFunctionDepth) return {};
    // An array of functions gives one output each.
    if (at < owner.size() && owner[at] == "[") {
        std::vector<double> values;
        for (size_t start : ArrayElementStarts(owner, at)) {
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
        const auto samples = objects.DecodedStream(*number, MaxSampleBytes);
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

std::optional<uint32_t> PdfDocument::ShadingColour(int32_t number)
{
    const TokenList shading = objects.ObjectTokens(number);
    if (shading.empty() || shading[0] != "<<") return std::nullopt;
    // The colour space tells how many components the function gives and how they mix.
    TokenList space = objects.ValueTokens(shading, ValueIndex(shading, 0, "/ColorSpace"));
    size_t components = 0;
    bool subtractive = false;
    if (space.size() >= 2 && space[0] == "[") space.erase(space.begin());
    const std::string kind = space.empty() ? "" : space[0];
    if (kind == "/DeviceGray" || kind == "/CalGray" || kind == "/G") components = 1;
    else if (kind == "/DeviceRGB" || kind == "/CalRGB" || kind == "/RGB") components = 3;
    else if (kind == "/DeviceCMYK" || kind == "/CMYK") components = 4;
    else if (kind == "/Separation" || kind == "/DeviceN") subtractive = true;
    else if (kind == "/ICCBased") {
        const TokenList profile = objects.ValueTokens(space, 1);
        const size_t n = ValueIndex(profile, 0, "/N");
        components = n ? static_cast<size_t>(std::max(IntegerOrZero(profile[n]), 0)) : 0;
    }
    const double middle = 0.5;
    const std::vector<double> values = FunctionValues(shading, ValueIndex(shading, 0, "/Function"), middle);
    if (values.empty()) return ColourOf(0.5, 0.5, 0.5);
    if (subtractive) {
        // Tints: 1 is full ink; their mean darkens a grey.
        double sum = 0;
        for (double v : values) sum += std::clamp(v, 0.0, 1.0);
        const double grey = 1 - sum / static_cast<double>(values.size());
        return ColourOf(grey, grey, grey);
    }
    if (components == 1 || (components == 0 && values.size() == 1)) {
        const double grey = Component(values, 0);
        return ColourOf(grey, grey, grey);
    }
    if (components == 4 || (components == 0 && values.size() == 4)) {
        const double black = Component(values, 3);
        return ColourOf(1 - std::min(1.0, Component(values, 0) + black), 1 - std::min(1.0, Component(values, 1) + black),
                        1 - std::min(1.0, Component(values, 2) + black));
    }
    return ColourOf(Component(values, 0), Component(values, 1), Component(values, 2));
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
