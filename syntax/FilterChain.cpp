#include "syntax/FilterChain.h"

#include <algorithm>
#include <cstdint>

#include "core/Decodenow.h"
#include "syntax/StreamFilters.h"

namespace folivo {

namespace {

bool Is(std::string_view name, std::string_view full, std::string_view abbreviation)
{
    return name == full || name == abbreviation;
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
    return Is(name, "/DCTDecode", "/DCT") || Is(name, "/CCITTFaxDecode", "/CCF") || name == "/JBIG2Decode" ||
           name == "/JPXDecode";
}

std::optional<std::string> UndoFilterChain(std::string data, const std::vector<StreamFilterStep>& steps,
                                           size_t finalLimit, std::string* codec)
{
    if (codec) codec->clear();
    size_t codecAt = steps.size();
    for (size_t i = 0; i < steps.size(); ++i) {
        if (IsImageCodec(steps[i].name)) {
            codecAt = i;
            if (codec) *codec = steps[i].name;
            break;
        }
    }
    for (size_t i = 0; i < codecAt; ++i) {
        const StreamFilterStep& step = steps[i];
        const bool last = i + 1 == codecAt && codecAt == steps.size();
        const size_t limit = last ? std::min(BytesBeforePredictor(finalLimit, step.predictor), InflateLimit) : InflateLimit;
        bool predicts = false;
        if (Is(step.name, "/FlateDecode", "/Fl")) {
            auto inflated = last ? InflatePrefix(data, limit) : Inflate(data, limit);
            if (!inflated) return std::nullopt;
            data = std::move(*inflated);
            predicts = true;
        } else if (Is(step.name, "/LZWDecode", "/LZW")) {
            data = DecodeLzw(data, limit);
            predicts = true;
        } else if (Is(step.name, "/ASCII85Decode", "/A85")) {
            data = DecodeAscii85(data, limit);
        } else if (Is(step.name, "/ASCIIHexDecode", "/AHx")) {
            data = DecodeAsciiHex(data, limit);
        } else if (Is(step.name, "/RunLengthDecode", "/RL")) {
            data = DecodeRunLength(data, limit);
        } else if (step.name == "/Crypt") {
            // A stream's own crypt filter: the identity one, whose data the reading left plain.
        } else {
            return std::nullopt;
        }
        if (data.size() > limit) data.resize(limit);
        if (predicts && step.predictor.predictor > 1) {
            auto undone = UndoPredictor(data, step.predictor);
            if (!undone) return std::nullopt;
            data = std::move(*undone);
        }
    }
    return data;
}

}  // namespace folivo
