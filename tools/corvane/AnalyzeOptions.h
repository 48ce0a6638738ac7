#pragma once
// The command line of "corvane analyze", parsed without touching any file.

#include "tools/corvane/UnitOptions.h"

#include <string>
#include <vector>

namespace corvane::host {

inline constexpr int kMinAnalysisRate = 8000;
inline constexpr int kMaxAnalysisRate = 384000;

struct AnalyzeOptions
{
  UnitOptions unit;          // --component, --state, -p
  int sampleRate = 48000;    // --rate
  double frequencyHz = 1000; // --freq: the tone of the harmonic analysis
  double levelDbfs = -12;    // --level: its level
  std::string picture;       // -o: the report as a PNG
  float scale = 1.f;         // --scale of the picture
  bool json = false;
};

/** Parses the arguments after "analyze". Throws UsageError. */
AnalyzeOptions ParseAnalyzeOptions(const std::vector<std::string>& args);

extern const char* const kAnalyzeUsage;

} // namespace corvane::host
