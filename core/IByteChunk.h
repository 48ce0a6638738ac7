#pragma once
// Growable byte buffer in which state travels. Values are stored in native
// byte order, unaligned and without tags; a reader must know the layout.
// Reads never move a cursor: each takes a start position and returns the
// position just after what it read, or -1 when the item does not fit, so a
// chain of reads fails from the first short one onwards.

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "core/WDL_String.h"

namespace iplug {
class IByteChunk
{
public:
  /** Appends the raw bytes of a fixed-size value; returns the new size. */
  template <class T>
  int WriteValue(const T& value)
  {
    static_assert(std::is_trivially_copyable_v<T>);
    if constexpr (std::is_same_v<T, bool>)
    {
      const uint8_t byte = value ? 1 : 0;
      return WriteBytes(&byte, 1);
    }
    else
      return WriteBytes(&value, static_cast<int>(sizeof(T)));
  }

  /** Copies sizeof(T) bytes at pos into value; -1 (value unchanged) if they
      do not fit. A bool reads one byte, any non-zero byte being true. */
  template <class T>
  int ReadValue(T& value, int pos) const
  {
    static_assert(std::is_trivially_copyable_v<T>);
    if constexpr (std::is_same_v<T, bool>)
    {
      uint8_t byte = 0;
      const int next = ReadBytes(&byte, 1, pos);
      if (next >= 0)
        value = byte != 0;
      return next;
    }
    else
      return ReadBytes(&value, static_cast<int>(sizeof(T)), pos);
  }

  /** Appends the length as int32, then the characters without terminator. */
  int WriteString(const char* text);
  int WriteString(const WDL_String& text) { return WriteString(text.Get()); }
  /** Reads a string written by WriteString, cut at the first NUL. Returns -1,
      leaving `text` unchanged, when the length is negative or the characters
      run past the end of the chunk. */
  int ReadString(WDL_String& text, int pos) const;

  /** Appends n raw bytes (nothing for n <= 0 or null data). */
  int WriteBytes(const void* data, int n);
  /** Copies n bytes at pos into data; -1 when they do not fit. */
  int ReadBytes(void* data, int n, int pos) const;
  int WriteChunk(const IByteChunk& other) { return WriteBytes(other.Data(), other.Size()); }

  void Clear() { mBytes.clear(); }
  /** Resizes, zero-filling new bytes; returns the new size. */
  int Resize(int size);
  int Size() const { return static_cast<int>(mBytes.size()); }
  uint8_t* Data() { return mBytes.data(); }
  const uint8_t* Data() const { return mBytes.data(); }

  bool IsEqual(const IByteChunk& other) const { return mBytes == other.mBytes; }

  /** True when [pos, pos + n) lies inside a chunk of `size` bytes. */
  static bool Fits(int pos, int n, int size) { return pos >= 0 && n >= 0 && static_cast<int64_t>(pos) + n <= size; }

private:
  std::vector<uint8_t> mBytes;
};
} // namespace iplug
