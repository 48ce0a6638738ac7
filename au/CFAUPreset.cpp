#include "au/CFAUPreset.h"

namespace iplug {
namespace {
CFAUPreset* Mutable(const void* preset) { return static_cast<CFAUPreset*>(const_cast<void*>(preset)); }

const void* RetainCallBack(CFAllocatorRef, const void* value) { return CFAUPresetRetain(value); }
void ReleaseCallBack(CFAllocatorRef, const void* value) { CFAUPresetRelease(value); }
} // namespace

CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 number, CFStringRef name)
{
  auto* preset = static_cast<CFAUPreset*>(CFAllocatorAllocate(allocator, sizeof(CFAUPreset), 0));
  if (!preset)
    return nullptr;
  preset->auPreset.presetNumber = number;
  preset->auPreset.presetName = name ? CFStringCreateCopy(allocator, name) : nullptr;
  preset->version = 0;
  preset->allocator = allocator;
  preset->retainCount = 1;
  return preset;
}

CFAUPresetRef CFAUPresetRetain(const void* value)
{
  CFAUPreset* preset = Mutable(value);
  if (!preset)
    return nullptr;
  if (preset->auPreset.presetName)
    CFRetain(preset->auPreset.presetName);
  ++preset->retainCount;
  return preset;
}

void CFAUPresetRelease(const void* value)
{
  CFAUPreset* preset = Mutable(value);
  if (!preset || preset->retainCount <= 0)
    return;
  if (preset->auPreset.presetName)
    CFRelease(preset->auPreset.presetName);
  if (--preset->retainCount == 0)
  {
    preset->auPreset.presetNumber = 0;
    preset->auPreset.presetName = nullptr;
    CFAllocatorDeallocate(preset->allocator, preset);
  }
}

CFStringRef CFAUPresetCopyDescription(const void* value)
{
  const auto* preset = static_cast<const CFAUPreset*>(value);
  return CFStringCreateWithFormat(kCFAllocatorDefault, nullptr,
                                  CFSTR("AUPreset:\npreset number = %d\npreset name = %@"),
                                  static_cast<int>(preset->auPreset.presetNumber), preset->auPreset.presetName);
}

Boolean CFAUPresetEqual(const void* value1, const void* value2)
{
  const auto* a = static_cast<const CFAUPreset*>(value1);
  const auto* b = static_cast<const CFAUPreset*>(value2);
  if (a->auPreset.presetNumber != b->auPreset.presetNumber)
    return false;
  if (!a->auPreset.presetName || !b->auPreset.presetName)
    return a->auPreset.presetName == b->auPreset.presetName;
  return CFStringCompare(a->auPreset.presetName, b->auPreset.presetName, 0) == kCFCompareEqualTo;
}

void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* callbacks)
{
  callbacks->version = 0;
  callbacks->retain = RetainCallBack;
  callbacks->release = ReleaseCallBack;
  callbacks->copyDescription = CFAUPresetCopyDescription;
  callbacks->equal = CFAUPresetEqual;
}

const CFArrayCallBacks kCFAUPresetArrayCallBacks = {0, RetainCallBack, ReleaseCallBack, CFAUPresetCopyDescription,
                                                    CFAUPresetEqual};
} // namespace iplug
