#include <gtest/gtest.h>

#include "core/IPlugQueue.h"

using iplug::IPlugQueue;

TEST(PlugQueue, HoldsOneLessThanItsSlotsAndDropsTheNewest)
{
  IPlugQueue<int> queue(513);
  int pushed = 0;
  for (int i = 0; i < 513; ++i)
    pushed += queue.TryPush(i) ? 1 : 0;
  EXPECT_EQ(pushed, 512);
  EXPECT_EQ(queue.Count(), 512u);

  int value = -1;
  ASSERT_TRUE(queue.TryPop(value));
  EXPECT_EQ(value, 0); // first in, first out; the 513th (512) was dropped
  for (int i = 1; i < 512; ++i)
    ASSERT_TRUE(queue.TryPop(value));
  EXPECT_EQ(value, 511);
  EXPECT_FALSE(queue.TryPop(value));
  EXPECT_EQ(value, 511); // a failed pop leaves the output alone
}

TEST(PlugQueue, CountsAcrossTheWrapOfTheIndices)
{
  IPlugQueue<int> queue(5);
  int value = 0;
  for (int i = 0; i < 3; ++i)
    queue.TryPush(i);
  queue.TryPop(value);
  queue.TryPop(value);
  queue.TryPush(3);
  queue.TryPush(4); // write index wraps to 0 while read is 2
  queue.TryPush(5);
  EXPECT_EQ(queue.Count(), 4u);
  EXPECT_FALSE(queue.TryPush(6));
  for (int expected : {2, 3, 4, 5})
  {
    ASSERT_TRUE(queue.TryPop(value));
    EXPECT_EQ(value, expected);
  }
  EXPECT_EQ(queue.Count(), 0u);
}
