#pragma once
// Ready-made action and animation functions for controls.

#include "graphics/IControl.h"

namespace iplug::igraphics {

void EmptyClickActionFunc(IControl* caller);
/** Starts a 100 ms DefaultAnimationFunc animation. */
void DefaultClickActionFunc(IControl* caller);
/** Records the host's last press as the splash origin of a vector control and starts a 100 ms splash. */
void SplashClickActionFunc(IControl* caller);
/** Ends the animation once its time is up. */
void DefaultAnimationFunc(IControl* caller);
/** Grows the splash radius of a vector control with the animation's progress. */
void SplashAnimationFunc(IControl* caller);

/** Value bubble to the right of the control, minimum content 50 x 30. */
void ShowBubbleHorizontalActionFunc(IControl* caller);
/** Value bubble above the control, minimum content 50 x 30. */
void ShowBubbleVerticalActionFunc(IControl* caller);
/** As ShowBubbleHorizontalActionFunc with minimum content 50 x 20. */
void ShowBubbleHorizontalActionFuncSTD(IControl* caller);
/** As ShowBubbleVerticalActionFunc with minimum content 50 x 20. */
void ShowBubbleVerticalActionFuncSTD(IControl* caller);

} // namespace iplug::igraphics
