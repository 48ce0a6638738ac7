#pragma once

// tanh, atan and the two saturation curves over SIMD lanes, within two
// units in the last place of the correctly rounded results. Each lane's
// result depends on that lane alone: a vector whose lanes all fall in one
// range skips the work of the others, and every range computes its lanes
// exactly as the general path does. Non-finite arguments give what the C
// library gives (NaN stays NaN).
//
// Internal linkage, as in SimdLanes.h.

#include "preamp/SimdLanes.h"

namespace iplug::simd {
namespace {

// c[0] + c[1] x + ... + c[N-1] x^(N-1) by Estrin's scheme: pairs of terms,
// then pairs of pairs, so the additions form a tree instead of one long
// chain (the polynomials here are short, so the rounding stays well within
// their last term).
template <class L, int kFirst, int kCount, int N>
[[gnu::always_inline]] inline typename L::D EstrinPart(const double (&c)[N], typename L::D x,
                                                       const typename L::D* powers)
{
  if constexpr (kCount == 1)
    return L::Splat(c[kFirst]);
  else
  {
    // The lower half has the largest power of two terms below kCount.
    constexpr int kLevel = kCount > 8 ? 3 : kCount > 4 ? 2 : kCount > 2 ? 1 : 0;
    constexpr int kLower = 1 << kLevel;
    const typename L::D low = EstrinPart<L, kFirst, kLower>(c, x, powers);
    const typename L::D high = EstrinPart<L, kFirst + kLower, kCount - kLower>(c, x, powers);
    return L::MulAdd(high, powers[kLevel], low);
  }
}

template <class L, int N>
[[gnu::always_inline]] inline typename L::D Estrin(const double (&c)[N], typename L::D x)
{
  const typename L::D x2 = x * x;
  const typename L::D x4 = x2 * x2;
  const typename L::D powers[4] = {x, x2, x4, x4 * x4};
  return EstrinPart<L, 0, N>(c, x, powers);
}

// expm1(r) for |r| <= ln2 / 2: r + r^2 (1/2! + r/3! + ... + r^11/13!). The
// next term is below 0.2 ulp; the leading r is exact, so small r keeps its
// full precision.
template <class L>
[[gnu::always_inline]] inline typename L::D Expm1Reduced(typename L::D r)
{
  constexpr double c[12] = {1.0 / 2.0,       1.0 / 6.0,        1.0 / 24.0,        1.0 / 120.0,
                            1.0 / 720.0,     1.0 / 5040.0,     1.0 / 40320.0,     1.0 / 362880.0,
                            1.0 / 3628800.0, 1.0 / 39916800.0, 1.0 / 479001600.0, 1.0 / 6227020800.0};
  return L::MulAdd(r * r, Estrin<L>(c, r), r);
}

// |x| below this is its own tanh; above the other limit tanh is 1.
constexpr double kTanhTiny = 0x1p-28;
constexpr double kTanhSaturated = 22.0;
// Below this tanh is its odd series.
constexpr double kTanhSeries = 0.25;

// tanh |x| for |x| < 1/4: |x| + |x|^3 (-1/3 + 2/15 x^2 - ... + c21 x^18), the
// series to x^21, whose next term is below 3e-18 of the result. The leading
// term is exact, so the result is within a little more than half an ulp.
template <class L>
[[gnu::always_inline]] inline typename L::D TanhSeries(typename L::D ax)
{
  constexpr double c[10] = {-1.0 / 3.0,
                            2.0 / 15.0,
                            -17.0 / 315.0,
                            62.0 / 2835.0,
                            -1382.0 / 155925.0,
                            21844.0 / 6081075.0,
                            -929569.0 / 638512875.0,
                            6404582.0 / 10854718875.0,
                            -443861162.0 / 1856156927625.0,
                            18888466084.0 / 194896477400625.0};
  const typename L::D s = ax * ax;
  return L::MulAdd(ax * s, Estrin<L>(c, s), ax);
}

// tanh |x| for 1/4 <= |x| <= 22 through t = expm1(a), a = -2|x| below 1 and
// 2|x| from 1 on: tanh |x| = -t / (t + 2) or 1 - 2 / (t + 2). With
// a = k ln2 + r and t = 2^k expm1(r) + (2^k - 1), the numerator and the
// denominator each take one rounding: 2^k expm1(r) is exact, and so are
// 1 - 2^k and 2^k + 1 for the k that occur.
template <class L>
[[gnu::always_inline]] inline typename L::D TanhByExpm1(typename L::D ax)
{
  using D = typename L::D;
  using I = typename L::I;
  const D one = L::Splat(1.0), two = L::Splat(2.0);
  const I big = (I)(ax >= one);
  const D a = L::Select(big, two * ax, -two * ax);
  const D k = L::RoundToWhole(a * L::Splat(0x1.71547652b82fep0)); // 1 / ln2
  // ln2 in two parts; k times the first is exact.
  const D hi = a - k * L::Splat(0x1.62e42feep-1);
  const D r = L::MulAdd(-k, L::Splat(0x1.a39ef35793c76p-33), hi);
  const D p = Expm1Reduced<L>(r);
  const D scale = L::PowerOfTwo(k);
  const D den = L::MulAdd(scale, p, scale + one);
  const D num = L::Select(big, two, L::MulAdd(-scale, p, one - scale));
  const D q = num / den;
  return L::Select(big, one - q, q);
}

template <class L>
[[gnu::always_inline]] inline typename L::D Tanh(typename L::D x)
{
  using D = typename L::D;
  using I = typename L::I;
  const D ax = L::Abs(x);
  const I tiny = (I)(ax < L::Splat(kTanhTiny));
  if (L::All(tiny))
    return x;
  // Tiny lanes are replaced at the end; lifting them keeps the arithmetic
  // out of subnormal numbers.
  const D lifted = L::Select(tiny, L::Splat(kTanhTiny), ax);
  const I series = (I)(lifted < L::Splat(kTanhSeries));

  D z;
  if (L::All(series))
    z = TanhSeries<L>(lifted);
  else if (L::All((I)(ax >= L::Splat(kTanhSaturated))))
    z = L::Splat(1.0);
  else
  {
    // Past 22 the result rounds to 1, so the argument is held there (NaN
    // stays NaN).
    const D limit = L::Splat(kTanhSaturated);
    const D clamped = L::Select((I)(lifted > limit), limit, lifted);
    z = TanhByExpm1<L>(L::Select(series, L::Splat(kTanhSeries), clamped));
    if (!L::None(series))
      z = L::Select(series, TanhSeries<L>(L::Select(series, lifted, L::Splat(kTanhSeries))), z);
  }
  return L::Select(tiny, x, L::FlipSign(z, L::SignOf(x)));
}

// atan(v): |v| is brought within tan(pi/32) of one of c_j = tan(j pi / 16)
// (j = 0..7) or of infinity (j = 8), atan |v| = atan(c_j) + atan(t) with
// t = (|v| - c_j) / (1 + |v| c_j), or pi/2 + atan(-1 / |v|), and atan(t)
// is a short odd series in t.
struct AtanTable
{
  // Where |v| moves to the next j: tan((j - 1/2) pi / 16).
  static constexpr double kFrom[8] = {0x1.936bb8c5b2da2p-4, 0x1.36a08355c63dcp-2, 0x1.11ab7190834ecp-1,
                                      0x1.a43002ae42850p-1, 0x1.37efd8d87607ep+0, 0x1.def13b73c1406p+0,
                                      0x1.a5f59e90600ddp+1, 0x1.44e6c595afdccp+3};
  static constexpr double kC[9] = {0.0, 0x1.975f5e0553158p-3, 0x1.a827999fcef32p-2, 0x1.561b82ab7f990p-1,
                                   1.0, 0x1.7f218e25a7461p+0, 0x1.3504f333f9de6p+1, 0x1.41bfee2424771p+2,
                                   0.0};
  // atan(c_j) in two parts (j = 8: pi/2).
  static constexpr double kHi[9] = {0.0,
                                    0x1.921fb54442d18p-3,
                                    0x1.921fb54442d18p-2,
                                    0x1.2d97c7f3321d2p-1,
                                    0x1.921fb54442d18p-1,
                                    0x1.f6a7a2955385ep-1,
                                    0x1.2d97c7f3321d2p+0,
                                    0x1.5fdbbe9bba775p+0,
                                    0x1.921fb54442d18p+0};
  static constexpr double kLo[9] = {0.0,
                                    0x1.f93470dfef04ap-58,
                                    0x1.c398861b78b55p-59,
                                    -0x1.8f57cafebcf16p-58,
                                    0x1.1a62633145c07p-55,
                                    0x1.34dfa5661a3cbp-56,
                                    0x1.fc774dbe287a0p-56,
                                    0x1.e3cdb040ef2b3p-55,
                                    0x1.1a62633145c07p-54};
};

// Below this |v| is its own atan.
constexpr double kAtanTiny = 0x1p-27;

// atan(t) - t for |t| <= tan(pi/32): t s (-1/3 + s/5 - ... - s^6/15), s = t^2;
// the first term left out is below 5e-18 of t.
template <class L>
[[gnu::always_inline]] inline typename L::D AtanSeriesTail(typename L::D t)
{
  using D = typename L::D;
  constexpr double c[7] = {-1.0 / 3.0, 1.0 / 5.0, -1.0 / 7.0, 1.0 / 9.0, -1.0 / 11.0, 1.0 / 13.0, -1.0 / 15.0};
  const D s = t * t;
  return (t * s) * Estrin<L>(c, s);
}

template <class L>
[[gnu::always_inline]] inline typename L::D Atan(typename L::D v)
{
  using D = typename L::D;
  using I = typename L::I;
  const D av = L::Abs(v);
  const I tiny = (I)(av < L::Splat(kAtanTiny));
  if (L::All(tiny))
    return v;
  const D lifted = L::Select(tiny, L::Splat(kAtanTiny), av);

  D z;
  if (L::All((I)(lifted < L::Splat(AtanTable::kFrom[0]))))
  {
    // j = 0: t = |v|.
    z = lifted + AtanSeriesTail<L>(lifted);
  }
  else if (L::All((I)(lifted >= L::Splat(AtanTable::kFrom[7]))))
  {
    // j = 8: pi/2 + atan(-1 / |v|).
    const D t = L::Splat(-1.0) / lifted;
    z = L::Splat(AtanTable::kHi[8]) + (t + (L::Splat(AtanTable::kLo[8]) + AtanSeriesTail<L>(t)));
  }
  else
  {
    I j = I{};
#pragma GCC unroll 8
    for (double from : AtanTable::kFrom)
      j -= (I)(lifted >= L::Splat(from)); // a set mask lane is -1
    const I last = (I)(j == 8);
    const D c = L::Gather(AtanTable::kC, j);
    const D num = L::Select(last, L::Splat(-1.0), lifted - c);
    const D den = L::Select(last, lifted, L::MulAdd(lifted, c, L::Splat(1.0)));
    const D t = num / den;
    z = L::Gather(AtanTable::kHi, j) + (t + (L::Gather(AtanTable::kLo, j) + AtanSeriesTail<L>(t)));
  }
  return L::Select(tiny, v, L::FlipSign(z, L::SignOf(v)));
}

// Below this a curve is its power series in u: the series of its tanh and
// atan terms gathered by power (exact rationals, rounded once), to where
// what is left out falls below 2e-18 of the result. One series in u^2 for
// the odd powers and one for the even ones replace three or four.
constexpr double kCurveSeries = 0.25;

// u + u^3 (c3 + c5 u^2 + ... + c21 u^18) + u^4 (c4 + c12 u^8 + c20 u^16).
template <class L>
[[gnu::always_inline]] inline typename L::D LineSeries(typename L::D u)
{
  constexpr double odd[10] = {
    -0x1.bbbbbbbbbbbbcp-2, 0x1.1111111111111p-3,  -0x1.ba1ba1ba1ba1cp-5, 0x1.c438b5527198ep-5,   -0x1.226e355e6c23dp-7,
    0x1.d6d3d0e157de0p-9,  -0x1.e49c87d8d8a0bp-7, 0x1.3558248036744p-11, -0x1.f57d7734d1664p-13, 0x1.6809acf7a213cp-8};
  constexpr double even[3] = {0x1.3333333333333p-1, -0x1.9999999999999p-3, 0x1.47ae147ae147bp-4};
  const typename L::D s = u * u, u4 = s * s;
  return L::MulAdd(u4, Estrin<L>(even, u4 * u4), L::MulAdd(u * s, Estrin<L>(odd, s), u));
}

// u + u^3 (c3 + c5 u^2 + ... + c21 u^18) + u^2 (c2 + c6 u^4 + ... + c26 u^24).
template <class L>
[[gnu::always_inline]] inline typename L::D MicSeries(typename L::D u)
{
  constexpr double odd[10] = {
    -0x1.0888888888888p+0, 0x1.1111111111111p-3,  0x1.1791791791791p-1,  0x1.0553e3771affep-2,   -0x1.226e355e6c23dp-7,
    0x1.d6d3d0e157de0p-9,  -0x1.8441a575fc5bcp-4, 0x1.3558248036744p-11, -0x1.f57d7734d1664p-13, -0x1.4c085a55f1fd8p-3};
  constexpr double even[7] = {-0x1.999999999999ap-5, 0x1.1111111111111p-6,   -0x1.b4e81b4e81b4fp-8,
                              0x1.61afb494e2e7dp-9,  -0x1.1ea5d39bcda62p-10, 0x1.d0b05563e0395p-12,
                              -0x1.78a973e7797e7p-13};
  const typename L::D s = u * u;
  return L::MulAdd(s, Estrin<L>(even, s * s), L::MulAdd(u * s, Estrin<L>(odd, s), u));
}

// A curve over lanes: its series where |u| < 1/4, else its terms with the
// powers and the sums in the order of SaturationCurves.h.
template <class L, typename L::D (*kSeries)(typename L::D), typename L::D (*kTerms)(typename L::D)>
[[gnu::always_inline]] inline typename L::D Curve(typename L::D u)
{
  using D = typename L::D;
  using I = typename L::I;
  const I series = (I)(L::Abs(u) < L::Splat(kCurveSeries));
  if (L::All(series))
    return kSeries(u);
  const D terms = kTerms(L::Select(series, L::Splat(kCurveSeries), u));
  return L::None(series) ? terms : L::Select(series, kSeries(L::Select(series, u, D{})), terms);
}

template <class L>
[[gnu::always_inline]] inline typename L::D MicTerms(typename L::D u)
{
  using D = typename L::D;
  const D u2 = u * u;
  const D u3 = u2 * u;
  const D u7 = u3 * u * u * u * u;
  return Tanh<L>(u) - L::Splat(0.05) * Tanh<L>(u2) - L::Splat(0.7) * Tanh<L>(u3) + L::Splat(0.6) * Atan<L>(u7);
}

template <class L>
[[gnu::always_inline]] inline typename L::D LineTerms(typename L::D u)
{
  using D = typename L::D;
  const D u3 = u * u * u;
  const D u4 = u3 * u;
  return Tanh<L>(u) - L::Splat(0.1) * Tanh<L>(u3) + L::Splat(0.6) * Tanh<L>(u4);
}

// The saturation curves of SaturationCurves.h.
template <class L>
[[gnu::always_inline]] inline typename L::D MicCurve(typename L::D u)
{
  return Curve<L, MicSeries<L>, MicTerms<L>>(u);
}

template <class L>
[[gnu::always_inline]] inline typename L::D LineCurve(typename L::D u)
{
  return Curve<L, LineSeries<L>, LineTerms<L>>(u);
}

} // namespace
} // namespace iplug::simd
