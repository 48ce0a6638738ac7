// The decoder over arbitrary text and output sizes, and the encoder's round
// trip: decoding never writes past the requested size.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/Base64.h"

using namespace iplug;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1)
    return 0;
  const size_t outSize = data[0] * 4u; // bounded, independent of the text
  const char* text = reinterpret_cast<const char*>(data + 1);
  const size_t textLen = size - 1;

  std::vector<uint8_t> out(outSize + 8, 0xA5);
  const size_t produced = Base64Decode(text, textLen, out.data(), outSize);
  if (produced > outSize)
    std::abort();
  for (size_t i = outSize; i < out.size(); ++i)
    if (out[i] != 0xA5)
      std::abort();

  const std::string encoded = Base64Encode(data, size);
  std::vector<uint8_t> back(size);
  if (Base64Decode(encoded.c_str(), encoded.size(), back.data(), size) != size ||
      std::memcmp(back.data(), data, size) != 0)
    std::abort();
  return 0;
}
