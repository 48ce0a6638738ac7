#pragma once
// The preamp chain written out the plain way, one step after the other, with
// delay lines that shift by copying and sums taken in tap order. The engine
// must follow it sample by sample; the benchmark runs it beside the engine.

#include "preamp/Biquad.h"
#include "preamp/HPF73.h"
#include "preamp/LPF73.h"
#include "preamp/OSAA.h"
#include "preamp/OSEQ.h"
#include "preamp/Smoother.h"

#include <cmath>
#include <numbers>

namespace corvane_test {

using iplug::Biquad;
using iplug::HPF73;
using iplug::LPF73;
using iplug::Smoother;

struct PlainOSAA
{
  double offset = 1e-15;
  double line[129] = {};

  double process(double x)
  {
    offset = -offset;
    for (int k = 128; k >= 1; --k)
      line[k] = line[k - 1];
    line[0] = x + offset;
    double y = 0.0;
    for (int k = 0; k < 64; ++k)
      y += iplug::OSAA::coef(k) * (line[k] + line[128 - k]);
    y += 0.5 * line[64];
    return y - offset;
  }
  void clear()
  {
    for (double& v : line)
      v = 0.0;
  }
};

struct PlainOSEQ
{
  double line[65] = {};

  double process(double first, double second)
  {
    for (int k = 64; k >= 2; --k)
      line[k] = line[k - 2];
    line[1] = first;
    line[0] = second;
    double y = 0.5 * line[33];
    for (int m = 1; m <= 16; ++m)
      y += iplug::OSEQ::coef(2 * m - 1) * (line[2 * m] + line[66 - 2 * m]);
    return 2.0 * y;
  }
  void clear()
  {
    for (double& v : line)
      v = 0.0;
  }
};

class ReferenceChain
{
public:
  // Settings
  int gainFactor = 10;
  double outputGain = 1.0;
  double hpfPosition = 0.0;
  double lpfPosition = 1.0;
  int lpfLatency = 0;
  int filterOn = 0;
  int preampOn = 1;
  int micPre = 0;
  int phaseInvert = 0;
  int oversampling = 0;
  int osLatency = 0;

  Smoother driveSmoother, outputSmoother, gainSmoother, lpfSmoother, hpfSmoother;
  double denormalOffset = 1e-15;
  double fs = 44100.0;
  int latency = 0; // what the host was last told

  PlainOSAA upL, downL, upR, downR;
  PlainOSEQ decL, decR;
  LPF73 lpfL, lpfR;
  HPF73 hpfL, hpfR, subL, subR;
  Biquad bandL, bandR, preLowL, preLowR, postLowL, postLowR, prePeakL, prePeakR, postPeakL, postPeakR, preHighL,
    preHighR, postHighL, postHighR;

  void OnParamChange(int idx, double value)
  {
    const int v = static_cast<int>(value);
    static const int gains[] = {1, 1, 3, 5, 10, 17, 31, 56, 100, 177, 316, 562, 1000};
    static const double hp[] = {0.0, 0.6, 0.75, 0.9, 0.95};
    static const double lp[] = {1.0, 0.9992, 0.9943, 0.988, 0.97};
    switch (idx)
    {
      case 0: gainFactor = gains[v]; break;
      case 1: outputGain = std::pow(10.0, value / 20.0); break;
      case 2: hpfPosition = hp[v]; break;
      case 3:
        lpfPosition = lp[v];
        lpfLatency = v == 0 ? 0 : 17;
        break;
      case 4: filterOn = v; break;
      case 5: preampOn = v; break;
      case 6: micPre = v; break;
      case 7: phaseInvert = v; break;
      case 8:
        oversampling = v == 1 ? 2 : 0;
        osLatency = v == 1 ? 64 : 0;
        break;
    }
  }

  void OnReset()
  {
    upL.clear();
    downL.clear();
    upR.clear();
    downR.clear();
    decL.clear();
    decR.clear();
    driveSmoother.z = 0.01;
    outputSmoother.z = outputGain;
    gainSmoother.z = gainFactor;
    hpfSmoother.z = hpfPosition;
    lpfSmoother.z = lpfPosition;
  }

  static double Sat(int mic, double u)
  {
    if (mic == 1)
      return std::tanh(u) - 0.05 * std::tanh(u * u) - 0.7 * std::tanh(u * u * u) +
             0.6 * std::atan(u * u * u * u * u * u * u);
    return std::tanh(u) - 0.1 * std::tanh(u * u * u) + 0.6 * std::tanh(u * u * u * u);
  }

  void Stage(double k, double D, double& sL, double& sR)
  {
    const double G1 = gainSmoother.Process(gainFactor);
    const double uL = k * sL * D * G1;
    const double fL = Sat(micPre, uL);
    const double G2 = gainSmoother.Process(gainFactor);
    sL = fL / G2 / D;
    const double G3 = gainSmoother.Process(gainFactor);
    const double uR = k * sR * D * G3;
    const double fR = Sat(micPre, uR);
    const double G4 = gainSmoother.Process(gainFactor);
    sR = fR / G4 / D;
  }

  static float Run(Biquad& b, float x) { return b.process(x); }

  void ProcessBlock(double** inputs, double** outputs, int nFrames)
  {
    const double a = std::exp(-2.0 * std::numbers::pi / (0.001 * fs));
    for (Smoother* s : {&driveSmoother, &outputSmoother, &gainSmoother, &lpfSmoother, &hpfSmoother})
    {
      s->a = a;
      s->b = 1.0 - a;
    }
    lpfL.Calc(2 * fs, lpfSmoother.Process(lpfPosition));
    lpfR.Calc(2 * fs, lpfSmoother.Process(lpfPosition));
    hpfL.Calc(2 * fs, hpfSmoother.Process(hpfPosition));
    hpfR.Calc(2 * fs, hpfSmoother.Process(hpfPosition));
    subL.Calc(2 * fs, 0.0);
    subR.Calc(2 * fs, 0.0);
    bandL.setBiquad(2, 5000 / fs, 0.0004, 0);
    bandR.setBiquad(2, 5000 / fs, 0.0004, 0);
    preLowL.setBiquad(5, 100 / fs, 0.8, -3.0);
    preLowR.setBiquad(5, 100 / fs, 0.8, -3.0);
    postLowL.setBiquad(5, 110 / fs, 0.8, 3.1);
    postLowR.setBiquad(5, 110 / fs, 0.8, 3.1);
    prePeakL.setBiquad(4, 850 / fs, 0.28, 2.0);
    prePeakR.setBiquad(4, 850 / fs, 0.28, 2.0);
    postPeakL.setBiquad(4, 830 / fs, 0.28, -1.7);
    postPeakR.setBiquad(4, 830 / fs, 0.28, -1.7);
    preHighL.setBiquad(6, 4030 / fs, 0.28, -1.5);
    preHighR.setBiquad(6, 4030 / fs, 0.28, -1.5);
    postHighL.setBiquad(6, 4000 / fs, 0.28, 1.7);
    postHighR.setBiquad(6, 4000 / fs, 0.28, 1.7);

    for (int i = 0; i < nFrames; ++i)
    {
      const double D = driveSmoother.Process(0.01);
      const double d = denormalOffset;
      denormalOffset = -d;

      const double eL = Run(preHighL, Run(prePeakL, Run(preLowL, float(inputs[0][i] - d))));
      const double eR = Run(preHighR, Run(prePeakR, Run(preLowR, float(inputs[1][i] - d))));

      double wL = 0, wR = 0;
      if (oversampling == 2)
      {
        double sL = eL, sR = eR;
        for (int j = 0; j < 2; ++j)
        {
          if (j == 1)
            sL = sR = 0.0;
          sL = upL.process(sL);
          sR = upR.process(sR);
          Stage(2.0, D, sL, sR);
          sL = downL.process(sL);
          sR = downR.process(sR);
          if (j == 0)
          {
            wL = sL;
            wR = sR;
          }
        }
      }
      double bL = eL, bR = eR;
      Stage(1.0, D, bL, bR);
      const double pL = oversampling == 2 ? wL : bL;
      const double pR = oversampling == 2 ? wR : bR;

      const double selL = preampOn == 1 ? pL : eL;
      const double selR = preampOn == 1 ? pR : eR;
      const double phL = phaseInvert == 1 ? -selL : selL;
      const double phR = phaseInvert == 1 ? -selR : selR;
      const double fL = filterOn == 1 ? phL : subL.Process(phL);
      const double fR = filterOn == 1 ? phR : subR.Process(phR);
      const double hL = hpfL.Process(fL);
      const double hR = hpfR.Process(fR);
      double lL = hL, lR = hR;
      if (lpfPosition != 1.0)
      {
        double a1 = lpfL.Process(hL);
        double b1 = lpfL.Process(0.0);
        lL = decL.process(a1, b1);
        a1 = lpfR.Process(hR);
        b1 = lpfR.Process(0.0);
        lR = decR.process(a1, b1);
      }
      double oL = filterOn == 1 ? lL : fL;
      double oR = filterOn == 1 ? lR : fR;
      const double gL = outputSmoother.Process(outputGain);
      const double gR = outputSmoother.Process(outputGain);
      oL = oL * gL;
      oR = oR * gR;
      const double qL = Run(bandL, Run(postHighL, Run(postPeakL, Run(postLowL, float(oL)))));
      const double qR = Run(bandR, Run(postHighR, Run(postPeakR, Run(postLowR, float(oR)))));

      if (preampOn == 0 && filterOn == 0)
      {
        const double inL = inputs[0][i], inR = inputs[1][i];
        outputs[0][i] = inL - denormalOffset;
        outputs[1][i] = inR - denormalOffset;
      }
      else
      {
        outputs[0][i] = qL - denormalOffset;
        outputs[1][i] = qR - denormalOffset;
      }
    }

    const int lat = preampOn * osLatency + filterOn * lpfLatency;
    if (lat != latency)
      latency = lat;
  }
};

} // namespace corvane_test
