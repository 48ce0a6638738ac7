#pragma once
// Files dragged onto the host's top-level window reach the editor inside it:
// drag sources look for a drop target among top-level windows only, so the
// host window says it takes drops (XdndAware) and names the editor's window
// as the one to talk to (XdndProxy).

typedef struct _XDisplay Display;

namespace corvane::host {

/** Makes `hostWindow` forward the XDND messages of drags over it to `editorWindow`. */
void ForwardDropsToEditor(Display* display, unsigned long hostWindow, unsigned long editorWindow);

} // namespace corvane::host
