#pragma once
// Reference-counted factory-preset records that the factory-presets property
// hands to the host in a CFArray, with the array callbacks that retain,
// release, describe and compare them.

#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>

namespace iplug {
struct CFAUPreset
{
  AUPreset auPreset;        // number and an owned copy of the name
  UInt32 version;           // always 0
  CFAllocatorRef allocator; // the allocator the record came from
  CFIndex retainCount;      // starts at 1
};

using CFAUPresetRef = const CFAUPreset*;

/** A new record with a copy of `name` (none when null); null if allocation fails. */
CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 number, CFStringRef name);
CFAUPresetRef CFAUPresetRetain(const void* preset);
void CFAUPresetRelease(const void* preset);
CFStringRef CFAUPresetCopyDescription(const void* preset);
Boolean CFAUPresetEqual(const void* preset1, const void* preset2);

void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* callbacks);

/** Array callbacks for arrays of CFAUPreset records. */
extern const CFArrayCallBacks kCFAUPresetArrayCallBacks;
} // namespace iplug
