// A stream's /Filter list undone in order, with the predictors of its /DecodeParms.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "syntax/Predictors.h"

namespace folivo {

struct StreamFilterStep {
    std::string name;  // with its slash: "/FlateDecode", or the short form "/Fl"
    PredictorParameters predictor;
};

// The filters a chain can undo, as bits of FilterChainOptions::accepted.
enum ChainFilter : unsigned {
    FlateFilter = 1u << 0,
    LzwFilter = 1u << 1,
    Ascii85Filter = 1u << 2,
    AsciiHexFilter = 1u << 3,
    RunLengthFilter = 1u << 4,
    CryptFilter = 1u << 5,  // a stream's own identity crypt filter: the reading left its data plain
    ImageCodecs = 1u << 6,  // the chain stops before the first and leaves it to the picture decoder
    AllFilters = (1u << 7) - 1,
};

// What passing the limit does to a chain.
enum class StepLimit {
    // Pictures and fonts: the last step stops once it has `limit` bytes after its predictor;
    // every other step stops at InflateLimit, and an inflate beyond that fails.
    CutLast,
    // Page content: any step's output beyond `limit` makes the chain TooLarge.
    TooLarge,
    // Object streams: only an inflate beyond `limit` does; ASCII85 may pass it by its last group.
    InflateTooLarge,
};

struct FilterChainOptions {
    unsigned accepted = AllFilters;
    bool abbreviations = true;  // "/Fl" counts as "/FlateDecode", and so on
    StepLimit stepLimit = StepLimit::CutLast;
    // LZW decoding in place of DecodeLzw: the encoded data and the bytes it may yield.
    std::function<std::string(std::string, size_t)> decodeLzw;
};

struct FilterChainResult {
    enum class Outcome {
        Decoded,
        Unsupported,  // a filter the caller does not accept, named in `unsupported`
        Undecodable,  // an inflate failed, or a predictor's parameters make no rows
        TooLarge,
    };
    Outcome outcome = Outcome::Decoded;
    // The data as far as the chain got: whole only when Decoded.
    std::string data;
    std::string unsupported;
    // The image codec the chain stops before, when accepted; empty when there is none.
    std::string codec;
};

// The filters that make pictures rather than bytes (DCT, CCITT, JBIG2, JPX): a chain stops
// before them and leaves their data to the picture decoder.
bool IsImageCodec(std::string_view name);

// The data with the filters undone, from the first on, as the options say.
FilterChainResult DecodeFilterChain(std::string data, const std::vector<StreamFilterStep>& steps, size_t limit,
                                    const FilterChainOptions& options);

// DecodeFilterChain with every filter and StepLimit::CutLast at `finalLimit`; the codec goes to
// *codec. Empty when a filter is unknown, its data do not decode, or its parameters make no rows.
std::optional<std::string> UndoFilterChain(std::string data, const std::vector<StreamFilterStep>& steps,
                                           size_t finalLimit, std::string* codec = nullptr);

}  // namespace folivo
