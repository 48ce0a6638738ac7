#pragma once

#include <cstdint>
#include <cstring>

namespace iplug {

// One-pole smoother: z = a z + b target. A result whose exponent field is
// zero (zero or subnormal) is replaced by +0.0, so a glide towards zero never
// lingers in subnormal numbers.
struct Smoother
{
  // exp(-2 pi / 240) and 1 - exp(-2 pi / 240); replaced per block by the
  // engine from the sample rate.
  double a = 0.9741597847140443;
  double b = 0.025840215285955703;
  double z = 0.0;

  double Process(double target)
  {
    z = a * z + b * target;
    std::uint64_t bits;
    std::memcpy(&bits, &z, sizeof bits);
    if ((bits & 0x7FF0000000000000ull) == 0)
      z = 0.0;
    return z;
  }
};

} // namespace iplug
