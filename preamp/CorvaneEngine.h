#pragma once

#include "preamp/Biquad.h"
#include "preamp/HPF73.h"
#include "preamp/LPF73.h"
#include "preamp/PreampKernels.h"
#include "preamp/SlidingLine.h"
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

  CorvaneEngine() : CorvaneEngine(SystemPreampKernels()) {}
  // With the kernels of one instruction set, for tests and benchmarks.
  explicit CorvaneEngine(const PreampKernels& kernels) : mKernels(kernels) {}
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

  // Runs one chain per channel: nChans 1 (mono) runs the left chain only,
  // 2 or more run left and right; output channels past the second are not
  // written. Non-finite input samples are taken as silence.
  void ProcessBlock(double** inputs, double** outputs, int nFrames, int nChans = 2);

  // Latency the current settings add, in samples: 0, 17, 64 or 81.
  int Latency() const;

  const Smoothers& GetSmoothers() const { return mSmooth; }

private:
  using AtomicSettings = BasicSettings<std::atomic>;

  // The biquads of fixed design: pre-emphasis, de-emphasis and the band
  // filter. Their designs depend on the sample rate alone, so they are made
  // again only when it changes; each channel keeps its own state.
  struct Designs
  {
    BiquadDesign band, preLow, postLow, prePeak, postPeak, preHigh, postHigh;
  };
  struct BiquadDesignRow
  {
    BiquadDesign Designs::*design;
    int type;
    double frequencyHz;
    double q;
    double gainDb;
  };
  static const BiquadDesignRow kBiquadDesigns[];

  // Past samples of the oversampling and decimation filters. The twice-rate
  // lines are kept split by phase, one value per frame: upIn and upZero are
  // the first and second samples that entered the up-sampling filter,
  // downFirst and downSecond those of the down-sampling filter, decFirst
  // and decSecond the two low-pass outputs entering the decimator.
  static constexpr int kHistory = 64;
  static constexpr int kLineSpace = 256;
  using Line = SlidingLine<kHistory, kLineSpace>;

  // Everything one channel's chain keeps between blocks. The biquads' state
  // is kept by lane: pre-emphasis low, peak, high; de-emphasis low, peak,
  // high, then the band filter.
  struct Channel
  {
    CascadeState pre, post;
    HPF73 hpf, sub;
    LPF73 lpf;
    Line upIn, upZero, downFirst, downSecond, decFirst, decSecond;
  };

  static constexpr int kChunk = 128;
  static constexpr int kMaxGainSteps = 12; // per frame, with oversampling

  template <int kChannels, bool kOversample, bool kCurve, bool kLowpass>
  void Run(const Settings& s, double** inputs, double** outputs, int nFrames);
  class BlockGlide;
  template <int kChannels, bool kLowpass, bool kFilterOn>
  void Sections(int start, int n, const Settings& s, double** inputs, double** outputs, double offsetAtStart,
                BlockGlide& output, const PreEmphasisRun* next);
  template <int kChannels>
  PreEmphasisRun PreEmphasis(double** inputs, int start, int n, double offset, int buffer);
  template <int kChannels>
  void Oversample(int n, bool constantStage, StageKernel stage);
  template <int kChannels>
  void RunChannels(const Settings& s, double** inputs, double** outputs, int nFrames);
  void SetUpBlock(const Settings& s);
  void ClearOversamplingLines();
  bool StateIsFinite(int nChannels, bool oversampled, bool lowpassed) const;
  void ClearAllState();

  AtomicSettings mSettings;
  const PreampKernels mKernels; // chosen off the audio thread
  Smoothers mSmooth;
  double mSampleRate = 44100.0;
  double mDenormalOffset = 1e-15;
  double mDesignedRate = 0.0; // the rate of mDesigns and of the smoother coefficients
  double mGlideA = 0.0, mGlideB = 0.0;
  Designs mDesigns;
  CascadeCoefficients mPreCoefficients, mPostCoefficients; // the designs by lane
  Channel mChannels[2];
  // The low-pass coefficients over a0 (b0, b1, b2, a1, a2), per channel: the
  // twice-rate recursion multiplies where LPF73::Process divides, and takes
  // the newest output last, so one step waits on the last for a product and
  // a subtraction.
  double mLowpass[2][5] = {};
  int mFramesSinceClear = 0; // oversampled frames since the lines were emptied, up to kHistory
  int mLastChannels = 2;

  // Per-chunk scratch shared by the passes of Run.
  double mDrive[kChunk] = {};
  double mGain[kMaxGainSteps][kChunk] = {};
  // The emphasised input of this chunk and the next (made while this one's
  // sections run), by channel.
  double mEmphasised[2][2][kChunk] = {};
  int mNow = 0; // which of the two is this chunk's
  double mPreamp[2][kChunk] = {};
  double mSection[2][kChunk] = {};
  double mOutputGain[2][kChunk] = {};
  double mFirst[kChunk] = {}, mSecond[kChunk] = {};
};

} // namespace iplug
