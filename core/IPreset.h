#pragma once
// One preset slot: a name and the state chunk it restores.

#include <cstdio>

#include "core/IByteChunk.h"
#include "core/IPlugConstants.h"

namespace iplug {
struct IPreset
{
  bool mInitialized = false;
  char mName[MAX_PRESET_NAME_LEN] = "empty";
  IByteChunk mChunk;

  IPreset() = default;
  /** Copies the name, cut to the field; null gives "". */
  void SetName(const char* name) { std::snprintf(mName, sizeof(mName), "%s", name ? name : ""); }
};
} // namespace iplug
