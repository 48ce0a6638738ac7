#pragma once

namespace iplug {

// A left/right pair processed in one SIMD register. Each lane sees exactly
// the arithmetic of the scalar code, so a pair filter gives bit-identical
// results to two single-channel filters.
using StereoSample = double __attribute__((vector_size(16)));
using StereoFloat = float __attribute__((vector_size(8)));

// Single-precision counterpart of a sample type.
template <typename T>
struct NarrowType;
template <>
struct NarrowType<double>
{
  using type = float;
};
template <>
struct NarrowType<StereoSample>
{
  using type = StereoFloat;
};
template <typename T>
using Narrow_t = typename NarrowType<T>::type;

inline float Narrow(double x) { return static_cast<float>(x); }
inline StereoFloat Narrow(StereoSample x) { return __builtin_convertvector(x, StereoFloat); }
inline double Widen(float x) { return x; }
inline StereoSample Widen(StereoFloat x) { return __builtin_convertvector(x, StereoSample); }

} // namespace iplug
