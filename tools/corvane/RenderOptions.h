#pragma once
// The command line of "corvane render", parsed without touching any file.

#include "tools/corvane/AudioFileWriter.h"
#include "tools/corvane/UnitOptions.h"

#include <string>
#include <vector>

namespace corvane::host {

constexpr int kDefaultBlockSize = 512;
constexpr int kMaxBlockSize = 16384;
constexpr double kMaxTailSeconds = 3600.0;

struct RenderOptions
{
  std::vector<std::string> inputs; // none: the built-in demo signal
  std::string output;              // -o, for one input; else empty
  std::string outDir;              // --out-dir: every output goes here
  int blockSize = kDefaultBlockSize;
  bool keepLatency = false;
  bool quiet = false;
  UnitOptions unit;                            // --component, --state, -p, --save-state
  SampleFormat sample = SampleFormat::Default; // --bits
  bool dither = true;                          // --no-dither turns it off
  bool noClobber = false;                      // -n: never replace an existing file
  double tailSeconds = 0.0;                    // --tail
};

/** One input and where its result goes; an empty input is the demo. */
struct RenderTarget
{
  std::string input;
  std::string output;
};

/** Parses the arguments after "render". Throws UsageError. */
RenderOptions ParseRenderOptions(const std::vector<std::string>& args);

/** Every input with its output name: -o, a name in --out-dir, or the
    default name. Throws UsageError for -o with several inputs, or two
    inputs that would write to the same name. */
std::vector<RenderTarget> PlanRenders(const RenderOptions& options);

/** Default output name: "<input stem>-corvane<input extension>" next to the
    input (".wav" when the input's format cannot be written, e.g. Ogg), or
    "corvane-demo.wav" for the demo. */
std::string DefaultOutputPath(const std::string& input);

/** Block size from text: a whole number from 1 to kMaxBlockSize. Throws UsageError. */
int ParseBlockSize(const std::string& text);

extern const char* const kRenderUsage;

} // namespace corvane::host
