// CFURL for file-system paths, and whole-file reads and writes.
#include "macos_api/src/CFRuntime.h"
#include "macos_api/src/CFStringInternal.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unistd.h>

using namespace macapi;

struct __CFURL : __CFObject
{
  CFTypeID TypeID() const override { return kTypeURL; }
  bool Equals(const __CFObject& other) const override
  {
    const auto& o = static_cast<const __CFURL&>(other);
    return path == o.path && isDirectory == o.isDirectory;
  }
  CFHashCode Hash() const override { return std::hash<std::string>()(path); }
  std::string Describe() const override { return String(); }

  // The URL text: "file://" and the percent-escaped absolute path, or the
  // escaped path alone when it is relative.
  std::string String() const
  {
    std::string text = path[0] == '/' ? "file://" : "";
    for (unsigned char c : path)
    {
      if (std::isalnum(c) || std::strchr("/-_.~!$&'()*+,;=:@", c))
        text.push_back(static_cast<char>(c));
      else
      {
        char esc[4];
        std::snprintf(esc, sizeof(esc), "%%%02X", c);
        text += esc;
      }
    }
    if (isDirectory && text.back() != '/')
      text.push_back('/');
    return text;
  }

  ~__CFURL() override { CFRelease(text); }

  std::string path; // without a trailing '/' except for the root
  bool isDirectory = false;
  CFStringRef text = nullptr; // String(), owned, for CFURLGetString
};

namespace {

CFURLRef NewURL(std::string path, bool isDirectory)
{
  if (path.empty())
    return nullptr;
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  auto* url = new __CFURL;
  url->path = std::move(path);
  url->isDirectory = isDirectory || url->path == "/";
  url->text = MakeString(url->String());
  return url;
}

int HexValue(char c)
{
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

} // namespace

CFTypeID CFURLGetTypeID(void) { return kTypeURL; }

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath, CFURLPathStyle pathStyle,
                                       Boolean isDirectory)
{
  if (pathStyle != kCFURLPOSIXPathStyle || !As<__CFObject>(filePath))
    return nullptr;
  return NewURL(StringUTF8(filePath), isDirectory);
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8* buffer, CFIndex bufLen,
                                                 Boolean isDirectory)
{
  if (!buffer || bufLen <= 0)
    return nullptr;
  std::string path(reinterpret_cast<const char*>(buffer), static_cast<size_t>(bufLen));
  path = path.substr(0, path.find('\0'));
  return NewURL(std::move(path), isDirectory);
}

CFURLRef CFURLCreateWithString(CFAllocatorRef, CFStringRef URLString, CFURLRef)
{
  std::string text = StringUTF8(URLString);
  static const char kScheme[] = "file://";
  if (text.compare(0, sizeof(kScheme) - 1, kScheme) != 0)
    return nullptr;
  text.erase(0, sizeof(kScheme) - 1);
  if (text.compare(0, 9, "localhost") == 0)
    text.erase(0, 9);
  std::string path;
  for (size_t i = 0; i < text.size(); ++i)
  {
    if (text[i] == '%')
    {
      if (i + 2 >= text.size() || HexValue(text[i + 1]) < 0 || HexValue(text[i + 2]) < 0)
        return nullptr;
      path.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    }
    else
      path.push_back(text[i]);
  }
  if (path.empty() || path[0] != '/')
    return nullptr;
  const bool isDirectory = path.back() == '/';
  return NewURL(std::move(path), isDirectory);
}

CFStringRef CFURLGetString(CFURLRef anURL)
{
  const auto* url = As<__CFURL>(anURL);
  return url ? url->text : nullptr;
}

CFStringRef CFURLCopyFileSystemPath(CFURLRef anURL, CFURLPathStyle pathStyle)
{
  const auto* url = As<__CFURL>(anURL);
  return url && pathStyle == kCFURLPOSIXPathStyle ? MakeString(url->path) : nullptr;
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef anURL, Boolean, UInt8* buffer, CFIndex maxBufLen)
{
  const auto* url = As<__CFURL>(anURL);
  if (!url || !buffer || maxBufLen <= 0 || static_cast<CFIndex>(url->path.size()) >= maxBufLen)
    return false;
  std::memcpy(buffer, url->path.c_str(), url->path.size() + 1);
  return true;
}

Boolean CFURLHasDirectoryPath(CFURLRef anURL)
{
  const auto* url = As<__CFURL>(anURL);
  return url && url->isDirectory;
}

CFStringRef CFURLCopyLastPathComponent(CFURLRef anURL)
{
  const auto* url = As<__CFURL>(anURL);
  if (!url)
    return nullptr;
  if (url->path == "/")
    return MakeString("/");
  const size_t slash = url->path.rfind('/');
  return MakeString(slash == std::string::npos ? url->path : url->path.substr(slash + 1));
}

CFStringRef CFURLCopyPathExtension(CFURLRef anURL)
{
  const auto* url = As<__CFURL>(anURL);
  if (!url)
    return nullptr;
  const size_t slash = url->path.rfind('/');
  const size_t dot = url->path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1)
    return nullptr;
  return MakeString(url->path.substr(dot + 1));
}

CFURLRef CFURLCreateCopyAppendingPathComponent(CFAllocatorRef, CFURLRef anURL, CFStringRef pathComponent,
                                               Boolean isDirectory)
{
  const auto* url = As<__CFURL>(anURL);
  if (!url)
    return nullptr;
  std::string component = StringUTF8(pathComponent);
  std::string path = url->path;
  if (path.back() != '/')
    path.push_back('/');
  return NewURL(path + component, isDirectory);
}

CFURLRef CFURLCreateCopyDeletingLastPathComponent(CFAllocatorRef, CFURLRef anURL)
{
  const auto* url = As<__CFURL>(anURL);
  if (!url)
    return nullptr;
  const size_t slash = url->path.rfind('/');
  if (slash == std::string::npos)
    return NewURL(".", true);
  return NewURL(slash == 0 ? "/" : url->path.substr(0, slash), true);
}

Boolean CFURLCreateDataAndPropertiesFromResource(CFAllocatorRef, CFURLRef url, CFDataRef* resourceData,
                                                 CFDictionaryRef* properties, CFArrayRef, SInt32* errorCode)
{
  if (properties)
    *properties = nullptr;
  if (resourceData)
    *resourceData = nullptr;
  const auto* u = As<__CFURL>(url);
  auto fail = [&](SInt32 code) {
    if (errorCode)
      *errorCode = code;
    return static_cast<Boolean>(false);
  };
  if (!u)
    return fail(kCFURLImproperArgumentsError);
  std::ifstream in(u->path, std::ios::binary);
  if (!in)
    return fail(kCFURLResourceNotFoundError);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad())
    return fail(kCFURLUnknownError);
  if (resourceData)
    *resourceData =
      CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()), static_cast<CFIndex>(bytes.size()));
  if (errorCode)
    *errorCode = 0;
  return true;
}

Boolean CFURLWriteDataAndPropertiesToResource(CFURLRef url, CFDataRef dataToWrite, CFDictionaryRef, SInt32* errorCode)
{
  const auto* u = As<__CFURL>(url);
  auto fail = [&](SInt32 code) {
    if (errorCode)
      *errorCode = code;
    return static_cast<Boolean>(false);
  };
  if (!u || !dataToWrite)
    return fail(kCFURLImproperArgumentsError);
  const std::string temp = u->path + ".tmp-" + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(CFDataGetBytePtr(dataToWrite)), CFDataGetLength(dataToWrite));
    out.flush();
    if (!out)
    {
      std::remove(temp.c_str());
      return fail(kCFURLResourceAccessViolationError);
    }
  }
  if (std::rename(temp.c_str(), u->path.c_str()) != 0)
  {
    std::remove(temp.c_str());
    return fail(kCFURLResourceAccessViolationError);
  }
  if (errorCode)
    *errorCode = 0;
  return true;
}
