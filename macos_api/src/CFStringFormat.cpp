// printf-style formatting with the CF extension %@ (description of a CF
// object), and the CFString functions built on it. Each conversion is parsed,
// its argument fetched with the right type and formatted by snprintf on its
// own. Formatting stands above strings and the object base: neither calls
// back into it.
#include "macos_api/src/CFRuntime.h"
#include "macos_api/src/CFStringInternal.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace macapi;

namespace {

// The caller's arguments, consumed one conversion at a time.
struct Arguments
{
  va_list ap;
};

template <typename T>
void Append(std::string& out, const std::string& conversion, T value)
{
  char small[128];
  int n = std::snprintf(small, sizeof(small), conversion.c_str(), value);
  if (n < 0)
    return;
  if (static_cast<size_t>(n) < sizeof(small))
  {
    out.append(small, static_cast<size_t>(n));
    return;
  }
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::snprintf(big.data(), big.size(), conversion.c_str(), value);
  out.append(big.data(), static_cast<size_t>(n));
}

// One parsed conversion: "%" with its flags, width and precision (a '*' taken
// from the arguments already written out), the length modifier and the
// conversion character (0 when the format ends inside the conversion).
struct Conversion
{
  std::string prefix = "%";
  std::string length;
  char type = 0;
};

// Parses the conversion after its '%' at p; returns where the format goes on.
const char* ParseConversion(const char* p, Arguments& args, Conversion& conversion)
{
  while (*p && std::strchr("-+ #0'", *p))
    conversion.prefix.push_back(*p++);
  auto number = [&]() {
    if (*p == '*')
    {
      conversion.prefix += std::to_string(va_arg(args.ap, int));
      ++p;
    }
    else
      while (*p >= '0' && *p <= '9')
        conversion.prefix.push_back(*p++);
  };
  number();
  if (*p == '.')
  {
    conversion.prefix.push_back(*p++);
    number();
  }
  while (*p && std::strchr("hlLqjzt", *p))
    conversion.length.push_back(*p++);
  conversion.type = *p;
  return *p ? p + 1 : p;
}

void AppendSigned(std::string& out, const Conversion& c, Arguments& args)
{
  const std::string conversion = c.prefix + c.length + c.type;
  if (c.length == "ll")
    Append(out, conversion, va_arg(args.ap, long long));
  else if (c.length == "l" || c.length == "q" || c.length == "z" || c.length == "t" || c.length == "j")
    Append(out, conversion, va_arg(args.ap, long));
  else
    Append(out, conversion, va_arg(args.ap, int));
}

void AppendUnsigned(std::string& out, const Conversion& c, Arguments& args)
{
  const std::string conversion = c.prefix + c.length + c.type;
  if (c.length == "ll")
    Append(out, conversion, va_arg(args.ap, unsigned long long));
  else if (c.length == "l" || c.length == "q" || c.length == "z" || c.length == "t" || c.length == "j")
    Append(out, conversion, va_arg(args.ap, unsigned long));
  else
    Append(out, conversion, va_arg(args.ap, unsigned int));
}

void AppendFloating(std::string& out, const Conversion& c, Arguments& args)
{
  if (c.length == "L")
    Append(out, c.prefix + "L" + c.type, va_arg(args.ap, long double));
  else
    Append(out, c.prefix + c.type, va_arg(args.ap, double));
}

// Formats one conversion; false for an unknown one, which takes no argument.
bool AppendConversion(std::string& out, const Conversion& c, Arguments& args)
{
  switch (c.type)
  {
    case '@': Append(out, c.prefix + "s", DescribeRef(va_arg(args.ap, CFTypeRef)).c_str()); return true;
    case 'd':
    case 'i': AppendSigned(out, c, args); return true;
    case 'u':
    case 'x':
    case 'X':
    case 'o': AppendUnsigned(out, c, args); return true;
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A': AppendFloating(out, c, args); return true;
    case 'c': Append(out, c.prefix + c.type, va_arg(args.ap, int)); return true;
    case 's':
    {
      const char* s = va_arg(args.ap, const char*);
      Append(out, c.prefix + c.type, s ? s : "(null)");
      return true;
    }
    case 'p': Append(out, c.prefix + c.type, va_arg(args.ap, void*)); return true;
    default: return false;
  }
}

std::string FormatString(const char* format, va_list list)
{
  Arguments args;
  va_copy(args.ap, list);
  std::string out;
  const char* p = format;
  while (*p)
  {
    if (*p != '%')
    {
      out.push_back(*p++);
      continue;
    }
    const char* start = p++;
    if (*p == '%')
    {
      out.push_back('%');
      ++p;
      continue;
    }
    Conversion conversion;
    p = ParseConversion(p, args, conversion);
    if (!conversion.type)
    {
      out.append(start);
      break;
    }
    // An unknown conversion is copied literally.
    if (!AppendConversion(out, conversion, args))
      out.append(start, p);
  }
  va_end(args.ap);
  return out;
}

const __CFString* Str(CFStringRef ref) { return As<__CFString>(ref); }

} // namespace

CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef, CFDictionaryRef, CFStringRef format, va_list arguments)
{
  const __CFString* f = Str(format);
  if (!f)
    return nullptr;
  return MakeString(FormatString(f->utf8.c_str(), arguments));
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, CFDictionaryRef formatOptions, CFStringRef format, ...)
{
  va_list args;
  va_start(args, format);
  CFStringRef result = CFStringCreateWithFormatAndArguments(alloc, formatOptions, format, args);
  va_end(args);
  return result;
}

void CFStringAppendFormat(CFMutableStringRef theString, CFDictionaryRef, CFStringRef format, ...)
{
  auto* s = AsMutable<__CFString>(theString);
  const __CFString* f = Str(format);
  if (!s || !s->isMutable || !f)
    return;
  va_list args;
  va_start(args, format);
  std::string text = FormatString(f->utf8.c_str(), args);
  va_end(args);
  if (auto units = DecodeUTF8(text.data(), text.size()))
    s->Assign(s->units + *units);
}
