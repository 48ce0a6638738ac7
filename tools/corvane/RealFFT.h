#pragma once
// The discrete Fourier transform of real signals, on kissfft (single
// precision): the analysis measures through a float interface, so float
// transforms lose nothing the signals carry.

#include <complex>
#include <memory>
#include <vector>

struct kiss_fftr_state;

namespace corvane::host {

class RealFFT
{
public:
  /** A transform of `size` points; `size` must be even and at least 2. */
  explicit RealFFT(int size);

  int Size() const { return mSize; }
  int Bins() const { return mSize / 2 + 1; }

  /** `time` holds Size() samples; the result Bins() bins, unscaled. */
  std::vector<std::complex<float>> Forward(const std::vector<float>& time) const;
  /** `spectrum` holds Bins() bins; the result Size() samples, scaled by 1 / Size(). */
  std::vector<float> Inverse(const std::vector<std::complex<float>>& spectrum) const;

  /** The smallest even size of at least `n` points whose half has no prime factor
      above 5, the sizes the library transforms fastest. */
  static int FastSize(int n);

private:
  struct Free
  {
    void operator()(kiss_fftr_state* state) const;
  };
  int mSize;
  std::unique_ptr<kiss_fftr_state, Free> mForward, mInverse;
};

} // namespace corvane::host
