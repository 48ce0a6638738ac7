// corvane analyze: the unit measured as an engineer measures a console
// channel, through the loaded component exactly as a host runs it: its
// frequency response and -3 dB points, the harmonics it adds to a sine, and
// its transfer curve; printed as a table or JSON, or drawn as a picture.

#include "tools/corvane/AnalysisPicture.h"
#include "tools/corvane/AnalysisReport.h"
#include "tools/corvane/AnalyzeOptions.h"
#include "tools/corvane/AtomicOutputFile.h"
#include "tools/corvane/Commands.h"
#include "tools/corvane/PngEncoder.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/HostedAnalysis.h"
#include "tools/corvane/Messages.h"

#include <cstdio>
#include <filesystem>
#include <optional>

namespace corvane::host {
namespace {

// Stereo, as hosts run the unit most often; both channels get the signal.
constexpr int kChannels = 2;
constexpr int kSliceFrames = 512;

// The editor's font, from the component's own resources.
std::string BundleFont(const std::string& bundle)
{
  if (bundle.empty())
    return {};
  const std::filesystem::path font = std::filesystem::path(bundle) / "Contents" / "Resources" / "Roboto-Regular.ttf";
  std::error_code error;
  return std::filesystem::is_regular_file(font, error) ? font.string() : std::string();
}

} // namespace

int RunAnalyze(const std::vector<std::string>& args)
{
  if (PrintedHelp(args, kAnalyzeUsage))
    return 0;
  const AnalyzeOptions options = ParseAnalyzeOptions(args);
  const UnitSetup setup(options.unit);
  std::optional<AtomicOutputFile> picture; // an unwritable output fails before the measurement
  if (!options.picture.empty())
    picture.emplace(options.picture);

  AnalysisRequest request;
  request.setup.sampleRate = options.sampleRate;
  request.setup.channels = kChannels;
  request.setup.blockSize = kSliceFrames;
  request.frequencyHz = options.frequencyHz;
  request.levelDbfs = options.levelDbfs;
  UnitAnalysis analysis = AnalyzeUnit(HostedUnitFactory(setup, request.setup), request);
  analysis.settings = SettingsOf(setup);

  if (picture)
  {
    const Picture drawn = DrawAnalysisPicture(analysis, options.scale, BundleFont(setup.Bundle()));
    const std::vector<uint8_t> png = EncodePNG(drawn.rgba.data(), drawn.width, drawn.height);
    if (png.empty())
      throw ToolError("cannot encode the report as PNG");
    picture->WriteAll(png.data(), png.size());
    picture->Commit();
    if (!options.json)
      std::printf("wrote %s: %d x %d pixels (scale %g)\n", Printable(options.picture).c_str(), drawn.width,
                  drawn.height, static_cast<double>(options.scale));
  }
  if (options.json)
    std::fputs(FormatAnalysisJson(analysis).c_str(), stdout);
  else if (!picture)
    std::fputs(FormatAnalysisTable(analysis).c_str(), stdout);
  return 0;
}

} // namespace corvane::host
