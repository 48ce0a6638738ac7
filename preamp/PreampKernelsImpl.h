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

// Runs fn over the values of a run, kLanes at a time, the last few in a
// vector of their own with padding lanes computed and dropped. fn(j, m)
// gives the outputs of values j.. of the run, reading m of them.
template <class L, class Fn>
[[gnu::always_inline]] inline void InVectors(double* y, int n, Fn fn)
{
  constexpr int kLanes = L::kCount;
  int j = 0;
  for (; j + kLanes <= n; j += kLanes)
    L::Store(y + j, fn(j, kLanes));
  if (j == n)
    return;
  double rest[kLanes];
  L::Store(rest, fn(j, n - j));
  for (int i = 0; j + i < n; ++i)
    y[j + i] = rest[i];
}

// m values from p, then zeros.
template <class L>
[[gnu::always_inline]] inline typename L::D LoadSome(const double* p, int m, double fill = 0.0)
{
  double v[L::kCount];
  for (int i = 0; i < L::kCount; ++i)
    v[i] = i < m ? p[i] : fill;
  return L::Load(v);
}

template <class L, typename L::D (*kCurve)(typename L::D)>
void StageLoop(const StageRun& r)
{
  using D = typename L::D;
  constexpr int kLanes = L::kCount;
  auto load = [](const double* p, int m, double fill = 0.0) __attribute__((always_inline))
  {
    return m == kLanes ? L::Load(p) : LoadSome<L>(p, m, fill);
  };
  if (r.stride == 0)
  {
    // Drive and gain stay put: the products and quotients around the curve
    // fold into one scale on each side.
    const D in = L::Splat(r.k * *r.drive * *r.gainIn), out = L::Splat(1.0 / (*r.gainOut * *r.drive));
    InVectors<L>(
      r.y, r.n, [&](int j, int m) __attribute__((always_inline)) { return kCurve(load(r.x + j, m) * in) * out; });
  }
  else
  {
    const D k = L::Splat(r.k);
    InVectors<L>(
      r.y, r.n, [&](int j, int m) __attribute__((always_inline)) {
        const D drive = load(r.drive + j, m, 1.0);
        return kCurve(k * load(r.x + j, m) * drive * load(r.gainIn + j, m, 1.0)) / load(r.gainOut + j, m, 1.0) / drive;
      });
  }
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
