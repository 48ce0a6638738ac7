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

#include <type_traits>

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

// (No library calls from here on: an inline function of the library built
// into this file could stand in for the baseline one at link time.)
inline double Finite(double x) { return __builtin_isfinite(x) ? x : 0.0; }

// x[i] made finite, less the offset of sample i (`offset` for even i, its
// negative for odd), rounded to single precision: the first section's input.
template <class L>
void PrepareEmphasisInput(const double* in, double* x, int n, double offset)
{
  using D = typename L::D;
  constexpr int kLanes = L::kCount;
  D offsets;
  for (int k = 0; k < kLanes; ++k)
    offsets[k] = k % 2 ? -offset : offset;
  const D infinity = L::Splat(__builtin_inf());
  int i = 0;
  for (; i + kLanes <= n; i += kLanes)
  {
    const D v = L::Load(in + i);
    const D finite = L::Select((typename L::I)(L::Abs(v) < infinity), v, D{});
    L::Store(x + i, L::RoundToFloat(finite - offsets));
  }
  for (; i < n; ++i)
    x[i] = static_cast<float>(Finite(in[i]) - (i % 2 ? -offset : offset));
}

template <class L>
void PreEmphasisLoop(const PreEmphasisRun& r)
{
  // The prepared input goes where the output will be: each step reads its
  // sample before the output kDelay samples back is written.
  for (int c = 0; c < r.channels; ++c)
    PrepareEmphasisInput<L>(r.input[c], r.output[c], r.n, r.offset);
  double* left = r.output[0];
  auto in = [](double* io) {
    return [io](int i) __attribute__((always_inline)) { return io[i]; };
  };
  auto out = [](double* io) {
    return [io](int i, double y) __attribute__((always_inline)) { io[i] = y; };
  };
  SectionWavefront<L, 3> emphasis(*r.coefficients, *r.state[0]);
  if (r.channels == 1)
    emphasis.Run(r.n, in(left), out(left));
  else
  {
    double* right = r.output[1];
    SectionWavefront<L, 3> other(*r.coefficients, *r.state[1]);
    SectionWavefront<L, 3>::RunBoth(emphasis, other, r.n, in(left), out(left), in(right), out(right));
  }
}

// One channel of the next chunk's pre-emphasis, to run inside another loop:
// its input prepared in place, its wavefront, where it reads and writes.
template <class L>
SectionWavefront<L, 3> NextPreEmphasis(const PreEmphasisRun& r, int channel)
{
  PrepareEmphasisInput<L>(r.input[channel], r.output[channel], r.n, r.offset);
  return SectionWavefront<L, 3>(*r.coefficients, *r.state[channel]);
}
inline auto NextIn(const PreEmphasisRun& r, int channel)
{
  double* const io = r.output[channel];
  return [io](int i) __attribute__((always_inline)) { return io[i]; };
}
inline auto NextOut(const PreEmphasisRun& r, int channel)
{
  double* const io = r.output[channel];
  return [io](int i, double y) __attribute__((always_inline)) { io[i] = y; };
}

// The console filters of kChannels channels, each value V holding one
// sample of every channel (double for one, a pair of lanes for two), with
// every lane computing exactly what the filters compute alone.
template <class V, int kChannels, bool kLowpass, bool kFilterOn>
struct ConsoleFilters
{
  // One field of every channel's filter.
  template <class Filter>
  static V Gather(Filter* const* f, double Filter::*field)
  {
    if constexpr (kChannels == 1)
      return f[0]->*field;
    else
      return V{f[0]->*field, f[1]->*field};
  }
  template <class Filter>
  static void Scatter(Filter* const* f, double Filter::*field, V v)
  {
    if constexpr (kChannels == 1)
      f[0]->*field = v;
    else
      for (int c = 0; c < kChannels; ++c)
        f[c]->*field = v[c];
  }

  struct Highpass
  {
    V b0, b1, b2, b3, a0, a1, a2, a3, x1, x2, x3, y1, y2, y3;

    explicit Highpass(HPF73* const* f)
    : b0(Gather(f, &HPF73::b0))
    , b1(Gather(f, &HPF73::b1))
    , b2(Gather(f, &HPF73::b2))
    , b3(Gather(f, &HPF73::b3))
    , a0(Gather(f, &HPF73::a0))
    , a1(Gather(f, &HPF73::a1))
    , a2(Gather(f, &HPF73::a2))
    , a3(Gather(f, &HPF73::a3))
    , x1(Gather(f, &HPF73::x1))
    , x2(Gather(f, &HPF73::x2))
    , x3(Gather(f, &HPF73::x3))
    , y1(Gather(f, &HPF73::y1))
    , y2(Gather(f, &HPF73::y2))
    , y3(Gather(f, &HPF73::y3))
    {}

    void Save(HPF73* const* f) const
    {
      Scatter(f, &HPF73::x0, x1);
      Scatter(f, &HPF73::x1, x1);
      Scatter(f, &HPF73::x2, x2);
      Scatter(f, &HPF73::x3, x3);
      Scatter(f, &HPF73::y0, y1);
      Scatter(f, &HPF73::y1, y1);
      Scatter(f, &HPF73::y2, y2);
      Scatter(f, &HPF73::y3, y3);
    }

    // The sum and the division of HPF73::Process, built here for this
    // file's instruction set.
    [[gnu::always_inline]] V Step(V x)
    {
      const V y = (b0 * x + b1 * x1 + b2 * x2 + b3 * x3 - a1 * y1 - a2 * y2 - a3 * y3) / a0;
      x3 = x2;
      x2 = x1;
      x1 = x;
      y3 = y2;
      y2 = y1;
      y1 = y;
      return y;
    }
  };

  Highpass sub, hpf;
  V b0, b1, b2, a1, a2; // the low-pass over a0
  V x1, x2, y1, y2;     // and its state

  ConsoleFilters(HPF73* const* subs, HPF73* const* hpfs, LPF73* const* lpfs, const double* const* lowpass)
  : sub(subs)
  , hpf(hpfs)
  , x1(Gather(lpfs, &LPF73::x1))
  , x2(Gather(lpfs, &LPF73::x2))
  , y1(Gather(lpfs, &LPF73::y1))
  , y2(Gather(lpfs, &LPF73::y2))
  {
    V* const coefficients[5] = {&b0, &b1, &b2, &a1, &a2};
    for (int k = 0; k < 5; ++k)
    {
      if constexpr (kChannels == 1)
        *coefficients[k] = lowpass[0][k];
      else
        *coefficients[k] = V{lowpass[0][k], lowpass[1][k]};
    }
  }

  void Save(HPF73* const* subs, HPF73* const* hpfs, LPF73* const* lpfs) const
  {
    if constexpr (!kFilterOn)
      sub.Save(subs);
    hpf.Save(hpfs);
    if constexpr (kLowpass)
    {
      Scatter(lpfs, &LPF73::x0, x1);
      Scatter(lpfs, &LPF73::x1, x1);
      Scatter(lpfs, &LPF73::x2, x2);
      Scatter(lpfs, &LPF73::y0, y1);
      Scatter(lpfs, &LPF73::y1, y1);
      Scatter(lpfs, &LPF73::y2, y2);
    }
  }

  // The section's output for input x (its polarity already applied); with
  // the low-pass, also its two outputs of the frame.
  [[gnu::always_inline]] V Step(V x, V& first, V& second)
  {
    const V f = kFilterOn ? x : sub.Step(x);
    const V h = hpf.Step(f);
    if constexpr (kLowpass)
    {
      // Two steps per frame, on h and on a zero, multiplying by the
      // coefficients over a0.
      const V a = (b0 * h + b1 * x1 + b2 * x2 - a2 * y2) - a1 * y1;
      const V b = (b1 * h + b2 * x1 - a2 * y1) - a1 * a;
      x2 = h;
      x1 = V{};
      y2 = a;
      y1 = b;
      first = a;
      second = b;
      return f;
    }
    else
      return kFilterOn ? h : f;
  }
};

// The offset taken off the input goes back on: output[i] less -offset for
// even i and less offset for odd i. With both switches out the output is
// the input (made finite), all stages having run for their state alone.
template <class L>
void RestoreOffset(const SectionsChannel& c, int n, double offset, bool fullBypass)
{
  using D = typename L::D;
  constexpr int kLanes = L::kCount;
  D offsets;
  for (int k = 0; k < kLanes; ++k)
    offsets[k] = k % 2 ? offset : -offset;
  const D infinity = L::Splat(__builtin_inf());
  double* out = c.output;
  int i = 0;
  for (; i + kLanes <= n; i += kLanes)
  {
    D v = L::Load(out + i);
    if (fullBypass)
    {
      const D in = L::Load(c.input + i);
      v = L::Select((typename L::I)(L::Abs(in) < infinity), in, D{});
    }
    L::Store(out + i, v - offsets);
  }
  for (; i < n; ++i)
    out[i] = (fullBypass ? Finite(c.input[i]) : out[i]) - (i % 2 ? offset : -offset);
}

template <class L, bool kLowpass, bool kFilterOn, int kChannels>
void SectionsLoop(const SectionsRun& r)
{
  const bool invert = r.invert;
  const int n = r.n;
  const int gainStride = r.gainStride;
  HPF73* subs[kChannels];
  HPF73* hpfs[kChannels];
  LPF73* lpfs[kChannels];
  const double* lowpass[kChannels];
  for (int c = 0; c < kChannels; ++c)
  {
    subs[c] = r.channel[c].sub;
    hpfs[c] = r.channel[c].hpf;
    lpfs[c] = r.channel[c].lpf;
    lowpass[c] = r.channel[c].lowpass;
  }
  // The de-emphasis writes the output, and then the offset goes back on.
  auto finisher = [](const SectionsChannel& c) {
    return [&c](int i, double q) __attribute__((always_inline)) { c.output[i] = q; };
  };

  if constexpr (!kLowpass)
  {
    // One channel at a time, its filters and de-emphasis in one loop, where
    // their recursions overlap.
    for (int ch = 0; ch < kChannels; ++ch)
    {
      const SectionsChannel& c = r.channel[ch];
      ConsoleFilters<double, 1, kLowpass, kFilterOn> filters(subs + ch, hpfs + ch, lpfs + ch, lowpass + ch);
      SectionWavefront<L, 4> emphasis(*r.coefficients, *c.state);
      const double* source = c.source;
      const double* gain = c.gain;
      auto in = [&](int i) __attribute__((always_inline))
      {
        double unused;
        const double x = invert ? -source[i] : source[i];
        return static_cast<double>(static_cast<float>(filters.Step(x, unused, unused) * gain[i * gainStride]));
      };
      if (r.next)
      {
        // The next chunk's pre-emphasis of this channel alongside.
        SectionWavefront<L, 3> pre = NextPreEmphasis<L>(*r.next, ch);
        RunTogether(emphasis.Steps(n, in, finisher(c)),
                    pre.Steps(r.next->n, NextIn(*r.next, ch), NextOut(*r.next, ch)));
      }
      else
        emphasis.Run(n, in, finisher(c));
      filters.Save(subs + ch, hpfs + ch, lpfs + ch);
    }
  }
  else
  {
    // The low-pass waits on itself twice per frame: two channels go through
    // the filters side by side, in the two lanes of a pair; with the
    // section in, the decimator follows.
    using V = std::conditional_t<kChannels == 1, double, typename Lanes<2>::D>;
    ConsoleFilters<V, kChannels, kLowpass, kFilterOn> filters(subs, hpfs, lpfs, lowpass);
    const SectionsChannel& left = r.channel[0];
    const SectionsChannel& right = r.channel[kChannels - 1];
    auto frame = [&](int i) __attribute__((always_inline))
    {
      V x, first, second;
      if constexpr (kChannels == 1)
        x = left.source[i];
      else
        x = V{left.source[i], right.source[i]};
      const V f = filters.Step(invert ? -x : x, first, second);
      if constexpr (kChannels == 1)
      {
        left.first[i] = first;
        left.second[i] = second;
        if constexpr (!kFilterOn)
          left.scratch[i] = f;
      }
      else
      {
        left.first[i] = first[0];
        left.second[i] = second[0];
        right.first[i] = first[1];
        right.second[i] = second[1];
        if constexpr (!kFilterOn)
        {
          left.scratch[i] = f[0];
          right.scratch[i] = f[1];
        }
      }
    };
    // The filters wait on the high-pass's division; the next chunk's
    // pre-emphasis fills that wait.
    if (!r.next)
      for (int i = 0; i < n; ++i)
        frame(i);
    else if constexpr (kChannels == 1)
    {
      SectionWavefront<L, 3> pre = NextPreEmphasis<L>(*r.next, 0);
      RunTogether(LoopSteps(n, frame), pre.Steps(r.next->n, NextIn(*r.next, 0), NextOut(*r.next, 0)));
    }
    else
    {
      SectionWavefront<L, 3> preLeft = NextPreEmphasis<L>(*r.next, 0);
      SectionWavefront<L, 3> preRight = NextPreEmphasis<L>(*r.next, 1);
      RunTogether(LoopSteps(n, frame), preLeft.Steps(r.next->n, NextIn(*r.next, 0), NextOut(*r.next, 0)),
                  preRight.Steps(r.next->n, NextIn(*r.next, 1), NextOut(*r.next, 1)));
    }
    filters.Save(subs, hpfs, lpfs);
    // With the section out its output is the subsonic filter's; the
    // decimator's lines still advance.
    if constexpr (kFilterOn)
      for (int ch = 0; ch < kChannels; ++ch)
        DecimatorLoop<L>(r.channel[ch].first, r.channel[ch].second, r.channel[ch].scratch, n);
    auto in = [gainStride](const SectionsChannel& c) {
      const double* const section = c.scratch;
      const double* const gain = c.gain;
      auto input = [=](int i) __attribute__((always_inline))
      {
        return static_cast<double>(static_cast<float>(section[i] * gain[i * gainStride]));
      };
      return input;
    };
    SectionWavefront<L, 4> emphasis(*r.coefficients, *left.state);
    if constexpr (kChannels == 1)
      emphasis.Run(n, in(left), finisher(left));
    else
    {
      SectionWavefront<L, 4> other(*r.coefficients, *right.state);
      SectionWavefront<L, 4>::RunBoth(emphasis, other, n, in(left), finisher(left), in(right), finisher(right));
    }
  }
  for (int ch = 0; ch < kChannels; ++ch)
    RestoreOffset<L>(r.channel[ch], n, r.offset, r.fullBypass);
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
