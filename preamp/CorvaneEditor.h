#pragma once
// The preamp's editor: a background picture with four switches along the top
// and bottom, the gain and output knobs above the two filter knobs, the
// oversampling switch at the foot, a value bubble and a corner handle that
// scales the whole editor.

namespace iplug::igraphics {
class IGraphics;
class IGEditorDelegate;
} // namespace iplug::igraphics

namespace iplug {

inline constexpr int kCorvaneEditorWidth = 575;
inline constexpr int kCorvaneEditorHeight = 333;
inline constexpr int kCorvaneEditorFPS = 60;

/** This platform's graphics context for the editor, 575 x 333 at 60 fps and scale 1, told where the
    bundle's resources are; null when the platform cannot draw. */
igraphics::IGraphics* MakeCorvaneGraphics(igraphics::IGEditorDelegate& dlg);

/** Attaches the resizer, background, bubble, font and the nine controls. A resource that cannot be
    loaded is named once on stderr; its control stays invisible and the rest work. */
void LayoutCorvaneEditor(igraphics::IGraphics* g);

} // namespace iplug
