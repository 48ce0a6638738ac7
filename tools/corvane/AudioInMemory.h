#pragma once
// A source read whole into memory, as the loop that 'corvane editor --play'
// plays round and round.

#include "tools/corvane/AudioSource.h"

#include <string>
#include <vector>

namespace corvane::host {

/** Every frame `source` yields, one vector per channel. The vectors grow
    with what is read, never with the length a header announces, so a forged
    header costs nothing. Throws ToolError on a read failure, or when the
    audio does not fit in memory (naming the source by `name`). */
std::vector<std::vector<float>> ReadAllFrames(AudioSource& source, const std::string& name);

} // namespace corvane::host
