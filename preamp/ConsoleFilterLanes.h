#pragma once

// The console filters of one or two channels, each value holding one sample
// of every channel. Internal linkage, as in SimdLanes.h.

#include "preamp/HPF73.h"
#include "preamp/LPF73.h"

namespace iplug::simd {
namespace {

// The console filters of kChannels channels, each value V holding one
// sample of every channel (double for one, a pair of lanes for two), with
// every lane computing exactly what the filters compute alone.
template <class V, int kChannels, bool kLowpass, bool kFilterOn>
struct ConsoleFilters
{
  // One field of every channel's filter.
  template <class Filter>
  static V Gather(Filter* const* f, double Filter::*field)
  {
    if constexpr (kChannels == 1)
      return f[0]->*field;
    else
      return V{f[0]->*field, f[1]->*field};
  }
  template <class Filter>
  static void Scatter(Filter* const* f, double Filter::*field, V v)
  {
    if constexpr (kChannels == 1)
      f[0]->*field = v;
    else
      for (int c = 0; c < kChannels; ++c)
        f[c]->*field = v[c];
  }

  struct Highpass
  {
    V b0, b1, b2, b3, a0, a1, a2, a3, x1, x2, x3, y1, y2, y3;

    explicit Highpass(HPF73* const* f)
    : b0(Gather(f, &HPF73::b0))
    , b1(Gather(f, &HPF73::b1))
    , b2(Gather(f, &HPF73::b2))
    , b3(Gather(f, &HPF73::b3))
    , a0(Gather(f, &HPF73::a0))
    , a1(Gather(f, &HPF73::a1))
    , a2(Gather(f, &HPF73::a2))
    , a3(Gather(f, &HPF73::a3))
    , x1(Gather(f, &HPF73::x1))
    , x2(Gather(f, &HPF73::x2))
    , x3(Gather(f, &HPF73::x3))
    , y1(Gather(f, &HPF73::y1))
    , y2(Gather(f, &HPF73::y2))
    , y3(Gather(f, &HPF73::y3))
    {}

    void Save(HPF73* const* f) const
    {
      Scatter(f, &HPF73::x0, x1);
      Scatter(f, &HPF73::x1, x1);
      Scatter(f, &HPF73::x2, x2);
      Scatter(f, &HPF73::x3, x3);
      Scatter(f, &HPF73::y0, y1);
      Scatter(f, &HPF73::y1, y1);
      Scatter(f, &HPF73::y2, y2);
      Scatter(f, &HPF73::y3, y3);
    }

    // The sum and the division of HPF73::Process, built here for this
    // file's instruction set.
    [[gnu::always_inline]] V Step(V x)
    {
      const V y = (b0 * x + b1 * x1 + b2 * x2 + b3 * x3 - a1 * y1 - a2 * y2 - a3 * y3) / a0;
      x3 = x2;
      x2 = x1;
      x1 = x;
      y3 = y2;
      y2 = y1;
      y1 = y;
      return y;
    }
  };

  Highpass sub, hpf;
  V b0, b1, b2, a1, a2; // the low-pass over a0
  V x1, x2, y1, y2;     // and its state

  ConsoleFilters(HPF73* const* subs, HPF73* const* hpfs, LPF73* const* lpfs, const double* const* lowpass)
  : sub(subs)
  , hpf(hpfs)
  , x1(Gather(lpfs, &LPF73::x1))
  , x2(Gather(lpfs, &LPF73::x2))
  , y1(Gather(lpfs, &LPF73::y1))
  , y2(Gather(lpfs, &LPF73::y2))
  {
    V* const coefficients[5] = {&b0, &b1, &b2, &a1, &a2};
    for (int k = 0; k < 5; ++k)
    {
      if constexpr (kChannels == 1)
        *coefficients[k] = lowpass[0][k];
      else
        *coefficients[k] = V{lowpass[0][k], lowpass[1][k]};
    }
  }

  void Save(HPF73* const* subs, HPF73* const* hpfs, LPF73* const* lpfs) const
  {
    if constexpr (!kFilterOn)
      sub.Save(subs);
    hpf.Save(hpfs);
    if constexpr (kLowpass)
    {
      Scatter(lpfs, &LPF73::x0, x1);
      Scatter(lpfs, &LPF73::x1, x1);
      Scatter(lpfs, &LPF73::x2, x2);
      Scatter(lpfs, &LPF73::y0, y1);
      Scatter(lpfs, &LPF73::y1, y1);
      Scatter(lpfs, &LPF73::y2, y2);
    }
  }

  // The section's output for input x (its polarity already applied); with
  // the low-pass, also its two outputs of the frame.
  [[gnu::always_inline]] V Step(V x, V& first, V& second)
  {
    const V f = kFilterOn ? x : sub.Step(x);
    const V h = hpf.Step(f);
    if constexpr (kLowpass)
    {
      // Two steps per frame, on h and on a zero, multiplying by the
      // coefficients over a0.
      const V a = (b0 * h + b1 * x1 + b2 * x2 - a2 * y2) - a1 * y1;
      const V b = (b1 * h + b2 * x1 - a2 * y1) - a1 * a;
      x2 = h;
      x1 = V{};
      y2 = a;
      y1 = b;
      first = a;
      second = b;
      return f;
    }
    else
      return kFilterOn ? h : f;
  }
};

} // namespace
} // namespace iplug::simd
