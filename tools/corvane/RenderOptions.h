#pragma once
// The command line of "corvane render", parsed without touching any file.

#include <string>
#include <vector>

namespace corvane::host {

constexpr int kDefaultBlockSize = 512;
constexpr int kMaxBlockSize = 16384;

struct RenderOptions
{
  std::string input;              // empty: the built-in demo signal
  std::string output;             // always set after parsing
  std::vector<std::string> params; // "NAME=VALUE", in command-line order
  int blockSize = kDefaultBlockSize;
  bool keepLatency = false;
  bool quiet = false;
  std::string component;          // empty: search next to the program
  std::string stateIn;            // --state: applied before the -p settings
  std::string stateOut;           // --save-state: written after the -p settings
};

/** Parses the arguments after "render". Throws UsageError. */
RenderOptions ParseRenderOptions(const std::vector<std::string>& args);

/** Default output name: "<input stem>-corvane<input extension>" next to the
    input, or "corvane-demo.wav" for the demo. */
std::string DefaultOutputPath(const std::string& input);

/** Block size from text: a whole number from 1 to kMaxBlockSize. Throws UsageError. */
int ParseBlockSize(const std::string& text);

extern const char* const kRenderUsage;

} // namespace corvane::host
