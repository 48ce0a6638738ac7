#include "core/WDL_String.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
std::string Bounded(const char* text, int maxLen)
{
  if (!text)
    return {};
  size_t len = std::strlen(text);
  if (maxLen > 0)
    len = std::min(len, static_cast<size_t>(maxLen));
  return std::string(text, len);
}
} // namespace

void WDL_String::Set(const char* text, int maxLen) { mText = Bounded(text, maxLen); }

void WDL_String::Append(const char* text, int maxLen) { mText += Bounded(text, maxLen); }

void WDL_String::Insert(const char* text, int position, int maxLen)
{
  const size_t at = std::clamp<size_t>(static_cast<size_t>(std::max(position, 0)), 0, mText.size());
  mText.insert(at, Bounded(text, maxLen));
}

void WDL_String::DeleteSub(int position, int count)
{
  if (position < 0 || count <= 0 || static_cast<size_t>(position) >= mText.size())
    return;
  mText.erase(static_cast<size_t>(position), static_cast<size_t>(count));
}

void WDL_String::SetLen(int length) { mText.resize(static_cast<size_t>(std::max(length, 0)), ' '); }

std::string WDL_String::Format(int maxLen, const char* format, va_list args)
{
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (needed <= 0)
    return {};
  std::string out(static_cast<size_t>(needed) + 1, '\0');
  std::vsnprintf(out.data(), out.size(), format, args);
  out.resize(static_cast<size_t>(needed));
  if (maxLen > 0 && out.size() > static_cast<size_t>(maxLen))
    out.resize(static_cast<size_t>(maxLen));
  return out;
}

void WDL_String::SetFormatted(int maxLen, const char* format, ...)
{
  va_list args;
  va_start(args, format);
  mText = Format(maxLen, format, args);
  va_end(args);
}

void WDL_String::AppendFormatted(int maxLen, const char* format, ...)
{
  va_list args;
  va_start(args, format);
  mText += Format(maxLen, format, args);
  va_end(args);
}
