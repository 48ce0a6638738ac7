#pragma once
// Numbers from the host converted to integers without undefined behaviour.

#include <limits>

namespace iplug {
/** The whole part of `v` when it fits in T, else `fallback` (NaN included). */
template <typename T>
T WholePartOr(double v, T fallback)
{
  constexpr double kBelowMin = static_cast<double>(std::numeric_limits<T>::min()) - 1.0;
  constexpr double kAboveMax = static_cast<double>(std::numeric_limits<T>::max()) + 1.0;
  return v > kBelowMin && v < kAboveMax ? static_cast<T>(v) : fallback;
}

} // namespace iplug
