// Numbers from files as integers: truncated inside the range, clamped outside, never undefined.
#include "core/NumberConversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace folivo {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

TEST(NumberConversion, ClampedIntegerTruncatesInsideAndClampsOutside)
{
    struct Case {
        double value;
        int32_t asInt32;
        int64_t asInt64;
        uint8_t asByte;
        uint64_t asUnsigned64;
    };
    constexpr int32_t I32 = INT32_MAX;
    constexpr int64_t I64 = INT64_MAX;
    constexpr uint64_t U64 = UINT64_MAX;
    const Case cases[] = {
        {0, 0, 0, 0, 0},
        {3.99, 3, 3, 3, 3},
        {-3.99, -3, -3, 0, 0},
        {-0.5, 0, 0, 0, 0},
        {255.5, 255, 255, 255, 255},
        {256, 256, 256, 255, 256},
        {2147483647.5, I32, 2147483647, 255, 2147483647},
        {2147483648.0, I32, 2147483648, 255, 2147483648u},
        {-2147483648.9, INT32_MIN, -2147483648, 0, 0},
        {-2147483649.0, INT32_MIN, -2147483649, 0, 0},
        {9223372036854774784.0, I32, 9223372036854774784, 255, 9223372036854774784u},  // below 2^63
        {9223372036854775808.0, I32, I64, 255, 9223372036854775808u},                  // 2^63
        {18446744073709551616.0, I32, I64, 255, U64},                                 // 2^64
        {-9223372036854775808.0, INT32_MIN, INT64_MIN, 0, 0},
        {8.9e21, I32, I64, 255, U64},
        {1e300, I32, I64, 255, U64},
        {-1e300, INT32_MIN, INT64_MIN, 0, 0},
        {Inf, I32, I64, 255, U64},
        {-Inf, INT32_MIN, INT64_MIN, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClampedInteger<int32_t>(c.value), c.asInt32) << c.value;
        EXPECT_EQ(ClampedInteger<int64_t>(c.value), c.asInt64) << c.value;
        EXPECT_EQ(ClampedInteger<uint8_t>(c.value), c.asByte) << c.value;
        EXPECT_EQ(ClampedInteger<uint64_t>(c.value), c.asUnsigned64) << c.value;
    }
    EXPECT_EQ(ClampedInteger<int32_t>(NaN), 0);
    EXPECT_EQ(ClampedInteger<int32_t>(NaN, -1), -1);
}

TEST(NumberConversion, ExactIntegerTakesWholeNumbersTheTypeHolds)
{
    struct Case {
        double value;
        std::optional<int64_t> asInt64;
        std::optional<int32_t> asInt32;
    };
    const Case cases[] = {
        {7, 7, 7},
        {-7, -7, -7},
        {7.5, {}, {}},
        {2147483647, 2147483647, INT32_MAX},
        {2147483648.0, 2147483648, {}},
        {-2147483648.0, -2147483648, INT32_MIN},
        {9223372036854774784.0, 9223372036854774784, {}},
        {9223372036854775808.0, {}, {}},  // 2^63: equal to INT64_MAX as a double, yet outside
        {-9223372036854775808.0, INT64_MIN, {}},
        {1e300, {}, {}},
        {Inf, {}, {}},
        {NaN, {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExactInteger<int64_t>(c.value), c.asInt64) << c.value;
        EXPECT_EQ(ExactInteger<int32_t>(c.value), c.asInt32) << c.value;
    }
}

}  // namespace
}  // namespace folivo
