#pragma once
// Translation of X11 keysyms into the framework's virtual keys.

#include <cstdint>

namespace iplug::igraphics::x11 {

/** The virtual key (graphics/IVirtualKeys.h) of an X11 keysym, or 0 when the key has none
    (punctuation, dead keys, modifiers alone): such keys still carry their typed text. */
int VirtualKeyFromKeysym(uint32_t keysym);

} // namespace iplug::igraphics::x11
