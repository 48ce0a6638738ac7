// The host's record of a component instance.
#pragma once

#include <AudioUnit/AudioUnit.h>

struct ComponentInstanceRecord
{
  static constexpr UInt32 kAlive = 0x61756369; // 'auci'

  UInt32 magic = kAlive;
  AudioComponentPlugInInterface* plugin = nullptr;
  AudioComponent component = nullptr;
  Handle storage = nullptr; // set by SetComponentInstanceStorage
};

namespace macapi {

// The live record behind an instance handle, or null.
inline ComponentInstanceRecord* Live(AudioComponentInstance instance)
{
  return instance && instance->magic == ComponentInstanceRecord::kAlive && instance->plugin ? instance : nullptr;
}

} // namespace macapi
