// The time a save stamps into a file. SOURCE_DATE_EPOCH (seconds since 1970, the convention
// of reproducible builds) fixes it, and dates are then written in UTC, so that the same input
// and options give the same bytes on any machine.
#pragma once

#include <ctime>

namespace folivo {

struct ClockReading {
    std::tm fields{};     // broken down: local time, or UTC when SOURCE_DATE_EPOCH is set
    int offsetMinutes = 0;  // of fields from UTC
    std::time_t seconds = 0;
    bool fixed = false;     // taken from SOURCE_DATE_EPOCH
};

ClockReading ReadClock();

}  // namespace folivo
