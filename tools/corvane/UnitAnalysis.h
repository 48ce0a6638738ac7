#pragma once
// Everything "corvane analyze" measures, each part on a fresh instance of the
// unit, and the settings it was measured at.

#include "tools/corvane/HarmonicMeasurement.h"
#include "tools/corvane/ResponseMeasurement.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane::host {

/** A fresh instance, configured for the setup's rate, channels and slice
    size, with its settings applied, initialised and reset. */
using UnitFactory = std::function<std::unique_ptr<SliceProcessor>()>;

struct AnalysisRequest
{
  MeasureSetup setup;
  double frequencyHz = 1000.0; // the tone of the harmonic analysis
  double levelDbfs = -12.0;
};

/** A parameter as the unit shows it. */
struct SettingText
{
  std::string name;
  std::string text;
  bool atDefault = true;
};

struct UnitAnalysis
{
  int sampleRate = 0;
  int64_t latency = 0;
  std::vector<SettingText> settings; // every parameter, in the unit's order
  FrequencyResponse response;
  Corners corners;
  HarmonicAnalysis harmonics;
  TransferCurve transfer;
};

/** Measures the response, harmonics and transfer curve, each on a unit from `open`. */
UnitAnalysis AnalyzeUnit(const UnitFactory& open, const AnalysisRequest& request);

} // namespace corvane::host
