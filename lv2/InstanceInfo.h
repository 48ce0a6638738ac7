#pragma once
// What the LV2 entry tells a new plug-in object about the instance it
// becomes: which of the product's plug-ins (and so how many channels), the
// host's sample rate, its bundle and the features the host offers.

#include <lv2/core/lv2.h>

namespace iplug {
struct InstanceInfo
{
  const char* pluginURI = "";
  const char* bundlePath = "";
  double sampleRate = 48000.0;
  /** Audio channels on each side: 1 for the mono plug-in, 2 for stereo. */
  int nChannels = 2;
  const LV2_Feature* const* features = nullptr;
};
} // namespace iplug
