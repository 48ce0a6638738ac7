#include <gtest/gtest.h>

#include "core/WDL_PtrList.h"
#include "core/WDL_String.h"
#include "core/WDL_TypedBuf.h"

namespace {
struct Counted
{
  explicit Counted(int* live) : mLive(live) { ++*mLive; }
  ~Counted() { --*mLive; }
  int* mLive;
};
} // namespace

TEST(WDLString, FormattingIsCutAtTheLimitAndNullClears)
{
  WDL_String s;
  s.SetFormatted(5, "%d-%s", 1234, "abc");
  EXPECT_STREQ(s.Get(), "1234-");
  s.AppendFormatted(0, "%.1f", 0.25);
  EXPECT_STREQ(s.Get(), "1234-0.2");
  s.Set("hello", 3);
  EXPECT_STREQ(s.Get(), "hel");
  s.Set(nullptr);
  EXPECT_STREQ(s.Get(), "");
  s.DeleteSub(4, 10); // out of range: no effect
  EXPECT_EQ(s.GetLength(), 0);
}

TEST(WDLPtrList, OwningListDeletesOnClearAndDestructionOnlyWhenOwning)
{
  int live = 0;
  {
    WDL_PtrList_OwningDelete<Counted> owning;
    owning.Add(new Counted(&live));
    owning.Add(new Counted(&live));
    owning.Delete(0);
    EXPECT_EQ(live, 1);
  }
  EXPECT_EQ(live, 0);

  Counted a(&live);
  {
    WDL_PtrList<Counted> borrowing;
    borrowing.Add(&a);
    EXPECT_EQ(borrowing.Get(1), nullptr);
    EXPECT_EQ(borrowing.Find(&a), 0);
  }
  EXPECT_EQ(live, 1);
}

TEST(WDLTypedBuf, ResizeKeepsContents)
{
  WDL_TypedBuf<int> buf;
  int values[] = {1, 2, 3};
  buf.Add(values, 3);
  buf.Resize(5);
  EXPECT_EQ(buf.Get()[2], 3);
  EXPECT_EQ(buf.GetSize(), 5);
  buf.Resize(-1);
  EXPECT_EQ(buf.GetSize(), 0);
}
