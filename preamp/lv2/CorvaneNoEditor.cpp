// The LV2 plug-in binary carries no editor: hosts load the editor from its
// own library (CorvaneUI.so), so the processing binary links no drawing or
// window code. Here the editor's two functions say that there is none.

#include "preamp/CorvaneEditor.h"

namespace iplug {

igraphics::IGraphics* MakeCorvaneGraphics(igraphics::IGEditorDelegate&) { return nullptr; }

void LayoutCorvaneEditor(igraphics::IGraphics*) {}

} // namespace iplug
