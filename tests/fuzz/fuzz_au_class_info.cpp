// A saved Audio Unit state from outside bytes: whatever property list the
// bytes parse to is handed to the class-info write, after a valid state whose
// keys the input may replace.

#include <cstdint>

#include "au/AUTestPlug.h"

using namespace corvane_test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const AudioComponent component = TestPlugComponent();
  AudioUnit unit = nullptr;
  if (AudioComponentInstanceNew(component, &unit) != noErr)
    return 0;

  CFDataRef bytes = CFDataCreate(kCFAllocatorDefault, data, static_cast<CFIndex>(size));
  CFPropertyListRef parsed = CFPropertyListCreateWithData(kCFAllocatorDefault, bytes, 0, nullptr, nullptr);
  CFRelease(bytes);
  if (parsed)
  {
    AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &parsed, sizeof(parsed));

    // The same values merged into a valid state, so the checks past the keys are reached.
    CFPropertyListRef state = nullptr;
    UInt32 stateSize = sizeof(state);
    AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &stateSize);
    if (state && CFGetTypeID(parsed) == CFDictionaryGetTypeID())
    {
      CFMutableDictionaryRef merged =
        CFDictionaryCreateMutableCopy(kCFAllocatorDefault, 0, static_cast<CFDictionaryRef>(state));
      CFDictionaryApplyFunction(
        static_cast<CFDictionaryRef>(parsed),
        [](const void* key, const void* value, void* context) {
          CFDictionarySetValue(static_cast<CFMutableDictionaryRef>(context), key, value);
        },
        merged);
      CFPropertyListRef plist = merged;
      AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &plist, sizeof(plist));
      CFRelease(merged);
    }
    if (state)
      CFRelease(state);
    CFRelease(parsed);
  }
  AudioComponentInstanceDispose(unit);
  return 0;
}
