#pragma once

#include "preamp/StereoSample.h"

namespace iplug {

// Settings and coefficients of a second-order section with seven response
// types. Changing a setting recomputes the coefficients.
struct BiquadDesign
{
  enum Type
  {
    kLowpass = 0,
    kHighpass,
    kBandpass,
    kNotch,
    kPeak,
    kLowshelf,
    kHighshelf
  };

  int type = kLowpass;
  double a0 = 1.0, a1 = 0.0, a2 = 0.0;
  double b1 = 0.0, b2 = 0.0;
  double Fc = 0.5; // cut-off or centre, as a fraction of the sample rate
  double Q = 0.707;
  double peakGain = 0.0; // dB, for the peak and shelf types

  BiquadDesign() = default;
  BiquadDesign(int type, double Fc, double Q, double peakGainDB);

  void setType(int type);
  void setQ(double Q);
  void setFc(double Fc);
  void setPeakGain(double peakGainDB);
  void setBiquad(int type, double Fc, double Q, double peakGainDB);

  // Recomputes the coefficients from type, Fc, Q and peakGain; an unknown
  // type leaves them as they are.
  void calcBiquad();
};

// The section in transposed direct form II. Samples go in and come out in
// single precision; the arithmetic and the state are double. Settings keep
// the state, so a section can be re-set every block without a click.
// S is double for one channel or StereoSample for a left/right pair that
// shares one design.
template <typename S>
struct BasicBiquad : BiquadDesign
{
  S z1{}, z2{};

  using BiquadDesign::BiquadDesign;

  Narrow_t<S> process(Narrow_t<S> in) { return Step(*this, z1, z2, in); }

  // One sample through coefficients c (anything with a0, a1, a2, b1, b2) and
  // the state z1, z2, which a caller may hold in locals.
  template <typename C>
  static Narrow_t<S> Step(const C& c, S& z1, S& z2, Narrow_t<S> in)
  {
    const S x = Widen(in);
    const S out = x * c.a0 + z1;
    z1 = x * c.a1 + z2 - c.b1 * out;
    z2 = x * c.a2 - c.b2 * out;
    return Narrow(out);
  }
};

using Biquad = BasicBiquad<double>;

} // namespace iplug
