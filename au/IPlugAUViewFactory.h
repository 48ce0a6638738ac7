#pragma once
// The view factory a host instantiates, by the class name the CocoaUI
// property reports, to get the plug-in's editor view for a unit.

#include <AudioUnit/AudioUnit.h>

#include "core/WDL_String.h"

namespace iplug {
class IPlugAU;

class IPlugAUViewFactory
{
public:
  /** `description` is what the factory calls itself, e.g. "Corvane View". */
  explicit IPlugAUViewFactory(const char* description) : mDescription(description) {}

  /** Forgets any plug-in object met before. */
  IPlugAUViewFactory* init();

  /** Asks `unit` for its plug-in object and opens its editor without a parent
   *  window; null when the unit cannot be asked or has no editor. The size is
   *  not used: the editor keeps its own. */
  void* uiViewForAudioUnit(AudioUnit unit, double width, double height);

  unsigned interfaceVersion() const { return 0; }
  const char* description() const { return mDescription.Get(); }

  /** The plug-in object of the last unit asked, or null. */
  IPlugAU* GetPlug() const { return mPlug; }

private:
  IPlugAU* mPlug = nullptr;
  WDL_String mDescription;
};
} // namespace iplug
