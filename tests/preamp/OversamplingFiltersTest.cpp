// Half-band FIRs of the oversampling and decimation paths.
#include "preamp/OSAA.h"
#include "preamp/OSEQ.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace iplug;

namespace {

double OsaaTap(int k) { return OSAA::coef(k <= 64 ? k : 128 - k); }

} // namespace

TEST(OSAA, ImpulseResponseIsTheSymmetricKernel)
{
  OSAA f;
  double sum = 0.0;
  for (int n = 0; n < 200; ++n)
  {
    const double y = f.process(n == 0 ? 1.0 : 0.0);
    const double expected = n < OSAA::kLength ? OsaaTap(n) : 0.0;
    // The alternating offset leaves a residue of the order of 1e-15.
    ASSERT_NEAR(y, expected, 1e-14) << n;
    sum += y;
    if (n == 64)
    {
      EXPECT_NEAR(y, 0.5, 1e-14); // the peak is the 65th output
    }
  }
  EXPECT_NEAR(sum, 0.999994, 1e-12);
}

TEST(OSAA, ConstantSettlesToTheDcGain)
{
  for (double k : {1.0, -0.25, 3e-3})
  {
    OSAA f;
    double y = 0.0;
    for (int n = 0; n < 300; ++n)
      y = f.process(k);
    EXPECT_NEAR(y, 0.999994 * k, 1e-14) << k;
  }
}

TEST(OSAA, ClearEmptiesTheLineButKeepsTheOffsetPhase)
{
  OSAA f;
  for (int n = 0; n < 77; ++n)
    f.process(0.7);
  const double offset = f.offset;
  f.clear();
  EXPECT_EQ(f.offset, offset);
  for (int k = 0; k < OSAA::kLength; ++k)
    ASSERT_EQ(f.line(k), 0.0);
  EXPECT_NEAR(f.process(0.0), 0.0, 1e-14);
  EXPECT_EQ(f.line(0), -offset); // newest sample carries the flipped offset
}

TEST(OSAA, LineHoldsTheLast129SamplesNewestFirst)
{
  OSAA f;
  for (int n = 1; n <= 400; ++n)
    f.process(n);
  for (int k = 0; k < OSAA::kLength; ++k)
    ASSERT_NEAR(f.line(k), 400 - k, 1e-12) << k;
}

TEST(OSEQ, PairRules)
{
  struct Case
  {
    double first, second, settles;
  };
  for (const Case c : {Case{1.0, 0.0, 1.0}, {0.0, 1.0, 0.999988}, {1.0, 1.0, 1.999988}, {-0.3, 0.0, -0.3}})
  {
    OSEQ d;
    double y = 0.0;
    for (int n = 0; n < 100; ++n)
      y = d.process(c.first, c.second);
    if (c.second == 0.0)
      EXPECT_EQ(y, c.settles); // only the centre tap sees the first samples
    else
      EXPECT_NEAR(y, c.settles, 1e-12);
  }
}

TEST(OSEQ, CurrentPairEntersFromTheNextCallOn)
{
  OSEQ second, first;
  EXPECT_EQ(second.process(0.0, 1.0), 0.0);
  EXPECT_EQ(second.process(0.0, 0.0), 2.0 * -1.6e-05); // through coef[1]

  for (int n = 0; n < 40; ++n)
  {
    const double y = first.process(n == 0 ? 1.0 : 0.0, 0.0);
    EXPECT_EQ(y, n == 16 ? 1.0 : 0.0) << n; // once, through the centre tap
  }
}

TEST(OSEQ, ClearEmptiesTheLine)
{
  OSEQ d;
  for (int n = 0; n < 50; ++n)
    d.process(0.5, -0.5);
  d.clear();
  for (int k = 0; k < OSEQ::kLength; ++k)
    ASSERT_EQ(d.line(k), 0.0);
  EXPECT_EQ(d.process(0.0, 0.0), 0.0);
}
