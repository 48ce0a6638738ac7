#pragma once
// The preamble every command that hosts the unit shares: the component and
// settings of the command line resolved once, before any work starts, and
// --save-state, checked before the work and written after it.

#include "tools/corvane/AtomicOutputFile.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/OutputLock.h"
#include "tools/corvane/ParamValueParser.h"
#include "tools/corvane/StateFile.h"
#include "tools/corvane/UnitOptions.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvane::host {

/** The component the options name: --component, else the one beside the
    program, else the platform's search path. Throws ToolError. */
std::unique_ptr<HostedUnit> OpenComponent(const UnitOptions& options);

// The settings of the command line resolved against the component once:
// the -p values parsed against its parameters and the --state file read and
// checked, so bad settings are refused before any file or device is touched.
class UnitSetup
{
public:
  /** Throws UsageError for a bad -p and ToolError for a bad state or component. */
  explicit UnitSetup(const UnitOptions& options);

  /** A fresh instance of the component, without the settings. */
  std::unique_ptr<HostedUnit> OpenUnit() const;
  /** Hands the state, then the -p settings, to `unit`. */
  void ApplyTo(HostedUnit& unit) const;
  /** A fresh instance with the settings applied (not configured). */
  std::unique_ptr<HostedUnit> OpenConfiguredUnit() const;

  const std::string& Bundle() const { return mBundle; }
  const std::vector<ParamDesc>& Params() const { return mParams; }
  const std::optional<StateFile>& State() const { return mState; }
  /** The -p settings as the unit shows them ("Gain=25dB, Phase=1"). */
  const std::string& Applied() const { return mApplied; }
  /** The state a unit holds after ApplyTo, as .aupreset bytes. */
  std::vector<uint8_t> StateXml() const;

private:
  std::string mBundle;
  std::vector<ParamDesc> mParams;
  std::vector<ParamSetting> mSettings;
  std::optional<StateFile> mState;
  std::string mApplied;
  std::unique_ptr<HostedUnit> mProbe; // holds the settings; answers StateXml
};

/** A file a command reads or writes, for the checks of --save-state. */
struct FileInUse
{
  std::string path;
  const char* role; // "audio input", "audio output", "played file" ...
};

// --save-state: refused before any work when it reaches a file the command
// uses under another name, a file that is not a saved state (unless
// `force`), or cannot be written (its temporary file is made beside it at
// once); written in one piece by Save. The name stays locked while this
// lives, so a second program cannot take the same state file meanwhile.
class StateOutput
{
public:
  /** Throws UsageError when `path` is one of `inUse`, ToolError when it
      cannot be written or another program holds it. */
  StateOutput(const std::string& path, const std::vector<FileInUse>& inUse, bool noClobber = false, bool force = false);

  const std::string& Path() const { return mFile.FinalPath(); }
  /** Writes and commits `xml`. Throws ToolError. */
  void Save(const std::vector<uint8_t>& xml);
  /** Writes and commits the unit's current state. Throws ToolError. */
  void Save(const HostedUnit& unit);

private:
  AtomicOutputFile mFile;
  OutputLock mLock;
};

} // namespace corvane::host
