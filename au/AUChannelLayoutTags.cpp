#include "au/AUChannelLayoutTags.h"

#include <algorithm>

namespace iplug {
std::vector<UInt32> LayoutTagsForChannelCount(int nChannels)
{
  const auto n = static_cast<UInt32>(nChannels);
  switch (nChannels)
  {
    case 0: return {kAudioChannelLayoutTag_UseChannelDescriptions};
    case 1: return {kAudioChannelLayoutTag_Mono};
    case 2: return {kAudioChannelLayoutTag_Stereo};
    case 3: return {kAudioChannelLayoutTag_MPEG_3_0_A};
    case 4:
      return {kAudioChannelLayoutTag_Quadraphonic, kAudioChannelLayoutTag_Ambisonic_B_Format,
              kAudioChannelLayoutTag_HOA_ACN_SN3D | 4};
    case 5: return {kAudioChannelLayoutTag_AudioUnit_5_0}; // 0x760005: L R C Ls Rs, the order hosts expect of an effect
    case 6: return {kAudioChannelLayoutTag_MPEG_5_1_A, kAudioChannelLayoutTag_AudioUnit_6_0};
    case 7:
      return {kAudioChannelLayoutTag_MPEG_6_1_A, kAudioChannelLayoutTag_AudioUnit_7_0,
              kAudioChannelLayoutTag_MPEG_7_1_A};
    case 8: return {kAudioChannelLayoutTag_MPEG_7_1_C, kAudioChannelLayoutTag_MPEG_7_1_A};
    case 9:
    case 16: return {kAudioChannelLayoutTag_HOA_ACN_SN3D | n};
    case 10: return {kAudioChannelLayoutTag_Atmos_7_1_2};
    case 12: return {kAudioChannelLayoutTag_Atmos_7_1_4};
    default: return {kAudioChannelLayoutTag_DiscreteInOrder + n};
  }
}

std::vector<UInt32> ChannelLayoutTagsFor(const IPlugProcessor& processor, ERoute route, int busIdx)
{
  std::vector<UInt32> tags;
  for (int c = 0; c < processor.NIOConfigs(); ++c)
  {
    const IOConfig* config = processor.GetIOConfig(c);
    if (!config || busIdx >= config->NBuses(route))
      continue;
    for (UInt32 tag : LayoutTagsForChannelCount(config->NChansOnBusSAFE(route, busIdx)))
      if (std::find(tags.begin(), tags.end(), tag) == tags.end())
        tags.push_back(tag);
  }
  return tags;
}
} // namespace iplug
