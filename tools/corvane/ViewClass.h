#pragma once
// The editor view class of a hosted unit: its view property names a function
// in the component's bundle, which hands out the class that opens editors.

#include <AudioUnit/AudioUnit.h>

struct AUViewFactoryClass;

namespace corvane::host {

/** The view class the unit's view property names, from the bundle it points at. Throws ToolError
    when the unit has no view, the bundle lacks the class, or the class cannot open an editor. */
const AUViewFactoryClass* FindViewClass(AudioUnit unit);

} // namespace corvane::host
