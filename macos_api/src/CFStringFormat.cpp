// printf-style formatting with the CF extension %@ (description of a CF
// object). Each conversion is parsed, its argument fetched with the right
// type and formatted by snprintf on its own.
#include "macos_api/src/CFStringInternal.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

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

} // namespace

std::string macapi::FormatString(const char* format, va_list args)
{
  va_list ap;
  va_copy(ap, args);
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
    std::string conversion = "%";
    while (*p && std::strchr("-+ #0'", *p))
      conversion.push_back(*p++);
    // Width and precision given as '*' are taken from the arguments.
    auto number = [&]() {
      if (*p == '*')
      {
        conversion += std::to_string(va_arg(ap, int));
        ++p;
      }
      else
        while (*p >= '0' && *p <= '9')
          conversion.push_back(*p++);
    };
    number();
    if (*p == '.')
    {
      conversion.push_back(*p++);
      number();
    }
    std::string length;
    while (*p && std::strchr("hlLqjzt", *p))
      length.push_back(*p++);
    const char conv = *p;
    if (!conv)
    {
      out.append(start);
      break;
    }
    ++p;
    switch (conv)
    {
      case '@':
      {
        CFTypeRef obj = va_arg(ap, CFTypeRef);
        conversion += "s";
        Append(out, conversion, DescribeRef(obj).c_str());
        break;
      }
      case 'd':
      case 'i':
        conversion += length + conv;
        if (length == "l" || length == "q")
          Append(out, conversion, va_arg(ap, long));
        else if (length == "ll")
          Append(out, conversion, va_arg(ap, long long));
        else if (length == "z" || length == "t" || length == "j")
          Append(out, conversion, va_arg(ap, long));
        else
          Append(out, conversion, va_arg(ap, int));
        break;
      case 'u':
      case 'x':
      case 'X':
      case 'o':
        conversion += length + conv;
        if (length == "l" || length == "q" || length == "z" || length == "t" || length == "j")
          Append(out, conversion, va_arg(ap, unsigned long));
        else if (length == "ll")
          Append(out, conversion, va_arg(ap, unsigned long long));
        else
          Append(out, conversion, va_arg(ap, unsigned int));
        break;
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A':
        if (length == "L")
        {
          conversion += std::string("L") + conv;
          Append(out, conversion, va_arg(ap, long double));
        }
        else
        {
          conversion += conv;
          Append(out, conversion, va_arg(ap, double));
        }
        break;
      case 'c':
        conversion += conv;
        Append(out, conversion, va_arg(ap, int));
        break;
      case 's':
      {
        const char* s = va_arg(ap, const char*);
        conversion += conv;
        Append(out, conversion, s ? s : "(null)");
        break;
      }
      case 'p':
        conversion += conv;
        Append(out, conversion, va_arg(ap, void*));
        break;
      default:
        // Unknown conversion: copied literally, no argument consumed.
        out.append(start, p);
        break;
    }
  }
  va_end(ap);
  return out;
}
