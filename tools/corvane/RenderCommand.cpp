// corvane render: one file (or the demo signal) through the unit, slice by
// slice, into a new file aligned with the input.

#include "tools/corvane/AudioFileReader.h"
#include "tools/corvane/AudioFileWriter.h"
#include "tools/corvane/Commands.h"
#include "tools/corvane/ComponentLocator.h"
#include "tools/corvane/DemoSignal.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/ParamValueParser.h"
#include "tools/corvane/ProgressDisplay.h"
#include "tools/corvane/RenderOptions.h"
#include "tools/corvane/RenderSummary.h"
#include "tools/corvane/ToolError.h"

#include <chrono>
#include <csignal>
#include <iterator>
#include <cstdio>
#include <memory>

namespace corvane::host {
namespace {

volatile std::sig_atomic_t gStopRequested = 0;

void RequestStop(int) { gStopRequested = 1; }

// While alive, Ctrl-C and SIGTERM ask the render loop to stop, so the
// temporary output is removed instead of left behind by a killed process.
class StopOnSignal
{
public:
  StopOnSignal()
  {
    gStopRequested = 0;
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kSignals); ++i)
      sigaction(kSignals[i], &action, &mPrevious[i]);
  }
  ~StopOnSignal()
  {
    for (size_t i = 0; i < std::size(kSignals); ++i)
      sigaction(kSignals[i], &mPrevious[i], nullptr);
  }
  StopOnSignal(const StopOnSignal&) = delete;
  StopOnSignal& operator=(const StopOnSignal&) = delete;

  static void ThrowIfRequested()
  {
    if (gStopRequested)
      throw Interrupted();
  }

private:
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
  struct sigaction mPrevious[std::size(kSignals)] {};
};

std::unique_ptr<AudioSource> OpenSource(const std::string& input)
{
  if (input.empty())
    return std::make_unique<MemorySource>(MakeDemoSignal());
  return std::make_unique<AudioFileReader>(input);
}

// Applies the settings; returns them as the unit now displays them.
std::string ApplySettings(HostedUnit& unit, const std::vector<ParamDesc>& params, const std::vector<ParamSetting>& settings)
{
  std::string applied;
  for (const ParamSetting& s : settings)
  {
    const ParamDesc& p = params[s.paramIndex];
    // The parameter converts its own text (stepping, rounding); the host's
    // reading stands in when the unit offers no conversion.
    unit.SetParameter(p.id, unit.ValueFromString(p.id, s.text).value_or(s.value));
    const double now = unit.GetParameter(p.id);
    std::string shown = unit.StringFromValue(p.id, now).value_or(std::to_string(now));
    const std::string unitText = p.valueStrings.empty() ? UnitText(p) : "";
    if (!unitText.empty())
      shown += " " + unitText;
    applied += (applied.empty() ? "" : ", ") + p.name + "=" + shown;
  }
  return applied;
}

} // namespace

int RunRender(const std::vector<std::string>& args)
{
  for (const std::string& a : args)
    if (a == "-h" || a == "--help")
    {
      std::fputs(kRenderUsage, stdout);
      return 0;
    }
  const RenderOptions options = ParseRenderOptions(args);
  OutputFormatForPath(options.output); // a bad extension is a usage error before any work

  std::unique_ptr<AudioSource> source = OpenSource(options.input);
  std::unique_ptr<HostedUnit> unit = HostedUnit::Open(LocateComponentBundle(options.component, ProgramFolder()));

  const std::vector<ParamDesc> params = unit->Parameters();
  std::vector<ParamSetting> settings;
  for (const std::string& assignment : options.params)
    settings.push_back(ParseParamAssignment(params, assignment));

  unit->Configure(source->SampleRate(), source->Channels(), options.blockSize);
  const std::string applied = ApplySettings(*unit, params, settings);
  unit->Initialize();

  StopOnSignal stopOnSignal;
  AudioFileWriter writer(options.output, source->SampleRate(), source->Channels());
  ProgressDisplay progress(stderr, !options.quiet && ProgressDisplay::StderrIsTerminal(), source->Frames());
  RenderJob job;
  job.blockSize = options.blockSize;
  job.keepLatency = options.keepLatency;
  job.progress = [&](int64_t done, int64_t) {
    StopOnSignal::ThrowIfRequested();
    progress.Update(done);
  };

  const auto start = std::chrono::steady_clock::now();
  RenderStats stats;
  try
  {
    stats = RenderOffline(*source, *unit, writer, job);
    writer.Commit();
  }
  catch (...)
  {
    progress.Finish();
    throw;
  }
  progress.Finish();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  if (!options.quiet)
  {
    RenderSummary summary;
    summary.input = options.input.empty() ? "built-in demo signal" : options.input;
    summary.output = options.output;
    summary.sampleRate = source->SampleRate();
    summary.channels = source->Channels();
    summary.settings = applied;
    summary.keepLatency = options.keepLatency;
    summary.seconds = seconds;
    std::fputs(FormatRenderSummary(summary, stats).c_str(), stdout);
  }
  return 0;
}

} // namespace corvane::host
