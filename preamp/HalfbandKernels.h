#pragma once

// The half-band filters' sums over runs of outputs, SIMD lanes holding
// consecutive outputs, each lane summing in the order of the filter classes
// (built for FMA, each tap's product fused with the sum).
// Internal linkage, as in SimdLanes.h.

#include "preamp/OSAA.h"
#include "preamp/OSEQ.h"
#include "preamp/SimdLanes.h"

namespace iplug::simd {
namespace {

constexpr const double (&kHalfbandOdd)[32] = BasicOSAA<double>::kOdd;
constexpr const double (&kDecimatorOdd)[16] = BasicOSEQ<double>::kOdd;

// acc + c * p, the product fused with the sum where the file is built for
// FMA: the sums take one rounding per tap fewer, the same in every lane and
// in the value-at-a-time loops below.
[[gnu::always_inline]] inline double AddTap(double acc, double c, double p)
{
#if defined(__FMA__)
  return __builtin_fma(c, p, acc);
#else
  return acc + c * p;
#endif
}
template <class L>
[[gnu::always_inline]] inline typename L::D AddTap(typename L::D acc, double c, typename L::D p)
{
  return L::MulAdd(L::Splat(c), p, acc);
}

// One output of each filter, a value at a time (the order of the sums is
// that of the vector loops).
inline double HalfbandAt(const double* x, double centre, double offset)
{
  double y = kHalfbandOdd[0] * (x[0] + x[-63]);
  for (int m = 1; m < 32; ++m)
    y = AddTap(y, kHalfbandOdd[m], x[-m] + x[-63 + m]);
  y = AddTap(y, 0.5, centre);
  return y - offset;
}

inline double DecimatorAt(const double* a, const double* b)
{
  double y = 0.5 * a[-16];
  for (int m = 1; m <= 16; ++m)
    y = AddTap(y, kDecimatorOdd[m - 1], b[-m] + b[-33 + m]);
  return 2.0 * y;
}

template <class L>
void HalfbandLoop(const double* x, const double* centre, int centreStride, double offset, double* y, int n)
{
  using D = typename L::D;
  constexpr int kLanes = L::kCount;
  const D off = L::Splat(offset);
  int j = 0;
  for (; j + kLanes <= n; j += kLanes)
  {
    const double* p = x + j;
    D acc = L::Splat(kHalfbandOdd[0]) * (L::Load(p) + L::Load(p - 63));
#pragma GCC unroll 31
    for (int m = 1; m < 32; ++m)
      acc = AddTap<L>(acc, kHalfbandOdd[m], L::Load(p - m) + L::Load(p - 63 + m));
    const D c = centreStride ? L::Load(centre + j) : L::Splat(*centre);
    L::Store(y + j, AddTap<L>(acc, 0.5, c) - off);
  }
  for (; j < n; ++j)
    y[j] = HalfbandAt(x + j, centre[j * centreStride], offset);
}

template <class L>
void DecimatorLoop(const double* a, const double* b, double* y, int n)
{
  using D = typename L::D;
  constexpr int kLanes = L::kCount;
  int j = 0;
  for (; j + kLanes <= n; j += kLanes)
  {
    const double* pb = b + j;
    D acc = L::Splat(0.5) * L::Load(a + j - 16);
#pragma GCC unroll 16
    for (int m = 1; m <= 16; ++m)
      acc = AddTap<L>(acc, kDecimatorOdd[m - 1], L::Load(pb - m) + L::Load(pb - 33 + m));
    L::Store(y + j, L::Splat(2.0) * acc);
  }
  for (; j < n; ++j)
    y[j] = DecimatorAt(a + j, b + j);
}

} // namespace
} // namespace iplug::simd
