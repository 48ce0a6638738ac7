#pragma once

// The curve runs on two values at a time, for the files that instantiate
// them with and without FMA. Internal linkage for the same reason as in
// TanhPair.h. Operations and their order are those of MicCurve and
// LineCurve; the tanh terms go through TanhPair, the atan term through the
// library.

#include "preamp/TanhPair.h"

#include <math.h>

namespace iplug::tanh_pair {
namespace {

// atan(v) for the mic curve's u^7 term. Below 2^-27, v^3/3 is under half an
// ulp of v, so the correctly rounded result (and the library's) is v itself;
// at moderate drive most samples land there.
inline double Atan(double v) { return fabs(v) < 0x1p-27 ? v : atan(v); }

template <bool kFused>
[[gnu::always_inline]] inline __m128d LinePair(__m128d u)
{
  const __m128d u3 = _mm_mul_pd(_mm_mul_pd(u, u), u);
  const __m128d u4 = _mm_mul_pd(u3, u);
  const __m128d a = TanhPair<kFused>(u);
  const __m128d b = _mm_mul_pd(_mm_set1_pd(0.1), TanhPair<kFused>(u3));
  const __m128d c = _mm_mul_pd(_mm_set1_pd(0.6), TanhPair<kFused>(u4));
  return _mm_add_pd(_mm_sub_pd(a, b), c);
}

template <bool kFused>
[[gnu::always_inline]] inline __m128d MicPair(__m128d u)
{
  const __m128d u2 = _mm_mul_pd(u, u);
  const __m128d u3 = _mm_mul_pd(u2, u);
  const __m128d u7 = _mm_mul_pd(_mm_mul_pd(_mm_mul_pd(_mm_mul_pd(u3, u), u), u), u);
  double v[2];
  _mm_storeu_pd(v, u7);
  const __m128d arc = _mm_set_pd(Atan(v[1]), Atan(v[0]));
  const __m128d a = TanhPair<kFused>(u);
  const __m128d b = _mm_mul_pd(_mm_set1_pd(0.05), TanhPair<kFused>(u2));
  const __m128d c = _mm_mul_pd(_mm_set1_pd(0.7), TanhPair<kFused>(u3));
  const __m128d d = _mm_mul_pd(_mm_set1_pd(0.6), arc);
  return _mm_add_pd(_mm_sub_pd(_mm_sub_pd(a, b), c), d);
}

// Pairs, then a lone last value in the low lane of a pair.
template <__m128d (*kPair)(__m128d)>
inline void RunPairs(double* v, int count)
{
  int j = 0;
  for (; j + 2 <= count; j += 2)
    _mm_storeu_pd(v + j, kPair(_mm_loadu_pd(v + j)));
  if (j < count)
    _mm_store_sd(v + j, kPair(_mm_load_sd(v + j)));
}

} // namespace
} // namespace iplug::tanh_pair
