// CFString: creation, access, comparison and mutation, and the descriptions
// of objects as strings.
#include "macos_api/src/CFStringInternal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

using namespace macapi;

__CFString::__CFString(std::u16string text, bool mutableString) : isMutable(mutableString) { Assign(std::move(text)); }

void __CFString::Assign(std::u16string text)
{
  units = std::move(text);
  utf8 = EncodeUTF8(units);
}

bool __CFString::Equals(const __CFObject& other) const { return units == static_cast<const __CFString&>(other).units; }

CFHashCode __CFString::Hash() const { return std::hash<std::u16string>()(units); }

std::optional<std::u16string> macapi::DecodeUTF8(const char* bytes, size_t length)
{
  std::u16string out;
  out.reserve(length);
  const auto* s = reinterpret_cast<const unsigned char*>(bytes);
  size_t i = 0;
  while (i < length)
  {
    const unsigned char c = s[i];
    char32_t cp;
    size_t extra;
    char32_t minimum;
    if (c < 0x80)
    {
      out.push_back(c);
      ++i;
      continue;
    }
    else if ((c & 0xE0) == 0xC0)
    {
      cp = c & 0x1F;
      extra = 1;
      minimum = 0x80;
    }
    else if ((c & 0xF0) == 0xE0)
    {
      cp = c & 0x0F;
      extra = 2;
      minimum = 0x800;
    }
    else if ((c & 0xF8) == 0xF0)
    {
      cp = c & 0x07;
      extra = 3;
      minimum = 0x10000;
    }
    else
      return std::nullopt;
    if (length - i <= extra)
      return std::nullopt;
    for (size_t k = 1; k <= extra; ++k)
    {
      if ((s[i + k] & 0xC0) != 0x80)
        return std::nullopt;
      cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      return std::nullopt;
    if (cp >= 0x10000)
    {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
    else
      out.push_back(static_cast<char16_t>(cp));
    i += extra + 1;
  }
  return out;
}

std::string macapi::EncodeUTF8(const std::u16string& units)
{
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i)
  {
    char32_t cp = units[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF)
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++i] - 0xDC00);
    else if (cp >= 0xD800 && cp <= 0xDFFF)
      cp = 0xFFFD;
    if (cp < 0x80)
      out.push_back(static_cast<char>(cp));
    else if (cp < 0x800)
    {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    else if (cp < 0x10000)
    {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    else
    {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

namespace {

const __CFString* Str(CFStringRef ref) { return As<__CFString>(ref); }

bool IsLatin1Encoding(CFStringEncoding encoding)
{
  return encoding == kCFStringEncodingISOLatin1 || encoding == kCFStringEncodingWindowsLatin1;
}

bool IsASCIIOnlyEncoding(CFStringEncoding encoding)
{
  // MacRoman and NextStep Latin are handled for their ASCII half only.
  return encoding == kCFStringEncodingASCII || encoding == kCFStringEncodingMacRoman ||
         encoding == kCFStringEncodingNextStepLatin || encoding == kCFStringEncodingNonLossyASCII;
}

std::optional<std::u16string> Decode(const UInt8* bytes, size_t length, CFStringEncoding encoding)
{
  if (encoding == kCFStringEncodingUTF8)
    return DecodeUTF8(reinterpret_cast<const char*>(bytes), length);
  if (IsLatin1Encoding(encoding) || IsASCIIOnlyEncoding(encoding))
  {
    std::u16string out(bytes, bytes + length);
    if (IsASCIIOnlyEncoding(encoding) && std::any_of(out.begin(), out.end(), [](char16_t c) { return c > 0x7F; }))
      return std::nullopt;
    return out;
  }
  if (encoding == kCFStringEncodingUTF16 || encoding == kCFStringEncodingUTF16LE ||
      encoding == kCFStringEncodingUTF16BE)
  {
    if (length % 2)
      return std::nullopt;
    bool bigEndian = encoding == kCFStringEncodingUTF16BE;
    size_t start = 0;
    if (encoding == kCFStringEncodingUTF16 && length >= 2)
    {
      if (bytes[0] == 0xFE && bytes[1] == 0xFF)
        bigEndian = true, start = 2;
      else if (bytes[0] == 0xFF && bytes[1] == 0xFE)
        start = 2;
    }
    std::u16string out;
    for (size_t i = start; i + 1 < length; i += 2)
      out.push_back(bigEndian ? static_cast<char16_t>(bytes[i] << 8 | bytes[i + 1])
                              : static_cast<char16_t>(bytes[i + 1] << 8 | bytes[i]));
    return out;
  }
  return std::nullopt;
}

// The text in an encoding, or nothing when a character cannot be expressed.
std::optional<std::string> Encode(const __CFString& s, CFStringEncoding encoding)
{
  if (encoding == kCFStringEncodingUTF8)
    return s.utf8;
  if (IsLatin1Encoding(encoding) || IsASCIIOnlyEncoding(encoding))
  {
    const char16_t limit = IsLatin1Encoding(encoding) ? 0xFF : 0x7F;
    std::string out;
    for (char16_t c : s.units)
    {
      if (c > limit)
        return std::nullopt;
      out.push_back(static_cast<char>(c));
    }
    return out;
  }
  return std::nullopt;
}

CFStringRef NewString(std::u16string text) { return new __CFString(std::move(text), false); }

char16_t FoldCase(char16_t c)
{
  return c < 0x80 ? static_cast<char16_t>(std::tolower(c)) : static_cast<char16_t>(std::towlower(c));
}

} // namespace

CFStringRef macapi::MakeString(std::string utf8)
{
  auto units = DecodeUTF8(utf8.data(), utf8.size());
  return NewString(units ? std::move(*units) : std::u16string());
}

std::string macapi::StringUTF8(CFStringRef str)
{
  const __CFString* s = Str(str);
  return s ? s->utf8 : std::string();
}

CFStringRef __CFStringMakeConstantString(const char* cStr)
{
  // Never destroyed: constants stay valid for code running at exit.
  static std::mutex mutex;
  static auto* constants = new std::map<std::string, std::unique_ptr<__CFString>>;
  std::lock_guard<std::mutex> lock(mutex);
  auto& slot = (*constants)[cStr ? cStr : ""];
  if (!slot)
  {
    auto units = DecodeUTF8(cStr ? cStr : "", cStr ? std::strlen(cStr) : 0);
    slot = std::make_unique<__CFString>(units ? std::move(*units) : std::u16string(), false);
    slot->immortal = true;
  }
  return slot.get();
}

CFTypeID CFStringGetTypeID(void) { return kTypeString; }

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr, CFStringEncoding encoding)
{
  if (!cStr)
    return nullptr;
  auto units = Decode(reinterpret_cast<const UInt8*>(cStr), std::strlen(cStr), encoding);
  return units ? NewString(std::move(*units)) : nullptr;
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes, CFStringEncoding encoding,
                                    Boolean)
{
  if (numBytes < 0 || (!bytes && numBytes > 0))
    return nullptr;
  auto units = Decode(bytes, static_cast<size_t>(numBytes), encoding);
  return units ? NewString(std::move(*units)) : nullptr;
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar* chars, CFIndex numChars)
{
  if (numChars < 0 || (!chars && numChars > 0))
    return nullptr;
  return NewString(std::u16string(reinterpret_cast<const char16_t*>(chars), static_cast<size_t>(numChars)));
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef theString)
{
  const __CFString* s = Str(theString);
  if (!s)
    return nullptr;
  if (!s->isMutable)
    return static_cast<CFStringRef>(CFRetain(theString));
  return NewString(s->units);
}

CFStringRef CFStringCreateWithSubstring(CFAllocatorRef, CFStringRef str, CFRange range)
{
  const __CFString* s = Str(str);
  if (!s || range.location < 0 || range.length < 0 ||
      static_cast<size_t>(range.location + range.length) > s->units.size())
    return nullptr;
  return NewString(s->units.substr(static_cast<size_t>(range.location), static_cast<size_t>(range.length)));
}

CFMutableStringRef CFStringCreateMutable(CFAllocatorRef, CFIndex) { return new __CFString(std::u16string(), true); }

CFMutableStringRef CFStringCreateMutableCopy(CFAllocatorRef, CFIndex, CFStringRef theString)
{
  const __CFString* s = Str(theString);
  return new __CFString(s ? s->units : std::u16string(), true);
}

CFIndex CFStringGetLength(CFStringRef theString)
{
  const __CFString* s = Str(theString);
  return s ? static_cast<CFIndex>(s->units.size()) : 0;
}

UniChar CFStringGetCharacterAtIndex(CFStringRef theString, CFIndex idx)
{
  const __CFString* s = Str(theString);
  if (!s || idx < 0 || static_cast<size_t>(idx) >= s->units.size())
    return 0;
  return s->units[static_cast<size_t>(idx)];
}

void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar* buffer)
{
  const __CFString* s = Str(theString);
  if (!s || !buffer || range.location < 0 || range.length < 0 ||
      static_cast<size_t>(range.location + range.length) > s->units.size())
    return;
  std::copy_n(s->units.begin() + range.location, range.length, buffer);
}

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize, CFStringEncoding encoding)
{
  const __CFString* s = Str(theString);
  if (!s || !buffer || bufferSize <= 0)
    return false;
  auto bytes = Encode(*s, encoding);
  if (!bytes || static_cast<CFIndex>(bytes->size()) >= bufferSize)
  {
    buffer[0] = 0;
    return false;
  }
  std::memcpy(buffer, bytes->c_str(), bytes->size() + 1);
  return true;
}

const char* CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding)
{
  const __CFString* s = Str(theString);
  if (!s)
    return nullptr;
  if (encoding == kCFStringEncodingUTF8)
    return s->utf8.c_str();
  if ((IsASCIIOnlyEncoding(encoding) || IsLatin1Encoding(encoding)) && s->utf8.size() == s->units.size())
    return s->utf8.c_str();
  return nullptr;
}

CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding, UInt8 lossByte, Boolean,
                         UInt8* buffer, CFIndex maxBufLen, CFIndex* usedBufLen)
{
  const __CFString* s = Str(theString);
  if (usedBufLen)
    *usedBufLen = 0;
  if (!s || range.location < 0 || range.length < 0 ||
      static_cast<size_t>(range.location + range.length) > s->units.size())
    return 0;
  // Characters are converted one at a time so that the count of converted
  // characters and the bytes used match when the buffer runs out.
  CFIndex converted = 0;
  CFIndex used = 0;
  for (CFIndex i = range.location; i < range.location + range.length; ++i)
  {
    std::u16string one(1, s->units[static_cast<size_t>(i)]);
    if (one[0] >= 0xD800 && one[0] <= 0xDBFF && i + 1 < range.location + range.length)
      one.push_back(s->units[static_cast<size_t>(++i)]);
    __CFString piece(one, false);
    auto bytes = Encode(piece, encoding);
    if (!bytes)
    {
      if (!lossByte)
        break;
      bytes = std::string(1, static_cast<char>(lossByte));
    }
    if (buffer && used + static_cast<CFIndex>(bytes->size()) > maxBufLen)
      break;
    if (buffer)
      std::memcpy(buffer + used, bytes->data(), bytes->size());
    used += static_cast<CFIndex>(bytes->size());
    converted += static_cast<CFIndex>(one.size());
  }
  if (usedBufLen)
    *usedBufLen = used;
  return converted;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding)
{
  if (encoding == kCFStringEncodingUTF8)
    return length * 3;
  if (encoding == kCFStringEncodingUTF16 || encoding == kCFStringEncodingUTF16BE ||
      encoding == kCFStringEncodingUTF16LE)
    return length * 2;
  if (encoding == kCFStringEncodingUTF32)
    return length * 4;
  return length;
}

Boolean CFStringGetFileSystemRepresentation(CFStringRef string, char* buffer, CFIndex maxBufLen)
{
  return CFStringGetCString(string, buffer, maxBufLen, kCFStringEncodingUTF8);
}

CFIndex CFStringGetMaximumSizeOfFileSystemRepresentation(CFStringRef string)
{
  return CFStringGetLength(string) * 3 + 1;
}

SInt32 CFStringGetIntValue(CFStringRef str)
{
  return static_cast<SInt32>(std::strtol(StringUTF8(str).c_str(), nullptr, 10));
}

double CFStringGetDoubleValue(CFStringRef str) { return std::strtod(StringUTF8(str).c_str(), nullptr); }

CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2, CFStringCompareFlags compareOptions)
{
  const __CFString* a = Str(theString1);
  const __CFString* b = Str(theString2);
  if (!a || !b)
    return a == b ? kCFCompareEqualTo : (a ? kCFCompareGreaterThan : kCFCompareLessThan);
  const bool fold = compareOptions & kCFCompareCaseInsensitive;
  const size_t n = std::min(a->units.size(), b->units.size());
  for (size_t i = 0; i < n; ++i)
  {
    char16_t x = fold ? FoldCase(a->units[i]) : a->units[i];
    char16_t y = fold ? FoldCase(b->units[i]) : b->units[i];
    if (x != y)
      return x < y ? kCFCompareLessThan : kCFCompareGreaterThan;
  }
  if (a->units.size() == b->units.size())
    return kCFCompareEqualTo;
  return a->units.size() < b->units.size() ? kCFCompareLessThan : kCFCompareGreaterThan;
}

Boolean CFStringHasPrefix(CFStringRef theString, CFStringRef prefix)
{
  const __CFString* s = Str(theString);
  const __CFString* p = Str(prefix);
  return s && p && s->units.compare(0, p->units.size(), p->units) == 0;
}

Boolean CFStringHasSuffix(CFStringRef theString, CFStringRef suffix)
{
  const __CFString* s = Str(theString);
  const __CFString* p = Str(suffix);
  return s && p && s->units.size() >= p->units.size() &&
         s->units.compare(s->units.size() - p->units.size(), p->units.size(), p->units) == 0;
}

CFRange CFStringFind(CFStringRef theString, CFStringRef stringToFind, CFStringCompareFlags compareOptions)
{
  const __CFString* s = Str(theString);
  const __CFString* f = Str(stringToFind);
  if (!s || !f || f->units.empty())
    return CFRangeMake(kCFNotFound, 0);
  std::u16string hay = s->units;
  std::u16string needle = f->units;
  if (compareOptions & kCFCompareCaseInsensitive)
  {
    std::transform(hay.begin(), hay.end(), hay.begin(), FoldCase);
    std::transform(needle.begin(), needle.end(), needle.begin(), FoldCase);
  }
  size_t pos;
  if (compareOptions & kCFCompareAnchored)
  {
    if (compareOptions & kCFCompareBackwards)
      pos = (hay.size() >= needle.size() && hay.compare(hay.size() - needle.size(), needle.size(), needle) == 0)
              ? hay.size() - needle.size()
              : std::u16string::npos;
    else
      pos = hay.compare(0, needle.size(), needle) == 0 ? 0 : std::u16string::npos;
  }
  else
    pos = (compareOptions & kCFCompareBackwards) ? hay.rfind(needle) : hay.find(needle);
  if (pos == std::u16string::npos)
    return CFRangeMake(kCFNotFound, 0);
  return CFRangeMake(static_cast<CFIndex>(pos), static_cast<CFIndex>(needle.size()));
}

void CFStringAppend(CFMutableStringRef theString, CFStringRef appendedString)
{
  auto* s = AsMutable<__CFString>(theString);
  const __CFString* a = Str(appendedString);
  if (s && s->isMutable && a)
    s->Assign(s->units + a->units);
}

void CFStringAppendCString(CFMutableStringRef theString, const char* cStr, CFStringEncoding encoding)
{
  auto* s = AsMutable<__CFString>(theString);
  if (!s || !s->isMutable || !cStr)
    return;
  if (auto units = Decode(reinterpret_cast<const UInt8*>(cStr), std::strlen(cStr), encoding))
    s->Assign(s->units + *units);
}

void CFStringReplaceAll(CFMutableStringRef theString, CFStringRef replacement)
{
  auto* s = AsMutable<__CFString>(theString);
  const __CFString* r = Str(replacement);
  if (s && s->isMutable && r)
    s->Assign(r->units);
}

CFStringRef CFCopyDescription(CFTypeRef cf) { return cf ? MakeString(Obj(cf)->Describe()) : nullptr; }

CFStringRef CFCopyTypeIDDescription(CFTypeID typeID)
{
  static const char* const names[] = {"",          "CFNull",    "CFAllocator",    "CFString",     "CFNumber",
                                      "CFBoolean", "CFData",    "CFArray",        "CFDictionary", "CFURL",
                                      "CFBundle",  "CFRunLoop", "CFRunLoopTimer", "CFError",      "CFDate"};
  if (typeID == 0 || typeID >= sizeof(names) / sizeof(names[0]))
    return nullptr;
  return MakeString(names[typeID]);
}
