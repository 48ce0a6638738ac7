#pragma once

// The kernels of PreampKernels.h over L::kCount lanes, with a value-at-a-time
// loop for what is left at the end of a run. Each file that includes this
// builds one instruction set's table with MakePreampKernels. Internal
// linkage, as in SimdLanes.h.

#include "preamp/CurveMath.h"
#include "preamp/OSAA.h"
#include "preamp/OSEQ.h"
#include "preamp/PreampKernels.h"
#include "preamp/SectionWavefront.h"

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

// (No library calls from here on: an inline function of the library built
// into this file could stand in for the baseline one at link time.)
inline double Finite(double x) { return __builtin_isfinite(x) ? x : 0.0; }

// One sample through a high-pass, as HPF73::Process computes it (here, so
// that it is built for this file's instruction set).
[[gnu::always_inline]] inline double HighpassStep(HPF73& h, double x)
{
  const double y = (h.b0 * x + h.b1 * h.x1 + h.b2 * h.x2 + h.b3 * h.x3 - h.a1 * h.y1 - h.a2 * h.y2 - h.a3 * h.y3) / h.a0;
  h.x3 = h.x2;
  h.x2 = h.x1;
  h.x1 = h.x0 = x;
  h.y3 = h.y2;
  h.y2 = h.y1;
  h.y1 = h.y0 = y;
  return y;
}

template <class L>
void PreEmphasisLoop(const PreEmphasisRun& r)
{
  const double* in = r.input;
  const double offset = r.offset;
  SectionWavefront<L, 3> emphasis(*r.coefficients, *r.state);
  emphasis.Run(
    r.n, [in, offset](int i) __attribute__((always_inline)) { return Finite(in[i]) - (i % 2 ? -offset : offset); },
    [&r](int i, double y) __attribute__((always_inline)) { r.output[i] = y; });
}

// The console filters of one frame of one channel: the section's output,
// or with the low-pass its two outputs too.
template <bool kLowpass, bool kFilterOn>
struct ConsoleFilters
{
  HPF73 sub, hpf;
  double b0, b1, b2, a1, a2; // the low-pass over a0
  double x1, x2, y1, y2;     // and its state

  explicit ConsoleFilters(const SectionsChannel& c)
  : sub(*c.sub)
  , hpf(*c.hpf)
  , b0(c.lowpass[0])
  , b1(c.lowpass[1])
  , b2(c.lowpass[2])
  , a1(c.lowpass[3])
  , a2(c.lowpass[4])
  , x1(c.lpf->x1)
  , x2(c.lpf->x2)
  , y1(c.lpf->y1)
  , y2(c.lpf->y2)
  {}

  void Save(const SectionsChannel& c) const
  {
    if constexpr (!kFilterOn)
      *c.sub = sub;
    *c.hpf = hpf;
    if constexpr (kLowpass)
    {
      c.lpf->x1 = c.lpf->x0 = x1;
      c.lpf->x2 = x2;
      c.lpf->y1 = c.lpf->y0 = y1;
      c.lpf->y2 = y2;
    }
  }

  // The section's output for input x (its polarity already applied).
  [[gnu::always_inline]] double Step(double x, double& first, double& second)
  {
    const double f = kFilterOn ? x : HighpassStep(sub, x);
    const double h = HighpassStep(hpf, f);
    if constexpr (kLowpass)
    {
      // Two steps per frame, on h and on a zero, multiplying by the
      // coefficients over a0.
      first = (b0 * h + b1 * x1 + b2 * x2 - a2 * y2) - a1 * y1;
      second = (b1 * h + b2 * x1 - a2 * y1) - a1 * first;
      x2 = h;
      x1 = 0.0;
      y2 = first;
      y1 = second;
      return f;
    }
    else
      return kFilterOn ? h : f;
  }
};

template <class L, bool kLowpass, bool kFilterOn, int kChannels>
void SectionsLoop(const SectionsRun& r)
{
  const bool invert = r.invert;
  const int n = r.n;
  const int gainStride = r.gainStride;
  // After the de-emphasis the offset goes back on (the first frame's is
  // -offset).
  auto finisher = [&r](const SectionsChannel& c) {
    return [&r, &c](int i, double q) __attribute__((always_inline)) {
      c.output[i] = (r.fullBypass ? Finite(c.input[i]) : q) - (i % 2 ? r.offset : -r.offset);
    };
  };

  if constexpr (!kLowpass)
  {
    // One channel at a time, its filters and de-emphasis in one loop, where
    // their recursions overlap.
    for (int ch = 0; ch < kChannels; ++ch)
    {
      const SectionsChannel& c = r.channel[ch];
      ConsoleFilters<kLowpass, kFilterOn> filters(c);
      SectionWavefront<L, 4> emphasis(*r.coefficients, *c.state);
      const double* source = c.source;
      const double* gain = c.gain;
      emphasis.Run(
        n,
        [&](int i) __attribute__((always_inline)) {
          double unused;
          return filters.Step(invert ? -source[i] : source[i], unused, unused) * gain[i * gainStride];
        },
        finisher(c));
      filters.Save(c);
    }
  }
  else
  {
    // The low-pass waits on itself twice per frame: both channels go
    // through the filters in one loop, so that one's recursion fills the
    // other's wait; with the section in, the decimator follows.
    using Filters = ConsoleFilters<kLowpass, kFilterOn>;
    Filters filters[2] = {Filters(r.channel[0]), Filters(r.channel[kChannels - 1])}; // one unused with one channel
    for (int i = 0; i < n; ++i)
#pragma GCC unroll 2
      for (int ch = 0; ch < kChannels; ++ch)
      {
        const SectionsChannel& c = r.channel[ch];
        const double f = filters[ch].Step(invert ? -c.source[i] : c.source[i], c.first[i], c.second[i]);
        if constexpr (!kFilterOn)
          c.scratch[i] = f;
      }
    for (int ch = 0; ch < kChannels; ++ch)
    {
      const SectionsChannel& c = r.channel[ch];
      filters[ch].Save(c);
      // With the section out its output is the subsonic filter's; the
      // decimator's lines still advance.
      if constexpr (kFilterOn)
        DecimatorLoop<L>(c.first, c.second, c.scratch, n);
      SectionWavefront<L, 4> emphasis(*r.coefficients, *c.state);
      const double* section = c.scratch;
      const double* gain = c.gain;
      emphasis.Run(
        n, [section, gain, gainStride](int i) __attribute__((always_inline)) { return section[i] * gain[i * gainStride]; },
        finisher(c));
    }
  }
}

// The section for the run's channel count.
template <class L, bool kLowpass, bool kFilterOn>
void Sections(const SectionsRun& r)
{
  if (r.channels > 1)
    SectionsLoop<L, kLowpass, kFilterOn, 2>(r);
  else
    SectionsLoop<L, kLowpass, kFilterOn, 1>(r);
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
