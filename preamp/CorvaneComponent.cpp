// The component's exported entry points, its view class and the function
// that builds a Corvane object for the adapter. Only these three symbols
// leave the bundle; the entry points let no exception reach the host.

#include "au/AUViewFactoryClass.h"
#include "au/IPlugAUFactory.h"
#include "preamp/Corvane.h"

namespace iplug {
IPlugAU* MakePlug(void* memory)
{
  InstanceInfo info;
  info.viewFactoryClassName = "Corvane_View";
  if (memory)
    return new (memory) Corvane(info);
  return new Corvane(info);
}
} // namespace iplug

using CorvaneFactory = iplug::IPlugAUFactory<iplug::Corvane, false>;

extern "C" __attribute__((visibility("default"))) OSStatus Corvane_Entry(ComponentParameters* params,
                                                                         void* instanceStorage) noexcept
{
  return iplug::IPlugAU::IPlugAUEntry(params, instanceStorage);
}

extern "C" __attribute__((visibility("default"))) AudioComponentPlugInInterface*
Corvane_Factory(const AudioComponentDescription* desc) noexcept
{
  return CorvaneFactory::Factory(desc);
}

// The view class the view property names.
extern "C" __attribute__((visibility("default"))) const AUViewFactoryClass* Corvane_View() noexcept
{
  return iplug::PlatformViewFactoryClass("Corvane View");
}
