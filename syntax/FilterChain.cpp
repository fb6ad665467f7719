#include "syntax/FilterChain.h"

#include <algorithm>
#include <cstdint>

#include "core/Decodenow.h"
#include "syntax/StreamFilters.h"

namespace folivo {

namespace {

// The kind a filter name stands for, or 0 for a name no chain knows.
unsigned KindOf(std::string_view name, bool abbreviations)
{
    const auto is = [&](std::string_view full, std::string_view abbreviation = {}) {
        return name == full || (abbreviations && !abbreviation.empty() && name == abbreviation);
    };
    if (is("/FlateDecode", "/Fl")) return FlateFilter;
    if (is("/LZWDecode", "/LZW")) return LzwFilter;
    if (is("/ASCII85Decode", "/A85")) return Ascii85Filter;
    if (is("/ASCIIHexDecode", "/AHx")) return AsciiHexFilter;
    if (is("/RunLengthDecode", "/RL")) return RunLengthFilter;
    if (is("/Crypt")) return CryptFilter;
    if (is("/DCTDecode", "/DCT") || is("/CCITTFaxDecode", "/CCF") || is("/JBIG2Decode") || is("/JPXDecode"))
        return ImageCodecs;
    return 0;
}

// The bytes a step must yield before its predictor so that `wanted` bytes remain after it.
size_t BytesBeforePredictor(size_t wanted, const PredictorParameters& p)
{
    if (p.predictor < 10) return wanted;
    const uint64_t rowBits = uint64_t(std::clamp(p.colors, 1, 32)) * uint64_t(std::clamp(p.bitsPerComponent, 1, 16)) *
                             uint64_t(std::clamp(p.columns, 1, 1 << 24));
    const uint64_t rowBytes = (rowBits + 7) / 8;
    const uint64_t rows = (wanted + rowBytes - 1) / rowBytes;
    return static_cast<size_t>(std::min<uint64_t>(rows * (rowBytes + 1), InflateLimit));
}

}  // namespace

bool IsImageCodec(std::string_view name)
{
    return KindOf(name, true) == ImageCodecs;
}

FilterChainResult DecodeFilterChain(std::string data, const std::vector<StreamFilterStep>& steps, size_t limit,
                                    const FilterChainOptions& options)
{
    using Outcome = FilterChainResult::Outcome;
    FilterChainResult result;
    const auto finish = [&](Outcome outcome) {
        result.outcome = outcome;
        result.data = std::move(data);
        return std::move(result);
    };
    const bool cut = options.stepLimit == StepLimit::CutLast;
    size_t end = steps.size();
    if (options.accepted & ImageCodecs) {
        for (size_t i = 0; i < steps.size() && end == steps.size(); ++i) {
            if (KindOf(steps[i].name, options.abbreviations) != ImageCodecs) continue;
            end = i;
            result.codec = steps[i].name;
        }
    }
    for (size_t i = 0; i < end; ++i) {
        const StreamFilterStep& step = steps[i];
        const unsigned kind = KindOf(step.name, options.abbreviations);
        if (!(kind & options.accepted)) {
            result.unsupported = step.name;
            return finish(Outcome::Unsupported);
        }
        const bool last = i + 1 == steps.size();
        size_t stepLimit = limit;
        if (cut) stepLimit = last ? std::min(BytesBeforePredictor(limit, step.predictor), InflateLimit) : InflateLimit;
        // Decoders that stop right at their limit get one byte more, so that passing it shows.
        const size_t room = options.stepLimit == StepLimit::TooLarge ? stepLimit + 1 : stepLimit;
        bool predicts = false;
        switch (kind) {
        case FlateFilter: {
            bool tooLarge = false;
            auto inflated = cut && last ? InflatePrefix(data, stepLimit) : Inflate(data, stepLimit, &tooLarge);
            if (!inflated) return finish(tooLarge ? Outcome::TooLarge : Outcome::Undecodable);
            data = std::move(*inflated);
            predicts = true;
            break;
        }
        case LzwFilter:
            data = options.decodeLzw ? options.decodeLzw(std::move(data), room) : DecodeLzw(data, room);
            predicts = true;
            break;
        case Ascii85Filter: data = DecodeAscii85(data, stepLimit); break;
        case AsciiHexFilter: data = DecodeAsciiHex(data, room); break;
        case RunLengthFilter: data = DecodeRunLength(data, room); break;
        default: break;  // the identity crypt filter
        }
        if (data.size() > stepLimit) {
            if (cut) data.resize(stepLimit);
            else if (options.stepLimit == StepLimit::TooLarge) return finish(Outcome::TooLarge);
        }
        if (predicts && step.predictor.predictor > 1) {
            auto undone = UndoPredictor(data, step.predictor);
            if (!undone) return finish(Outcome::Undecodable);
            data = std::move(*undone);
        }
    }
    // Data without filters are held to the limit as well.
    if (options.stepLimit == StepLimit::TooLarge && data.size() > limit) return finish(Outcome::TooLarge);
    return finish(Outcome::Decoded);
}

std::optional<std::string> UndoFilterChain(std::string data, const std::vector<StreamFilterStep>& steps,
                                           size_t finalLimit, std::string* codec)
{
    FilterChainResult result = DecodeFilterChain(std::move(data), steps, finalLimit, {});
    if (codec) *codec = result.codec;
    if (result.outcome != FilterChainResult::Outcome::Decoded) return std::nullopt;
    return std::move(result.data);
}

}  // namespace folivo
