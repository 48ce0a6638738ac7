#include "preamp/CurveRuns.h"

#include "preamp/SaturationCurves.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#if defined(__x86_64__)
#include "preamp/CurveRunKernels.h"
#endif

namespace iplug {

#if defined(CORVANE_FUSED_TANH)
// CurveRunsFused.cpp
void MicCurveRunFused(double* v, int count);
void LineCurveRunFused(double* v, int count);
void TanhRunFused(double* v, int count);
#endif

namespace {

void MicCurveRunLibrary(double* v, int count)
{
  for (int j = 0; j < count; ++j)
    v[j] = MicCurve(v[j]);
}

void LineCurveRunLibrary(double* v, int count)
{
  for (int j = 0; j < count; ++j)
    v[j] = LineCurve(v[j]);
}

void TanhRunLibrary(double* v, int count)
{
  for (int j = 0; j < count; ++j)
    v[j] = std::tanh(v[j]);
}

#if defined(__x86_64__)
void MicCurveRunPairs(double* v, int count) { tanh_pair::RunPairs<tanh_pair::MicPair<false>>(v, count); }

void LineCurveRunPairs(double* v, int count) { tanh_pair::RunPairs<tanh_pair::LinePair<false>>(v, count); }

void TanhRunPairs(double* v, int count) { tanh_pair::RunPairs<tanh_pair::TanhPair<false>>(v, count); }
#endif

bool SameBits(double a, double b)
{
  std::uint64_t x, y;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  return x == y;
}

// Arguments on every path of tanh and on both sides of each threshold, the
// first few of them where the library's plain and FMA builds differ, then a
// spread over the range the curves use.
bool MatchesLibrary(const CurveRuns& runs, double (*libraryTanh)(double))
{
  static constexpr double kProbes[] = {0x1.d1d4bd660dfd8p-3,
                                       -0x1.d225c6719bac3p-4,
                                       0x1.19e91c83da50dp-4,
                                       0.0,
                                       -0.0,
                                       0x1p-1074,
                                       0x1p-56,
                                       0x1p-55,
                                       0x1.62e42fefa39efp-3,
                                       0x1.62e43p-3,
                                       0.3,
                                       0.55,
                                       0.7,
                                       0.99,
                                       1.0,
                                       1.04,
                                       1.7,
                                       2.5,
                                       7.0,
                                       10.5,
                                       14.5,
                                       21.9,
                                       22.0,
                                       40.0,
                                       1e300,
                                       INFINITY,
                                       -INFINITY,
                                       NAN};
  constexpr int kSpread = 2048;
  constexpr int kCount = static_cast<int>(sizeof kProbes / sizeof kProbes[0]) + kSpread;
  double args[kCount];
  int n = 0;
  for (double p : kProbes)
    args[n++] = p;
  // Values from 2^-40 to about 2^3.5 with scattered mantissas and signs.
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  for (int i = 0; i < kSpread; ++i)
  {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const double mantissa = 1.0 + static_cast<double>(state >> 11) * 0x1p-53;
    const int exponent = -40 + static_cast<int>((state >> 3) % 44);
    args[n++] = std::ldexp((state & 1) ? -mantissa : mantissa, exponent);
  }
  for (CurveRun run : {runs.tanh, runs.mic, runs.line})
  {
    if (run == nullptr)
      return false;
    double v[kCount];
    std::memcpy(v, args, sizeof v);
    run(v, kCount);
    for (int i = 0; i < kCount; ++i)
    {
      const double expected = run == runs.tanh  ? libraryTanh(args[i])
                              : run == runs.mic ? MicCurve(args[i])
                                                : LineCurve(args[i]);
      if (!SameBits(v[i], expected) && !(std::isnan(v[i]) && std::isnan(expected)))
        return false;
    }
  }
  return true;
}

double LibraryTanh(double x) { return std::tanh(x); }

} // namespace

CurveRuns SelectCurveRuns(double (*libraryTanh)(double))
{
  for (CurveRuns::Kind kind : {CurveRuns::kFusedPairs, CurveRuns::kPairs})
  {
    const CurveRuns runs = CurveRunsOfKind(kind);
    if (MatchesLibrary(runs, libraryTanh))
      return runs;
  }
  return CurveRunsOfKind(CurveRuns::kLibrary);
}

CurveRuns CurveRunsOfKind(CurveRuns::Kind kind)
{
  switch (kind)
  {
#if defined(__x86_64__)
    case CurveRuns::kPairs: return {MicCurveRunPairs, LineCurveRunPairs, TanhRunPairs, kind};
#endif
#if defined(CORVANE_FUSED_TANH)
    case CurveRuns::kFusedPairs:
      __builtin_cpu_init();
      if (__builtin_cpu_supports("fma") && __builtin_cpu_supports("avx"))
        return {MicCurveRunFused, LineCurveRunFused, TanhRunFused, kind};
      break;
#endif
    case CurveRuns::kLibrary: return {MicCurveRunLibrary, LineCurveRunLibrary, TanhRunLibrary, kind};
    default: break;
  }
  return {nullptr, nullptr, nullptr, kind};
}

const CurveRuns& SystemCurveRuns()
{
  static const CurveRuns runs = SelectCurveRuns(LibraryTanh);
  return runs;
}

} // namespace iplug
