#pragma once
// Dirty regions of one frame. Storage is kept across Clear() so a list reused
// frame after frame stops allocating once it has grown.

#include <vector>

#include "graphics/IRECT.h"

namespace iplug::igraphics {

class IRECTList
{
public:
  IRECTList() = default;
  IRECTList(const IRECTList&) = delete;
  IRECTList& operator=(const IRECTList&) = delete;

  int Size() const { return static_cast<int>(mRects.size()); }
  void Add(const IRECT& r) { mRects.push_back(r); }
  void Set(int i, const IRECT& r) { mRects[static_cast<size_t>(i)] = r; }
  const IRECT& Get(int i) const { return mRects[static_cast<size_t>(i)]; }
  void Delete(int i) { mRects.erase(mRects.begin() + i); }
  void Clear() { mRects.clear(); }

  /** Union of all entries; empty for an empty list. */
  IRECT Bounds() const;
  void PixelAlign(float scale);

  /** Removes overlap so no area is listed twice, then joins neighbours. */
  void Optimize();

private:
  /** Appends the part of `r` beside `x` and returns the part of `r` below or beside it. */
  IRECT Split(const IRECT& r, const IRECT& x);
  static IRECT Shrink(const IRECT& r, const IRECT& x);
  IRECT ShrinkKeepingRest(const IRECT& r, const IRECT& x);
  void AddIfNotEmpty(const IRECT& r);

  std::vector<IRECT> mRects;
};

} // namespace iplug::igraphics
