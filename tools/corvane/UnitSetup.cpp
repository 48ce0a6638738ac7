#include "tools/corvane/UnitSetup.h"

#include "tools/corvane/ComponentLocator.h"
#include "tools/corvane/FileIdentity.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/UnitSettings.h"

namespace corvane::host {

std::unique_ptr<HostedUnit> OpenComponent(const UnitOptions& options)
{
  return HostedUnit::Open(LocateComponentBundle(options.component, ProgramFolder()));
}

UnitSetup::UnitSetup(const UnitOptions& options)
: mBundle(LocateComponentBundle(options.component, ProgramFolder()))
, mProbe(HostedUnit::Open(mBundle))
{
  mParams = mProbe->Parameters();
  mSettings = ParseSettings(mParams, options.params);
  if (!options.stateIn.empty())
  {
    mState = ReadStateFile(options.stateIn);
    CheckStateFitsUnit(*mState, mProbe->Description(), mParams.size());
    CheckStateValues(*mState, mParams);
    ApplyCheckedState(*mProbe, *mState);
  }
  mApplied = ApplySettings(*mProbe, mParams, mSettings);
}

std::unique_ptr<HostedUnit> UnitSetup::OpenUnit() const { return HostedUnit::Open(mBundle); }

void UnitSetup::ApplyTo(HostedUnit& unit) const
{
  if (mState)
    ApplyCheckedState(unit, *mState);
  ApplySettings(unit, mParams, mSettings);
}

std::unique_ptr<HostedUnit> UnitSetup::OpenConfiguredUnit() const
{
  std::unique_ptr<HostedUnit> unit = OpenUnit();
  ApplyTo(*unit);
  return unit;
}

std::vector<uint8_t> UnitSetup::StateXml() const
{
  const CFOwned state = AdoptCF(mProbe->CopyState());
  return StateToXml(state.get());
}

namespace {

const std::string& CheckedStatePath(const std::string& path, const std::vector<FileInUse>& inUse, bool force)
{
  for (const FileInUse& f : inUse)
    if (!f.path.empty() && SameFile(path, f.path))
      throw UsageError("--save-state names the " + std::string(f.role) + " '" + f.path + "' ('" + path + "')");
  CheckStateReplaceable(path, force);
  return path;
}

} // namespace

StateOutput::StateOutput(const std::string& path, const std::vector<FileInUse>& inUse, bool noClobber, bool force)
: mFile(CheckedStatePath(path, inUse, force), noClobber)
, mLock(path)
{}

void StateOutput::Save(const std::vector<uint8_t>& xml)
{
  mFile.WriteAll(xml.data(), xml.size());
  mFile.Commit();
}

void StateOutput::Save(const HostedUnit& unit)
{
  const CFOwned state = AdoptCF(unit.CopyState());
  Save(StateToXml(state.get()));
}

} // namespace corvane::host
