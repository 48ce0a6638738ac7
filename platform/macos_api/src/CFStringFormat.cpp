// printf-style formatting with the CF extension %@ (description of a CF
// object). Each conversion is parsed, its argument fetched with the right
// type and formatted by snprintf on its own.
#include "platform/macos_api/src/CFStringInternal.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace
{

template <typename T>
void Append(std::string& out, const std::string& spec, T value)
{
  char small[128];
  int n = std::snprintf(small, sizeof(small), spec.c_str(), value);
  if (n < 0)
    return;
  if (static_cast<size_t>(n) < sizeof(small))
  {
    out.append(small, static_cast<size_t>(n));
    return;
  }
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::snprintf(big.data(), big.size(), spec.c_str(), value);
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
    std::string spec = "%";
    while (*p && std::strchr("-+ #0'", *p))
      spec.push_back(*p++);
    // Width and precision given as '*' are taken from the arguments.
    auto number = [&]() {
      if (*p == '*')
      {
        spec += std::to_string(va_arg(ap, int));
        ++p;
      }
      else
        while (*p >= '0' && *p <= '9')
          spec.push_back(*p++);
    };
    number();
    if (*p == '.')
    {
      spec.push_back(*p++);
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
        spec += "s";
        Append(out, spec, DescribeRef(obj).c_str());
        break;
      }
      case 'd':
      case 'i':
        spec += length + conv;
        if (length == "l" || length == "q")
          Append(out, spec, va_arg(ap, long));
        else if (length == "ll")
          Append(out, spec, va_arg(ap, long long));
        else if (length == "z" || length == "t" || length == "j")
          Append(out, spec, va_arg(ap, long));
        else
          Append(out, spec, va_arg(ap, int));
        break;
      case 'u':
      case 'x':
      case 'X':
      case 'o':
        spec += length + conv;
        if (length == "l" || length == "q" || length == "z" || length == "t" || length == "j")
          Append(out, spec, va_arg(ap, unsigned long));
        else if (length == "ll")
          Append(out, spec, va_arg(ap, unsigned long long));
        else
          Append(out, spec, va_arg(ap, unsigned int));
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
          spec += std::string("L") + conv;
          Append(out, spec, va_arg(ap, long double));
        }
        else
        {
          spec += conv;
          Append(out, spec, va_arg(ap, double));
        }
        break;
      case 'c':
        spec += conv;
        Append(out, spec, va_arg(ap, int));
        break;
      case 's':
      {
        const char* s = va_arg(ap, const char*);
        spec += conv;
        Append(out, spec, s ? s : "(null)");
        break;
      }
      case 'p':
        spec += conv;
        Append(out, spec, va_arg(ap, void*));
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
