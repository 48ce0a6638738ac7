#include "graphics/IGraphics.h"
#include "graphics/MakeGraphics.h"
#include "preamp/CorvaneEditor.h"
#include "preamp/CorvaneIdentity.h"

namespace iplug {

igraphics::IGraphics* MakeCorvaneGraphics(igraphics::IGEditorDelegate& dlg)
{
  igraphics::IGraphics* g =
    igraphics::MakeGraphics(dlg, kCorvaneEditorWidth, kCorvaneEditorHeight, kCorvaneEditorFPS, 1.f);
  if (g)
  {
    // Where the resource lookup finds the images and the font.
    g->SetBundleID(corvane::kBundleId);
    g->SetSharedResourcesSubPath(corvane::kPluginName);
  }
  return g;
}

} // namespace iplug
