#pragma once
// The port layout of every plug-in this adapter exposes. Parameters come
// first, in index order, so the mono and stereo plug-ins (and an editor
// shared by both) address the same control at the same port index.

#include "core/WDL_String.h"

namespace iplug {
class IParam;

struct LV2PortLayout
{
  int nParams = 0;
  int nChannels = 2;

  int Param(int paramIdx) const { return paramIdx; }
  int Enabled() const { return nParams; }
  int Latency() const { return nParams + 1; }
  int AudioIn(int channel) const { return nParams + 2 + channel; }
  int AudioOut(int channel) const { return nParams + 2 + nChannels + channel; }
  int Count() const { return nParams + 2 + 2 * nChannels; }
};

/** The port symbol of a parameter, from its name (LV2Symbol.h). */
void LV2ParamSymbol(const IParam& param, WDL_String& symbol);

/** Port symbols of the audio channels: in/out for one channel, in_1/out_1 ... otherwise. */
void LV2AudioSymbol(bool input, int channel, int nChannels, WDL_String& symbol);

} // namespace iplug
