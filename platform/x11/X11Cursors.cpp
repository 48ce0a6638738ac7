#include "platform/x11/X11Cursors.h"

#include <X11/cursorfont.h>

namespace iplug::igraphics::x11 {

namespace {

// Indexed by ECursor.
const CursorChoice kShapes[] = {
  {{"default", "left_ptr", nullptr}, XC_left_ptr},                                // ARROW
  {{"text", "xterm", nullptr}, XC_xterm},                                         // IBEAM
  {{"wait", "watch", nullptr}, XC_watch},                                         // WAIT
  {{"crosshair", "cross", nullptr}, XC_crosshair},                                // CROSS
  {{"n-resize", "sb_up_arrow", "top_side"}, XC_sb_up_arrow},                      // UPARROW
  {{"nwse-resize", "size_fdiag", "bottom_right_corner"}, XC_bottom_right_corner}, // SIZENWSE
  {{"nesw-resize", "size_bdiag", "bottom_left_corner"}, XC_bottom_left_corner},   // SIZENESW
  {{"ew-resize", "sb_h_double_arrow", nullptr}, XC_sb_h_double_arrow},            // SIZEWE
  {{"ns-resize", "sb_v_double_arrow", nullptr}, XC_sb_v_double_arrow},            // SIZENS
  {{"all-scroll", "fleur", "move"}, XC_fleur},                                    // SIZEALL
  {{"not-allowed", "crossed_circle", nullptr}, XC_X_cursor},                      // INO
  {{"pointer", "hand2", nullptr}, XC_hand2},                                      // HAND
  {{"progress", "left_ptr_watch", "watch"}, XC_watch},                            // APPSTARTING
  {{"help", "question_arrow", nullptr}, XC_question_arrow},                       // HELP
};

} // namespace

const CursorChoice& CursorShapeFor(ECursor cursor)
{
  const auto index = static_cast<unsigned>(cursor);
  return index < sizeof(kShapes) / sizeof(kShapes[0]) ? kShapes[index] : kShapes[0];
}

} // namespace iplug::igraphics::x11
