#pragma once

#include "preamp/HPF73.h"
#include "preamp/LPF73.h"

namespace iplug {

// The preamp's loops over runs of values, built once per instruction set and
// picked by the CPU at run time: the saturator stage, the half-band FIRs and,
// for tests, the bare curves.

// One evaluation of the preamp stage per value:
//   y[j] = curve(k * x[j] * drive[j] * gainIn[j]) / gainOut[j] / drive[j]
// with the products and quotients in that order. With stride 0, drive,
// gainIn and gainOut each point at one value for the whole run, and the
// vector kernels fold them into one scale before the curve and one after.
struct StageRun
{
  const double* x;
  double* y;
  int n;
  double k;
  const double* drive;
  const double* gainIn;
  const double* gainOut;
  int stride;
};
using StageKernel = void (*)(const StageRun& run);

// The odd taps and the centre of the 129-tap half-band filter, for outputs
// j = 0..n-1:
//   y[j] = sum over m = 0..31 of kOdd[m] (x[j - m] + x[j - 63 + m])
//          + 0.5 centre[j * centreStride] - offset
// summed in that order. x[-63] to x[n - 1] must be readable.
using HalfbandKernel = void (*)(const double* x, const double* centre, int centreStride, double offset, double* y,
                                int n);

// The 65-tap decimator for outputs j = 0..n-1:
//   y[j] = 2 (0.5 a[j - 16] + sum over m = 1..16 of kOdd[m - 1] (b[j - m] + b[j - 33 + m]))
// summed in that order. a[-16] and b[-32] to b[n - 2] must be readable.
using DecimatorKernel = void (*)(const double* a, const double* b, double* y, int n);

// In place over a run of values.
using CurveRun = void (*)(double* v, int count);

// Up to four biquad sections in series (one per lane of the cascade below),
// their coefficients and, per channel, their state. Sections past the last
// have all coefficients zero.
struct CascadeCoefficients
{
  double a0[4] = {}, a1[4] = {}, a2[4] = {}, b1[4] = {}, b2[4] = {};
};
struct CascadeState
{
  double z1[4] = {}, z2[4] = {};
};

// The pre-emphasis of one or two channels over n samples:
//   output[i] = section 3(section 2(section 1(input[i] - d_i)))
// as the biquads compute it (single precision between the sections), where
// non-finite input counts as zero and d_i is `offset` with its sign flipped
// from one sample to the next.
struct PreEmphasisRun
{
  const CascadeCoefficients* coefficients;
  CascadeState* state[2];
  const double* input[2];
  double* output[2];
  int channels;
  int n;
  double offset;
};
using PreEmphasisKernel = void (*)(const PreEmphasisRun& run);

// The section after the preamp over n frames, for one or two channels:
// polarity, the subsonic high-pass (section out) or high-pass and low-pass
// (section in), output gain and de-emphasis, then the anti-denormal offset
// goes back on:
//   output[i] = de-emphasis(gain[i] * section(±source[i])) - o_i
// (or the input, made finite, - o_i with both switches out), where o_i is
// -offset with its sign flipped from one frame to the next. The user
// high-pass runs in both states, and so does the low-pass when a position
// is selected: its two outputs per frame go to `first` and `second`, the
// decimator's lines, whose last 32 values before them must be readable.
struct SectionsChannel
{
  const double* source;
  const double* input;
  double* output;
  const double* gain;
  HPF73* sub;
  HPF73* hpf;
  LPF73* lpf;
  const double* lowpass; // the low-pass coefficients over a0: b0, b1, b2, a1, a2
  double* first;
  double* second;
  double* scratch; // room for n values
  CascadeState* state;
};
struct SectionsRun
{
  SectionsChannel channel[2];
  int channels;
  int n;
  int gainStride; // 0: one gain for the whole run
  double offset;
  bool invert;
  bool fullBypass;
  const CascadeCoefficients* coefficients;
  // The next chunk's pre-emphasis, run in the same loops (may be null).
  const PreEmphasisRun* next;
};
using SectionsKernel = void (*)(const SectionsRun& run);

struct PreampKernels
{
  enum Kind
  {
    kScalar, // one value at a time, the curves through the C library
    kSse2,   // two values at a time (the x86-64 baseline)
    kAvx2    // four values at a time, with FMA
  };

  StageKernel micStage;
  StageKernel lineStage;
  HalfbandKernel halfband;
  DecimatorKernel decimator;
  PreEmphasisKernel preEmphasis;
  SectionsKernel sections[2][2]; // [low-pass selected][filter section in]
  CurveRun mic, line, tanh, atan;
  Kind kind;
};

// The widest kernels this CPU runs (kScalar off x86-64). Call it once off
// the audio thread; the result does not change.
const PreampKernels& SystemPreampKernels();

// The kernels of one kind, for tests and benchmarks; a kind that this build
// or CPU cannot run gives null entries.
PreampKernels PreampKernelsOfKind(PreampKernels::Kind kind);

} // namespace iplug
