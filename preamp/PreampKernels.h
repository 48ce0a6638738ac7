#pragma once

namespace iplug {

// The preamp's loops over runs of values, built once per instruction set and
// picked by the CPU at run time: the saturator stage, the half-band FIRs and,
// for tests, the bare curves.

// One evaluation of the preamp stage per value:
//   y[j] = curve(k * x[j] * drive[j] * gainIn[j]) / gainOut[j] / drive[j]
// with the products and quotients in that order. With stride 0, drive,
// gainIn and gainOut each point at one value for the whole run.
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
