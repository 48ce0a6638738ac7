// The LV2 editor entry: an X11 UI that embeds the plug-in's editor into the
// host's window. The editor library builds its own plug-in object as the
// editor's delegate; port events set its parameters, and the user's edits go
// back to the host through the write function. The host's idle calls drive
// the editor (events and frames) on whatever thread the host runs its UI.
// Only lv2ui_descriptor leaves the shared library.

#include <CoreFoundation/CoreFoundation.h>

#include <cstring>
#include <string_view>

#include "lv2/IPlugLV2.h"
#include "platform/x11/IGraphicsX11.h"

namespace iplug {
namespace {
IPlugLV2* Plug(LV2UI_Handle ui) { return static_cast<IPlugLV2*>(ui); }
igraphics::IGraphicsX11* EditorOf(LV2UI_Handle ui) { return dynamic_cast<igraphics::IGraphicsX11*>(Plug(ui)->GetUI()); }

/** Lets the next call, which may come on another of the host's threads, bind the editor's OpenGL
 *  context: a context is current on one thread at a time. */
void ReleaseThread(igraphics::IGraphicsX11* editor)
{
  if (editor)
    editor->DeactivateGLContext();
}

const void* FindFeature(const LV2_Feature* const* features, const char* uri)
{
  for (; features && *features; ++features)
    if (std::string_view((*features)->URI) == uri)
      return (*features)->data;
  return nullptr;
}

// Makes the LV2 bundle known as a bundle (Contents/Info.plist and Resources),
// so that resource lookups by the bundle identifier find it. Opened once and
// kept for the life of the process, as a loaded bundle is.
void OpenBundle(const char* path)
{
  static const CFBundleRef bundle = [path]() -> CFBundleRef {
    if (!path || !*path)
      return nullptr;
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(path),
                                                           static_cast<CFIndex>(std::strlen(path)), true);
    if (!url)
      return nullptr;
    CFBundleRef created = CFBundleCreate(kCFAllocatorDefault, url);
    CFRelease(url);
    return created;
  }();
  (void)bundle;
}

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char* pluginURI, const char* bundlePath,
                         LV2UI_Write_Function write, LV2UI_Controller controller, LV2UI_Widget* widget,
                         const LV2_Feature* const* features)
{
  void* parent = const_cast<void*>(FindFeature(features, LV2_UI__parent));
  const LV2ProductInfo& product = GetLV2ProductInfo();
  const LV2PluginDesc* plugin = nullptr;
  for (int i = 0; i < product.nPlugins; ++i)
    if (pluginURI && std::strcmp(product.plugins[i].uri, pluginURI) == 0)
      plugin = &product.plugins[i];
  if (!plugin || !parent || !write || !widget)
    return nullptr;

  InstanceInfo info;
  info.pluginURI = plugin->uri;
  info.bundlePath = bundlePath ? bundlePath : "";
  info.nChannels = plugin->nChannels;
  info.features = features;
  IPlugLV2* plug = nullptr;
  try
  {
    plug = MakePlug(info);
  }
  catch (const std::exception&)
  {
    return nullptr;
  }
  IPlugLV2::UIHost host;
  host.write = write;
  host.controller = controller;
  host.touch = static_cast<const LV2UI_Touch*>(FindFeature(features, LV2_UI__touch));
  host.resize = static_cast<const LV2UI_Resize*>(FindFeature(features, LV2_UI__resize));
  plug->SetUIHost(host);

  // The editor finds its resources through the bundle it comes from.
  OpenBundle(info.bundlePath);
  void* view = plug->OpenWindow(parent);
  if (!view)
  {
    delete plug;
    return nullptr;
  }
  *widget = view;
  // The host's idle calls drive the editor, on the host's UI thread: the frame timer would run on
  // the main run loop, which nothing runs inside a host (and which is on another thread for many).
  if (igraphics::IGraphicsX11* editor = EditorOf(plug))
  {
    editor->SetTimerEnabled(false);
    ReleaseThread(editor);
  }
  if (host.resize)
    host.resize->ui_resize(host.resize->handle, plug->GetEditorWidth(), plug->GetEditorHeight());
  return plug;
}

void Cleanup(LV2UI_Handle ui)
{
  Plug(ui)->CloseWindow();
  delete Plug(ui);
}

void PortEvent(LV2UI_Handle ui, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
  if (format == 0 && size == sizeof(float) && buffer)
    Plug(ui)->OnPortEvent(port, *static_cast<const float*>(buffer));
}

// One turn of the editor: its events, then a frame. Non-zero once the editor
// is closed: its window was destroyed with the host's.
int Idle(LV2UI_Handle ui)
{
  igraphics::IGraphicsX11* editor = EditorOf(ui);
  if (!editor)
    return 1;
  const bool open = editor->Idle();
  ReleaseThread(editor);
  return open ? 0 : 1;
}

// The host tells the editor its new size, passing the editor's handle (the interface's own handle
// field is null): the editor zooms to fit it.
int Resize(LV2UI_Feature_Handle ui, int width, int height)
{
  if (!ui || width <= 0 || height <= 0)
    return 1;
  Plug(ui)->OnParentWindowResize(width, height);
  return 0;
}

const void* ExtensionData(const char* uri)
{
  static const LV2UI_Idle_Interface idle = {Idle};
  static const LV2UI_Resize resize = {nullptr, Resize};
  if (uri && std::strcmp(uri, LV2_UI__idleInterface) == 0)
    return &idle;
  if (uri && std::strcmp(uri, LV2_UI__resize) == 0)
    return &resize;
  return nullptr;
}
} // namespace
} // namespace iplug

extern "C" __attribute__((visibility("default"))) const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
  static const LV2UI_Descriptor descriptor = {iplug::GetLV2ProductInfo().uiURI, iplug::Instantiate, iplug::Cleanup,
                                              iplug::PortEvent, iplug::ExtensionData};
  return index == 0 ? &descriptor : nullptr;
}
