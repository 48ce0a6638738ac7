#include "macos_api/src/Base64.h"

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Value(char c)
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

std::string macapi::Base64Encode(const uint8_t* bytes, size_t length, size_t lineLength, const std::string& indent)
{
  std::string encoded;
  encoded.reserve((length + 2) / 3 * 4);
  for (size_t i = 0; i < length; i += 3)
  {
    const uint32_t n = (uint32_t(bytes[i]) << 16) | (i + 1 < length ? uint32_t(bytes[i + 1]) << 8 : 0) |
                       (i + 2 < length ? bytes[i + 2] : 0);
    encoded.push_back(kAlphabet[(n >> 18) & 63]);
    encoded.push_back(kAlphabet[(n >> 12) & 63]);
    encoded.push_back(i + 1 < length ? kAlphabet[(n >> 6) & 63] : '=');
    encoded.push_back(i + 2 < length ? kAlphabet[n & 63] : '=');
  }
  std::string out;
  for (size_t i = 0; i < encoded.size(); i += lineLength)
    out += indent + encoded.substr(i, lineLength) + "\n";
  return out;
}

std::optional<std::vector<uint8_t>> macapi::Base64Decode(const char* text, size_t length)
{
  std::vector<uint8_t> out;
  uint32_t accumulator = 0;
  int bits = 0;
  int padding = 0;
  for (size_t i = 0; i < length; ++i)
  {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
      continue;
    if (c == '=')
    {
      ++padding;
      continue;
    }
    const int v = Value(c);
    if (v < 0 || padding > 0)
      return std::nullopt;
    accumulator = (accumulator << 6) | uint32_t(v);
    bits += 6;
    if (bits >= 8)
    {
      bits -= 8;
      out.push_back(uint8_t(accumulator >> bits));
    }
  }
  // Leftover bits of a partial group must be zero padding bits (at most 4).
  if (padding > 2 || bits >= 6 || (accumulator & ((1u << bits) - 1)) != 0)
    return std::nullopt;
  return out;
}
