// XML property lists: reading with tinyxml2, writing in the layout of
// Apple's plist files (tab indentation, the Apple DOCTYPE).
#include "macos_api/src/Base64.h"
#include "macos_api/src/CFRuntime.h"
#include "macos_api/src/CFStringInternal.h"

#include <MacAPIExtensions.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <tinyxml2.h>

using namespace macapi;

namespace {

constexpr int kMaxDepth = 256;

const char kHeader[] =
  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
  "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
  "<plist version=\"1.0\">\n";

// ---- reading ----

struct Reader
{
  CFOptionFlags options;

  static std::string Text(const tinyxml2::XMLElement* e)
  {
    std::string text;
    for (const tinyxml2::XMLNode* n = e->FirstChild(); n; n = n->NextSibling())
      if (const tinyxml2::XMLText* t = n->ToText())
        text += t->Value();
    return text;
  }

  static std::string Trim(const std::string& s)
  {
    const size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
      return std::string();
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
  }

  // Containers may hold only elements, comments and whitespace.
  static bool OnlyElements(const tinyxml2::XMLElement* e)
  {
    for (const tinyxml2::XMLNode* n = e->FirstChild(); n; n = n->NextSibling())
      if (const tinyxml2::XMLText* t = n->ToText(); t && !Trim(t->Value()).empty())
        return false;
    return true;
  }

  CFTypeRef Integer(const std::string& text) const
  {
    const std::string s = Trim(text);
    if (s.empty())
      return nullptr;
    const bool negative = s[0] == '-';
    size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    int base = 10;
    if (s.compare(i, 2, "0x") == 0 || s.compare(i, 2, "0X") == 0)
      base = 16, i += 2;
    if (i >= s.size())
      return nullptr;
    unsigned long long magnitude = 0;
    for (; i < s.size(); ++i)
    {
      const char c = s[i];
      int digit = (c >= '0' && c <= '9')                                         ? c - '0'
                  : (base == 16 && std::isxdigit(static_cast<unsigned char>(c))) ? std::tolower(c) - 'a' + 10
                                                                                 : -1;
      if (digit < 0 || magnitude > (~0ULL - static_cast<unsigned>(digit)) / static_cast<unsigned>(base))
        return nullptr;
      magnitude = magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    if (magnitude > (negative ? 9223372036854775808ULL : 9223372036854775807ULL))
      return nullptr;
    const SInt64 value = negative ? static_cast<SInt64>(0 - magnitude) : static_cast<SInt64>(magnitude);
    return CFNumberCreate(nullptr, kCFNumberSInt64Type, &value);
  }

  CFTypeRef Real(const std::string& text) const
  {
    std::string s = Trim(text);
    double value;
    if (s == "nan")
      value = NAN;
    else if (s == "+infinity" || s == "infinity" || s == "inf" || s == "+inf")
      value = INFINITY;
    else if (s == "-infinity" || s == "-inf")
      value = -INFINITY;
    else
    {
      if (s.empty())
        return nullptr;
      char* end = nullptr;
      value = std::strtod(s.c_str(), &end);
      if (*end != 0)
        return nullptr;
    }
    return CFNumberCreate(nullptr, kCFNumberFloat64Type, &value);
  }

  // Dates are "YYYY-MM-DDTHH:MM:SSZ" in UTC, years 0001 to 9999.
  static CFTypeRef Date(const std::string& text)
  {
    const std::string s = Trim(text);
    static const char kPattern[] = "dddd-dd-ddTdd:dd:ddZ";
    if (s.size() != sizeof(kPattern) - 1)
      return nullptr;
    for (size_t i = 0; i < s.size(); ++i)
      if (kPattern[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(s[i])) : s[i] != kPattern[i])
        return nullptr;
    auto num = [&](size_t at, size_t n) { return std::stoi(s.substr(at, n)); };
    const int y = num(0, 4), mo = num(5, 2), d = num(8, 2), h = num(11, 2), mi = num(14, 2), sec = num(17, 2);
    if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || sec > 60)
      return nullptr;
    std::tm tm = {};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = sec;
    return CFDateCreate(nullptr, static_cast<double>(timegm(&tm)) - kCFAbsoluteTimeIntervalSince1970);
  }

  CFTypeRef Value(const tinyxml2::XMLElement* e, int depth) const
  {
    if (depth > kMaxDepth)
      return nullptr;
    const std::string name = e->Name();
    const bool mutableLeaves = options & kCFPropertyListMutableContainersAndLeaves;
    const bool mutableContainers =
      options & (kCFPropertyListMutableContainers | kCFPropertyListMutableContainersAndLeaves);
    if (name == "dict")
    {
      if (!OnlyElements(e))
        return nullptr;
      CFMutableDictionaryRef dict =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
      for (const tinyxml2::XMLElement* k = e->FirstChildElement(); k; k = k->NextSiblingElement())
      {
        const tinyxml2::XMLElement* v = k->NextSiblingElement();
        if (std::strcmp(k->Name(), "key") != 0 || !v || k->FirstChildElement())
        {
          CFRelease(dict);
          return nullptr;
        }
        CFStringRef key = MakeString(Text(k));
        CFTypeRef value = Value(v, depth + 1);
        if (value)
          CFDictionarySetValue(dict, key, value);
        CFRelease(key);
        if (!value)
        {
          CFRelease(dict);
          return nullptr;
        }
        CFRelease(value);
        k = v;
      }
      if (mutableContainers)
        return dict;
      CFDictionaryRef copy = CFDictionaryCreateCopy(nullptr, dict);
      CFRelease(dict);
      return copy;
    }
    if (name == "array")
    {
      if (!OnlyElements(e))
        return nullptr;
      CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
      for (const tinyxml2::XMLElement* c = e->FirstChildElement(); c; c = c->NextSiblingElement())
      {
        CFTypeRef value = Value(c, depth + 1);
        if (!value)
        {
          CFRelease(array);
          return nullptr;
        }
        CFArrayAppendValue(array, value);
        CFRelease(value);
      }
      if (mutableContainers)
        return array;
      CFArrayRef copy = CFArrayCreateCopy(nullptr, array);
      CFRelease(array);
      return copy;
    }
    // Leaves hold text only.
    if (e->FirstChildElement())
      return nullptr;
    if (name == "string")
    {
      CFStringRef s = MakeString(Text(e));
      if (!mutableLeaves)
        return s;
      CFMutableStringRef m = CFStringCreateMutableCopy(nullptr, 0, s);
      CFRelease(s);
      return m;
    }
    if (name == "integer")
      return Integer(Text(e));
    if (name == "real")
      return Real(Text(e));
    if (name == "true" || name == "false")
      return Trim(Text(e)).empty() ? (name == "true" ? kCFBooleanTrue : kCFBooleanFalse) : nullptr;
    if (name == "data")
    {
      const std::string text = Text(e);
      auto bytes = Base64Decode(text.data(), text.size());
      if (!bytes)
        return nullptr;
      if (mutableLeaves)
      {
        CFMutableDataRef m = CFDataCreateMutable(nullptr, 0);
        CFDataAppendBytes(m, bytes->data(), static_cast<CFIndex>(bytes->size()));
        return m;
      }
      return CFDataCreate(nullptr, bytes->data(), static_cast<CFIndex>(bytes->size()));
    }
    if (name == "date")
      return Date(Text(e));
    return nullptr;
  }
};

CFErrorRef MakeError(CFIndex code, const char* text)
{
  CFStringRef description = MakeString(text);
  const void* keys[] = {kCFErrorDebugDescriptionKey};
  const void* values[] = {description};
  CFDictionaryRef info =
    CFDictionaryCreate(nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFErrorRef error = CFErrorCreate(nullptr, kCFErrorDomainCocoa, code, info);
  CFRelease(info);
  CFRelease(description);
  return error;
}

// ---- writing ----

void Escape(std::string& out, const std::string& text)
{
  for (unsigned char c : text)
  {
    switch (c)
    {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default:
        // Control characters (and CR, which XML readers fold into LF) are
        // written as character references so they survive a round trip.
        if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F)
        {
          char ref[8];
          std::snprintf(ref, sizeof(ref), "&#x%X;", c);
          out += ref;
        }
        else
          out.push_back(static_cast<char>(c));
    }
  }
}

bool Write(std::string& out, CFTypeRef value, int depth)
{
  if (!value || depth > kMaxDepth)
    return false;
  const std::string indent(static_cast<size_t>(depth), '\t');
  const CFTypeID type = CFGetTypeID(value);
  if (type == CFStringGetTypeID())
  {
    out += indent + "<string>";
    Escape(out, StringUTF8(static_cast<CFStringRef>(value)));
    out += "</string>\n";
  }
  else if (type == CFBooleanGetTypeID())
    out += indent + (CFBooleanGetValue(static_cast<CFBooleanRef>(value)) ? "<true/>\n" : "<false/>\n");
  else if (type == CFNumberGetTypeID())
  {
    auto number = static_cast<CFNumberRef>(value);
    char text[40];
    if (CFNumberIsFloatType(number))
    {
      double d = 0;
      CFNumberGetValue(number, kCFNumberFloat64Type, &d);
      if (std::isnan(d))
        std::snprintf(text, sizeof(text), "nan");
      else if (std::isinf(d))
        std::snprintf(text, sizeof(text), d > 0 ? "+infinity" : "-infinity");
      else
        std::snprintf(text, sizeof(text), "%.17g", d);
      out += indent + "<real>" + text + "</real>\n";
    }
    else
    {
      SInt64 i = 0;
      CFNumberGetValue(number, kCFNumberSInt64Type, &i);
      std::snprintf(text, sizeof(text), "%lld", static_cast<long long>(i));
      out += indent + "<integer>" + text + "</integer>\n";
    }
  }
  else if (type == CFDataGetTypeID())
  {
    auto data = static_cast<CFDataRef>(value);
    out += indent + "<data>\n";
    out += Base64Encode(CFDataGetBytePtr(data), static_cast<size_t>(CFDataGetLength(data)), 68, indent);
    out += indent + "</data>\n";
  }
  else if (type == CFDateGetTypeID())
  {
    const std::time_t t = static_cast<std::time_t>(
      std::floor(CFDateGetAbsoluteTime(static_cast<CFDateRef>(value)) + kCFAbsoluteTimeIntervalSince1970));
    std::tm tm = {};
    if (!gmtime_r(&t, &tm) || tm.tm_year + 1900 < 1 || tm.tm_year + 1900 > 9999)
      return false;
    char text[80];
    std::snprintf(text, sizeof(text), "%04d-%02d-%02dT%02d:%02d:%02dZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    out += indent + "<date>" + text + "</date>\n";
  }
  else if (type == CFArrayGetTypeID())
  {
    auto array = static_cast<CFArrayRef>(value);
    const CFIndex count = CFArrayGetCount(array);
    if (count == 0)
    {
      out += indent + "<array/>\n";
      return true;
    }
    out += indent + "<array>\n";
    for (CFIndex i = 0; i < count; ++i)
      if (!Write(out, CFArrayGetValueAtIndex(array, i), depth + 1))
        return false;
    out += indent + "</array>\n";
  }
  else if (type == CFDictionaryGetTypeID())
  {
    auto dict = static_cast<CFDictionaryRef>(value);
    const CFIndex count = CFDictionaryGetCount(dict);
    if (count == 0)
    {
      out += indent + "<dict/>\n";
      return true;
    }
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(dict, keys.data(), values.data());
    out += indent + "<dict>\n";
    for (size_t i = 0; i < keys.size(); ++i)
    {
      if (CFGetTypeID(keys[i]) != CFStringGetTypeID())
        return false;
      out += indent + "\t<key>";
      Escape(out, StringUTF8(static_cast<CFStringRef>(keys[i])));
      out += "</key>\n";
      if (!Write(out, values[i], depth + 1))
        return false;
    }
    out += indent + "</dict>\n";
  }
  else
    return false;
  return true;
}

} // namespace

CFPropertyListRef CFPropertyListCreateWithData(CFAllocatorRef, CFDataRef data, CFOptionFlags options,
                                               CFPropertyListFormat* format, CFErrorRef* error)
{
  if (error)
    *error = nullptr;
  auto fail = [&](const char* why) -> CFPropertyListRef {
    if (error)
      *error = MakeError(kCFPropertyListReadCorruptError, why);
    return nullptr;
  };
  if (CFGetTypeID(data) != CFDataGetTypeID())
    return fail("no data");
  const CFIndex length = CFDataGetLength(data);
  const char* bytes = reinterpret_cast<const char*>(CFDataGetBytePtr(data));
  if (length >= 6 && std::memcmp(bytes, "bplist", 6) == 0)
    return fail("binary property lists are not supported");
  tinyxml2::XMLDocument doc(true, tinyxml2::PRESERVE_WHITESPACE);
  if (length == 0 || doc.Parse(bytes, static_cast<size_t>(length)) != tinyxml2::XML_SUCCESS)
    return fail("malformed XML");
  const tinyxml2::XMLElement* root = doc.RootElement();
  if (!root)
    return fail("no root element");
  if (std::strcmp(root->Name(), "plist") == 0)
  {
    if (!Reader::OnlyElements(root))
      return fail("text outside the value");
    root = root->FirstChildElement();
    if (!root || root->NextSiblingElement())
      return fail("a plist holds exactly one value");
  }
  CFTypeRef value = Reader{options}.Value(root, 0);
  if (!value)
    return fail("invalid property-list value");
  if (format)
    *format = kCFPropertyListXMLFormat_v1_0;
  return value;
}

CFDataRef CFPropertyListCreateData(CFAllocatorRef, CFPropertyListRef propertyList, CFPropertyListFormat format,
                                   CFOptionFlags, CFErrorRef* error)
{
  if (error)
    *error = nullptr;
  std::string out = kHeader;
  if (format != kCFPropertyListXMLFormat_v1_0 || !Write(out, propertyList, 0))
  {
    if (error)
      *error = MakeError(kCFPropertyListWriteStreamError, "cannot write this property list");
    return nullptr;
  }
  out += "</plist>\n";
  return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(out.data()), static_cast<CFIndex>(out.size()));
}

CFPropertyListRef CFPropertyListCreateDeepCopy(CFAllocatorRef allocator, CFPropertyListRef propertyList,
                                               CFOptionFlags mutabilityOption)
{
  CFDataRef data = CFPropertyListCreateData(allocator, propertyList, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
  if (!data)
    return nullptr;
  CFPropertyListRef copy = CFPropertyListCreateWithData(allocator, data, mutabilityOption, nullptr, nullptr);
  CFRelease(data);
  return copy;
}

Boolean CFPropertyListIsValid(CFPropertyListRef plist, CFPropertyListFormat format)
{
  std::string scratch;
  return format == kCFPropertyListXMLFormat_v1_0 && Write(scratch, plist, 0);
}

CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef allocator, CFPropertyListRef propertyList)
{
  return CFPropertyListCreateData(allocator, propertyList, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
}

CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef allocator, CFDataRef xmlData,
                                                  CFOptionFlags mutabilityOption, CFStringRef* errorString)
{
  CFErrorRef error = nullptr;
  CFPropertyListRef plist = CFPropertyListCreateWithData(allocator, xmlData, mutabilityOption, nullptr, &error);
  if (errorString)
    *errorString = error ? CFErrorCopyDescription(error) : nullptr;
  if (error)
    CFRelease(error);
  return plist;
}

CFPropertyListRef MacAPIPropertyListCreateFromFile(const char* path, CFOptionFlags options)
{
  if (!path)
    return nullptr;
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path),
                                                         static_cast<CFIndex>(std::strlen(path)), false);
  CFDataRef data = nullptr;
  SInt32 code = 0;
  CFURLCreateDataAndPropertiesFromResource(nullptr, url, &data, nullptr, nullptr, &code);
  CFRelease(url);
  if (!data)
    return nullptr;
  CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, data, options, nullptr, nullptr);
  CFRelease(data);
  return plist;
}

Boolean MacAPIPropertyListWriteToFile(CFPropertyListRef plist, const char* path)
{
  if (!path)
    return false;
  CFDataRef data = CFPropertyListCreateData(nullptr, plist, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
  if (!data)
    return false;
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path),
                                                         static_cast<CFIndex>(std::strlen(path)), false);
  SInt32 code = 0;
  const Boolean ok = CFURLWriteDataAndPropertiesToResource(url, data, nullptr, &code);
  CFRelease(url);
  CFRelease(data);
  return ok;
}
