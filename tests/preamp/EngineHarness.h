#pragma once
// Drives the engine (and the reference chain) with stereo blocks.

#include "preamp/CorvaneEngine.h"

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace corvane_test {

struct Stereo
{
  std::vector<double> l, r;
  explicit Stereo(size_t n = 0) : l(n), r(n) {}
  size_t size() const { return l.size(); }
};

// Runs `chain` (anything with ProcessBlock(double**, double**, int)) over the
// whole input in blocks of blockSize.
template <typename Chain>
Stereo RunBlocks(Chain& chain, const Stereo& in, int blockSize)
{
  Stereo out(in.size());
  for (size_t pos = 0; pos < in.size(); pos += blockSize)
  {
    const int n = static_cast<int>(std::min<size_t>(blockSize, in.size() - pos));
    double* ins[2] = {const_cast<double*>(in.l.data() + pos), const_cast<double*>(in.r.data() + pos)};
    double* outs[2] = {out.l.data() + pos, out.r.data() + pos};
    chain.ProcessBlock(ins, outs, n);
  }
  return out;
}

inline Stereo Sine(size_t n, double hz, double amplitude, double fs = 48000.0)
{
  Stereo s(n);
  for (size_t i = 0; i < n; ++i)
    s.l[i] = s.r[i] = amplitude * std::sin(2.0 * std::numbers::pi * hz * i / fs);
  return s;
}

inline double Rms(const std::vector<double>& v, size_t from)
{
  double sum = 0.0;
  for (size_t i = from; i < v.size(); ++i)
    sum += v[i] * v[i];
  return std::sqrt(sum / static_cast<double>(v.size() - from));
}

// Sets the engine to the given parameter values (index order) and resets it.
inline void Configure(iplug::CorvaneEngine& e, std::initializer_list<std::pair<int, double>> values,
                      double fs = 48000.0)
{
  for (auto [idx, v] : values)
    e.OnParamChange(idx, v);
  e.Reset(fs);
}

} // namespace corvane_test
