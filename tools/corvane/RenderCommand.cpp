// corvane render: each file (or the demo signal) through a fresh instance of
// the unit, slice by slice, into a new file aligned with the input.

#include "tools/corvane/AtomicOutputFile.h"
#include "tools/corvane/AudioFileReader.h"
#include "tools/corvane/AudioFileWriter.h"
#include "tools/corvane/Commands.h"
#include "tools/corvane/ComponentLocator.h"
#include "tools/corvane/DemoSignal.h"
#include "tools/corvane/FileIdentity.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/MemorySource.h"
#include "tools/corvane/Messages.h"
#include "tools/corvane/ParamValueParser.h"
#include "tools/corvane/ProgressDisplay.h"
#include "tools/corvane/RenderOptions.h"
#include "tools/corvane/RenderSummary.h"
#include "tools/corvane/StateFile.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/UnitSettings.h"

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

// The state to save, in a temporary file beside its destination until the
// audio output is in place too.
std::unique_ptr<AtomicOutputFile> PrepareStateFile(const std::string& path, const std::vector<uint8_t>& xml,
                                                   bool noClobber)
{
  auto file = std::make_unique<AtomicOutputFile>(path, noClobber);
  file->WriteAll(xml.data(), xml.size());
  return file;
}

// No name given on the command line may reach a file another one reads or
// writes: outputs never replace an input, the state never an audio file.
void CheckNoFileUnderTwoNames(const std::vector<RenderTarget>& targets, const RenderOptions& options)
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
    if (options.stateOut.empty())
      continue;
    if (!targets[i].input.empty() && SameFile(options.stateOut, targets[i].input))
      throw UsageError("--save-state names the audio input '" + targets[i].input + "' ('" + options.stateOut + "')");
    if (SameFile(options.stateOut, targets[i].output))
      throw UsageError("--save-state names the audio output '" + targets[i].output + "' ('" + options.stateOut + "')");
  }
}

// The settings every file is rendered with, checked once on a first
// instance before any audio is touched.
struct PreparedSettings
{
  std::string bundle;
  std::vector<ParamDesc> params;
  std::vector<ParamSetting> settings;
  std::optional<StateFile> state;
  std::string applied;           // the settings as the unit shows them
  std::vector<uint8_t> stateXml; // for --save-state
};

PreparedSettings PrepareSettings(const RenderOptions& options)
{
  PreparedSettings p;
  p.bundle = LocateComponentBundle(options.component, ProgramFolder());
  const std::unique_ptr<HostedUnit> unit = HostedUnit::Open(p.bundle);
  p.params = unit->Parameters();
  p.settings = ParseSettings(p.params, options.params);
  if (!options.stateIn.empty())
  {
    p.state = ReadStateFile(options.stateIn);
    CheckStateFitsUnit(*p.state, unit->Description(), p.params.size());
    CheckStateValues(*p.state, p.params);
    ApplyCheckedState(*unit, *p.state);
  }
  p.applied = ApplySettings(*unit, p.params, p.settings);
  if (!options.stateOut.empty())
  {
    const CFOwned state = AdoptCF(unit->CopyState());
    p.stateXml = StateToXml(state.get());
  }
  return p;
}

struct FileResult
{
  RenderSummary summary;
  RenderStats stats;
};

FileResult RenderFile(const RenderTarget& target, const RenderOptions& options, const PreparedSettings& prepared)
{
  std::unique_ptr<AudioSource> source = OpenSource(target.input);
  std::unique_ptr<HostedUnit> unit = HostedUnit::Open(prepared.bundle);
  unit->Configure(source->SampleRate(), source->Channels(), options.blockSize);
  if (prepared.state)
    ApplyCheckedState(*unit, *prepared.state);
  ApplySettings(*unit, prepared.params, prepared.settings);
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
  summary.settings = prepared.applied;
  if (prepared.state)
    summary.stateIn = options.stateIn + " (preset \"" + prepared.state->name + "\")";
  summary.stateOut = options.stateOut;
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
  CheckNoFileUnderTwoNames(targets, options);
  if (!options.outDir.empty() && !std::filesystem::is_directory(options.outDir))
    throw ToolError("output folder '" + options.outDir + "' does not exist");

  const PreparedSettings prepared = PrepareSettings(options);
  std::unique_ptr<AtomicOutputFile> stateOut;
  if (!options.stateOut.empty())
    stateOut = PrepareStateFile(options.stateOut, prepared.stateXml, options.noClobber);

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
      result = RenderFile(target, options, prepared);
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
    stateOut->Commit();
  if (batch && !options.quiet)
  {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fputs(FormatBatchTotal(static_cast<int>(targets.size()), failed, audioSeconds, seconds).c_str(), stdout);
  }
  return failed > 0 ? 1 : 0;
}

} // namespace corvane::host
