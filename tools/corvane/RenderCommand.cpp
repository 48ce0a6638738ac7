// corvane render: each file (or the demo signal) through a fresh instance of
// the unit, slice by slice, into a new file aligned with the input.

#include "tools/corvane/AudioFileReader.h"
#include "tools/corvane/AudioFileWriter.h"
#include "tools/corvane/Commands.h"
#include "tools/corvane/DemoSignal.h"
#include "tools/corvane/FileIdentity.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/MemorySource.h"
#include "tools/corvane/Messages.h"
#include "tools/corvane/ProgressDisplay.h"
#include "tools/corvane/RenderOptions.h"
#include "tools/corvane/RenderSummary.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/UnitSetup.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <csignal>
#include <cstdio>
#include <iterator>
#include <memory>
#include <optional>
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
    struct sigaction action
    {};
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
  struct sigaction mPrevious[std::size(kSignals)]{};
};

std::unique_ptr<AudioSource> OpenSource(const std::string& input)
{
  if (input.empty())
    return std::make_unique<MemorySource>(MakeDemoSignal());
  return std::make_unique<AudioFileReader>(input);
}

// No name given on the command line may reach a file another one reads or
// writes: outputs never replace an input or each other.
void CheckNoFileUnderTwoNames(const std::vector<RenderTarget>& targets)
{
  for (size_t i = 0; i < targets.size(); ++i)
  {
    for (const RenderTarget& other : targets)
      if (!other.input.empty() && SameFile(targets[i].output, other.input))
        throw UsageError("the output '" + targets[i].output + "' is the input '" + other.input +
                         "'; name another output");
    for (size_t j = 0; j < i; ++j)
      if (SameFile(targets[i].output, targets[j].output))
        throw UsageError("'" + targets[j].output + "' and '" + targets[i].output +
                         "' are one file; each input needs its own output");
  }
}

// The state may not be saved over any audio file of the run.
std::vector<FileInUse> AudioFiles(const std::vector<RenderTarget>& targets)
{
  std::vector<FileInUse> files;
  for (const RenderTarget& t : targets)
  {
    files.push_back({t.input, "audio input"});
    files.push_back({t.output, "audio output"});
  }
  return files;
}

struct FileResult
{
  RenderSummary summary;
  RenderStats stats;
};

FileResult RenderFile(const RenderTarget& target, const RenderOptions& options, const UnitSetup& setup)
{
  std::unique_ptr<AudioSource> source = OpenSource(target.input);
  std::unique_ptr<HostedUnit> unit = setup.OpenUnit();
  unit->Configure(source->SampleRate(), source->Channels(), options.blockSize);
  setup.ApplyTo(*unit);
  unit->Initialize();
  // Settings applied since the unit's last reset would otherwise glide in
  // over the first slices, differently at every block size.
  unit->Reset();

  const int64_t tailFrames = std::llround(options.tailSeconds * source->SampleRate());
  WriterOptions writerOptions;
  writerOptions.sample = options.sample;
  writerOptions.dither = options.dither;
  writerOptions.noClobber = options.noClobber;
  writerOptions.expectedFrames = source->Frames() + tailFrames;
  AudioFileWriter writer(target.output, source->SampleRate(), source->Channels(), writerOptions);
  ProgressDisplay progress(stderr, !options.quiet && ProgressDisplay::StderrIsTerminal(),
                           source->Frames() + tailFrames);
  RenderJob job;
  job.blockSize = options.blockSize;
  job.keepLatency = options.keepLatency;
  job.tailFrames = tailFrames;
  job.progress = [&](int64_t done, int64_t) {
    StopOnSignal::ThrowIfRequested();
    progress.Update(done);
  };

  const auto start = std::chrono::steady_clock::now();
  FileResult result;
  try
  {
    result.stats = RenderOffline(*source, *unit, writer, job);
    writer.Commit();
  }
  catch (...)
  {
    progress.Finish();
    throw;
  }
  progress.Finish();

  const std::string inputName = target.input.empty() ? "built-in demo signal" : target.input;
  if (source->AnnouncedFrames() > result.stats.framesRead)
    Warn("input '" + inputName + "' ends early: its header announces " + std::to_string(source->AnnouncedFrames()) +
         " frames, it holds " + std::to_string(result.stats.framesRead) + " frames; rendered what it holds");
  if (writer.ClippedSamples() > 0)
    Warn(std::to_string(writer.ClippedSamples()) + " samples clipped at full scale in '" + target.output + "' (" +
         SampleFormatText(writer.Format()) + ")");

  RenderSummary& summary = result.summary;
  summary.input = inputName;
  summary.output = target.output;
  summary.sampleRate = source->SampleRate();
  summary.channels = source->Channels();
  summary.settings = setup.Applied();
  if (setup.State())
    summary.stateIn = options.unit.stateIn + " (preset \"" + setup.State()->name + "\")";
  summary.stateOut = options.unit.stateOut;
  summary.keepLatency = options.keepLatency;
  summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  summary.sampleFormat = SampleFormatText(writer.Format());
  summary.written = writer.WrittenLevels();
  summary.tailSeconds = options.tailSeconds;
  return result;
}

} // namespace

int RunRender(const std::vector<std::string>& args)
{
  if (PrintedHelp(args, kRenderUsage))
    return 0;
  const RenderOptions options = ParseRenderOptions(args);
  const std::vector<RenderTarget> targets = PlanRenders(options);
  for (const RenderTarget& t : targets)
    OutputFormatForPath(t.output, options.sample); // a bad name or format is a usage error before any work
  CheckNoFileUnderTwoNames(targets);
  std::optional<StateOutput> stateOut;
  if (!options.unit.stateOut.empty())
    stateOut.emplace(options.unit.stateOut, AudioFiles(targets), options.noClobber, options.unit.forceStateOut);
  if (!options.outDir.empty() && !std::filesystem::is_directory(options.outDir))
    throw ToolError("output folder '" + options.outDir + "' does not exist");

  const UnitSetup setup(options.unit);

  StopOnSignal stopOnSignal;
  const bool batch = targets.size() > 1;
  int failed = 0;
  double audioSeconds = 0.0;
  const auto start = std::chrono::steady_clock::now();
  for (const RenderTarget& target : targets)
  {
    FileResult result;
    try
    {
      result = RenderFile(target, options, setup);
    }
    catch (const Interrupted&)
    {
      throw;
    }
    catch (const ToolError& e)
    {
      if (!batch)
        throw;
      // One file failing does not stop the others; its output is not written.
      std::fprintf(stderr, "corvane: %s\n", Printable(e.what()).c_str());
      ++failed;
      continue;
    }
    audioSeconds += static_cast<double>(result.stats.framesWritten) / std::max(result.summary.sampleRate, 1);
    if (!options.quiet)
      std::fputs(
        (batch ? FormatBatchLine(result.summary, result.stats) : FormatRenderSummary(result.summary, result.stats))
          .c_str(),
        stdout);
  }
  if (stateOut && failed < static_cast<int>(targets.size()))
    stateOut->Save(setup.StateXml());
  if (batch && !options.quiet)
  {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fputs(FormatBatchTotal(static_cast<int>(targets.size()), failed, audioSeconds, seconds).c_str(), stdout);
  }
  return failed > 0 ? 1 : 0;
}

} // namespace corvane::host
