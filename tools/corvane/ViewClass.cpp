#include "tools/corvane/ViewClass.h"

#include "au/AUViewFactoryClass.h"
#include "tools/corvane/CFText.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/StateFile.h"
#include "tools/corvane/ToolError.h"

namespace corvane::host {

const AUViewFactoryClass* FindViewClass(AudioUnit unit)
{
  AudioUnitCocoaViewInfo info{};
  UInt32 size = sizeof(info);
  const OSStatus status =
    AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size);
  if (status != noErr)
    throw ToolError("the unit offers no editor view (" + StatusText(status) + ")");
  const CFOwned url = AdoptCF(info.mCocoaAUViewBundleLocation);
  const CFOwned className = AdoptCF(info.mCocoaAUViewClass[0]);
  const CFOwned bundle = AdoptCF(CFBundleCreate(nullptr, static_cast<CFURLRef>(url.get())));
  void* function = bundle ? CFBundleGetFunctionPointerForName(static_cast<CFBundleRef>(const_cast<void*>(bundle.get())),
                                                              static_cast<CFStringRef>(className.get()))
                          : nullptr;
  if (!function)
    throw ToolError("the editor view class '" + Utf8(static_cast<CFStringRef>(className.get())) +
                    "' is not in the component's bundle");
  const AUViewFactoryClass* viewClass = reinterpret_cast<AUViewFactoryClassFunc>(function)();
  if (!viewClass || !viewClass->uiViewForAudioUnit || !viewClass->closeView)
    throw ToolError("the editor view class cannot open an editor");
  return viewClass;
}

} // namespace corvane::host
