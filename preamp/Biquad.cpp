#include "preamp/Biquad.h"

#include <cmath>
#include <numbers>

namespace iplug {

BiquadDesign::BiquadDesign(int type_, double Fc_, double Q_, double peakGainDB)
: type(type_)
, Fc(Fc_)
, Q(Q_)
, peakGain(peakGainDB)
{
  calcBiquad();
}

void BiquadDesign::setType(int type_)
{
  type = type_;
  calcBiquad();
}

void BiquadDesign::setQ(double Q_)
{
  Q = Q_;
  calcBiquad();
}

void BiquadDesign::setFc(double Fc_)
{
  Fc = Fc_;
  calcBiquad();
}

void BiquadDesign::setPeakGain(double peakGainDB)
{
  peakGain = peakGainDB;
  calcBiquad();
}

void BiquadDesign::setBiquad(int type_, double Fc_, double Q_, double peakGainDB)
{
  type = type_;
  Fc = Fc_;
  Q = Q_;
  peakGain = peakGainDB;
  calcBiquad();
}

void BiquadDesign::calcBiquad()
{
  const double V = std::pow(10.0, std::fabs(peakGain) / 20.0);
  const double K = std::tan(std::numbers::pi * Fc);
  const double KK = K * K;
  const double KQ = K / Q;
  const bool boost = peakGain >= 0.0;
  double norm;

  // The shelves use K/Q and V K/Q where the textbook form has sqrt(2) and
  // sqrt(2V): their slope follows Q.
  switch (type)
  {
    case kLowpass:
      norm = 1.0 / (1.0 + KQ + KK);
      a0 = KK * norm;
      a1 = 2.0 * a0;
      a2 = a0;
      b1 = 2.0 * (KK - 1.0) * norm;
      b2 = (1.0 - KQ + KK) * norm;
      break;
    case kHighpass:
      norm = 1.0 / (1.0 + KQ + KK);
      a0 = norm;
      a1 = -2.0 * a0;
      a2 = a0;
      b1 = 2.0 * (KK - 1.0) * norm;
      b2 = (1.0 - KQ + KK) * norm;
      break;
    case kBandpass:
      norm = 1.0 / (1.0 + KQ + KK);
      a0 = KQ * norm;
      a1 = 0.0;
      a2 = -a0;
      b1 = 2.0 * (KK - 1.0) * norm;
      b2 = (1.0 - KQ + KK) * norm;
      break;
    case kNotch:
      norm = 1.0 / (1.0 + KQ + KK);
      a0 = (1.0 + KK) * norm;
      a1 = 2.0 * (KK - 1.0) * norm;
      a2 = a0;
      b1 = a1;
      b2 = (1.0 - KQ + KK) * norm;
      break;
    case kPeak:
      if (boost)
      {
        norm = 1.0 / (1.0 + KQ + KK);
        a0 = (1.0 + V * KQ + KK) * norm;
        a1 = 2.0 * (KK - 1.0) * norm;
        a2 = (1.0 - V * KQ + KK) * norm;
        b1 = a1;
        b2 = (1.0 - KQ + KK) * norm;
      }
      else
      {
        norm = 1.0 / (1.0 + V * KQ + KK);
        a0 = (1.0 + KQ + KK) * norm;
        a1 = 2.0 * (KK - 1.0) * norm;
        a2 = (1.0 - KQ + KK) * norm;
        b1 = a1;
        b2 = (1.0 - V * KQ + KK) * norm;
      }
      break;
    case kLowshelf:
      if (boost)
      {
        norm = 1.0 / (1.0 + KQ + KK);
        a0 = (1.0 + V * KQ + V * KK) * norm;
        a1 = 2.0 * (V * KK - 1.0) * norm;
        a2 = (1.0 - V * KQ + V * KK) * norm;
        b1 = 2.0 * (KK - 1.0) * norm;
        b2 = (1.0 - KQ + KK) * norm;
      }
      else
      {
        norm = 1.0 / (1.0 + V * KQ + V * KK);
        a0 = (1.0 + KQ + KK) * norm;
        a1 = 2.0 * (KK - 1.0) * norm;
        a2 = (1.0 - KQ + KK) * norm;
        b1 = 2.0 * (V * KK - 1.0) * norm;
        b2 = (1.0 - V * KQ + V * KK) * norm;
      }
      break;
    case kHighshelf:
      if (boost)
      {
        norm = 1.0 / (1.0 + KQ + KK);
        a0 = (V + V * KQ + KK) * norm;
        a1 = 2.0 * (KK - V) * norm;
        a2 = (V - V * KQ + KK) * norm;
        b1 = 2.0 * (KK - 1.0) * norm;
        b2 = (1.0 - KQ + KK) * norm;
      }
      else
      {
        norm = 1.0 / (V + V * KQ + KK);
        a0 = (1.0 + KQ + KK) * norm;
        a1 = 2.0 * (KK - 1.0) * norm;
        a2 = (1.0 - KQ + KK) * norm;
        b1 = 2.0 * (KK - V) * norm;
        b2 = (V - V * KQ + KK) * norm;
      }
      break;
    default: break;
  }
}

} // namespace iplug
