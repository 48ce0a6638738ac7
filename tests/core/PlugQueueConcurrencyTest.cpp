#include <gtest/gtest.h>

#include "core/IPlugQueue.h"

#include <thread>

using iplug::IPlugQueue;

TEST(PlugQueueConcurrency, ProducerAndConsumerThreadsSeeEveryElementInOrder)
{
  struct Item
  {
    int index;
    double payload[3];
  };
  IPlugQueue<Item> queue(33);
  constexpr int kItems = 200000;

  std::thread producer([&] {
    for (int i = 0; i < kItems;)
      if (queue.TryPush(Item{i, {i * 1.0, i * 2.0, i * 3.0}}))
        ++i;
  });

  int expected = 0;
  bool intact = true;
  while (expected < kItems)
  {
    Item item;
    if (!queue.TryPop(item))
      continue;
    intact = intact && item.index == expected && item.payload[2] == expected * 3.0;
    ++expected;
  }
  producer.join();
  EXPECT_TRUE(intact);
}
