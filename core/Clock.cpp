#include "core/Clock.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace folivo {

namespace {

std::optional<std::time_t> SourceDateEpoch()
{
    const char* text = std::getenv("SOURCE_DATE_EPOCH");
    if (!text || !*text) return std::nullopt;
    char* end = nullptr;
    const long long seconds = std::strtoll(text, &end, 10);
    // A value that is not a plain non-negative number is ignored, as the convention asks.
    if (*end != '\0' || seconds < 0) return std::nullopt;
    return static_cast<std::time_t>(seconds);
}

}  // namespace

ClockReading ReadClock()
{
    ClockReading reading;
    if (const auto fixed = SourceDateEpoch()) {
        reading.seconds = *fixed;
        reading.fixed = true;
        gmtime_r(&reading.seconds, &reading.fields);
        return reading;
    }
    reading.seconds = std::time(nullptr);
    localtime_r(&reading.seconds, &reading.fields);
    reading.offsetMinutes = static_cast<int>(reading.fields.tm_gmtoff / 60);
    return reading;
}

}  // namespace folivo
