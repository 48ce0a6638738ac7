#include "preamp/PreampKernels.h"

#include "preamp/SaturationCurves.h"

#include "preamp/PreampKernelsImpl.h"

#include <cmath>
#include <initializer_list>

namespace iplug {

#if defined(CORVANE_AVX2_KERNELS)
// PreampKernelsAvx2.cpp
PreampKernels MakeAvx2PreampKernels();
#endif

namespace {

template <double (*kCurve)(double)>
void ScalarStage(const StageRun& r)
{
  for (int j = 0; j < r.n; ++j)
  {
    const int at = j * r.stride;
    const double drive = r.drive[at];
    r.y[j] = kCurve(r.k * r.x[j] * drive * r.gainIn[at]) / r.gainOut[at] / drive;
  }
}

void ScalarHalfband(const double* x, const double* centre, int centreStride, double offset, double* y, int n)
{
  for (int j = 0; j < n; ++j)
    y[j] = simd::HalfbandAt(x + j, centre[j * centreStride], offset);
}

void ScalarDecimator(const double* a, const double* b, double* y, int n)
{
  for (int j = 0; j < n; ++j)
    y[j] = simd::DecimatorAt(a + j, b + j);
}

template <double (*kCurve)(double)>
void ScalarCurve(double* v, int count)
{
  for (int j = 0; j < count; ++j)
    v[j] = kCurve(v[j]);
}

double LibraryTanh(double x) { return std::tanh(x); }
double LibraryAtan(double x) { return std::atan(x); }

} // namespace

PreampKernels PreampKernelsOfKind(PreampKernels::Kind kind)
{
  switch (kind)
  {
    case PreampKernels::kScalar:
    {
      // The filters' loops in portable vector code, the curves through the
      // C library.
      using L = simd::Lanes<2>;
      return {ScalarStage<MicCurve>,
              ScalarStage<LineCurve>,
              ScalarHalfband,
              ScalarDecimator,
              simd::PreEmphasisLoop<L>,
              {{simd::Sections<L, false, false>, simd::Sections<L, false, true>},
               {simd::Sections<L, true, false>, simd::Sections<L, true, true>}},
              ScalarCurve<MicCurve>,
              ScalarCurve<LineCurve>,
              ScalarCurve<LibraryTanh>,
              ScalarCurve<LibraryAtan>,
              kind};
    }
#if defined(__x86_64__)
    case PreampKernels::kSse2: return simd::MakePreampKernels<2>(kind);
#endif
#if defined(CORVANE_AVX2_KERNELS)
    case PreampKernels::kAvx2:
      __builtin_cpu_init();
      if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        return MakeAvx2PreampKernels();
      break;
#endif
    default: break;
  }
  PreampKernels none{};
  none.kind = kind;
  return none;
}

const PreampKernels& SystemPreampKernels()
{
  static const PreampKernels kernels = [] {
    for (PreampKernels::Kind kind : {PreampKernels::kAvx2, PreampKernels::kSse2})
    {
      const PreampKernels k = PreampKernelsOfKind(kind);
      if (k.micStage)
        return k;
    }
    return PreampKernelsOfKind(PreampKernels::kScalar);
  }();
  return kernels;
}

} // namespace iplug
