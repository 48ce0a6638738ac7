// Writes the data files of the product's LV2 bundle at build time: builds
// one object of every plug-in the product declares and describes it.
//
//   usage: <tool> BUNDLE-DIR BINARY [UI-BINARY]
// The editor, when its binary is named, has the URI the product gives it.

#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "lv2/IPlugLV2.h"
#include "lv2/LV2Turtle.h"

int main(int argc, char** argv)
{
  using namespace iplug;
  if (argc != 3 && argc != 4)
  {
    std::fprintf(stderr, "usage: %s BUNDLE-DIR BINARY [UI-BINARY]\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  const LV2ProductInfo& product = GetLV2ProductInfo();
  std::vector<std::unique_ptr<IPlugLV2>> owned;
  std::vector<const IPlugLV2*> plugs;
  for (int i = 0; i < product.nPlugins; ++i)
  {
    InstanceInfo info;
    info.pluginURI = product.plugins[i].uri;
    info.nChannels = product.plugins[i].nChannels;
    owned.emplace_back(MakePlug(info));
    plugs.push_back(owned.back().get());
  }
  if (plugs.empty())
  {
    std::fprintf(stderr, "%s: the product declares no plug-in\n", argv[0]);
    return 1;
  }

  LV2BundleFiles files;
  files.binary = argv[2];
  files.dataFile = std::string(plugs[0]->GetPluginName()) + ".ttl";
  if (argc == 4 && product.uiURI)
  {
    files.uiURI = product.uiURI;
    files.uiBinary = argv[3];
  }
  std::ofstream manifest(dir + "/manifest.ttl");
  WriteLV2Manifest(manifest, plugs, files);
  std::ofstream data(dir + "/" + files.dataFile);
  WriteLV2PluginData(data, plugs, files);
  manifest.close();
  data.close();
  if (!manifest || !data)
  {
    std::fprintf(stderr, "%s: cannot write the data files in %s\n", argv[0], dir.c_str());
    return 1;
  }
  return 0;
}
