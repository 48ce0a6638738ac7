#pragma once
// The report printed after a render: what went where, the latency, levels
// in and out, and the speed.

#include "tools/corvane/OfflineRenderer.h"

#include <optional>
#include <string>

namespace corvane::host {

struct RenderSummary
{
  std::string input; // file name, or "demo signal"
  std::string output;
  int sampleRate = 0;
  int channels = 0;
  std::string settings; // "Gain=40dB, Output=-3.5 dB", or empty
  bool keepLatency = false;
  double seconds = 0.0;              // wall-clock time of the render
  std::string stateIn;               // state file applied before the settings, or empty
  std::string stateOut;              // state file written after them, or empty
  std::string sampleFormat;          // "24-bit", "32-bit float", or empty
  std::optional<LevelMeter> written; // levels as stored, when they differ from the rendered ones
  double tailSeconds = 0.0;
};

std::string FormatRenderSummary(const RenderSummary& summary, const RenderStats& stats);

/** One line per file of a batch: "a.wav -> out/a.wav: 2 ch, 3.00 s at 48000 Hz, peak -1.2 dBFS". */
std::string FormatBatchLine(const RenderSummary& summary, const RenderStats& stats);

/** The closing line of a batch. */
std::string FormatBatchTotal(int files, int failed, double audioSeconds, double wallSeconds);

} // namespace corvane::host
