// The view class of this platform while editors draw offscreen: a host opens
// the editor without a window, sets the screen scale it wants and reads the
// drawn editor back as pixels.

#include <cstring>
#include <vector>

#include "au/AUViewFactoryClass.h"
#include "au/IPlugAU.h"
#include "platform/linux/IGraphicsOffscreen.h"

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

igraphics::IGraphicsOffscreen* EditorOf(AudioUnit unit)
{
  IPlugAU* plug = PlugOf(unit);
  return plug ? dynamic_cast<igraphics::IGraphicsOffscreen*>(plug->GetUI()) : nullptr;
}

void* OpenView(AudioUnit unit, void* parent, double /*width*/, double /*height*/)
{
  IPlugAU* plug = PlugOf(unit);
  return plug && plug->HasUI() ? plug->OpenWindow(parent) : nullptr;
}

void CloseView(AudioUnit unit)
{
  if (IPlugAU* plug = PlugOf(unit))
    plug->CloseWindow();
}

void SetViewScreenScale(AudioUnit unit, float scale)
{
  if (IPlugAU* plug = PlugOf(unit))
    plug->SetScreenScale(scale);
}

Boolean ReadViewPixels(AudioUnit unit, UInt8* rgba, UInt32 capacity, UInt32* width, UInt32* height)
{
  igraphics::IGraphicsOffscreen* editor = EditorOf(unit);
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

} // namespace

const AUViewFactoryClass* PlatformViewFactoryClass(const char* description)
{
  static const AUViewFactoryClass table{0, description, OpenView, CloseView, SetViewScreenScale, ReadViewPixels};
  return &table;
}

} // namespace iplug
