// Numbers read from a file or a content stream as integers. Any finite double can arrive
// there, and converting one outside the target type's range is undefined behaviour.
#pragma once

#include <cmath>
#include <concepts>
#include <limits>
#include <optional>

namespace folivo {

namespace number_conversion {

// 2^digits: the first value above T's range, exact as a double (T's maximum itself rounds up
// to it for 64-bit types).
template <std::integral T>
constexpr double EndOfRange = static_cast<double>(T{1} << (std::numeric_limits<T>::digits - 1)) * 2.0;

template <std::integral T>
constexpr double Lowest = static_cast<double>(std::numeric_limits<T>::min());

}  // namespace number_conversion

// Truncated toward zero as a cast does, clamped into T's range; `fallback` for NaN, which
// arithmetic on huge operands can produce.
template <std::integral T>
T ClampedInteger(double value, T fallback = 0)
{
    if (std::isnan(value)) return fallback;
    if (value >= number_conversion::EndOfRange<T>) return std::numeric_limits<T>::max();
    if (value <= number_conversion::Lowest<T>) return std::numeric_limits<T>::min();
    return static_cast<T>(value);
}

// The value when it is a whole number that T holds, else nothing.
template <std::integral T>
std::optional<T> ExactInteger(double value)
{
    if (!std::isfinite(value) || value != std::trunc(value)) return std::nullopt;
    if (value < number_conversion::Lowest<T> || value >= number_conversion::EndOfRange<T>) return std::nullopt;
    return static_cast<T>(value);
}

}  // namespace folivo
