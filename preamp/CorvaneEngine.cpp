#include "preamp/CorvaneEngine.h"

#include "preamp/OSAA.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <numbers>
#include <tuple>
#include <utility>

namespace iplug {

namespace {

constexpr int kGainFactors[13] = {1, 1, 3, 5, 10, 17, 31, 56, 100, 177, 316, 562, 1000};
constexpr double kHpfPositions[5] = {0.0, 0.6, 0.75, 0.9, 0.95};
constexpr double kLpfPositions[5] = {1.0, 0.9992, 0.9943, 0.988, 0.97};
constexpr double kDrive = 0.01;
// The fixed 4-5 kHz sections go unstable at and above the Nyquist frequency.
// At low rates each stays at most at the fraction of the rate that the
// highest of them (the 5 kHz band) has at 11,025 Hz, which every rate from
// there up leaves untouched.
constexpr double kMaxSectionFrequency = 5000.0 / 11025.0;

constexpr auto relaxed = std::memory_order_relaxed;

// The anti-denormal offsets of the oversampling filters. Each filter flips
// its offset before every sample and takes two samples per frame, starting
// from +1e-15, so the first sample of every frame carries -1e-15 and the
// second +1e-15.
constexpr double kFirstOffset = -1e-15;
constexpr double kSecondOffset = 1e-15;

// The number of fields of an aggregate: the most initialisers it accepts.
struct AnyField
{
  template <class T>
  operator T() const;
};
template <class T, class... Fields>
constexpr std::size_t FieldCount()
{
  if constexpr (requires { T{Fields{}..., AnyField{}}; })
    return FieldCount<T, Fields..., AnyField>();
  else
    return sizeof...(Fields);
}

} // namespace

static_assert(FieldCount<CorvaneEngine::Settings>() ==
                std::tuple_size_v<decltype(CorvaneEngine::Settings::Tie(std::declval<CorvaneEngine::Settings&>()))>,
              "Settings::Tie must list every field");

const CorvaneEngine::BiquadDesignRow CorvaneEngine::kBiquadDesigns[] = {
  {&Designs::band, Biquad::kBandpass, 5000.0, 0.0004, 0.0},
  {&Designs::preLow, Biquad::kLowshelf, 100.0, 0.8, -3.0},
  {&Designs::postLow, Biquad::kLowshelf, 110.0, 0.8, 3.1},
  {&Designs::prePeak, Biquad::kPeak, 850.0, 0.28, 2.0},
  {&Designs::postPeak, Biquad::kPeak, 830.0, 0.28, -1.7},
  {&Designs::preHigh, Biquad::kHighshelf, 4030.0, 0.28, -1.5},
  {&Designs::postHigh, Biquad::kHighshelf, 4000.0, 0.28, 1.7},
};

void CorvaneEngine::OnParamChange(int paramIdx, double value)
{
  // Also keeps NaN and huge values away from the conversion to int.
  if (!(value > -1000.0 && value < 1000.0))
    return;
  const int v = static_cast<int>(value);
  AtomicSettings& s = mSettings;
  switch (paramIdx)
  {
    case kGain:
      if (v >= 0 && v <= 12)
        s.gainFactor.store(kGainFactors[v], relaxed);
      break;
    case kOutput:
      if (value >= -24.0 && value <= 24.0)
        s.outputGain.store(std::pow(10.0, value / 20.0), relaxed);
      break;
    case kHighpass:
      if (v >= 0 && v <= 4)
        s.hpfPosition.store(kHpfPositions[v], relaxed);
      break;
    case kLowpass:
      if (v >= 0 && v <= 4)
      {
        s.lpfPosition.store(kLpfPositions[v], relaxed);
        s.lpfLatency.store(v == 0 ? 0 : kLowpassLatency, relaxed);
      }
      break;
    case kFilterBypass:
      if (v == 0 || v == 1)
        s.filterOn.store(v, relaxed);
      break;
    case kPreampBypass:
      if (v == 0 || v == 1)
        s.preampOn.store(v, relaxed);
      break;
    case kMicPre:
      if (v == 0 || v == 1)
        s.micPre.store(v, relaxed);
      break;
    case kPhase:
      if (v == 0 || v == 1)
        s.phaseInvert.store(v, relaxed);
      break;
    case kOversampling:
      if (v == 0 || v == 1)
      {
        s.oversampling.store(v == 1 ? 2 : 0, relaxed);
        s.osLatency.store(v == 1 ? kOversamplingLatency : 0, relaxed);
      }
      break;
    default: break;
  }
}

CorvaneEngine::Settings CorvaneEngine::GetSettings() const
{
  Settings s;
  std::apply(
    [this](auto&... to) {
      std::apply([&to...](const auto&... from) { ((to = from.load(relaxed)), ...); }, AtomicSettings::Tie(mSettings));
    },
    Settings::Tie(s));
  return s;
}

void CorvaneEngine::SetSampleRate(double fs)
{
  if (fs > 0.0 && std::isfinite(fs))
    mSampleRate = fs;
}

int CorvaneEngine::Latency() const
{
  const Settings s = GetSettings();
  return s.preampOn * s.osLatency + s.filterOn * s.lpfLatency;
}

// A smoother seen through one block, in which its target stays fixed. Once a
// step leaves the state unchanged, every further step returns that same
// value, so the steps need not be computed: the glide is bit-for-bit what
// stepping every time would give.
class CorvaneEngine::BlockGlide
{
public:
  BlockGlide(Smoother& smoother, double target) : mSmoother(smoother), mTarget(target)
  {
    Smoother probe = smoother;
    mSettled = probe.Process(target) == smoother.z;
  }

  bool Settled() const { return mSettled; }

  double Next() { return mSettled ? mSmoother.z : mSmoother.Process(mTarget); }

  // Steps whose values are not needed.
  void Skip(int steps)
  {
    if (!mSettled)
      for (int i = 0; i < steps; ++i)
        mSmoother.Process(mTarget);
  }

  // n frames of `steps` steps each; step k of frame i goes to rows[k][i]
  // for the first `kept` steps.
  template <int kRowLength>
  void Fill(double (*rows)[kRowLength], int kept, int steps, int n)
  {
    for (int i = 0; i < n; ++i)
      for (int k = 0; k < steps; ++k)
      {
        const double v = Next();
        if (k < kept)
          rows[k][i] = v;
      }
  }

private:
  Smoother& mSmoother;
  double mTarget;
  bool mSettled;
};

void CorvaneEngine::Reset()
{
  ClearOversamplingLines();
  const Settings s = GetSettings();
  mSmooth.drive.z = kDrive;
  mSmooth.output.z = s.outputGain;
  mSmooth.gain.z = static_cast<double>(s.gainFactor);
  mSmooth.hpf.z = s.hpfPosition;
  mSmooth.lpf.z = s.lpfPosition;
}

void CorvaneEngine::ClearOversamplingLines()
{
  for (Channel& ch : mChannels)
    for (Line* line : {&ch.upIn, &ch.upZero, &ch.downFirst, &ch.downSecond, &ch.decFirst, &ch.decSecond})
      line->Clear();
  mFramesSinceClear = 0;
}

void CorvaneEngine::SetUpBlock(const Settings& s)
{
  const double fs = mSampleRate;
  if (fs != mDesignedRate)
  {
    // The smoother coefficients and the fixed sections follow the rate alone.
    mDesignedRate = fs;
    mGlideA = std::exp(-2.0 * std::numbers::pi / (0.001 * fs));
    mGlideB = 1.0 - mGlideA;
    static_assert(std::size(kBiquadDesigns) * sizeof(BiquadDesign) == sizeof(Designs),
                  "every designed biquad needs a row in kBiquadDesigns");
    for (const BiquadDesignRow& d : kBiquadDesigns)
      (mDesigns.*d.design).setBiquad(d.type, std::min(d.frequencyHz / fs, kMaxSectionFrequency), d.q, d.gainDb);
    const Designs& d = mDesigns;
    auto lanes = [](CascadeCoefficients& c, std::initializer_list<const BiquadDesign*> sections) {
      c = {};
      int k = 0;
      for (const BiquadDesign* s : sections)
      {
        c.a0[k] = s->a0;
        c.a1[k] = s->a1;
        c.a2[k] = s->a2;
        c.b1[k] = s->b1;
        c.b2[k] = s->b2;
        ++k;
      }
    };
    lanes(mPreCoefficients, {&d.preLow, &d.prePeak, &d.preHigh});
    lanes(mPostCoefficients, {&d.postLow, &d.postPeak, &d.postHigh, &d.band});
  }
  for (Smoother* sm : {&mSmooth.drive, &mSmooth.output, &mSmooth.gain, &mSmooth.lpf, &mSmooth.hpf})
  {
    sm->a = mGlideA;
    sm->b = mGlideB;
  }

  // The console filters run at twice the rate; their controls glide per
  // block. Left takes the first step of each smoother, right the second.
  const double T = 2.0 * fs;
  const double lpfL = mSmooth.lpf.Process(s.lpfPosition);
  const double lpfR = mSmooth.lpf.Process(s.lpfPosition);
  const double hpfL = mSmooth.hpf.Process(s.hpfPosition);
  const double hpfR = mSmooth.hpf.Process(s.hpfPosition);
  mChannels[0].lpf.Calc(T, lpfL);
  mChannels[1].lpf.Calc(T, lpfR);
  mChannels[0].hpf.Calc(T, hpfL);
  mChannels[1].hpf.Calc(T, hpfR);
  for (int c = 0; c < 2; ++c)
  {
    Channel& ch = mChannels[c];
    ch.sub.Calc(T, 0.0);
    const LPF73& f = ch.lpf;
    const double over[5] = {f.b0 / f.a0, f.b1 / f.a0, f.b2 / f.a0, f.a1 / f.a0, f.a2 / f.a0};
    std::copy(over, over + 5, mLowpass[c]);
  }
}

// The preamp stage at twice the rate, for each channel: the emphasised
// input and a zero go through the up-sampling filter, both through the
// curve, and the down-sampling filter keeps the first of the two outputs.
// The filters' lines hold each phase apart, so the sums skip nothing and
// keep their order; the outputs that would be dropped are not computed.
//
// The first up-sampled sample of a frame sees the zeros (each carrying the
// filter's offset) on all of its odd taps: once 64 frames have passed since
// the line was emptied, that part of its sum is the same number every time.
template <int kChannels>
void CorvaneEngine::Oversample(int n, bool constantStage, StageKernel stage)
{
  static const double zerosSum = [] {
    double sum = BasicOSAA<double>::kOdd[0] * (kSecondOffset + kSecondOffset);
    for (int m = 1; m < 32; ++m)
      sum += BasicOSAA<double>::kOdd[m] * (kSecondOffset + kSecondOffset);
    return sum;
  }();
  const bool zerosFilled = mFramesSinceClear >= kHistory;
  const int stride = constantStage ? 0 : 1;
  const double* drive = constantStage ? &mSmooth.drive.z : mDrive;
  for (int c = 0; c < kChannels; ++c)
  {
    Channel& ch = mChannels[c];
    double* in = ch.upIn.Append(n);
    double* zero = ch.upZero.Append(n);
    for (int i = 0; i < n; ++i)
    {
      in[i] = mEmphasised[mNow][c][i] + kFirstOffset;
      zero[i] = kSecondOffset;
    }
    if (zerosFilled)
      for (int i = 0; i < n; ++i)
        mFirst[i] = (zerosSum + 0.5 * in[i - 32]) - kFirstOffset;
    else
      mKernels.halfband(zero - 1, in - 32, 1, kFirstOffset, mFirst, n);
    mKernels.halfband(in, zero - 32, 1, kSecondOffset, mSecond, n);

    // Gain steps 1-4 of a frame belong to its first sample, 5-8 to its
    // second (left: input, divisor; right: the same).
    const double* gain[4];
    for (int k = 0; k < 4; ++k)
      gain[k] = constantStage ? &mSmooth.gain.z : mGain[(k / 2) * 4 + 2 * c + k % 2];
    stage({mFirst, mFirst, n, 2.0, drive, gain[0], gain[1], stride});
    stage({mSecond, mSecond, n, 2.0, drive, gain[2], gain[3], stride});

    double* first = ch.downFirst.Append(n);
    double* second = ch.downSecond.Append(n);
    for (int i = 0; i < n; ++i)
    {
      first[i] = mFirst[i] + kFirstOffset;
      second[i] = mSecond[i] + kSecondOffset;
    }
    mKernels.halfband(second - 1, first - 32, 1, kFirstOffset, mPreamp[c], n);
  }
  mFramesSinceClear = std::min(kHistory, mFramesSinceClear + n);
}

// Polarity, the console filters, output gain and de-emphasis for one chunk,
// one channel after the other.
template <int kChannels, bool kLowpass, bool kFilterOn>
void CorvaneEngine::Sections(int start, int n, const Settings& s, double** inputs, double** outputs,
                             double offsetAtStart, BlockGlide& output, const PreEmphasisRun* next)
{
  // The output gain of each frame: left takes the first of its two steps,
  // right the second.
  const bool constantGain = output.Settled();
  if (!constantGain)
    for (int i = 0; i < n; ++i)
    {
      mOutputGain[0][i] = output.Next();
      mOutputGain[1][i] = output.Next();
    }

  SectionsRun run{};
  run.channels = kChannels;
  run.n = n;
  run.gainStride = constantGain ? 0 : 1;
  run.offset = offsetAtStart;
  run.invert = s.phaseInvert == 1;
  run.fullBypass = s.preampOn == 0 && s.filterOn == 0;
  run.coefficients = &mPostCoefficients;
  run.next = next;
  for (int c = 0; c < kChannels; ++c)
  {
    Channel& ch = mChannels[c];
    SectionsChannel& r = run.channel[c];
    r = {s.preampOn == 1 ? mPreamp[c] : mEmphasised[mNow][c],
         inputs[c] + start,
         outputs[c] + start,
         constantGain ? &mSmooth.output.z : mOutputGain[c],
         &ch.sub,
         &ch.hpf,
         &ch.lpf,
         mLowpass[c],
         nullptr,
         nullptr,
         mSection[c],
         &ch.post};
    if constexpr (kLowpass)
    {
      r.first = ch.decFirst.Append(n);
      r.second = ch.decSecond.Append(n);
    }
  }
  mKernels.sections[kLowpass][kFilterOn](run);
}

template <int kChannels>
PreEmphasisRun CorvaneEngine::PreEmphasis(double** inputs, int start, int n, double offset, int buffer)
{
  return {&mPreCoefficients,
          {&mChannels[0].pre, &mChannels[1].pre},
          {inputs[0] + start, kChannels > 1 ? inputs[1] + start : nullptr},
          {mEmphasised[buffer][0], mEmphasised[buffer][1]},
          kChannels,
          n,
          offset};
}

// The block runs in chunks, each in passes: pre-emphasis, the preamp stage,
// then everything after it, with the next chunk's pre-emphasis running in
// the same loops as this one's sections. The passes keep every operation and
// its order; they keep the curves (one run over the chunk, several values at
// a time) away from the recursive filters, so the filter states can live in
// registers. Each smoother steps in its own sequence, so splitting them
// across passes changes nothing.
template <int kChannels, bool kOversample, bool kCurve, bool kLowpass>
void CorvaneEngine::Run(const Settings& s, double** inputs, double** outputs, int nFrames)
{
  const StageKernel stage = s.micPre == 1 ? mKernels.micStage : mKernels.lineStage;
  BlockGlide drive(mSmooth.drive, kDrive);
  BlockGlide gain(mSmooth.gain, static_cast<double>(s.gainFactor));
  BlockGlide output(mSmooth.output, s.outputGain);
  // The gain smoother steps four times per evaluation of the stage, and
  // with oversampling the base-rate evaluation is made only for its steps.
  constexpr int kGainSteps = kOversample ? 12 : 4;
  constexpr int kUsedGainSteps = kOversample ? 8 : kCurve ? 4 : 0;
  const bool constantStage = drive.Settled() && gain.Settled();

  // The first chunk's pre-emphasis; the offset d comes off the input.
  double offset = mDenormalOffset;
  mNow = 0;
  mKernels.preEmphasis(PreEmphasis<kChannels>(inputs, 0, std::min(kChunk, nFrames), offset, mNow));

  for (int start = 0; start < nFrames; start += kChunk)
  {
    const int n = std::min(kChunk, nFrames - start);
    const double offsetAtStart = offset;
    offset = n % 2 ? -offset : offset;

    // 1. The drive and gain steps of the chunk, then the preamp stage.
    if (!constantStage)
      for (int i = 0; i < n; ++i)
        mDrive[i] = drive.Next();
    else
      drive.Skip(n);
    if (constantStage || kUsedGainSteps == 0)
      gain.Skip(kGainSteps * n);
    else
      gain.Fill(mGain, kUsedGainSteps, kGainSteps, n);
    if constexpr (kOversample)
      Oversample<kChannels>(n, constantStage, stage);
    else if constexpr (kCurve)
      for (int c = 0; c < kChannels; ++c)
      {
        const bool k = constantStage;
        stage({mEmphasised[mNow][c], mPreamp[c], n, 1.0, k ? &mSmooth.drive.z : mDrive,
               k ? &mSmooth.gain.z : mGain[2 * c], k ? &mSmooth.gain.z : mGain[2 * c + 1], k ? 0 : 1});
      }

    // 2. Polarity, filter section, output gain and de-emphasis, and the
    // next chunk's pre-emphasis.
    const int nextStart = start + kChunk;
    PreEmphasisRun next{};
    if (nextStart < nFrames)
      next = PreEmphasis<kChannels>(inputs, nextStart, std::min(kChunk, nFrames - nextStart), offset, 1 - mNow);
    const PreEmphasisRun* nextRun = nextStart < nFrames ? &next : nullptr;
    if (s.filterOn == 1)
      Sections<kChannels, kLowpass, true>(start, n, s, inputs, outputs, offsetAtStart, output, nextRun);
    else
      Sections<kChannels, kLowpass, false>(start, n, s, inputs, outputs, offsetAtStart, output, nextRun);
    mNow = 1 - mNow;
  }
  mDenormalOffset = offset;
}

template <int kChannels>
void CorvaneEngine::RunChannels(const Settings& s, double** inputs, double** outputs, int nFrames)
{
  const bool oversample = s.oversampling == 2;
  const bool lowpass = s.lpfPosition != 1.0;
  const bool curve = !oversample && s.preampOn == 1;
  if (oversample)
    lowpass ? Run<kChannels, true, false, true>(s, inputs, outputs, nFrames)
            : Run<kChannels, true, false, false>(s, inputs, outputs, nFrames);
  else if (curve)
    lowpass ? Run<kChannels, false, true, true>(s, inputs, outputs, nFrames)
            : Run<kChannels, false, true, false>(s, inputs, outputs, nFrames);
  else
    lowpass ? Run<kChannels, false, false, true>(s, inputs, outputs, nFrames)
            : Run<kChannels, false, false, false>(s, inputs, outputs, nFrames);
}

void CorvaneEngine::ProcessBlock(double** inputs, double** outputs, int nFrames, int nChans)
{
  const Settings s = GetSettings();
  SetUpBlock(s);
  if (nFrames <= 0 || nChans <= 0)
    return;

  const int channels = nChans > 1 ? 2 : 1;
  if (channels == 2 && mLastChannels == 1)
  {
    // The right chain sat idle while the instance ran mono: start it where
    // silence would have left it (the phase of the oversampling zeros is
    // the left's).
    Channel& right = mChannels[1];
    right.pre = right.post = {};
    right.hpf.ClearState();
    right.sub.ClearState();
    right.lpf.ClearState();
    for (Line* line : {&right.upIn, &right.downFirst, &right.downSecond, &right.decFirst, &right.decSecond})
      line->Clear();
    right.upZero = mChannels[0].upZero;
  }
  mLastChannels = channels;
  if (channels == 1)
    RunChannels<1>(s, inputs, outputs, nFrames);
  else
    RunChannels<2>(s, inputs, outputs, nFrames);

  // Finite input keeps every state finite; only absurdly large samples can
  // overflow a filter. Then start the filters afresh rather than emit NaN
  // from now on, and silence the samples of this block that went bad.
  if (!StateIsFinite(channels, s.oversampling == 2, s.lpfPosition != 1.0))
  {
    ClearAllState();
    for (int c = 0; c < channels; ++c)
      for (int i = 0; i < nFrames; ++i)
        if (!std::isfinite(outputs[c][i]))
          outputs[c][i] = 0.0;
  }
}

bool CorvaneEngine::StateIsFinite(int nChannels, bool oversampled, bool lowpassed) const
{
  // x * 0 is zero for finite x and NaN otherwise, so one sum of such
  // products tests them all (and cannot overflow). Only what this block
  // changed needs a look: the rest was finite after the last one.
  double probe = 0.0;
  auto add = [&probe](std::initializer_list<double> values) {
    for (double v : values)
      probe += v * 0.0;
  };
  auto addLine = [&probe](const Line& line) {
    const double* h = line.History();
    for (int k = 0; k < kHistory; ++k)
      probe += h[k] * 0.0;
  };
  for (int c = 0; c < nChannels; ++c)
  {
    const Channel& ch = mChannels[c];
    for (const HPF73* h : {&ch.hpf, &ch.sub})
      add({h->x1, h->x2, h->x3, h->y1, h->y2, h->y3});
    add({ch.lpf.x1, ch.lpf.x2, ch.lpf.y1, ch.lpf.y2});
    for (int k = 0; k < 3; ++k)
      add({ch.pre.z1[k], ch.pre.z2[k]});
    for (int k = 0; k < 4; ++k)
      add({ch.post.z1[k], ch.post.z2[k]});
    if (oversampled)
      for (const Line* line : {&ch.upIn, &ch.downFirst, &ch.downSecond})
        addLine(*line);
    if (lowpassed)
      for (const Line* line : {&ch.decFirst, &ch.decSecond})
        addLine(*line);
  }
  const Smoothers& m = mSmooth;
  add({m.drive.z, m.output.z, m.gain.z, m.lpf.z, m.hpf.z});
  return probe == 0.0;
}

void CorvaneEngine::ClearAllState()
{
  for (Channel& ch : mChannels)
  {
    ch.lpf.ClearState();
    ch.hpf.ClearState();
    ch.sub.ClearState();
    ch.pre = ch.post = {};
  }
  Reset();
}

} // namespace iplug
