// The predictors of /DecodeParms: PNG row filters (/Predictor 10 ... 15) and TIFF predictor 2.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace folivo {

struct PredictorParameters {
    int predictor = 1;
    int colors = 1;
    int bitsPerComponent = 8;
    int columns = 1;
};

// The data with the predictor undone. Predictor 1 (or any unknown one) leaves the data as they
// are. A last row that breaks off is dropped. Empty when the parameters describe no rows
// (colours outside 1 ... 32, bits other than 1, 2, 4, 8, 16, columns below 1 or absurdly wide).
std::optional<std::string> UndoPredictor(std::string_view data, const PredictorParameters& parameters);

}  // namespace folivo
