#pragma once

// The kernels of PreampKernels.h over L::kCount lanes, with a value-at-a-time
// loop for what is left at the end of a run. Each file that includes this
// builds one instruction set's table with MakePreampKernels. Internal
// linkage, as in SimdLanes.h.

#include "preamp/CurveMath.h"
#include "preamp/HalfbandKernels.h"
#include "preamp/PreampKernels.h"
#include "preamp/SectionKernels.h"

namespace iplug::simd {
namespace {

template <class L, typename L::D (*kCurve)(typename L::D)>
void StageLoop(const StageRun& r)
{
  using D = typename L::D;
  constexpr int kLanes = L::kCount;
  const D k = L::Splat(r.k);
  auto stage = [&k](D x, D drive, D gainIn, D gainOut) __attribute__((always_inline))
  {
    return kCurve(k * x * drive * gainIn) / gainOut / drive;
  };
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
  return {StageLoop<L, MicCurve<L>>,
          StageLoop<L, LineCurve<L>>,
          HalfbandLoop<L>,
          DecimatorLoop<L>,
          PreEmphasisLoop<L>,
          {{Sections<L, false, false>, Sections<L, false, true>}, {Sections<L, true, false>, Sections<L, true, true>}},
          CurveLoop<L, MicCurve<L>>,
          CurveLoop<L, LineCurve<L>>,
          CurveLoop<L, Tanh<L>>,
          CurveLoop<L, Atan<L>>,
          kind};
}

} // namespace
} // namespace iplug::simd
