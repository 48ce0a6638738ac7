#pragma once
// The editor of a hosted unit in a top-level X11 window of the host's own,
// as a host on this platform shows it: the unit's view property names the
// view class in its bundle, and the class opens the editor inside the host's
// window. The window is titled "Corvane", follows the editor's size, and asks
// to close when the window manager closes it, on Ctrl+Q, or when it or the
// editor's window is destroyed from outside.

#include <AudioUnit/AudioUnit.h>

#include <string>

typedef struct _XDisplay Display;
struct AUViewFactoryClass;

namespace corvane::host {

class EditorView
{
public:
  /** Opens the host window and the unit's editor in it. Throws ToolError, with one line saying
      why: no X display, no view class, or an editor that cannot open. */
  EditorView(AudioUnit unit, const std::string& title);
  ~EditorView();
  EditorView(const EditorView&) = delete;
  EditorView& operator=(const EditorView&) = delete;

  /** Reads the host window's events: follows the editor's size, notes close requests and windows
      destroyed from outside. Returns false once the window should close. */
  bool ProcessEvents();

private:
  void Close();

  AudioUnit mUnit;
  const AUViewFactoryClass* mViewClass = nullptr;
  Display* mDisplay = nullptr;
  unsigned long mWindow = 0;
  unsigned long mEditorWindow = 0;
  unsigned long mDeleteWindow = 0;
  bool mOpen = false;
  bool mWindowGone = false; // destroyed from outside: nothing more is asked of it
};

} // namespace corvane::host
