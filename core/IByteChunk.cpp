#include "core/IByteChunk.h"

#include <algorithm>

namespace iplug {
int IByteChunk::WriteBytes(const void* data, int n)
{
  if (data && n > 0)
  {
    const auto* bytes = static_cast<const uint8_t*>(data);
    mBytes.insert(mBytes.end(), bytes, bytes + n);
  }
  return Size();
}

int IByteChunk::ReadBytes(void* data, int n, int pos) const
{
  if (!Fits(pos, n, Size()))
    return -1;
  if (n > 0)
    std::memcpy(data, mBytes.data() + pos, static_cast<size_t>(n));
  return pos + n;
}

int IByteChunk::WriteString(const char* text)
{
  const int32_t len = text ? static_cast<int32_t>(std::strlen(text)) : 0;
  WriteValue(len);
  return WriteBytes(text, len);
}

int IByteChunk::ReadString(WDL_String& text, int pos) const
{
  int32_t len = 0;
  const int start = ReadValue(len, pos);
  if (start < 0 || len < 0 || !Fits(start, len, Size()))
    return -1;
  const char* chars = reinterpret_cast<const char*>(mBytes.data() + start);
  const size_t end = std::find(chars, chars + len, '\0') - chars;
  text.Set(len > 0 ? std::string(chars, end).c_str() : "");
  return start + len;
}

int IByteChunk::Resize(int size)
{
  mBytes.resize(static_cast<size_t>(std::max(size, 0)), 0);
  return Size();
}
} // namespace iplug
