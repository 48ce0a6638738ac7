#include "tools/corvane/RealFFT.h"

#include "tools/corvane/ToolError.h"

#include <kiss_fftr.h>

#include <cstdlib>
#include <string>

namespace corvane::host {

// Both types are two floats, real then imaginary, as the library's functions
// read and write them.
static_assert(sizeof(kiss_fft_cpx) == sizeof(std::complex<float>));

void RealFFT::Free::operator()(kiss_fftr_state* state) const { kiss_fftr_free(state); }

RealFFT::RealFFT(int size) : mSize(size)
{
  if (size < 2 || size % 2 != 0)
    throw ToolError("invalid transform size " + std::to_string(size));
  mForward.reset(kiss_fftr_alloc(size, 0, nullptr, nullptr));
  mInverse.reset(kiss_fftr_alloc(size, 1, nullptr, nullptr));
  if (!mForward || !mInverse)
    throw ToolError("out of memory for a transform of " + std::to_string(size) + " points");
}

std::vector<std::complex<float>> RealFFT::Forward(const std::vector<float>& time) const
{
  if (static_cast<int>(time.size()) != mSize)
    throw ToolError("transform input of the wrong length");
  std::vector<std::complex<float>> spectrum(static_cast<size_t>(Bins()));
  kiss_fftr(mForward.get(), time.data(), reinterpret_cast<kiss_fft_cpx*>(spectrum.data()));
  return spectrum;
}

std::vector<float> RealFFT::Inverse(const std::vector<std::complex<float>>& spectrum) const
{
  if (static_cast<int>(spectrum.size()) != Bins())
    throw ToolError("transform input of the wrong length");
  std::vector<float> time(static_cast<size_t>(mSize));
  kiss_fftri(mInverse.get(), reinterpret_cast<const kiss_fft_cpx*>(spectrum.data()), time.data());
  const float scale = 1.0f / static_cast<float>(mSize);
  for (float& v : time)
    v *= scale;
  return time;
}

int RealFFT::FastSize(int n) { return kiss_fftr_next_fast_size_real(n < 2 ? 2 : n); }

} // namespace corvane::host
