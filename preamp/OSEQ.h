#pragma once

#include "preamp/StereoSample.h"

namespace iplug {

// 2:1 decimator on a 65-tap half-band FIR: takes two consecutive twice-rate
// samples per call and returns one base-rate sample, scaled by 2 to restore
// the level halved by the zero stuffing in front of it. The pair of the
// current call enters the result from the next call on; the centre tap sits
// 33 twice-rate samples (about 17 base-rate samples) behind the newest.
//
// Same mirrored-ring delay line as the oversampling filter: no shifting.
// S is double for one channel or StereoSample for a left/right pair.
template <typename S>
struct BasicOSEQ
{
  static constexpr int kLength = 65;
  static constexpr int kCentre = 32;

  static constexpr double kOdd[16] = {-1.6e-05,  6.7e-05,  -0.000189, 0.000438, -0.000891, 0.001653,
                                      -0.002862, 0.00469,  -0.007364, 0.011189, -0.016631, 0.0245,
                                      -0.036479, 0.056928, -0.101933, 0.316897};

  static constexpr double coef(int k) // k = 0..32
  {
    return k == kCentre ? 0.5 : (k & 1) ? kOdd[k >> 1] : 0.0;
  }

  S ring[2 * kLength] = {};
  int head = 0;

  // line(0) is the newest twice-rate sample, line(64) the oldest.
  S line(int k) const { return ring[head + k]; }

  void clear()
  {
    for (S& v : ring)
      v = S{};
    head = 0;
  }

  S process(S first, S second)
  {
    push(first);
    push(second);

    // Centre first, then the pairs from the outermost in; the order is fixed
    // because the rounding of the sum is part of the sound.
    const S* l = ring + head;
    S y = 0.5 * l[33];
#pragma GCC unroll 16
    for (int m = 1; m <= 16; ++m)
      y += kOdd[m - 1] * (l[2 * m] + l[66 - 2 * m]);
    return 2.0 * y;
  }

private:
  void push(S x)
  {
    head = head == 0 ? kLength - 1 : head - 1;
    ring[head] = ring[head + kLength] = x;
  }
};

using OSEQ = BasicOSEQ<double>;

} // namespace iplug
