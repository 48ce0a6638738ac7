#pragma once
// Virtual key codes carried in IKeyPress::VK. Platform layers translate their
// own key codes into these; controls compare against them. Letters and digits
// use their upper-case ASCII codes ('A' to 'Z', '0' to '9').

namespace iplug::igraphics {

enum EVirtualKey : int
{
  kVK_NONE = 0,
  kVK_BACK = 8,
  kVK_TAB = 9,
  kVK_CLEAR = 12,
  kVK_RETURN = 13,
  kVK_ESCAPE = 27,
  kVK_SPACE = 32,
  kVK_PRIOR = 33, // page up
  kVK_NEXT = 34,  // page down
  kVK_END = 35,
  kVK_HOME = 36,
  kVK_LEFT = 37,
  kVK_UP = 38,
  kVK_RIGHT = 39,
  kVK_DOWN = 40,
  kVK_INSERT = 45,
  kVK_DELETE = 46,
  kVK_0 = 48,
  kVK_9 = 57,
  kVK_A = 65,
  kVK_Z = 90,
  kVK_NUMPAD0 = 96,
  kVK_NUMPAD9 = 105,
  kVK_MULTIPLY = 106,
  kVK_ADD = 107,
  kVK_SEPARATOR = 108, // keypad equals
  kVK_SUBTRACT = 109,
  kVK_DECIMAL = 110,
  kVK_DIVIDE = 111,
  kVK_F1 = 112,
  kVK_F24 = 135,
  kVK_NUMLOCK = 144, // keypad clear
  kVK_KEYPAD_ENTER = 0x8000 | kVK_RETURN
};

} // namespace iplug::igraphics
