// The standard callbacks for collections of CF objects.
#include "macos_api/src/CFRuntime.h"

namespace {
const void* RetainCF(CFAllocatorRef, const void* value) { return CFRetain(value); }
void ReleaseCF(CFAllocatorRef, const void* value) { CFRelease(value); }
Boolean EqualCF(const void* a, const void* b) { return CFEqual(a, b); }
CFHashCode HashCF(const void* value) { return CFHash(value); }

const void* CopyStringKey(CFAllocatorRef, const void* value)
{
  if (CFGetTypeID(value) == CFStringGetTypeID())
    return CFStringCreateCopy(kCFAllocatorDefault, static_cast<CFStringRef>(value));
  return CFRetain(value);
}
} // namespace

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, RetainCF, ReleaseCF, CFCopyDescription, EqualCF};
const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0,       RetainCF, ReleaseCF, CFCopyDescription,
                                                                EqualCF, HashCF};
const CFDictionaryKeyCallBacks kCFCopyStringDictionaryKeyCallBacks = {
  0, CopyStringKey, ReleaseCF, CFCopyDescription, EqualCF, HashCF};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0, RetainCF, ReleaseCF, CFCopyDescription, EqualCF};
