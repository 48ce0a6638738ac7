#include "graphics/IRECTList.h"

namespace iplug::igraphics {

IRECT IRECTList::Bounds() const
{
  if (mRects.empty())
    return {};
  IRECT r = mRects.front();
  for (const IRECT& e : mRects)
    r = r.Union(e);
  return r;
}

void IRECTList::PixelAlign(float scale)
{
  for (IRECT& r : mRects)
    r.PixelAlign(scale);
}

IRECT IRECTList::Shrink(const IRECT& r, const IRECT& x)
{
  if (x.L != r.L)
    return {r.L, r.T, x.L, r.B};
  if (x.T != r.T)
    return {r.L, r.T, r.R, x.T};
  if (x.R != r.R)
    return {x.R, r.T, r.R, r.B};
  return {r.L, x.B, r.R, r.B};
}

IRECT IRECTList::Split(const IRECT& r, const IRECT& x)
{
  if (r.L == x.L)
  {
    if (r.T == x.T)
    {
      Add({x.R, r.T, r.R, x.B});
      return {r.L, x.B, r.R, r.B};
    }
    Add({r.L, r.T, r.R, x.T});
    return {x.R, x.T, r.R, r.B};
  }
  if (r.T == x.T)
  {
    Add({r.L, r.T, x.L, x.B});
    return {r.L, x.B, r.R, r.B};
  }
  Add({r.L, r.T, r.R, x.T});
  return {r.L, x.T, x.L, r.B};
}

void IRECTList::Optimize()
{
  if (mRects.empty())
    return;

  // Overlap pass. Entries are read by value: Split may grow (and move) the storage.
  for (int i = 0; i < Size(); ++i)
  {
    for (int j = i + 1; j < Size();)
    {
      const IRECT a = Get(i);
      const IRECT b = Get(j);
      if (a.Contains(b))
      {
        Delete(j);
        continue;
      }
      if (b.Contains(a))
      {
        Delete(i);
        j = i + 1;
        continue;
      }
      if (a.Intersects(b))
      {
        const IRECT x = a.Intersect(b);
        if (a.Mergeable(x))
          Set(i, Shrink(a, x));
        else if (b.Mergeable(x))
          Set(j, Shrink(b, x));
        else if (b.Area() > a.Area())
          Set(i, Split(a, x));
        else
          Set(j, Split(b, x));
      }
      ++j;
    }
  }

  // Merge pass: join any mergeable pair and start over until none is left.
  for (int i = 0; i < Size(); ++i)
  {
    for (int j = i + 1; j < Size(); ++j)
    {
      if (Get(i).Mergeable(Get(j)))
      {
        Set(j, Get(i).Union(Get(j)));
        Delete(i);
        i = -1;
        break;
      }
    }
  }
}

} // namespace iplug::igraphics
