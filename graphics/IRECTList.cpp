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

void IRECTList::AddIfNotEmpty(const IRECT& r)
{
  if (r.W() > 0.f && r.H() > 0.f)
    Add(r);
}

IRECT IRECTList::Split(const IRECT& r, const IRECT& x)
{
  // The two pieces cover r minus x when x sits in a corner of r. When x lies
  // along the middle of an edge the pieces miss part of r; that part is
  // appended too, so no dirty area is lost.
  if (r.L == x.L)
  {
    if (r.T == x.T)
    {
      Add({x.R, r.T, r.R, x.B});
      return {r.L, x.B, r.R, r.B};
    }
    Add({r.L, r.T, r.R, x.T});
    AddIfNotEmpty({r.L, x.B, x.R, r.B});
    return {x.R, x.T, r.R, r.B};
  }
  if (r.T == x.T)
  {
    Add({r.L, r.T, x.L, x.B});
    AddIfNotEmpty({x.R, r.T, r.R, x.B});
    return {r.L, x.B, r.R, r.B};
  }
  Add({r.L, r.T, r.R, x.T});
  AddIfNotEmpty({x.R, x.T, r.R, r.B});
  AddIfNotEmpty({x.L, x.B, x.R, r.B});
  return {r.L, x.T, x.L, r.B};
}

IRECT IRECTList::ShrinkKeepingRest(const IRECT& r, const IRECT& x)
{
  // Shrink keeps the part of r on one side of x. When x crosses r in the
  // middle, the part on the other side is appended instead of dropped.
  if (x.L == r.L && x.R == r.R && x.T > r.T && x.B < r.B)
    AddIfNotEmpty({r.L, x.B, r.R, r.B});
  else if (x.T == r.T && x.B == r.B && x.L > r.L && x.R < r.R)
    AddIfNotEmpty({x.R, r.T, r.R, r.B});
  return Shrink(r, x);
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
          Set(i, ShrinkKeepingRest(a, x));
        else if (b.Mergeable(x))
          Set(j, ShrinkKeepingRest(b, x));
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
