// A stream's /Filter list undone in order, with the predictors of its /DecodeParms.
#pragma once

#include <cstddef>
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

// The filters that make pictures rather than bytes (DCT, CCITT, JBIG2, JPX): a chain stops
// before them and leaves their data to the picture decoder.
bool IsImageCodec(std::string_view name);

// The data with the filters undone, from the first on, until the end or the first image codec,
// whose name goes to *codec (empty when there is none). Without a codec the last filter stops
// once it has `finalLimit` bytes after its predictor; every other step stops at InflateLimit.
// Empty when a filter is unknown, its data do not decode, or its parameters make no rows.
std::optional<std::string> UndoFilterChain(std::string data, const std::vector<StreamFilterStep>& steps,
                                           size_t finalLimit, std::string* codec = nullptr);

}  // namespace folivo
