#pragma once
// Channel layout tags an Audio Unit bus offers, derived from the channel
// counts the plug-in's I/O configurations give that bus.

#include <AudioToolbox/AudioToolbox.h>

#include <vector>

#include "core/IPlugProcessor.h"

namespace iplug {
/** Candidate layout tags for a bus of `nChannels` channels, in preference order. */
std::vector<UInt32> LayoutTagsForChannelCount(int nChannels);

/** Tags of bus `busIdx` in direction `route` over every I/O configuration
 *  that has such a bus, without duplicates, in first-seen order. */
std::vector<UInt32> ChannelLayoutTagsFor(const IPlugProcessor& processor, ERoute route, int busIdx);
} // namespace iplug
