#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "core/Base64.h"
#include "core/IByteChunk.h"

using namespace iplug;

namespace {
IByteChunk FromBytes(std::initializer_list<uint8_t> bytes)
{
  IByteChunk chunk;
  for (uint8_t b : bytes)
    chunk.WriteValue(b);
  return chunk;
}

std::string Decode(const std::string& text, size_t outSize, size_t* produced = nullptr)
{
  std::string out(outSize, '\0');
  const size_t n = Base64Decode(text.c_str(), text.size(), reinterpret_cast<uint8_t*>(out.data()), outSize);
  if (produced)
    *produced = n;
  return out;
}
} // namespace

TEST(ByteChunkRoundTrip, ValuesAndStringsComeBackInOrder)
{
  IByteChunk chunk;
  chunk.WriteValue(int32_t{-7});
  chunk.WriteValue(1.5f);
  chunk.WriteValue(3.25);
  chunk.WriteValue(true);
  chunk.WriteString("hello");
  EXPECT_EQ(chunk.Size(), 4 + 4 + 8 + 1 + 4 + 5);

  int32_t i = 0;
  float f = 0;
  double d = 0;
  bool b = false;
  WDL_String s;
  int pos = chunk.ReadValue(i, 0);
  pos = chunk.ReadValue(f, pos);
  pos = chunk.ReadValue(d, pos);
  pos = chunk.ReadValue(b, pos);
  pos = chunk.ReadString(s, pos);
  EXPECT_EQ(pos, chunk.Size());
  EXPECT_EQ(i, -7);
  EXPECT_EQ(f, 1.5f);
  EXPECT_EQ(d, 3.25);
  EXPECT_TRUE(b);
  EXPECT_STREQ(s.Get(), "hello");
}

TEST(ByteChunkRoundTrip, NativeLittleEndianLayoutWithoutPadding)
{
  IByteChunk chunk;
  chunk.WriteValue(int32_t{0x01020304});
  chunk.WriteString("ab");
  const uint8_t expected[] = {4, 3, 2, 1, 2, 0, 0, 0, 'a', 'b'};
  ASSERT_EQ(chunk.Size(), 10);
  EXPECT_EQ(std::memcmp(chunk.Data(), expected, sizeof(expected)), 0);

  IByteChunk other;
  other.WriteChunk(chunk);
  other.WriteChunk(IByteChunk());
  EXPECT_TRUE(other.IsEqual(chunk));
  other.Clear();
  EXPECT_EQ(other.Size(), 0);
}

TEST(ByteChunkReads, ChainOfReadsFailsFromTheFirstShortOne)
{
  IByteChunk chunk = FromBytes({1, 0, 0, 0, 9, 9});
  int32_t a = 0, b = 77, c = 88;
  int pos = chunk.ReadValue(a, 0);
  EXPECT_EQ(pos, 4);
  pos = chunk.ReadValue(b, pos); // only 2 bytes left
  EXPECT_EQ(pos, -1);
  EXPECT_EQ(b, 77); // untouched
  pos = chunk.ReadValue(c, pos);
  EXPECT_EQ(pos, -1);
  EXPECT_EQ(c, 88);

  EXPECT_EQ(chunk.ReadValue(a, chunk.Size()), -1);
  EXPECT_EQ(chunk.ReadValue(a, std::numeric_limits<int>::max()), -1); // no overflow in the bound check
  uint8_t byte = 0;
  EXPECT_EQ(chunk.ReadValue(byte, 5), 6);
  EXPECT_EQ(chunk.ReadBytes(&byte, -1, 0), -1);
}

TEST(ByteChunkReads, AnyNonZeroByteReadsAsTrue)
{
  IByteChunk chunk = FromBytes({0, 2, 255});
  bool b = true;
  EXPECT_EQ(chunk.ReadValue(b, 0), 1);
  EXPECT_FALSE(b);
  chunk.ReadValue(b, 1);
  EXPECT_TRUE(b);
  chunk.ReadValue(b, 2);
  EXPECT_TRUE(b);
}

TEST(ByteChunkStrings, EmptyEmbeddedNulAndBadLengths)
{
  WDL_String s("keep");
  IByteChunk empty = FromBytes({0, 0, 0, 0});
  EXPECT_EQ(empty.ReadString(s, 0), 4);
  EXPECT_STREQ(s.Get(), "");

  IByteChunk nul = FromBytes({3, 0, 0, 0, 'a', 0, 'b'});
  EXPECT_EQ(nul.ReadString(s, 0), 7);
  EXPECT_STREQ(s.Get(), "a");

  s.Set("keep");
  IByteChunk overrun = FromBytes({9, 0, 0, 0, 'a', 'b'});
  EXPECT_EQ(overrun.ReadString(s, 0), -1);
  EXPECT_STREQ(s.Get(), "keep");

  IByteChunk negative = FromBytes({0xFF, 0xFF, 0xFF, 0xFF, 'a'}); // -1 would step backwards
  EXPECT_EQ(negative.ReadString(s, 0), -1);
  IByteChunk huge = FromBytes({0xFF, 0xFF, 0xFF, 0x7F});
  EXPECT_EQ(huge.ReadString(s, 0), -1);
  EXPECT_EQ(empty.ReadString(s, 2), -1);
  EXPECT_STREQ(s.Get(), "keep");
}

TEST(Base64, EncodesWithPadding)
{
  auto enc = [](const char* text) { return Base64Encode(reinterpret_cast<const uint8_t*>(text), std::strlen(text)); };
  EXPECT_EQ(enc("abc"), "YWJj");
  EXPECT_EQ(enc("a"), "YQ==");
  EXPECT_EQ(enc("ab"), "YWI=");
  EXPECT_EQ(enc(""), "");
  const uint8_t all[] = {0xFB, 0xFF, 0xBF};
  EXPECT_EQ(Base64Encode(all, 3), "+/+/");
}

TEST(Base64, DecodesUntilOutsideAlphabetOrSizeReached)
{
  size_t n = 0;
  EXPECT_EQ(Decode("YWJj", 3, &n), "abc");
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(Decode("YQ==", 3, &n), std::string("a\0\0", 3)); // stops at '=', rest left zero
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(Decode("YWJj", 2, &n), "ab");
  EXPECT_EQ(Decode("YW!j", 3, &n), std::string("a\0\0", 3));
  EXPECT_EQ(Decode("", 2, &n), std::string(2, '\0'));
  EXPECT_EQ(n, 0u);
}
