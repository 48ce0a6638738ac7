#pragma once
// The view class of a component on a platform without an Objective-C
// runtime. The view property names a class; here the class is a function of
// that name exported by the component's executable, found through
// CFBundleGetFunctionPointerForName, which returns this table.

#include <AudioUnit/AudioUnit.h>

extern "C" {

struct AUViewFactoryClass
{
  UInt32 interfaceVersion;
  const char* description;
  /** Opens the editor of `unit` in `parent` (null: a view of the platform's own); returns the view or null. */
  void* (*uiViewForAudioUnit)(AudioUnit unit, void* parent, double width, double height);
  /** Closes the editor of `unit`; nothing when none is open. */
  void (*closeView)(AudioUnit unit);
  /** Tells the open editor of `unit` the display's backing scale (2 on high-density screens). */
  void (*setScreenScale)(AudioUnit unit, float scale);
  /** Draws the open editor of `unit` and copies its pixels, RGBA rows from the top, into `rgba` when it
      holds `capacity` bytes; always sets the size in pixels. False when no editor can be read. */
  Boolean (*readViewPixels)(AudioUnit unit, UInt8* rgba, UInt32 capacity, UInt32* width, UInt32* height);
  /** From interface version 1: one turn of the open editor's loop (its window's events, then one frame), for
      hosts that run their own loop instead of the main run loop. False when no editor window is open or the
      window asked to be closed. */
  Boolean (*idleView)(AudioUnit unit);
};

/** The exported view class function's type. */
typedef const AUViewFactoryClass* (*AUViewFactoryClassFunc)(void);

} // extern "C"

namespace iplug {

/** This platform's view class table, describing itself as `description`. */
const AUViewFactoryClass* PlatformViewFactoryClass(const char* description) noexcept;

} // namespace iplug
