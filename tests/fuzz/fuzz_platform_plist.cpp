// Property-list reader: any bytes either fail cleanly or give a tree that
// writes back as XML, reads again, and then writes identically (the first
// write settles the forms a reader normalises: whitespace, entities).
#include <CoreFoundation/CoreFoundation.h>

#include <cstdlib>
#include <cstring>

namespace {
CFDataRef Write(CFPropertyListRef plist)
{
  return CFPropertyListCreateData(nullptr, plist, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  CFDataRef input = CFDataCreate(nullptr, data, static_cast<CFIndex>(size));
  const CFOptionFlags options = size ? data[0] % 3 : 0;
  CFErrorRef error = nullptr;
  CFPropertyListRef plist = CFPropertyListCreateWithData(nullptr, input, options, nullptr, &error);
  CFRelease(input);
  if (!plist)
  {
    if (!error)
      std::abort(); // a failure must say why
    CFRelease(error);
    return 0;
  }
  CFDataRef first = Write(plist);
  if (!first)
    std::abort(); // everything the reader builds can be written
  CFPropertyListRef again = CFPropertyListCreateWithData(nullptr, first, options, nullptr, nullptr);
  if (!again)
    std::abort();
  CFDataRef second = Write(again);
  if (!second || CFDataGetLength(first) != CFDataGetLength(second) ||
      std::memcmp(CFDataGetBytePtr(first), CFDataGetBytePtr(second), static_cast<size_t>(CFDataGetLength(first))) != 0)
    std::abort();
  CFRelease(second);
  CFRelease(again);
  CFRelease(first);
  CFRelease(plist);
  return 0;
}
