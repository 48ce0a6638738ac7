// corvane render: one file (or the demo signal) through the unit, slice by
// slice, into a new file aligned with the input.

#include "tools/corvane/AtomicOutputFile.h"
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
#include "tools/corvane/StateFile.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/UnitSettings.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <unistd.h>

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

// The state to save, in a temporary file beside its destination until the
// audio output is in place too.
std::unique_ptr<AtomicOutputFile> PrepareStateFile(const std::string& path, const std::vector<uint8_t>& xml)
{
  auto file = std::make_unique<AtomicOutputFile>(path);
  size_t done = 0;
  while (done < xml.size())
  {
    const ssize_t n = write(file->Fd(), xml.data() + done, xml.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      throw ToolError("cannot write state file '" + path + "': " + std::strerror(n < 0 ? errno : EIO));
    done += static_cast<size_t>(n);
  }
  return file;
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
  const std::vector<ParamSetting> settings = ParseSettings(params, options.params);

  unit->Configure(source->SampleRate(), source->Channels(), options.blockSize);
  std::string stateName;
  if (!options.stateIn.empty())
    stateName = ApplyStateFile(*unit, options.stateIn, params.size()).name;
  const std::string applied = ApplySettings(*unit, params, settings);
  std::unique_ptr<AtomicOutputFile> stateOut;
  if (!options.stateOut.empty())
  {
    const CFOwned state = AdoptCF(unit->CopyState());
    stateOut = PrepareStateFile(options.stateOut, StateToXml(state.get()));
  }
  unit->Initialize();
  // Settings applied since the unit's last reset would otherwise glide in
  // over the first slices, differently at every block size.
  unit->Reset();

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
    if (stateOut)
      stateOut->Commit();
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
    if (!options.stateIn.empty())
      summary.stateIn = options.stateIn + " (preset \"" + stateName + "\")";
    summary.stateOut = options.stateOut;
    summary.keepLatency = options.keepLatency;
    summary.seconds = seconds;
    std::fputs(FormatRenderSummary(summary, stats).c_str(), stdout);
  }
  return 0;
}

} // namespace corvane::host
