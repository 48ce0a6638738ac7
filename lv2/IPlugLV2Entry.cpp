// The LV2 entry: one descriptor per plug-in of the product, each forwarding
// the host's instance calls to the plug-in object. Only lv2_descriptor
// leaves the shared library.

#include <cstring>
#include <new>
#include <vector>

#include "lv2/IPlugLV2.h"

namespace iplug {
namespace {
IPlugLV2* Plug(LV2_Handle instance) { return static_cast<IPlugLV2*>(instance); }

LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double rate, const char* bundlePath,
                       const LV2_Feature* const* features)
{
  const LV2ProductInfo& product = GetLV2ProductInfo();
  for (int i = 0; i < product.nPlugins; ++i)
  {
    if (std::strcmp(product.plugins[i].uri, descriptor->URI) != 0)
      continue;
    InstanceInfo info;
    info.pluginURI = product.plugins[i].uri;
    info.bundlePath = bundlePath ? bundlePath : "";
    info.sampleRate = rate > 0.0 ? rate : 48000.0;
    info.nChannels = product.plugins[i].nChannels;
    info.features = features;
    try
    {
      return MakePlug(info);
    }
    catch (const std::exception&)
    {
      return nullptr; // a host expects null from a failed instantiation, not an exception
    }
  }
  return nullptr;
}

void ConnectPort(LV2_Handle instance, uint32_t port, void* data) { Plug(instance)->ConnectPort(port, data); }
void Activate(LV2_Handle instance) { Plug(instance)->Activate(); }
void Run(LV2_Handle instance, uint32_t nFrames) { Plug(instance)->Run(nFrames); }
void Deactivate(LV2_Handle instance) { Plug(instance)->Deactivate(); }
void Cleanup(LV2_Handle instance) { delete Plug(instance); }

LV2_State_Status SaveState(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle,
                           uint32_t /*flags*/, const LV2_Feature* const* /*features*/)
{
  return Plug(instance)->SaveState(store, handle, GetLV2ProductInfo().stateKeyURI);
}

LV2_State_Status RestoreState(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                              uint32_t /*flags*/, const LV2_Feature* const* /*features*/)
{
  return Plug(instance)->RestoreState(retrieve, handle, GetLV2ProductInfo().stateKeyURI);
}

const void* ExtensionData(const char* uri)
{
  static const LV2_State_Interface state = {SaveState, RestoreState};
  if (uri && std::strcmp(uri, LV2_STATE__interface) == 0)
    return &state;
  return nullptr;
}

const std::vector<LV2_Descriptor>& Descriptors()
{
  static const std::vector<LV2_Descriptor> descriptors = [] {
    std::vector<LV2_Descriptor> list;
    const LV2ProductInfo& product = GetLV2ProductInfo();
    for (int i = 0; i < product.nPlugins; ++i)
      list.push_back(
        {product.plugins[i].uri, Instantiate, ConnectPort, Activate, Run, Deactivate, Cleanup, ExtensionData});
    return list;
  }();
  return descriptors;
}
} // namespace
} // namespace iplug

extern "C" __attribute__((visibility("default"))) const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
  const auto& descriptors = iplug::Descriptors();
  return index < descriptors.size() ? &descriptors[index] : nullptr;
}
