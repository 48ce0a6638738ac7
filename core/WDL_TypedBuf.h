#pragma once
// Growable array of plain values. Resize keeps the existing contents.

#include <vector>

template <class T>
class WDL_TypedBuf
{
public:
  T* Get() { return mData.data(); }
  const T* Get() const { return mData.data(); }
  int GetSize() const { return static_cast<int>(mData.size()); }

  /** Resizes to `count` elements (negative counts as zero); returns the data. */
  T* Resize(int count)
  {
    mData.resize(count > 0 ? static_cast<size_t>(count) : 0);
    return mData.data();
  }
  /** Appends `count` copies of `values` (or value-initialised elements when null). */
  T* Add(const T* values, int count = 1)
  {
    const size_t at = mData.size();
    if (count <= 0)
      return mData.data() + at;
    if (values)
      mData.insert(mData.end(), values, values + count);
    else
      mData.resize(at + static_cast<size_t>(count));
    return mData.data() + at;
  }
  void Add(const T& value) { mData.push_back(value); }
  void Clear() { mData.clear(); }

private:
  std::vector<T> mData;
};
