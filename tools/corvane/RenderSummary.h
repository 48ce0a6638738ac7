#pragma once
// The report printed after a render: what went where, the latency, levels
// in and out, and the speed.

#include "tools/corvane/OfflineRenderer.h"

#include <string>

namespace corvane::host {

struct RenderSummary
{
  std::string input;   // file name, or "demo signal"
  std::string output;
  int sampleRate = 0;
  int channels = 0;
  std::string settings; // "Gain=40dB, Output=-3.5 dB", or empty
  bool keepLatency = false;
  double seconds = 0.0; // wall-clock time of the render
  std::string stateIn;  // state file applied before the settings, or empty
  std::string stateOut; // state file written after them, or empty
};

std::string FormatRenderSummary(const RenderSummary& summary, const RenderStats& stats);

} // namespace corvane::host
