#pragma once

// One or two channels' recursive filters over a chunk: the pre-emphasis, and
// the section after the preamp (console filters, output gain, de-emphasis),
// with the next chunk's pre-emphasis running in the same loops. Internal
// linkage, as in SimdLanes.h.

#include "preamp/ConsoleFilterLanes.h"
#include "preamp/HalfbandKernels.h"
#include "preamp/PreampKernels.h"
#include "preamp/SectionWavefront.h"

#include <type_traits>

namespace iplug::simd {
namespace {

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

// The filters of each run's channel, gathered for ConsoleFilters.
template <int kChannels>
struct ChannelFilters
{
  HPF73* subs[kChannels];
  HPF73* hpfs[kChannels];
  LPF73* lpfs[kChannels];
  const double* lowpass[kChannels];

  explicit ChannelFilters(const SectionsRun& r)
  {
    for (int c = 0; c < kChannels; ++c)
    {
      subs[c] = r.channel[c].sub;
      hpfs[c] = r.channel[c].hpf;
      lpfs[c] = r.channel[c].lpf;
      lowpass[c] = r.channel[c].lowpass;
    }
  }
};

// The de-emphasis writes the output; the offset goes back on afterwards.
inline auto WriteOutput(const SectionsChannel& c)
{
  return [&c](int i, double q) __attribute__((always_inline)) { c.output[i] = q; };
}

// Without the low-pass: one channel at a time, its filters and de-emphasis
// in one loop, where their recursions overlap.
template <class L, bool kFilterOn, int kChannels>
void SectionsInOneLoop(const SectionsRun& r)
{
  const bool invert = r.invert;
  const int n = r.n;
  const int gainStride = r.gainStride;
  ChannelFilters<kChannels> each(r);
  for (int ch = 0; ch < kChannels; ++ch)
  {
    const SectionsChannel& c = r.channel[ch];
    ConsoleFilters<double, 1, false, kFilterOn> filters(each.subs + ch, each.hpfs + ch, each.lpfs + ch,
                                                        each.lowpass + ch);
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
      RunTogether(emphasis.Steps(n, in, WriteOutput(c)),
                  pre.Steps(r.next->n, NextIn(*r.next, ch), NextOut(*r.next, ch)));
    }
    else
      emphasis.Run(n, in, WriteOutput(c));
    filters.Save(each.subs + ch, each.hpfs + ch, each.lpfs + ch);
  }
}

// With the low-pass, which waits on itself twice per frame: two channels go
// through the filters side by side, in the two lanes of a pair, with the
// next chunk's pre-emphasis filling the wait; with the section in, the
// decimator follows; then the de-emphasis of both.
template <class L, bool kFilterOn, int kChannels>
void SectionsWithLowpass(const SectionsRun& r)
{
  const bool invert = r.invert;
  const int n = r.n;
  const int gainStride = r.gainStride;
  ChannelFilters<kChannels> each(r);
  using V = std::conditional_t<kChannels == 1, double, typename Lanes<2>::D>;
  ConsoleFilters<V, kChannels, true, kFilterOn> filters(each.subs, each.hpfs, each.lpfs, each.lowpass);
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
  filters.Save(each.subs, each.hpfs, each.lpfs);
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
    emphasis.Run(n, in(left), WriteOutput(left));
  else
  {
    SectionWavefront<L, 4> other(*r.coefficients, *right.state);
    SectionWavefront<L, 4>::RunBoth(emphasis, other, n, in(left), WriteOutput(left), in(right), WriteOutput(right));
  }
}

template <class L, bool kLowpass, bool kFilterOn, int kChannels>
void SectionsLoop(const SectionsRun& r)
{
  if constexpr (kLowpass)
    SectionsWithLowpass<L, kFilterOn, kChannels>(r);
  else
    SectionsInOneLoop<L, kFilterOn, kChannels>(r);
  for (int ch = 0; ch < kChannels; ++ch)
    RestoreOffset<L>(r.channel[ch], r.n, r.offset, r.fullBypass);
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

} // namespace
} // namespace iplug::simd
