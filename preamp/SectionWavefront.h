#pragma once

// Up to four biquad sections in series, one per SIMD lane, run as a
// wavefront: lane k works kSkew * k samples behind lane 0 and takes as its
// input what lane k - 1 gave kSkew steps before, so one vector step moves
// every section on by one sample. Each lane does exactly the arithmetic of
// BasicBiquad::Step, rounding its output to single precision for the next
// section, so the outputs are those of the sections run one after another.
//
// The first and last steps of a run, where some lanes have no sample, leave
// those lanes' state alone; every run therefore ends with the same state,
// and its last output, as the sections run one sample at a time. The skew
// of two samples keeps the rounding and the hand-over between lanes off the
// path from one step to the next.
//
// Internal linkage, as in SimdLanes.h.

#include "preamp/PreampKernels.h"
#include "preamp/SimdLanes.h"

#include <type_traits>

namespace iplug::simd {
namespace {

template <class L, int kSections>
class SectionWavefront
{
public:
  static constexpr int kSkew = 2;
  // The last section's output for sample i comes out at step i + kDelay.
  static constexpr int kDelay = kSkew * (kSections - 1);

  SectionWavefront(const CascadeCoefficients& c, CascadeState& state) : mState(state)
  {
    for (int v = 0; v < kVectors; ++v)
    {
      mA0[v] = L::Load(c.a0 + v * kLanes);
      mA1[v] = L::Load(c.a1 + v * kLanes);
      mA2[v] = L::Load(c.a2 + v * kLanes);
      mB1[v] = L::Load(c.b1 + v * kLanes);
      mB2[v] = L::Load(c.b2 + v * kLanes);
      mZ1[v] = L::Load(state.z1 + v * kLanes);
      mZ2[v] = L::Load(state.z2 + v * kLanes);
      mLast[v] = mBeforeLast[v] = D{};
    }
  }
  ~SectionWavefront()
  {
    for (int v = 0; v < kVectors; ++v)
    {
      L::Store(mState.z1 + v * kLanes, mZ1[v]);
      L::Store(mState.z2 + v * kLanes, mZ2[v]);
    }
  }
  SectionWavefront(const SectionWavefront&) = delete;
  SectionWavefront& operator=(const SectionWavefront&) = delete;

  // Step t of a run of n samples, x the first section's input for sample t
  // in single precision (any value once t >= n). kPartial: some lanes may
  // have no sample.
  template <bool kPartial>
  [[gnu::always_inline]] void Step(double x, int t, int n)
  {
    D in[kVectors];
    if constexpr (kVectors == 1)
      in[0] = __builtin_shufflevector(L::Splat(x), mBeforeLast[0], 0, 4, 5, 6);
    else
    {
      in[0] = __builtin_shufflevector(L::Splat(x), mBeforeLast[0], 0, 2);
      in[1] = __builtin_shufflevector(mBeforeLast[0], mBeforeLast[1], 1, 2);
    }
    for (int v = 0; v < kVectors; ++v)
    {
      const D out = in[v] * mA0[v] + mZ1[v];
      const D z1 = in[v] * mA1[v] + mZ2[v] - mB1[v] * out;
      const D z2 = in[v] * mA2[v] - mB2[v] * out;
      if constexpr (kPartial)
      {
        const I active = Active(v, t, n);
        mZ1[v] = L::Select(active, z1, mZ1[v]);
        mZ2[v] = L::Select(active, z2, mZ2[v]);
      }
      else
      {
        mZ1[v] = z1;
        mZ2[v] = z2;
      }
      mBeforeLast[v] = mLast[v];
      mLast[v] = L::RoundToFloat(out);
    }
  }

  // The last section's output of the latest step, in single precision.
  double Output() const { return mLast[(kSections - 1) / kLanes][(kSections - 1) % kLanes]; }

  // All n samples: in(i) gives the first section's input (in single
  // precision), out(i, y) takes the last section's output.
  template <class In, class Out>
  [[gnu::always_inline]] void Run(int n, In in, Out out)
  {
    int t = 0;
    for (; t < n && t < kDelay; ++t)
      Step<true>(in(t), t, n);
    for (; t < n; ++t)
    {
      Step<false>(in(t), t, n);
      out(t - kDelay, Output());
    }
    for (; t < n + kDelay; ++t)
    {
      Step<true>(0.0, t, n);
      if (t >= kDelay)
        out(t - kDelay, Output());
    }
  }

  // Two runs side by side, each step of one beside the same step of the
  // other, so that one's wait on its last step fills the other's.
  template <class InA, class OutA, class InB, class OutB>
  [[gnu::always_inline]] static void RunBoth(SectionWavefront& a, SectionWavefront& b, int n, InA inA, OutA outA,
                                             InB inB, OutB outB)
  {
    int t = 0;
    for (; t < n && t < kDelay; ++t)
    {
      a.Step<true>(inA(t), t, n);
      b.Step<true>(inB(t), t, n);
    }
    for (; t < n; ++t)
    {
      a.Step<false>(inA(t), t, n);
      b.Step<false>(inB(t), t, n);
      outA(t - kDelay, a.Output());
      outB(t - kDelay, b.Output());
    }
    for (; t < n + kDelay; ++t)
    {
      a.Step<true>(0.0, t, n);
      b.Step<true>(0.0, t, n);
      if (t >= kDelay)
      {
        outA(t - kDelay, a.Output());
        outB(t - kDelay, b.Output());
      }
    }
  }

  // A run that the caller steps, together with others (RunTogether).
  template <class In, class Out>
  class Stepper
  {
  public:
    static constexpr int kDelay = SectionWavefront::kDelay;
    Stepper(SectionWavefront& w, int n, In in, Out out) : mW(w), mN(n), mIn(in), mOut(out) {}
    int Steps() const { return mN + kDelay; }
    // The steps where every lane has a sample: from kDelay up to here.
    int FullEnd() const { return mN; }

    // Step t where every lane has a sample.
    [[gnu::always_inline]] void AtFull(int t)
    {
      mW.template Step<false>(mIn(t), t, mN);
      mOut(t - kDelay, mW.Output());
    }

    // Step t, whichever part of the run it falls in.
    [[gnu::always_inline]] void At(int t)
    {
      if (t >= kDelay && t < mN)
      {
        mW.template Step<false>(mIn(t), t, mN);
        mOut(t - kDelay, mW.Output());
      }
      else if (t < mN + kDelay)
      {
        mW.template Step<true>(t < mN ? mIn(t) : 0.0, t, mN);
        if (t >= kDelay)
          mOut(t - kDelay, mW.Output());
      }
    }

  private:
    SectionWavefront& mW;
    int mN;
    In mIn;
    Out mOut;
  };

  template <class In, class Out>
  Stepper<In, Out> Steps(int n, In in, Out out)
  {
    return Stepper<In, Out>(*this, n, in, out);
  }

private:
  static constexpr int kLanes = L::kCount;
  static constexpr int kVectors = 4 / kLanes;
  using D = typename L::D;
  using I = typename L::I;

  // Lanes whose sample t - kSkew * lane lies within the run.
  static I Active(int v, int t, int n)
  {
    D behind{};
    for (int k = 0; k < kLanes; ++k)
      behind[k] = kSkew * (v * kLanes + k);
    const D sample = L::Splat(static_cast<double>(t)) - behind;
    return (I)(sample >= L::Splat(0.0)) & (I)(sample < L::Splat(static_cast<double>(n)));
  }

  CascadeState& mState;
  D mA0[kVectors], mA1[kVectors], mA2[kVectors], mB1[kVectors], mB2[kVectors];
  D mZ1[kVectors], mZ2[kVectors];
  D mLast[kVectors], mBeforeLast[kVectors]; // outputs of the last two steps, rounded
};

// A plain loop of n steps, to run beside wavefronts.
template <class Body>
class LoopStepper
{
public:
  static constexpr int kDelay = 0;
  LoopStepper(int n, Body body) : mN(n), mBody(body) {}
  int Steps() const { return mN; }
  int FullEnd() const { return mN; }
  [[gnu::always_inline]] void AtFull(int t) { mBody(t); }
  [[gnu::always_inline]] void At(int t)
  {
    if (t < mN)
      mBody(t);
  }

private:
  int mN;
  Body mBody;
};

template <class Body>
LoopStepper<Body> LoopSteps(int n, Body body)
{
  return LoopStepper<Body>(n, body);
}

// Runs of several wavefronts (of any depth and length), each step of one
// beside the same step of the others.
template <class... Runs>
[[gnu::always_inline]] inline void RunTogether(Runs&&... runs)
{
  // The steps where all runs have all lanes busy go without the checks.
  int steps = 0, fullFrom = 0, fullEnd = steps + (1 << 30);
  ((steps = runs.Steps() > steps ? runs.Steps() : steps), ...);
  ((fullFrom = std::remove_reference_t<Runs>::kDelay > fullFrom ? std::remove_reference_t<Runs>::kDelay : fullFrom),
   ...);
  ((fullEnd = runs.FullEnd() < fullEnd ? runs.FullEnd() : fullEnd), ...);
  const int fullTo = fullEnd > fullFrom ? fullEnd : fullFrom;
  int t = 0;
  for (; t < fullFrom; ++t)
    (runs.At(t), ...);
  for (; t < fullTo; ++t)
    (runs.AtFull(t), ...);
  for (; t < steps; ++t)
    (runs.At(t), ...);
}

} // namespace
} // namespace iplug::simd
