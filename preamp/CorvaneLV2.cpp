// The product's LV2 plug-ins - stereo and mono, one object class - and the
// function that builds a Corvane object for the adapter.

#include "lv2/IPlugLV2.h"
#include "preamp/Corvane.h"

namespace iplug
{
namespace
{
const LV2PluginDesc kPlugins[] = {
  {"urn:veltrano:corvane", 2},
  {"urn:veltrano:corvane:mono", 1},
};
const LV2ProductInfo kProduct = {kPlugins, 2, "urn:veltrano:corvane#state"};
} // namespace

const LV2ProductInfo& GetLV2ProductInfo() { return kProduct; }

IPlugLV2* MakePlug(const InstanceInfo& info) { return new Corvane(info); }
} // namespace iplug
