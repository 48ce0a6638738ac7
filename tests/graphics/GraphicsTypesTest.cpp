#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "graphics/IMatrix.h"
#include "graphics/IRECTList.h"
#include "graphics/IText.h"

using namespace iplug::igraphics;

namespace {

std::vector<IRECT> Optimized(std::initializer_list<IRECT> rects)
{
  IRECTList list;
  for (const IRECT& r : rects)
    list.Add(r);
  list.Optimize();
  std::vector<IRECT> out;
  for (int i = 0; i < list.Size(); ++i)
    out.push_back(list.Get(i));
  return out;
}

float AreaOf(const std::vector<IRECT>& rects)
{
  float a = 0.f;
  for (const IRECT& r : rects)
    a += r.Area();
  return a;
}

} // namespace

TEST(IRECT, EmptyRectangleHitsNothing)
{
  const IRECT empty;
  EXPECT_FALSE(empty.Contains(0.f, 0.f));
  EXPECT_FALSE(empty.Intersects(IRECT(-1, -1, 1, 1)));
  EXPECT_FALSE(IRECT(-1, -1, 1, 1).Contains(empty));
  EXPECT_FALSE(IRECT(-1, -1, 1, 1).Intersects(empty));
  EXPECT_EQ(IRECT(-1, -1, 1, 1).Intersect(IRECT(5, 5, 6, 6)), IRECT());
}

TEST(IRECT, PointContainmentIsHalfOpen)
{
  const IRECT r(10, 20, 30, 40);
  struct
  {
    float x, y;
    bool inside;
  } cases[] = {
    {10, 20, true}, {29.99f, 39.99f, true}, {30, 25, false}, {15, 40, false}, {9.99f, 25, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(r.Contains(c.x, c.y), c.inside) << c.x << "," << c.y;
}

TEST(IRECT, UnionMergeableAndAlignment)
{
  EXPECT_EQ(IRECT().Union(IRECT(1, 2, 3, 4)), IRECT(1, 2, 3, 4));
  EXPECT_EQ(IRECT(0, 0, 1, 1).Union(IRECT(2, 2, 3, 3)), IRECT(0, 0, 3, 3));
  EXPECT_TRUE(IRECT(0, 0, 10, 10).Mergeable(IRECT(0, 10, 10, 20)));   // stacked, shared edge
  EXPECT_TRUE(IRECT(0, 0, 10, 10).Mergeable(IRECT(10, 0, 20, 10)));   // side by side
  EXPECT_FALSE(IRECT(0, 0, 10, 10).Mergeable(IRECT(0, 11, 10, 20)));  // gap
  EXPECT_FALSE(IRECT(0, 0, 10, 10).Mergeable(IRECT(10, 10, 20, 20))); // corner only
  EXPECT_EQ(IRECT(0.3f, 0.3f, 10.2f, 10.2f).GetPixelAligned(2.f), IRECT(0, 0, 10.5f, 10.5f));
  EXPECT_EQ(IRECT(0.3f, 0.3f, 10.2f, 10.2f).GetPixelAligned(1.f), IRECT(0, 0, 11, 11));
}

TEST(IRECTList, OptimizeCases)
{
  // Identical rectangles collapse to one.
  EXPECT_EQ(Optimized({{0, 0, 10, 10}, {0, 0, 10, 10}}), (std::vector<IRECT>{{0, 0, 10, 10}}));
  // Equal height side by side with a shared edge: their union.
  EXPECT_EQ(Optimized({{0, 0, 10, 10}, {10, 0, 20, 10}}), (std::vector<IRECT>{{0, 0, 20, 10}}));
  // Touching at a corner only: both stay.
  EXPECT_EQ(Optimized({{0, 0, 10, 10}, {10, 10, 20, 20}}), (std::vector<IRECT>{{0, 0, 10, 10}, {10, 10, 20, 20}}));
  // One containing all the others, whichever position it has.
  EXPECT_EQ(Optimized({{1, 1, 2, 2}, {0, 0, 50, 50}, {5, 5, 9, 30}}), (std::vector<IRECT>{{0, 0, 50, 50}}));
  // A shrinks away from an overlap along its edge: (0,0,10,10) and (5,0,15,10) share the full height.
  EXPECT_EQ(Optimized({{0, 0, 10, 10}, {5, 0, 15, 10}}), (std::vector<IRECT>{{0, 0, 15, 10}}));
  EXPECT_TRUE(Optimized({}).empty());
}

TEST(IRECTList, EqualAreasSplitTheLaterRectangle)
{
  IRECTList list;
  list.Add({0, 0, 10, 10});
  list.Add({5, 5, 15, 15});
  list.Optimize();
  // The earlier one survives whole; the later one is cut into pieces outside it.
  ASSERT_GE(list.Size(), 2);
  bool earlierIntact = false;
  for (int i = 0; i < list.Size(); ++i)
    earlierIntact |= list.Get(i) == IRECT(0, 0, 10, 10);
  EXPECT_TRUE(earlierIntact);
  std::vector<IRECT> rects;
  for (int i = 0; i < list.Size(); ++i)
    rects.push_back(list.Get(i));
  EXPECT_FLOAT_EQ(AreaOf(rects), 175.f); // 100 + 100 - 25 overlap: nothing drawn twice
  for (size_t i = 0; i < rects.size(); ++i)
    for (size_t j = i + 1; j < rects.size(); ++j)
      EXPECT_LE(rects[i].Intersect(rects[j]).Area(), 0.f);
}

TEST(IRECTList, BiggerLaterRectangleSplitsTheEarlierOne)
{
  IRECTList list;
  list.Add({0, 0, 10, 10});
  list.Add({5, 5, 25, 25});
  list.Optimize();
  bool laterIntact = false;
  for (int i = 0; i < list.Size(); ++i)
    laterIntact |= list.Get(i) == IRECT(5, 5, 25, 25);
  EXPECT_TRUE(laterIntact);
}

TEST(IRECTList, OverlapAcrossTheMiddleKeepsBothSides)
{
  // The overlap spans the tall rectangle's full width in its middle: its top and bottom both stay dirty.
  EXPECT_EQ(Optimized({{0, 0, 10, 30}, {-5, 10, 15, 20}}),
            (std::vector<IRECT>{{0, 0, 10, 10}, {-5, 10, 15, 20}, {0, 20, 10, 30}}));
  // A narrow rectangle poking into the middle of a wide one's top edge.
  const auto split = Optimized({{0, 0, 30, 30}, {10, -5, 15, 40}});
  EXPECT_FLOAT_EQ(AreaOf(split), 900.f + 5.f * 15.f);
}

TEST(IRECTList, OptimizeKeepsExactlyTheDirtyAreaOnce)
{
  // Random integer rectangles on a small raster: every dirty cell is covered exactly once afterwards.
  std::mt19937 rng(42);
  for (int iter = 0; iter < 3000; ++iter)
  {
    IRECTList list;
    int dirty[32][32] = {};
    const int n = 1 + static_cast<int>(rng() % 7);
    for (int k = 0; k < n; ++k)
    {
      const int x = rng() % 20, y = rng() % 20, w = 1 + rng() % 10, h = 1 + rng() % 10;
      list.Add(IRECT(x, y, x + w, y + h));
      for (int i = x; i < x + w; ++i)
        for (int j = y; j < y + h; ++j)
          dirty[i][j] = 1;
    }
    list.Optimize();
    int drawn[32][32] = {};
    for (int k = 0; k < list.Size(); ++k)
    {
      const IRECT r = list.Get(k);
      for (int i = static_cast<int>(r.L); i < static_cast<int>(r.R); ++i)
        for (int j = static_cast<int>(r.T); j < static_cast<int>(r.B); ++j)
          ++drawn[i][j];
    }
    for (int i = 0; i < 32; ++i)
      for (int j = 0; j < 32; ++j)
        ASSERT_EQ(drawn[i][j], dirty[i][j]) << "iteration " << iter << " cell " << i << "," << j;
  }
}

TEST(IRECTList, BoundsAndStorageReuse)
{
  IRECTList list;
  EXPECT_EQ(list.Bounds(), IRECT());
  list.Add({5, 5, 6, 6});
  list.Add({-1, 2, 3, 10});
  EXPECT_EQ(list.Bounds(), IRECT(-1, 2, 6, 10));
  list.Clear();
  EXPECT_EQ(list.Size(), 0);
}

TEST(IMatrix, ComposesInLocalCoordinates)
{
  IMatrix m;
  m.Translate(10, 20).Scale(2, 3);
  double x = 1, y = 1;
  m.TransformPoint(x, y);
  EXPECT_DOUBLE_EQ(x, 12);
  EXPECT_DOUBLE_EQ(y, 23);

  IMatrix r;
  r.Translate(5, 0).Rotate(90);
  x = 1, y = 0;
  r.TransformPoint(x, y);
  EXPECT_NEAR(x, 5, 1e-12);
  EXPECT_NEAR(y, 1, 1e-12);

  IMatrix a, b;
  a.Translate(3, 4).Rotate(30).Scale(2, 0.5);
  b.Transform(IMatrix().Translate(3, 4)).Transform(IMatrix().Rotate(30)).Transform(IMatrix().Scale(2, 0.5));
  EXPECT_NEAR(a.mXX, b.mXX, 1e-12);
  EXPECT_NEAR(a.mXY, b.mXY, 1e-12);
  EXPECT_NEAR(a.mTX, b.mTX, 1e-12);
  EXPECT_NEAR(a.mTY, b.mTY, 1e-12);
}

TEST(IColor, BackendColourFollowsTheBlendWeight)
{
  const IColorF c = ToBackendColor(IColor(255, 51, 102, 255), 0.5f);
  EXPECT_FLOAT_EQ(c.r, 0.2f);
  EXPECT_FLOAT_EQ(c.g, 0.4f);
  EXPECT_FLOAT_EQ(c.b, 1.f);
  EXPECT_FLOAT_EQ(c.a, 0.5f);
}

TEST(IText, DefaultStyles)
{
  EXPECT_STREQ(DEFAULT_TEXT.mFont, "Roboto-Regular");
  EXPECT_EQ(DEFAULT_TEXT.mSize, 14.f);
  EXPECT_EQ(DEFAULT_LABEL_TEXT.mSize, 19.f);
  EXPECT_EQ(DEFAULT_LABEL_TEXT.mVAlign, ETextVAlign::Top);
  EXPECT_EQ(DEFAULT_VALUE_TEXT.mVAlign, ETextVAlign::Bottom);
  IText t;
  t.SetFont(std::string(100, 'x').c_str());
  EXPECT_EQ(std::strlen(t.mFont), 63u);
}
