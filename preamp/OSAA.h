#pragma once

#include "preamp/StereoSample.h"

namespace iplug {

// 129-tap half-band low-pass FIR: interpolates the zero-stuffed signal in
// front of the saturator and removes its images before decimation. Group
// delay 64 samples at the rate it runs.
//
// The delay line is a mirrored ring: every sample is written twice, kLength
// apart, so the newest 129 samples are always contiguous from ring[head] and
// a call costs two stores instead of shifting the whole line.
// S is double for one channel or StereoSample for a left/right pair.
template <typename S>
struct BasicOSAA
{
  static constexpr int kLength = 129;
  static constexpr int kCentre = 64;

  // First half of the symmetric impulse response: the odd entries; even
  // entries are zero except the centre tap, 0.5.
  static constexpr double kOdd[32] = {-5e-06,    1.2e-05,   -2.5e-05,  4.5e-05,   -7.5e-05,  0.000118,  -0.00018,
                                      0.000264,  -0.000377, 0.000524,  -0.000713, 0.000954,  -0.001255, 0.001627,
                                      -0.002082, 0.002635,  -0.003301, 0.004099,  -0.005051, 0.006187,  -0.007542,
                                      0.009163,  -0.011119, 0.013505,  -0.01647,  0.020254,  -0.025272, 0.032309,
                                      -0.043056, 0.061915,  -0.105047, 0.317956};

  static constexpr double coef(int k) // k = 0..64
  {
    return k == kCentre ? 0.5 : (k & 1) ? kOdd[k >> 1] : 0.0;
  }

  double offset = 1e-15; // anti-denormal offset, sign flips at every call
  S ring[2 * kLength] = {};
  int head = 0;

  // line(0) is the newest sample, line(128) the oldest.
  S line(int k) const { return ring[head + k]; }

  // Empties the delay line; the offset keeps its phase.
  void clear()
  {
    for (S& v : ring)
      v = S{};
    head = 0;
  }

  S process(S x)
  {
    offset = -offset;
    head = head == 0 ? kLength - 1 : head - 1;
    ring[head] = ring[head + kLength] = x + offset;

    // Taps in ascending order, centre last: the rounding of the sum is part
    // of the sound (the single-precision sections downstream expose it).
    const S* l = ring + head;
    S y{};
#pragma GCC unroll 32
    for (int m = 0; m < 32; ++m)
      y += kOdd[m] * (l[2 * m + 1] + l[127 - 2 * m]);
    y += 0.5 * l[kCentre];
    return y - offset;
  }
};

using OSAA = BasicOSAA<double>;

} // namespace iplug
