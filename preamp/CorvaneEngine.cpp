#include "preamp/CorvaneEngine.h"

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

using Pair = StereoSample;
using PairBiquad = BasicBiquad<StereoSample>;

using PairCoefficients = StereoBiquadCoefficients;

// A section's state in locals for the length of a loop.
struct SectionState
{
  PairBiquad& section;
  Pair z1, z2;
  explicit SectionState(PairBiquad& b) : section(b), z1(b.z1), z2(b.z2) {}
  ~SectionState()
  {
    section.z1 = z1;
    section.z2 = z2;
  }
  StereoFloat Step(const PairCoefficients& c, StereoFloat in) { return PairBiquad::Step(c, z1, z2, in); }
};

// A smoother seen through one block, in which its target stays fixed. Once a
// step leaves the state unchanged, every further step returns that same
// value, so the steps need not be computed: the glide is bit-for-bit what
// stepping every time would give.
class BlockGlide
{
public:
  BlockGlide(Smoother& smoother, double target) : mSmoother(smoother), mTarget(target)
  {
    Smoother probe = smoother;
    mSettled = probe.Process(target) == smoother.z;
  }

  double Next() { return mSettled ? mSmoother.z : mSmoother.Process(mTarget); }

  // Four steps whose values are not needed.
  void Skip4()
  {
    if (!mSettled)
      for (int i = 0; i < 4; ++i)
        mSmoother.Process(mTarget);
  }

private:
  Smoother& mSmoother;
  double mTarget;
  bool mSettled;
};

inline double Sanitized(double x) { return std::isfinite(x) ? x : 0.0; }

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

const CorvaneEngine::BiquadDesign CorvaneEngine::kBiquadDesigns[] = {
  {&DesignedBiquads::band, Biquad::kBandpass, 5000.0, 0.0004, 0.0},
  {&DesignedBiquads::preLow, Biquad::kLowshelf, 100.0, 0.8, -3.0},
  {&DesignedBiquads::postLow, Biquad::kLowshelf, 110.0, 0.8, 3.1},
  {&DesignedBiquads::prePeak, Biquad::kPeak, 850.0, 0.28, 2.0},
  {&DesignedBiquads::postPeak, Biquad::kPeak, 830.0, 0.28, -1.7},
  {&DesignedBiquads::preHigh, Biquad::kHighshelf, 4030.0, 0.28, -1.5},
  {&DesignedBiquads::postHigh, Biquad::kHighshelf, 4000.0, 0.28, 1.7},
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

void CorvaneEngine::Reset()
{
  mF.up.clear();
  mF.down.clear();
  mF.dec.clear();
  const Settings s = GetSettings();
  mSmooth.drive.z = kDrive;
  mSmooth.output.z = s.outputGain;
  mSmooth.gain.z = static_cast<double>(s.gainFactor);
  mSmooth.hpf.z = s.hpfPosition;
  mSmooth.lpf.z = s.lpfPosition;
}

void CorvaneEngine::SetUpBlock(const Settings& s)
{
  const double fs = mSampleRate;
  const double a = std::exp(-2.0 * std::numbers::pi / (0.001 * fs));
  const double b = 1.0 - a;
  for (Smoother* sm : {&mSmooth.drive, &mSmooth.output, &mSmooth.gain, &mSmooth.lpf, &mSmooth.hpf})
  {
    sm->a = a;
    sm->b = b;
  }

  // The console filters run at twice the rate; their controls glide per block.
  const double T = 2.0 * fs;
  // Left takes the first step of each smoother, right the second.
  const double lpfL = mSmooth.lpf.Process(s.lpfPosition);
  const double lpfR = mSmooth.lpf.Process(s.lpfPosition);
  mF.lpf.Calc(T, Pair{lpfL, lpfR});
  const double hpfL = mSmooth.hpf.Process(s.hpfPosition);
  const double hpfR = mSmooth.hpf.Process(s.hpfPosition);
  mF.hpf.Calc(T, Pair{hpfL, hpfR});
  mF.sub.Calc(T, Pair{0.0, 0.0});

  static_assert(std::size(kBiquadDesigns) * sizeof(PairBiquad) == sizeof(DesignedBiquads),
                "every designed biquad needs a row in kBiquadDesigns");
  for (const BiquadDesign& d : kBiquadDesigns)
    (mF.*d.filter).setBiquad(d.type, std::min(d.frequencyHz / fs, kMaxSectionFrequency), d.q, d.gainDb);

  mPreCoefficients[0] = PairCoefficients(mF.preLow);
  mPreCoefficients[1] = PairCoefficients(mF.prePeak);
  mPreCoefficients[2] = PairCoefficients(mF.preHigh);
  mPostCoefficients[0] = PairCoefficients(mF.postLow);
  mPostCoefficients[1] = PairCoefficients(mF.postPeak);
  mPostCoefficients[2] = PairCoefficients(mF.postHigh);
  mPostCoefficients[3] = PairCoefficients(mF.band);
}

// One evaluation of the preamp stage on a stereo pair drives the curve with
// the sample times drive and gain, and divides the result by both again, so
// the small-signal gain is k. The gain smoother advances four times: G1
// drives the left curve, G2 divides it, G3 and G4 do the same on the right.
// StageInputs takes the steps and writes the curve inputs (left, right) and
// the divisors (G2, G4); StageOutput finishes the evaluation once the curve
// has replaced its inputs.
static inline void StageInputs(Pair x, double k, double D, BlockGlide& gain, double* curve, double* divisor)
{
  const double G1 = gain.Next();
  curve[0] = k * x[0] * D * G1;
  divisor[0] = gain.Next();
  const double G3 = gain.Next();
  curve[1] = k * x[1] * D * G3;
  divisor[1] = gain.Next();
}

static inline Pair StageOutput(const double* curve, const double* divisor, double D)
{
  return Pair{curve[0], curve[1]} / Pair{divisor[0], divisor[1]} / D;
}

// Polarity, subsonic filter (section out) or high-pass and low-pass (section
// in), output gain and de-emphasis for one chunk, in one loop so the section
// work overlaps the low-pass recursion. The high-pass and low-pass run in
// both states so their state stays current; the subsonic filter runs only
// while the section is out. The offset taken off the input goes back on.
template <bool kLowpass, bool kFilterOn, typename Glide>
void CorvaneEngine::SectionAndOutput(const ChunkIo& io, bool preampOn, bool invert, bool fullBypass, Glide& output)
{
  BasicHPF73<Pair> sub = mF.sub, hpf = mF.hpf;
  BasicLPF73<Pair> lpf = mF.lpf;
  const PairCoefficients* c = mPostCoefficients;
  SectionState low(mF.postLow), peak(mF.postPeak), high(mF.postHigh), band(mF.band);
  double offset = io.offset;
  for (int i = 0; i < io.n; ++i)
  {
    offset = -offset;
    Pair sel = preampOn ? mPreamp[i] : mEmphasised[i];
    if (invert)
      sel = -sel;

    const Pair f = kFilterOn ? sel : sub.Process(sel);
    Pair l = hpf.Process(f);
    if constexpr (kLowpass)
    {
      const Pair a = lpf.Process(l);
      l = mF.dec.process(a, lpf.Process(Pair{}));
    }
    const Pair o = kFilterOn ? l : f;

    const double gL = output.Next();
    const double gR = output.Next();
    const StereoFloat v = peak.Step(c[1], low.Step(c[0], Narrow(o * Pair{gL, gR})));
    const Pair q = Widen(band.Step(c[3], high.Step(c[2], v)));

    // Subtracting the flipped offset restores the one taken off the input.
    Pair y = q - offset;
    if (fullBypass)
      y = Pair{Sanitized(io.inL[i]), io.inR ? Sanitized(io.inR[i]) : 0.0} - offset;
    io.outL[i] = y[0];
    if (io.outR)
      io.outR[i] = y[1];
  }
  if constexpr (!kFilterOn)
    mF.sub = sub;
  mF.hpf = hpf;
  mF.lpf = lpf;
}

// The block runs in chunks, each in three passes: pre-emphasis, preamp stage,
// then everything after it. The passes keep every operation and its order;
// they only keep the curves (one run over the chunk, two values at a time)
// away from the filters, so the filter states can live in registers. Each
// smoother steps in its own sequence, so splitting them across passes
// changes nothing.
template <bool kOversample, bool kBaseCurve, bool kLowpass>
void CorvaneEngine::Run(const Settings& s, const double* inL, const double* inR, double* outL, double* outR,
                        int nFrames)
{
  const CurveRun curve = s.micPre == 1 ? mCurveRuns.mic : mCurveRuns.line;
  const bool preampOn = s.preampOn == 1;
  const bool filterOn = s.filterOn == 1;
  const bool invert = s.phaseInvert == 1;
  const bool fullBypass = s.preampOn == 0 && s.filterOn == 0;
  BlockGlide drive(mSmooth.drive, kDrive);
  BlockGlide gain(mSmooth.gain, static_cast<double>(s.gainFactor));
  BlockGlide output(mSmooth.output, s.outputGain);

  for (int start = 0; start < nFrames; start += kChunk)
  {
    const int n = nFrames - start < kChunk ? nFrames - start : kChunk;
    const double* xL = inL + start;
    const double* xR = inR ? inR + start : nullptr;
    const double offsetAtStart = mDenormalOffset;

    // 1. Drive scale and pre-emphasis; the offset d comes off the input.
    {
      const PairCoefficients* c = mPreCoefficients;
      SectionState low(mF.preLow), peak(mF.prePeak), high(mF.preHigh);
      double offset = offsetAtStart;
      for (int i = 0; i < n; ++i)
      {
        mDrive[i] = drive.Next();
        const double d = offset;
        offset = -d;
        const Pair x{Sanitized(xL[i]), xR ? Sanitized(xR[i]) : 0.0};
        const StereoFloat v = low.Step(c[0], Narrow(x - d));
        mEmphasised[i] = Widen(high.Step(c[2], peak.Step(c[1], v)));
      }
      mDenormalOffset = offset;
    }

    // 2. Preamp stage, at twice the rate or at the base rate: drives and
    // gain steps first, then the curves in one run, then the divisions.
    if constexpr (kOversample)
    {
      for (int i = 0; i < n; ++i)
      {
        const Pair s0 = mF.up.process(mEmphasised[i]);
        const Pair s1 = mF.up.process(Pair{}); // zero stuffing
        StageInputs(s0, 2.0, mDrive[i], gain, &mCurve[4 * i], &mGain[4 * i]);
        StageInputs(s1, 2.0, mDrive[i], gain, &mCurve[4 * i + 2], &mGain[4 * i + 2]);
        gain.Skip4(); // the base-rate evaluation, whose result is not used
      }
      curve(mCurve, 4 * n);
      for (int i = 0; i < n; ++i)
      {
        // Decimation keeps the first of each pair of outputs.
        mPreamp[i] = mF.down.process(StageOutput(&mCurve[4 * i], &mGain[4 * i], mDrive[i]));
        mF.down.process(StageOutput(&mCurve[4 * i + 2], &mGain[4 * i + 2], mDrive[i]));
      }
    }
    else if constexpr (kBaseCurve)
    {
      for (int i = 0; i < n; ++i)
        StageInputs(mEmphasised[i], 1.0, mDrive[i], gain, &mCurve[2 * i], &mGain[2 * i]);
      curve(mCurve, 2 * n);
      for (int i = 0; i < n; ++i)
        mPreamp[i] = StageOutput(&mCurve[2 * i], &mGain[2 * i], mDrive[i]);
    }
    else
    {
      for (int i = 0; i < n; ++i)
      {
        gain.Skip4(); // preamp out: its result is not used
        mPreamp[i] = mEmphasised[i];
      }
    }

    // 3. Polarity, filter section, output gain and de-emphasis.
    const ChunkIo io{n, xL, xR, outL + start, outR ? outR + start : nullptr, offsetAtStart};
    if (filterOn)
      SectionAndOutput<kLowpass, true>(io, preampOn, invert, fullBypass, output);
    else
      SectionAndOutput<kLowpass, false>(io, preampOn, invert, fullBypass, output);
  }
}

void CorvaneEngine::ProcessBlock(double** inputs, double** outputs, int nFrames, int nChans)
{
  const Settings s = GetSettings();
  SetUpBlock(s);
  if (nFrames <= 0 || nChans <= 0)
    return;

  const double* inL = inputs[0];
  const double* inR = nChans > 1 ? inputs[1] : nullptr;
  double* outL = outputs[0];
  double* outR = nChans > 1 ? outputs[1] : nullptr;

  const bool oversample = s.oversampling == 2;
  const bool lowpass = s.lpfPosition != 1.0;
  const bool baseCurve = !oversample && s.preampOn == 1;
  if (oversample)
    lowpass ? Run<true, false, true>(s, inL, inR, outL, outR, nFrames)
            : Run<true, false, false>(s, inL, inR, outL, outR, nFrames);
  else if (baseCurve)
    lowpass ? Run<false, true, true>(s, inL, inR, outL, outR, nFrames)
            : Run<false, true, false>(s, inL, inR, outL, outR, nFrames);
  else
    lowpass ? Run<false, false, true>(s, inL, inR, outL, outR, nFrames)
            : Run<false, false, false>(s, inL, inR, outL, outR, nFrames);

  // Finite input keeps every state finite; only absurdly large samples can
  // overflow a filter. Then start the filters afresh rather than emit NaN
  // from now on, and silence the samples of this block that went bad.
  if (!StateIsFinite())
  {
    ClearAllState();
    for (int c = 0; c < (nChans > 1 ? 2 : 1); ++c)
      for (int i = 0; i < nFrames; ++i)
        if (!std::isfinite(outputs[c][i]))
          outputs[c][i] = 0.0;
  }
}

bool CorvaneEngine::StateIsFinite() const
{
  // x * 0 is zero for finite x and NaN otherwise, so one sum of such
  // products tests them all (and cannot overflow).
  Pair probe{};
  auto add = [&probe](std::initializer_list<Pair> values) {
    for (const Pair& v : values)
      probe += v * 0.0;
  };
  for (const Pair& v : mF.up.ring)
    probe += v * 0.0;
  for (const Pair& v : mF.down.ring)
    probe += v * 0.0;
  for (const Pair& v : mF.dec.ring)
    probe += v * 0.0;
  for (const BasicHPF73<Pair>* h : {&mF.hpf, &mF.sub})
    add({h->x1, h->x2, h->x3, h->y1, h->y2, h->y3});
  add({mF.lpf.x1, mF.lpf.x2, mF.lpf.y1, mF.lpf.y2});
  for (const BiquadDesign& d : kBiquadDesigns)
    add({(mF.*d.filter).z1, (mF.*d.filter).z2});
  const Smoothers& m = mSmooth;
  add({Pair{m.drive.z, m.output.z}, Pair{m.gain.z, m.lpf.z}, Pair{m.hpf.z, 0.0}});
  return probe[0] == 0.0 && probe[1] == 0.0;
}

void CorvaneEngine::ClearAllState()
{
  mF.lpf.ClearState();
  mF.hpf.ClearState();
  mF.sub.ClearState();
  for (const BiquadDesign& d : kBiquadDesigns)
    (mF.*d.filter).z1 = (mF.*d.filter).z2 = Pair{};
  Reset();
}

} // namespace iplug
