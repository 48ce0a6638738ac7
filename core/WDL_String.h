#pragma once
// Heap string used across the framework's interfaces. A thin layer over
// std::string with the call shapes the framework uses (Get/Set/Append and
// printf-style formatting with a length limit).

#include <cstdarg>
#include <string>

class WDL_String
{
public:
  WDL_String() = default;
  WDL_String(const char* text, int maxLen = 0) { Set(text, maxLen); }

  /** The text, never null. */
  const char* Get() const { return mText.c_str(); }
  int GetLength() const { return static_cast<int>(mText.size()); }

  /** Copies `text`, at most `maxLen` bytes when maxLen > 0. Null clears. */
  void Set(const char* text, int maxLen = 0);
  void Append(const char* text, int maxLen = 0);
  void Insert(const char* text, int position, int maxLen = 0);
  /** Removes `count` bytes from `position`, clamped to the string. */
  void DeleteSub(int position, int count);
  /** Truncates (or pads with spaces) to `length` bytes. */
  void SetLen(int length);

  /** printf-style; the result is cut to `maxLen` bytes. */
  void SetFormatted(int maxLen, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void AppendFormatted(int maxLen, const char* format, ...) __attribute__((format(printf, 3, 4)));

  void Clear() { mText.clear(); }
  bool Empty() const { return mText.empty(); }

  const std::string& Str() const { return mText; }

  friend bool operator==(const WDL_String& a, const WDL_String& b) { return a.mText == b.mText; }

private:
  static std::string Format(int maxLen, const char* format, va_list args);
  std::string mText;
};
