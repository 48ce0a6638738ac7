// Throughput of the preamp chain at 48 kHz, stereo, 512-frame blocks: the
// engine beside the plain step-by-step chain of the tests, for oversampling
// off and on and the preamp and filter sections in and out, at "0dB" on the
// line curve. The drive sets which paths the curves take, so the hot cases
// add "40dB" on either curve. The engine also runs mono (one channel of the
// same input), and in stereo with the SSE2 kernels that CPUs without AVX2
// get.
#include "preamp/CorvaneEngine.h"
#include "preamp/ReferenceChain.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace {

constexpr double kFs = 48000.0;
constexpr int kFrames = 512;
constexpr int kBlocksOfInput = 64;

struct Input
{
  std::vector<double> l, r;
  Input() : l(kFrames * kBlocksOfInput), r(kFrames * kBlocksOfInput)
  {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> noise(-0.1, 0.1);
    for (size_t i = 0; i < l.size(); ++i)
    {
      const double t = static_cast<double>(i) / kFs;
      l[i] = 0.7 * std::sin(2.0 * std::numbers::pi * 220.0 * t) + noise(rng);
      r[i] = 0.6 * std::sin(2.0 * std::numbers::pi * 330.0 * t) + noise(rng);
    }
  }
};

const Input& SharedInput()
{
  static const Input input;
  return input;
}

template <typename Chain>
void Configure(Chain& c, benchmark::State& state)
{
  const int oversampling = static_cast<int>(state.range(0));
  const int preamp = static_cast<int>(state.range(1));
  const int filter = static_cast<int>(state.range(2));
  const bool hot = state.range(3) >= 0;
  const double gain = hot ? 12.0 : 4.0;
  const double mic = hot ? static_cast<double>(state.range(3)) : 0.0;
  for (auto [idx, v] : {std::pair{0, gain},
                        {2, 2.0},
                        {3, 2.0},
                        {1, -3.0},
                        {4, double(filter)},
                        {5, double(preamp)},
                        {6, mic},
                        {8, double(oversampling)}})
    c.OnParamChange(idx, v);
}

template <typename Chain, typename Process>
void Run(benchmark::State& state, Chain& chain, Process process)
{
  const Input& in = SharedInput();
  std::vector<double> outL(kFrames), outR(kFrames);
  int block = 0;
  for (auto _ : state)
  {
    double* ins[2] = {const_cast<double*>(in.l.data()) + block * kFrames,
                      const_cast<double*>(in.r.data()) + block * kFrames};
    double* outs[2] = {outL.data(), outR.data()};
    process(chain, ins, outs);
    benchmark::DoNotOptimize(outL.data());
    benchmark::ClobberMemory();
    block = (block + 1) % kBlocksOfInput;
  }
  const double frames = static_cast<double>(state.iterations()) * kFrames;
  state.counters["frames_per_s"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
  state.counters["realtime_x"] = benchmark::Counter(frames / kFs, benchmark::Counter::kIsRate);
}

// Largest difference between the engine and the plain chain over the shared
// input, in the configuration of this benchmark.
double MaxDifferenceFromPlain(benchmark::State& state)
{
  iplug::CorvaneEngine engine;
  auto plain = std::make_unique<corvane_test::ReferenceChain>();
  plain->fs = kFs;
  Configure(engine, state);
  Configure(*plain, state);
  engine.Reset(kFs);
  plain->OnReset();
  const Input& in = SharedInput();
  std::vector<double> a(2 * kFrames), b(2 * kFrames);
  double worst = 0.0;
  for (int block = 0; block < kBlocksOfInput; ++block)
  {
    double* ins[2] = {const_cast<double*>(in.l.data()) + block * kFrames,
                      const_cast<double*>(in.r.data()) + block * kFrames};
    double* outsA[2] = {a.data(), a.data() + kFrames};
    double* outsB[2] = {b.data(), b.data() + kFrames};
    engine.ProcessBlock(ins, outsA, kFrames, 2);
    plain->ProcessBlock(ins, outsB, kFrames);
    for (size_t i = 0; i < a.size(); ++i)
      worst = std::max(worst, std::fabs(a[i] - b[i]));
  }
  return worst;
}

void BM_Engine(benchmark::State& state)
{
  state.counters["max_diff_vs_plain"] = MaxDifferenceFromPlain(state);
  iplug::CorvaneEngine engine;
  Configure(engine, state);
  engine.Reset(kFs);
  Run(state, engine, [](iplug::CorvaneEngine& e, double** in, double** out) { e.ProcessBlock(in, out, kFrames, 2); });
}

void BM_EngineMono(benchmark::State& state)
{
  iplug::CorvaneEngine engine;
  Configure(engine, state);
  engine.Reset(kFs);
  Run(state, engine, [](iplug::CorvaneEngine& e, double** in, double** out) { e.ProcessBlock(in, out, kFrames, 1); });
}

void BM_EngineSse2(benchmark::State& state)
{
  const iplug::PreampKernels kernels = iplug::PreampKernelsOfKind(iplug::PreampKernels::kSse2);
  if (!kernels.micStage)
  {
    state.SkipWithError("no SSE2 kernels in this build");
    return;
  }
  iplug::CorvaneEngine engine(kernels);
  Configure(engine, state);
  engine.Reset(kFs);
  Run(state, engine, [](iplug::CorvaneEngine& e, double** in, double** out) { e.ProcessBlock(in, out, kFrames, 2); });
}

void BM_Plain(benchmark::State& state)
{
  auto chain = std::make_unique<corvane_test::ReferenceChain>();
  chain->fs = kFs;
  Configure(*chain, state);
  chain->OnReset();
  Run(state, *chain,
      [](corvane_test::ReferenceChain& c, double** in, double** out) { c.ProcessBlock(in, out, kFrames); });
}

// Arguments: oversampling, preamp in, filter section in, and -1 for "0dB" on
// the line curve or the curve (0 line, 1 mic) at "40dB".
void Modes(benchmark::internal::Benchmark* b)
{
  b->ArgNames({"os", "preamp", "filter", "hot_mic"});
  for (int os : {0, 1})
    for (int preamp : {1, 0})
      for (int filter : {1, 0})
        b->Args({os, preamp, filter, -1});
}

void HotModes(benchmark::internal::Benchmark* b)
{
  b->ArgNames({"os", "preamp", "filter", "hot_mic"});
  for (int os : {0, 1})
    for (int mic : {0, 1})
      b->Args({os, 1, 1, mic});
}

BENCHMARK(BM_Plain)->Apply(Modes);
BENCHMARK(BM_Engine)->Apply(Modes);
BENCHMARK(BM_Plain)->Apply(HotModes);
BENCHMARK(BM_Engine)->Apply(HotModes);
BENCHMARK(BM_EngineMono)->Apply(Modes)->Apply(HotModes);
BENCHMARK(BM_EngineSse2)->Apply(Modes)->Apply(HotModes);

} // namespace

BENCHMARK_MAIN();
