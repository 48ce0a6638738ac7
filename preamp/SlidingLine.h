#pragma once

#include <algorithm>

namespace iplug {

// A delay line kept in time order, so that filters can read any stretch of
// it as a plain array: samples are appended at the end, and once the space
// behind them runs out the last kHistory move back to the front. Appending
// n samples therefore costs n stores and, every kSpace samples or so, one
// copy of the history.
template <int kHistory, int kSpace>
class SlidingLine
{
public:
  // Room for n new samples (n <= kSpace) at the end; the kHistory samples
  // before it are the newest so far. The samples count as appended at once.
  double* Append(int n)
  {
    if (mEnd + n > kHistory + kSpace)
    {
      std::copy(mData + mEnd - kHistory, mData + mEnd, mData);
      mEnd = kHistory;
    }
    double* at = mData + mEnd;
    mEnd += n;
    return at;
  }

  // The last kHistory samples, oldest first.
  const double* History() const { return mData + mEnd - kHistory; }

  // A line of zeros.
  void Clear()
  {
    std::fill(mData, mData + kHistory + kSpace, 0.0);
    mEnd = kHistory;
  }

private:
  double mData[kHistory + kSpace] = {};
  int mEnd = kHistory;
};

} // namespace iplug
