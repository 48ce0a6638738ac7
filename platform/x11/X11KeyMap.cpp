#include "platform/x11/X11KeyMap.h"

#include <X11/keysym.h>

#include "graphics/IVirtualKeys.h"

namespace iplug::igraphics::x11 {

namespace {

struct KeyEntry
{
  uint32_t keysym;
  int vk;
};

// Keys that are not letters, digits or ranges. Keypad navigation keysyms (num lock off)
// give the navigation keys, like their main-block counterparts.
constexpr KeyEntry kKeys[] = {
  {XK_BackSpace, kVK_BACK},
  {XK_Tab, kVK_TAB},
  {XK_ISO_Left_Tab, kVK_TAB},
  {XK_Clear, kVK_CLEAR},
  {XK_Return, kVK_RETURN},
  {XK_Escape, kVK_ESCAPE},
  {XK_space, kVK_SPACE},
  {XK_Prior, kVK_PRIOR},
  {XK_Next, kVK_NEXT},
  {XK_End, kVK_END},
  {XK_Home, kVK_HOME},
  {XK_Left, kVK_LEFT},
  {XK_Up, kVK_UP},
  {XK_Right, kVK_RIGHT},
  {XK_Down, kVK_DOWN},
  {XK_Insert, kVK_INSERT},
  {XK_Help, kVK_INSERT},
  {XK_Delete, kVK_DELETE},
  {XK_KP_Space, kVK_SPACE},
  {XK_KP_Tab, kVK_TAB},
  {XK_KP_Enter, kVK_KEYPAD_ENTER},
  {XK_KP_Home, kVK_HOME},
  {XK_KP_Left, kVK_LEFT},
  {XK_KP_Up, kVK_UP},
  {XK_KP_Right, kVK_RIGHT},
  {XK_KP_Down, kVK_DOWN},
  {XK_KP_Prior, kVK_PRIOR},
  {XK_KP_Next, kVK_NEXT},
  {XK_KP_End, kVK_END},
  {XK_KP_Begin, kVK_CLEAR},
  {XK_KP_Insert, kVK_INSERT},
  {XK_KP_Delete, kVK_DELETE},
  {XK_KP_Equal, kVK_SEPARATOR},
  {XK_KP_Multiply, kVK_MULTIPLY},
  {XK_KP_Add, kVK_ADD},
  {XK_KP_Separator, kVK_SEPARATOR},
  {XK_KP_Subtract, kVK_SUBTRACT},
  {XK_KP_Decimal, kVK_DECIMAL},
  {XK_KP_Divide, kVK_DIVIDE},
  {XK_Num_Lock, kVK_NUMLOCK},
};

} // namespace

int VirtualKeyFromKeysym(uint32_t keysym)
{
  if (keysym >= XK_a && keysym <= XK_z)
    return kVK_A + static_cast<int>(keysym - XK_a);
  if (keysym >= XK_A && keysym <= XK_Z)
    return kVK_A + static_cast<int>(keysym - XK_A);
  if (keysym >= XK_0 && keysym <= XK_9)
    return kVK_0 + static_cast<int>(keysym - XK_0);
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
    return kVK_NUMPAD0 + static_cast<int>(keysym - XK_KP_0);
  if (keysym >= XK_F1 && keysym <= XK_F24)
    return kVK_F1 + static_cast<int>(keysym - XK_F1);
  for (const KeyEntry& entry : kKeys)
    if (entry.keysym == keysym)
      return entry.vk;
  return kVK_NONE;
}

} // namespace iplug::igraphics::x11
