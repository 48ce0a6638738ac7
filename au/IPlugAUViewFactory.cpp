#include "au/IPlugAUViewFactory.h"

#include "au/IPlugAU.h"

namespace iplug {
IPlugAUViewFactory* IPlugAUViewFactory::init()
{
  mPlug = nullptr;
  return this;
}

void* IPlugAUViewFactory::uiViewForAudioUnit(AudioUnit unit, double /*width*/, double /*height*/)
{
  IPlugAU* plug = nullptr;
  UInt32 size = sizeof(plug);
  if (AudioUnitGetProperty(unit, kPluginInstanceProperty, kAudioUnitScope_Global, 0, &plug, &size) != noErr)
    return nullptr;
  mPlug = plug;
  if (plug && plug->HasUI())
    return plug->OpenWindow(nullptr);
  return nullptr;
}
} // namespace iplug
