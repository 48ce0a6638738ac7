#include "tools/corvane/Messages.h"

#include <cstdio>

namespace corvane::host {
namespace {

void AppendByteEscape(std::string& out, unsigned char byte)
{
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\x%02X", byte);
  out += escape;
}

} // namespace

size_t Utf8SequenceLength(std::string_view text, size_t at)
{
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80)
    return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF)
    length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF)
  {
    length = 3;
    if (lead == 0xE0)
      low = 0xA0; // overlong
    else if (lead == 0xED)
      high = 0x9F; // surrogates
  }
  else if (lead >= 0xF0 && lead <= 0xF4)
  {
    length = 4;
    if (lead == 0xF0)
      low = 0x90; // overlong
    else if (lead == 0xF4)
      high = 0x8F; // beyond U+10FFFF
  }
  else
    return 0;
  if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high)
    return 0;
  for (size_t i = 2; i < length; ++i)
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
      return 0;
  return length;
}

std::string Printable(std::string_view text)
{
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();)
  {
    const auto byte = static_cast<unsigned char>(text[i]);
    const size_t length = Utf8SequenceLength(text, i);
    // U+0080..U+009F: the C1 controls, which terminals act on like ESC.
    const bool c1 = length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (byte == '\n')
      out += "\\n";
    else if (byte == '\t')
      out += "\\t";
    else if (byte == '\r')
      out += "\\r";
    else if (byte < 0x20 || byte == 0x7F || length == 0)
      AppendByteEscape(out, byte);
    else if (c1)
    {
      AppendByteEscape(out, byte);
      AppendByteEscape(out, static_cast<unsigned char>(text[i + 1]));
    }
    else
      out.append(text.substr(i, length));
    i += length == 0 ? 1 : length;
  }
  return out;
}

void Warn(const std::string& message) { std::fprintf(stderr, "corvane: warning: %s\n", Printable(message).c_str()); }

} // namespace corvane::host
