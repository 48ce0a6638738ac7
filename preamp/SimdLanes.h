#pragma once

// Doubles in SIMD lanes, for the kernels that each instruction set builds
// from the same source (PreampKernels*.cpp). The width is a template
// parameter; the compiler maps the operations onto whatever the file is
// built for. Every operation works lane by lane, so a lane's result never
// depends on its neighbours.
//
// Internal linkage: the files that include this are built for different
// instruction sets, and their instantiations must not be merged.

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace iplug::simd {
namespace {

// The vector types of each width.
template <int kLanes>
struct VectorTypes;
template <>
struct VectorTypes<2>
{
  typedef double D __attribute__((vector_size(16)));
  typedef std::int64_t I __attribute__((vector_size(16)));
  typedef float F __attribute__((vector_size(8)));
  static D Splat(double x) { return D{x, x}; }
};
#if defined(__AVX__)
template <>
struct VectorTypes<4>
{
  typedef double D __attribute__((vector_size(32)));
  typedef std::int64_t I __attribute__((vector_size(32)));
  typedef float F __attribute__((vector_size(16)));
  static D Splat(double x) { return D{x, x, x, x}; }
};
#endif

template <int kLanes>
struct Lanes
{
  using D = typename VectorTypes<kLanes>::D;
  using I = typename VectorTypes<kLanes>::I;
  using F = typename VectorTypes<kLanes>::F; // the same lanes in single precision
  static constexpr int kCount = kLanes;

  static D Load(const double* p)
  {
    D v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  static void Store(double* p, D v) { std::memcpy(p, &v, sizeof v); }
  static D Splat(double x) { return VectorTypes<kLanes>::Splat(x); }
  // Each lane rounded to single precision and back.
  static D RoundToFloat(D v)
  {
#if defined(__AVX__)
    if constexpr (kLanes == 4)
      return _mm256_cvtps_pd(_mm256_cvtpd_ps(v));
#endif
#if defined(__SSE2__)
    if constexpr (kLanes == 2)
      return _mm_cvtps_pd(_mm_cvtpd_ps(v));
#endif
    return __builtin_convertvector(__builtin_convertvector(v, F), D);
  }

  // Bit patterns to masks and back; a mask lane is all ones or all zeros.
  static I Bits(D v) { return (I)v; }
  static D FromBits(I b) { return (D)b; }

  static D Select(I mask, D ifSet, D ifClear) { return FromBits((Bits(ifSet) & mask) | (Bits(ifClear) & ~mask)); }
  static D Abs(D v) { return FromBits(Bits(v) & INT64_MAX); }
  static D SignOf(D v) { return FromBits(Bits(v) & INT64_MIN); }
  static D FlipSign(D v, D sign) { return FromBits(Bits(v) ^ Bits(sign)); }
  static I IsNan(D v) { return (I)(v != v); }

  // a * b + c, fused where the file is built for FMA.
  static D MulAdd(D a, D b, D c)
  {
#if defined(__FMA__)
    if constexpr (kLanes == 4)
      return _mm256_fmadd_pd(a, b, c);
    else if constexpr (kLanes == 2)
      return _mm_fmadd_pd(a, b, c);
    else
#endif
      return a * b + c;
  }

  static bool All(I mask)
  {
#if defined(__AVX__)
    if constexpr (kLanes == 4)
      return _mm256_movemask_pd((__m256d)mask) == 0xF;
#endif
#if defined(__SSE2__)
    if constexpr (kLanes == 2)
      return _mm_movemask_pd((__m128d)mask) == 0x3;
#endif
    for (int i = 0; i < kLanes; ++i)
      if (mask[i] == 0)
        return false;
    return true;
  }
  static bool None(I mask)
  {
#if defined(__AVX__)
    if constexpr (kLanes == 4)
      return _mm256_movemask_pd((__m256d)mask) == 0;
#endif
#if defined(__SSE2__)
    if constexpr (kLanes == 2)
      return _mm_movemask_pd((__m128d)mask) == 0;
#endif
    for (int i = 0; i < kLanes; ++i)
      if (mask[i] != 0)
        return false;
    return true;
  }

  // Nearest whole number of a value below 2^51 in magnitude, ties to even:
  // adding and removing 1.5 * 2^52 leaves no fraction bits.
  static D RoundToWhole(D v)
  {
    const D magic = Splat(0x1.8p52);
    return (v + magic) - magic;
  }
  // 2^k for whole k in [-1022, 1023] given as a double.
  static D PowerOfTwo(D k)
  {
    const D magic = Splat(0x1.8p52);
    const I whole = Bits(k + magic) - Bits(magic);
    return FromBits((whole + 1023) << 52);
  }
  // The value of table[index[i]] in lane i.
  static D Gather(const double* table, I index)
  {
#if defined(__AVX2__)
    if constexpr (kLanes == 4)
      return _mm256_i64gather_pd(table, (__m256i)index, 8);
#endif
    D v;
    for (int i = 0; i < kLanes; ++i)
      v[i] = table[index[i]];
    return v;
  }
};

} // namespace
} // namespace iplug::simd
