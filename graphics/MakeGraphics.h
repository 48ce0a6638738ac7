#pragma once
// The graphics context of this platform for an editor: the platform layer
// defines it (a window's graphics where there is a window system, an
// offscreen one otherwise), so editor code stays free of platform headers.

namespace iplug::igraphics {

class IGraphics;
class IGEditorDelegate;

/** A new graphics context of `w` x `h` points at draw scale `scale` for `dlg`, owned by the caller. */
IGraphics* MakeGraphics(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);

} // namespace iplug::igraphics
