#include "tools/corvane/UnitAnalysis.h"

namespace corvane::host {

UnitAnalysis AnalyzeUnit(const UnitFactory& open, const AnalysisRequest& request)
{
  UnitAnalysis a;
  a.sampleRate = request.setup.sampleRate;
  // Each measurement starts from a unit no other signal has passed through:
  // a reset leaves the filters' history in place.
  a.response = MeasureResponse(*open(), request.setup);
  a.latency = a.response.latency;
  a.corners = FindCorners(a.response);
  a.harmonics = MeasureHarmonics(*open(), request.setup, request.frequencyHz, request.levelDbfs);
  a.transfer = MeasureTransfer(*open(), request.setup);
  return a;
}

} // namespace corvane::host
