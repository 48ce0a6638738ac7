#pragma once

namespace iplug {

// The saturation curves over a run of values, in place: v[j] becomes
// MicCurve(v[j]) or LineCurve(v[j]), bit for bit; and tanh alone, which the
// curves are built on.
using CurveRun = void (*)(double* v, int count);

struct CurveRuns
{
  enum Kind
  {
    kLibrary,   // one library call per tanh and atan
    kPairs,     // two tanh at once, following the library's plain build
    kFusedPairs // two tanh at once, following the library's FMA build
  };

  CurveRun mic;
  CurveRun line;
  CurveRun tanh;
  Kind kind;
};

// The fastest runs that give exactly what the system's tanh and atan give.
// The first call compares the two-lane tanh against the system's on a fixed
// set of arguments that tells the library's builds apart, and falls back to
// the library calls when neither matches. Call it once off the audio thread;
// the result does not change.
const CurveRuns& SystemCurveRuns();

// The choice SystemCurveRuns makes, against a given tanh of the C library:
// the first two-lane kind that follows it bit for bit, else the library calls.
CurveRuns SelectCurveRuns(double (*libraryTanh)(double));

// The run of a given kind, for tests; a kind the CPU cannot run is null.
CurveRuns CurveRunsOfKind(CurveRuns::Kind kind);

} // namespace iplug
