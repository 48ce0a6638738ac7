// CFError: domain, code and user info.
#include "macos_api/src/CFRuntime.h"
#include "macos_api/src/CFStringInternal.h"

using namespace macapi;

struct __CFError : __CFObject
{
  CFTypeID TypeID() const override { return kTypeError; }
  std::string Describe() const override
  {
    std::string text = "Error Domain=" + StringUTF8(domain) + " Code=" + std::to_string(code);
    if (CFTypeRef d = userInfo ? CFDictionaryGetValue(userInfo, kCFErrorDescriptionKey) : nullptr)
      text += " \"" + DescribeRef(d) + "\"";
    return text;
  }
  ~__CFError() override
  {
    CFRelease(domain);
    CFRelease(userInfo);
  }

  CFStringRef domain = nullptr;
  CFIndex code = 0;
  CFDictionaryRef userInfo = nullptr;
};

const CFErrorDomain kCFErrorDomainPOSIX = CFSTR("NSPOSIXErrorDomain");
const CFErrorDomain kCFErrorDomainOSStatus = CFSTR("NSOSStatusErrorDomain");
const CFErrorDomain kCFErrorDomainMach = CFSTR("NSMachErrorDomain");
const CFErrorDomain kCFErrorDomainCocoa = CFSTR("NSCocoaErrorDomain");
const CFStringRef kCFErrorDescriptionKey = CFSTR("NSDescription");
const CFStringRef kCFErrorLocalizedDescriptionKey = CFSTR("NSLocalizedDescription");
const CFStringRef kCFErrorDebugDescriptionKey = CFSTR("NSDebugDescription");

CFTypeID CFErrorGetTypeID(void) { return kTypeError; }

CFErrorRef CFErrorCreate(CFAllocatorRef, CFErrorDomain domain, CFIndex code, CFDictionaryRef userInfo)
{
  if (!domain)
    return nullptr;
  auto* e = new __CFError;
  e->domain = CFStringCreateCopy(nullptr, domain);
  e->code = code;
  e->userInfo = userInfo ? CFDictionaryCreateCopy(nullptr, userInfo)
                         : CFDictionaryCreate(nullptr, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                              &kCFTypeDictionaryValueCallBacks);
  return e;
}

CFErrorDomain CFErrorGetDomain(CFErrorRef err)
{
  const auto* e = As<__CFError>(err);
  return e ? e->domain : nullptr;
}

CFIndex CFErrorGetCode(CFErrorRef err)
{
  const auto* e = As<__CFError>(err);
  return e ? e->code : 0;
}

CFDictionaryRef CFErrorCopyUserInfo(CFErrorRef err)
{
  const auto* e = As<__CFError>(err);
  return e ? static_cast<CFDictionaryRef>(CFRetain(e->userInfo)) : nullptr;
}

CFStringRef CFErrorCopyDescription(CFErrorRef err)
{
  const auto* e = As<__CFError>(err);
  if (!e)
    return nullptr;
  for (CFStringRef key : {kCFErrorLocalizedDescriptionKey, kCFErrorDescriptionKey})
    if (CFTypeRef d = CFDictionaryGetValue(e->userInfo, key); CFGetTypeID(d) == CFStringGetTypeID())
      return static_cast<CFStringRef>(CFRetain(d));
  return MakeString(e->Describe());
}
