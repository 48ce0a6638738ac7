#pragma once

// tanh of two doubles at once, giving the same bits as the C library's scalar
// tanh on x86-64 Linux. That tanh computes expm1 of 2|x| (|x| >= 1) or of
// -2|x| (|x| < 1) with the classic argument reduction by k ln 2 and a
// rational correction, then 1 - 2/(t + 2) or -t/(t + 2). Every step is plain
// IEEE arithmetic, so doing the same operations in the same order on both
// lanes gives the same results. A pair takes the narrowest path that covers
// both lanes; on it both lanes run every branch that can apply, and a mask
// on each lane's k picks the result.
//
// The library has two builds of it and picks one by CPU: one rounds every
// product, the other (on CPUs with FMA) fuses some products with the
// following addition. kFused selects which one to follow. A file that
// instantiates kFused = true must be compiled for FMA and with
// -ffp-contract=off, so that no other product is fused.
//
// Only for x86-64; the functions have internal linkage because the two
// instantiations live in files built with different instruction sets.

#include <emmintrin.h>
#include <immintrin.h>

namespace iplug::tanh_pair {
namespace {

// a * b + c
template <bool kFused>
[[gnu::always_inline]] inline __m128d MulAdd(__m128d a, __m128d b, __m128d c)
{
  if constexpr (kFused)
    return _mm_fmadd_pd(a, b, c);
  else
    return _mm_add_pd(_mm_mul_pd(a, b), c);
}

// a * b - c
template <bool kFused>
[[gnu::always_inline]] inline __m128d MulSub(__m128d a, __m128d b, __m128d c)
{
  if constexpr (kFused)
    return _mm_fmsub_pd(a, b, c);
  else
    return _mm_sub_pd(_mm_mul_pd(a, b), c);
}

// c - a * b
template <bool kFused>
[[gnu::always_inline]] inline __m128d NegMulAdd(__m128d a, __m128d b, __m128d c)
{
  if constexpr (kFused)
    return _mm_fnmadd_pd(a, b, c);
  else
    return _mm_sub_pd(c, _mm_mul_pd(a, b));
}

[[gnu::always_inline]] inline __m128d Select(__m128d mask, __m128d ifSet, __m128d ifClear)
{
  return _mm_or_pd(_mm_and_pd(mask, ifSet), _mm_andnot_pd(mask, ifClear));
}

[[gnu::always_inline]] inline __m128d Bits(long long bits) { return _mm_castsi128_pd(_mm_set1_epi64x(bits)); }

// 2^k for small whole k given as int32 in the two low lanes.
[[gnu::always_inline]] inline __m128d PowerOfTwo(__m128i k)
{
  const __m128i biased = _mm_add_epi32(k, _mm_set1_epi32(1023));
  return _mm_castsi128_pd(_mm_slli_epi64(_mm_unpacklo_epi32(biased, _mm_setzero_si128()), 52));
}

// Which values of k = round(a / ln 2) a pair of expm1 arguments can have,
// so that a path leaves out what cannot apply to either lane.
enum class Range
{
  kUnreduced, // |a| <= 0.5 ln 2: k = 0, no reduction
  kNegative,  // a in (-2, 0): k in {0, -1, -2, -3}
  kPositive,  // a in [2, 44): k in [3, 63]
  kMixed      // either of the two
};

// expm1(a) for a in (-2, 0) or [2, 44): the only arguments tanh passes for
// |x| in [2^-55, 22), so the library's branches for k = 1 and for large |a|
// never run.
template <bool kFused, Range kRange>
[[gnu::always_inline]] inline __m128d Expm1(__m128d a)
{
  const __m128d one = _mm_set1_pd(1.0);

  // Reduce a = k ln 2 + r + c unless |a| <= 0.5 ln 2 (judged on the high
  // word, hence the bit pattern). k rounds half away from zero.
  __m128d r = a, c = _mm_setzero_pd(), k = _mm_setzero_pd();
  __m128i kInt = _mm_setzero_si128();
  if constexpr (kRange != Range::kUnreduced)
  {
    const __m128d signBit = _mm_set1_pd(-0.0);
    const __m128d half = _mm_or_pd(_mm_set1_pd(0.5), _mm_and_pd(a, signBit));
    const __m128d invLn2 = _mm_set1_pd(1.44269504088896338700e+00);
    k = _mm_cvtepi32_pd(_mm_cvttpd_epi32(MulAdd<kFused>(invLn2, a, half)));
    if constexpr (kRange != Range::kPositive)
      k = _mm_and_pd(_mm_cmpge_pd(_mm_andnot_pd(signBit, a), Bits(0x3fd62e4300000000)), k);
    kInt = _mm_cvttpd_epi32(k);
    const __m128d hi = NegMulAdd<kFused>(k, _mm_set1_pd(6.93147180369123816490e-01), a);
    const __m128d lo = _mm_mul_pd(k, _mm_set1_pd(1.90821492927058770002e-10));
    r = _mm_sub_pd(hi, lo);
    c = _mm_sub_pd(_mm_sub_pd(hi, r), lo);
  }

  // Rational correction on the reduced argument.
  const __m128d hfx = _mm_mul_pd(_mm_set1_pd(0.5), r);
  const __m128d hxs = _mm_mul_pd(r, hfx);
  const __m128d R1 = MulAdd<kFused>(hxs, _mm_set1_pd(-3.33333333333331316428e-02), one);
  const __m128d h2 = _mm_mul_pd(hxs, hxs);
  const __m128d R2 =
    MulAdd<kFused>(hxs, _mm_set1_pd(-7.93650757867487942473e-05), _mm_set1_pd(1.58730158725481460165e-03));
  const __m128d h4 = _mm_mul_pd(h2, h2);
  const __m128d R3 =
    MulAdd<kFused>(hxs, _mm_set1_pd(-2.01099218183624371326e-07), _mm_set1_pd(4.00821782732936239552e-06));
  const __m128d r1 = MulAdd<kFused>(h4, R3, MulAdd<kFused>(h2, R2, R1));
  const __m128d t = NegMulAdd<kFused>(r1, hfx, _mm_set1_pd(3.0));
  const __m128d e = _mm_mul_pd(hxs, _mm_div_pd(_mm_sub_pd(r1, t), NegMulAdd<kFused>(r, t, _mm_set1_pd(6.0))));

  // k = 0: no scaling.
  const __m128d y0 = _mm_sub_pd(r, MulSub<kFused>(r, e, hxs));
  if constexpr (kRange == Range::kUnreduced)
    return y0;

  // k != 0: fold c back in, then scale by 2^k in the form that keeps the
  // most bits for that k.
  const __m128d ek = _mm_sub_pd(MulSub<kFused>(r, _mm_sub_pd(e, c), c), hxs);
  const __m128d twoPowK = PowerOfTwo(kInt);
  const __m128d d = _mm_sub_pd(ek, r);
  __m128d y = MulSub<kFused>(_mm_sub_pd(one, d), twoPowK, one); // k <= -2, k > 56
  if constexpr (kRange != Range::kNegative)
  {
    const __m128d twoPowMinusK = PowerOfTwo(_mm_sub_epi32(_mm_setzero_si128(), kInt));
    const __m128d ySmall = _mm_mul_pd(_mm_sub_pd(_mm_sub_pd(one, twoPowMinusK), d), twoPowK);
    const __m128d yLarge = _mm_mul_pd(_mm_add_pd(_mm_sub_pd(r, _mm_add_pd(ek, twoPowMinusK)), one), twoPowK);
    const __m128d k20 = _mm_set1_pd(20.0);
    y = Select(_mm_and_pd(_mm_cmpge_pd(k, k20), _mm_cmple_pd(k, _mm_set1_pd(56.0))), yLarge, y);
    y = Select(_mm_and_pd(_mm_cmpge_pd(k, _mm_set1_pd(2.0)), _mm_cmplt_pd(k, k20)), ySmall, y);
  }
  if constexpr (kRange != Range::kPositive)
  {
    const __m128d yMinus1 = MulSub<kFused>(_mm_set1_pd(0.5), _mm_sub_pd(r, ek), _mm_set1_pd(0.5));
    y = Select(_mm_cmpeq_pd(k, _mm_set1_pd(-1.0)), yMinus1, y);
    y = Select(_mm_cmpeq_pd(k, _mm_setzero_pd()), y0, y);
  }
  return y;
}

// tanh(|x|) for |x| in [2^-55, 22): t = expm1(-2|x|), z = -t/(t + 2) below
// 1; t = expm1(2|x|), z = 1 - 2/(t + 2) from 1 on.
template <bool kFused, Range kRange>
[[gnu::always_inline]] inline __m128d TanhOfMagnitude(__m128d ax)
{
  const __m128d two = _mm_set1_pd(2.0);
  const __m128d signBit = _mm_set1_pd(-0.0);
  if constexpr (kRange == Range::kUnreduced || kRange == Range::kNegative)
  {
    const __m128d t = Expm1<kFused, kRange>(_mm_mul_pd(_mm_set1_pd(-2.0), ax));
    return _mm_div_pd(_mm_xor_pd(t, signBit), _mm_add_pd(t, two));
  }
  else if constexpr (kRange == Range::kPositive)
  {
    const __m128d t = Expm1<kFused, kRange>(_mm_mul_pd(two, ax));
    return _mm_sub_pd(_mm_set1_pd(1.0), _mm_div_pd(two, _mm_add_pd(t, two)));
  }
  else
  {
    const __m128d big = _mm_cmpge_pd(ax, _mm_set1_pd(1.0));
    const __m128d t = Expm1<kFused, kRange>(_mm_xor_pd(_mm_mul_pd(two, ax), _mm_andnot_pd(big, signBit)));
    const __m128d q = _mm_div_pd(Select(big, two, _mm_xor_pd(t, signBit)), _mm_add_pd(t, two));
    return Select(big, _mm_sub_pd(_mm_set1_pd(1.0), q), q);
  }
}

// The sign of x goes on last; |x| >= 22 (and infinity) gives 1; below
// 2^-55 (zero and subnormals included) the result is x (1 + x), which is x.
[[gnu::always_inline]] inline __m128d Finish(__m128d x, __m128d ax, __m128d z)
{
  z = Select(_mm_cmpge_pd(ax, _mm_set1_pd(22.0)), _mm_set1_pd(1.0), z);
  z = _mm_xor_pd(z, _mm_and_pd(x, _mm_set1_pd(-0.0)));
  const __m128d tiny = _mm_cmplt_pd(ax, Bits(0x3c80000000000000));
  return Select(tiny, _mm_mul_pd(x, _mm_add_pd(_mm_set1_pd(1.0), x)), z);
}

// Picks the narrowest path both lanes fit. Audio at a steady drive mostly
// stays on one of them, so the branches are well predicted.
template <bool kFused>
[[gnu::always_inline]] inline __m128d TanhPair(__m128d x)
{
  const __m128d ax = _mm_andnot_pd(_mm_set1_pd(-0.0), x);
  // Up to here 2|x| <= 0.5 ln 2 by the high word: no reduction.
  const int unreduced = _mm_movemask_pd(_mm_cmplt_pd(ax, Bits(0x3fc62e4300000000)));
  const int belowOne = _mm_movemask_pd(_mm_cmplt_pd(ax, _mm_set1_pd(1.0)));
  const int saturated = _mm_movemask_pd(_mm_cmpge_pd(ax, _mm_set1_pd(22.0)));
  __m128d z;
  if (unreduced == 3)
    z = TanhOfMagnitude<kFused, Range::kUnreduced>(ax);
  else if (belowOne == 3)
    z = TanhOfMagnitude<kFused, Range::kNegative>(ax);
  else if (saturated == 3)
    z = _mm_set1_pd(1.0);
  else if (belowOne == 0)
    z = TanhOfMagnitude<kFused, Range::kPositive>(ax);
  else
    z = TanhOfMagnitude<kFused, Range::kMixed>(ax);
  return Finish(x, ax, z);
}

} // namespace
} // namespace iplug::tanh_pair
