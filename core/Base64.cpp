#include "core/Base64.h"

namespace iplug {
namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int DecodeChar(char c)
{
  if (c >= 'A' && c <= 'Z')
    return c - 'A';
  if (c >= 'a' && c <= 'z')
    return c - 'a' + 26;
  if (c >= '0' && c <= '9')
    return c - '0' + 52;
  if (c == '+')
    return 62;
  if (c == '/')
    return 63;
  return -1;
}
} // namespace

std::string Base64Encode(const uint8_t* data, size_t n)
{
  std::string out;
  out.reserve((n + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= n; i += 3)
  {
    const uint32_t v = (uint32_t{data[i]} << 16) | (uint32_t{data[i + 1]} << 8) | data[i + 2];
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  const size_t rest = n - i;
  if (rest)
  {
    uint32_t v = uint32_t{data[i]} << 16;
    if (rest == 2)
      v |= uint32_t{data[i + 1]} << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

size_t Base64Decode(const char* text, size_t textLen, uint8_t* out, size_t outSize)
{
  if (!text || !out)
    return 0;
  size_t produced = 0;
  uint32_t bits = 0;
  int nBits = 0;
  for (size_t i = 0; i < textLen && produced < outSize; ++i)
  {
    const int v = DecodeChar(text[i]);
    if (v < 0)
      break;
    bits = ((bits << 6) | static_cast<uint32_t>(v)) & 0xFFFFFF;
    nBits += 6;
    if (nBits >= 8)
    {
      nBits -= 8;
      out[produced++] = static_cast<uint8_t>(bits >> nBits);
    }
  }
  return produced;
}
} // namespace iplug
