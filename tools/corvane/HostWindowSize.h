#pragma once
// The size of the editor host's top-level window: the editor's size, and the
// window manager told that it is the only size (minimum = maximum), so the
// window is never maximised or stretched into a black field around the editor.

typedef struct _XDisplay Display;

namespace corvane::host {

/** Resizes `window` to `width` x `height` and pins it there through its WM_NORMAL_HINTS. */
void SetHostWindowSize(Display* display, unsigned long window, int width, int height);

} // namespace corvane::host
