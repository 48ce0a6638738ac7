// The Audio Unit view class on X11 (see README.md beside this file). A host
// gets the editor of a unit inside its own X11 window, or, without a window,
// an offscreen editor whose pixels it reads back.

#include <cstring>
#include <vector>

#include "au/AUViewFactoryClass.h"
#include "au/IPlugAU.h"
#include "platform/linux/IGraphicsOffscreen.h"
#include "platform/x11/IGraphicsX11.h"

namespace iplug {

namespace {

IPlugAU* PlugOf(AudioUnit unit)
{
  IPlugAU* plug = nullptr;
  UInt32 size = sizeof(plug);
  if (!unit || AudioUnitGetProperty(unit, kPluginInstanceProperty, kAudioUnitScope_Global, 0, &plug, &size) != noErr)
    return nullptr;
  return plug;
}

template <class Graphics>
Graphics* EditorOf(AudioUnit unit)
{
  IPlugAU* plug = PlugOf(unit);
  return plug ? dynamic_cast<Graphics*>(plug->GetUI()) : nullptr;
}

// `parent`: the host's X11 window (its id as a pointer-sized value) to open the editor in; null for an
// offscreen editor.
// The host calls these from C: an exception (out of memory while opening, say) ends as a failed call.
void* OpenView(AudioUnit unit, void* parent, double /*width*/, double /*height*/) noexcept
{
  try
  {
    IPlugAU* plug = PlugOf(unit);
    if (!plug || !plug->HasUI())
      return nullptr;
    plug->SetEditorOffscreen(parent == nullptr);
    return plug->OpenWindow(parent);
  }
  catch (...)
  {
    return nullptr;
  }
}

void CloseView(AudioUnit unit) noexcept
{
  try
  {
    if (IPlugAU* plug = PlugOf(unit))
      plug->CloseWindow();
  }
  catch (...)
  {}
}

void SetViewScreenScale(AudioUnit unit, float scale) noexcept
{
  try
  {
    if (IPlugAU* plug = PlugOf(unit))
      plug->SetScreenScale(scale);
  }
  catch (...)
  {}
}

Boolean ReadViewPixels(AudioUnit unit, UInt8* rgba, UInt32 capacity, UInt32* width, UInt32* height) noexcept
try
{
  igraphics::IGraphicsOffscreen* editor = EditorOf<igraphics::IGraphicsOffscreen>(unit);
  if (!editor || !width || !height)
    return false;
  editor->DrawFrame();
  std::vector<uint8_t> pixels;
  int w = 0, h = 0;
  if (!editor->ReadPixels(pixels, w, h))
    return false;
  *width = static_cast<UInt32>(w);
  *height = static_cast<UInt32>(h);
  if (rgba && capacity >= pixels.size())
    std::memcpy(rgba, pixels.data(), pixels.size());
  return true;
}
catch (...)
{
  return false;
}

Boolean IdleView(AudioUnit unit) noexcept
try
{
  igraphics::IGraphicsX11* editor = EditorOf<igraphics::IGraphicsX11>(unit);
  if (!editor)
    return false;
  editor->SetTimerEnabled(false); // the host's loop drives this editor from now on
  return editor->Idle();
}
catch (...)
{
  return false;
}

} // namespace

const AUViewFactoryClass* PlatformViewFactoryClass(const char* description) noexcept
{
  static const AUViewFactoryClass table{1,       description, OpenView, CloseView, SetViewScreenScale, ReadViewPixels,
                                        IdleView};
  return &table;
}

} // namespace iplug
