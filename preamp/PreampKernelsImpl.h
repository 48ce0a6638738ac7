#pragma once

// The kernels of PreampKernels.h over L::kCount lanes, with a value-at-a-time
// loop for what is left at the end of a run. Each file that includes this
// builds one instruction set's table with MakePreampKernels. Internal
// linkage, as in SimdLanes.h.

#include "preamp/CurveMath.h"
#include "preamp/OSAA.h"
#include "preamp/OSEQ.h"
#include "preamp/PreampKernels.h"

namespace iplug::simd {
namespace {

constexpr const double (&kHalfbandOdd)[32] = BasicOSAA<double>::kOdd;
constexpr const double (&kDecimatorOdd)[16] = BasicOSEQ<double>::kOdd;

// One output of each filter, a value at a time (the order of the sums is
// that of the vector loops).
inline double HalfbandAt(const double* x, double centre, double offset)
{
  double y = kHalfbandOdd[0] * (x[0] + x[-63]);
  for (int m = 1; m < 32; ++m)
    y += kHalfbandOdd[m] * (x[-m] + x[-63 + m]);
  y += 0.5 * centre;
  return y - offset;
}

inline double DecimatorAt(const double* a, const double* b)
{
  double y = 0.5 * a[-16];
  for (int m = 1; m <= 16; ++m)
    y += kDecimatorOdd[m - 1] * (b[-m] + b[-33 + m]);
  return 2.0 * y;
}

template <class L>
void HalfbandLoop(const double* x, const double* centre, int centreStride, double offset, double* y, int n)
{
  using D = typename L::D;
  constexpr int kLanes = L::kCount;
  const D half = L::Splat(0.5), off = L::Splat(offset);
  int j = 0;
  for (; j + kLanes <= n; j += kLanes)
  {
    const double* p = x + j;
    D acc = L::Splat(kHalfbandOdd[0]) * (L::Load(p) + L::Load(p - 63));
#pragma GCC unroll 31
    for (int m = 1; m < 32; ++m)
      acc = acc + L::Splat(kHalfbandOdd[m]) * (L::Load(p - m) + L::Load(p - 63 + m));
    const D c = centreStride ? L::Load(centre + j) : L::Splat(*centre);
    L::Store(y + j, (acc + half * c) - off);
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
      acc = acc + L::Splat(kDecimatorOdd[m - 1]) * (L::Load(pb - m) + L::Load(pb - 33 + m));
    L::Store(y + j, L::Splat(2.0) * acc);
  }
  for (; j < n; ++j)
    y[j] = DecimatorAt(a + j, b + j);
}

template <class L, typename L::D (*kCurve)(typename L::D)>
void StageLoop(const StageRun& r)
{
  using D = typename L::D;
  constexpr int kLanes = L::kCount;
  const D k = L::Splat(r.k);
  auto stage = [&k](D x, D drive, D gainIn, D gainOut) { return kCurve(k * x * drive * gainIn) / gainOut / drive; };
  int j = 0;
  if (r.stride == 0)
  {
    const D drive = L::Splat(*r.drive), gainIn = L::Splat(*r.gainIn), gainOut = L::Splat(*r.gainOut);
    for (; j + kLanes <= r.n; j += kLanes)
      L::Store(r.y + j, stage(L::Load(r.x + j), drive, gainIn, gainOut));
  }
  else
  {
    for (; j + kLanes <= r.n; j += kLanes)
      L::Store(r.y + j, stage(L::Load(r.x + j), L::Load(r.drive + j), L::Load(r.gainIn + j), L::Load(r.gainOut + j)));
  }
  if (j == r.n)
    return;
  // The last few values in a vector of their own; the padding lanes are
  // computed and dropped.
  double x[kLanes] = {}, drive[kLanes], gainIn[kLanes], gainOut[kLanes], y[kLanes];
  for (int i = 0; i < kLanes; ++i)
  {
    const int at = j + i < r.n ? (j + i) * r.stride : 0;
    if (j + i < r.n)
      x[i] = r.x[j + i];
    drive[i] = r.drive[at];
    gainIn[i] = r.gainIn[at];
    gainOut[i] = r.gainOut[at];
  }
  L::Store(y, stage(L::Load(x), L::Load(drive), L::Load(gainIn), L::Load(gainOut)));
  for (int i = 0; j + i < r.n; ++i)
    r.y[j + i] = y[i];
}

template <class L, typename L::D (*kCurve)(typename L::D)>
void CurveLoop(double* v, int count)
{
  constexpr int kLanes = L::kCount;
  int j = 0;
  for (; j + kLanes <= count; j += kLanes)
    L::Store(v + j, kCurve(L::Load(v + j)));
  if (j == count)
    return;
  double rest[kLanes] = {};
  for (int i = 0; j + i < count; ++i)
    rest[i] = v[j + i];
  L::Store(rest, kCurve(L::Load(rest)));
  for (int i = 0; j + i < count; ++i)
    v[j + i] = rest[i];
}

template <int kLanes>
PreampKernels MakePreampKernels(PreampKernels::Kind kind)
{
  using L = Lanes<kLanes>;
  return {StageLoop<L, MicCurve<L>>, StageLoop<L, LineCurve<L>>, HalfbandLoop<L>,
          DecimatorLoop<L>,          CurveLoop<L, MicCurve<L>>,  CurveLoop<L, LineCurve<L>>,
          CurveLoop<L, Tanh<L>>,     CurveLoop<L, Atan<L>>,      kind};
}

} // namespace
} // namespace iplug::simd
