#pragma once

#include "preamp/Biquad.h"
#include "preamp/CurveRuns.h"
#include "preamp/HPF73.h"
#include "preamp/LPF73.h"
#include "preamp/OSAA.h"
#include "preamp/OSEQ.h"
#include "preamp/Smoother.h"

#include <atomic>
#include <tuple>

namespace iplug {

// The preamp's signal chain: pre-emphasis, a stepped-drive saturator with
// automatic level compensation (optionally at twice the sample rate),
// polarity, console high-pass and low-pass, output gain and de-emphasis,
// with engage switches for the preamp stage and the filter section.
//
// Settings are written by OnParamChange from any thread and read by the
// audio thread without locks (relaxed atomics); each block works on one
// snapshot of them. ProcessBlock allocates nothing and makes no system call.
class CorvaneEngine
{
public:
  enum EParam
  {
    kGain = 0,
    kOutput,
    kHighpass,
    kLowpass,
    kFilterBypass,
    kPreampBypass,
    kMicPre,
    kPhase,
    kOversampling,
    kNumParams
  };

  static constexpr int kLowpassLatency = 17;
  static constexpr int kOversamplingLatency = 64;

  // What the chain reads, mapped from the parameters. Declared once, for the
  // plain snapshot a block works on (Settings) and for the record that
  // OnParamChange writes from any thread (every field atomic).
  template <template <class> class Field>
  struct BasicSettings
  {
    Field<int> gainFactor{10};      // ten times the linear gain of the "Gain" step
    Field<double> outputGain{1.0};  // linear
    Field<double> hpfPosition{0.0}; // high-pass control value
    Field<double> lpfPosition{1.0}; // low-pass control value; exactly 1.0 is off
    Field<int> lpfLatency{0};
    Field<int> filterOn{0};
    Field<int> preampOn{1};
    Field<int> micPre{0};
    Field<int> phaseInvert{0};
    Field<int> oversampling{0}; // factor: 0 (off) or 2
    Field<int> osLatency{0};

    // Every field in declaration order; the engine checks at compile time
    // that none is left out.
    template <class Self>
    static auto Tie(Self& s)
    {
      return std::tie(s.gainFactor, s.outputGain, s.hpfPosition, s.lpfPosition, s.lpfLatency, s.filterOn, s.preampOn,
                      s.micPre, s.phaseInvert, s.oversampling, s.osLatency);
    }
  };
  template <class T>
  using PlainField = T;
  using Settings = BasicSettings<PlainField>;

  struct Smoothers
  {
    Smoother drive, output, gain, lpf, hpf;
  };

  CorvaneEngine() = default;
  CorvaneEngine(const CorvaneEngine&) = delete;
  CorvaneEngine& operator=(const CorvaneEngine&) = delete;

  // Maps the new real value of parameter paramIdx onto the settings. Unknown
  // indices and values outside the parameter's steps change nothing.
  void OnParamChange(int paramIdx, double value);
  Settings GetSettings() const;

  // Ignored unless positive and finite; 44.1 kHz until set.
  void SetSampleRate(double fs);
  double SampleRate() const { return mSampleRate; }

  // Empties the oversampling and decimation lines and puts the smoothers on
  // their targets (drive on 0.01). The recursive filters keep their state.
  void Reset();
  void Reset(double fs)
  {
    SetSampleRate(fs);
    Reset();
  }

  // Always runs the left and right chains. With one channel the right chain
  // is fed silence and its output dropped. Output channels past the second
  // are not written. Non-finite input samples are taken as silence.
  void ProcessBlock(double** inputs, double** outputs, int nFrames, int nChans = 2);

  // Latency the current settings add, in samples: 0, 17, 64 or 81.
  int Latency() const;

  const Smoothers& GetSmoothers() const { return mSmooth; }

private:
  using AtomicSettings = BasicSettings<std::atomic>;

  // The biquads of fixed design: pre-emphasis, de-emphasis and the band
  // filter. Each has one row in kBiquadDesigns, which block set-up, the
  // finite-state check and the state clear all go through.
  struct DesignedBiquads
  {
    BasicBiquad<StereoSample> band, preLow, postLow, prePeak, postPeak, preHigh, postHigh;
  };

  struct BiquadDesign
  {
    BasicBiquad<StereoSample> DesignedBiquads::*filter;
    int type;
    double frequencyHz;
    double q;
    double gainDb;
  };
  static const BiquadDesign kBiquadDesigns[];

  // The filters, each a left/right pair run in one SIMD register.
  struct Filters : DesignedBiquads
  {
    BasicOSAA<StereoSample> up, down;
    BasicOSEQ<StereoSample> dec;
    BasicLPF73<StereoSample> lpf;
    BasicHPF73<StereoSample> hpf, sub;
  };

  template <bool kOversample, bool kBaseCurve, bool kLowpass>
  void Run(const Settings& s, const double* inL, const double* inR, double* outL, double* outR, int nFrames);

  // One chunk's slice of the block's buffers.
  struct ChunkIo
  {
    int n;
    const double* inL;
    const double* inR;
    double* outL;
    double* outR;
    double offset; // anti-denormal offset before the chunk's first sample
  };

  template <bool kLowpass, bool kFilterOn, typename Glide>
  void SectionAndOutput(const ChunkIo& io, bool preampOn, bool invert, bool fullBypass, Glide& output);
  void SetUpBlock(const Settings& s);
  bool StateIsFinite() const;
  void ClearAllState();

  static constexpr int kChunk = 128;

  AtomicSettings mSettings;
  const CurveRuns mCurveRuns = SystemCurveRuns(); // chosen off the audio thread
  Smoothers mSmooth;
  double mSampleRate = 44100.0;
  double mDenormalOffset = 1e-15;
  Filters mF;

  // Per-chunk scratch between the passes of Run.
  double mDrive[kChunk] = {};
  StereoSample mEmphasised[kChunk] = {};
  StereoSample mPreamp[kChunk] = {};
  double mCurve[4 * kChunk] = {};                // curve inputs, then outputs: 2 or 4 per frame
  double mGain[4 * kChunk] = {};                 // the matching gain divisors
  StereoBiquadCoefficients mPreCoefficients[3];  // low, peak, high
  StereoBiquadCoefficients mPostCoefficients[4]; // low, peak, high, band
};

} // namespace iplug
