// The product's LV2 plug-ins - stereo and mono, one object class - and the
// function that builds a Corvane object for the adapter.

#include <string>

#include "lv2/IPlugLV2.h"
#include "preamp/Corvane.h"
#include "preamp/CorvaneIdentity.h"

namespace iplug {
namespace {
const LV2PluginDesc kPlugins[] = {
  {corvane::kLV2Uri, 2},
  {corvane::kLV2MonoUri, 1},
};
} // namespace

const LV2ProductInfo& GetLV2ProductInfo()
{
  // Both plug-ins save under one key, so a state moves between them.
  static const std::string stateKey = std::string(corvane::kLV2Uri) + "#state";
  static const std::string uiURI = std::string(corvane::kLV2Uri) + "#ui";
  static const LV2ProductInfo product = {kPlugins, 2, stateKey.c_str(), uiURI.c_str()};
  return product;
}

IPlugLV2* MakePlug(const InstanceInfo& info) { return new Corvane(info); }
} // namespace iplug
