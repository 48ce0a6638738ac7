#pragma once
// .aupreset files: the class-info dictionary of an Audio Unit written as an
// XML property list, the same file hosts on macOS save for a unit. Keys:
// "version", "type", "subtype", "manufacturer" (integers; the last three are
// four-character codes), "name" (the preset name) and "data" (the plug-in's
// own state bytes).
//
// Reading checks everything a host can check before handing the dictionary
// to the unit, so a bad file is reported as one line naming the file and the
// problem rather than as a bare status from the unit.

#include "tools/corvane/ParamDesc.h"

#include <AudioToolbox/AudioToolbox.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvane::host {

/** A Core Foundation object owned under the copy rule. */
using CFOwned = std::shared_ptr<const void>;
CFOwned AdoptCF(CFTypeRef object);

struct StateFile
{
  std::string path;
  CFOwned dictionary; // the CFDictionary as read, to hand to the unit
  SInt32 version = 0;
  OSType type = 0;
  OSType subtype = 0;
  OSType manufacturer = 0;
  std::string name;
  std::vector<uint8_t> data;
};

/** Largest file taken as a state; a real one is about a kilobyte. */
inline constexpr long kMaxStateFileBytes = 1 << 20;

/** Reads and checks the shape of a state file. Throws ToolError
    ("state file 'PATH': PROBLEM") for a missing, unreadable, oversized or
    malformed file, one that is not a dictionary, and missing or mistyped keys. */
StateFile ReadStateFile(const std::string& path);

/** Checks that the state belongs to the unit `component` and that its data
    holds the editor record and `paramCount` parameter values. Throws ToolError. */
void CheckStateFitsUnit(const StateFile& state, const AudioComponentDescription& component, size_t paramCount);

/** Refuses parameter values that are not finite numbers (ToolError); clamps
    those outside the parameter's range into it, in `state.data` and in the
    dictionary handed to the unit, with a warning naming the parameter. */
void CheckStateValues(StateFile& state, const std::vector<ParamDesc>& params);

class HostedUnit;

/** Reads the file, checks it and its values against the unit and hands it
    to the unit.
    Throws ToolError, with the unit's own status in words when it refuses. */
StateFile ApplyStateFile(HostedUnit& unit, const std::string& path, size_t paramCount);

/** Hands a state that passed the checks above to the unit. Throws ToolError
    with the unit's own status in words when it refuses. */
void ApplyCheckedState(HostedUnit& unit, const StateFile& state);

/** The error for a state the unit refused with `status`. */
std::string StateRefusedMessage(const std::string& path, OSStatus status);

/** The property list as XML plist bytes. Throws ToolError. */
std::vector<uint8_t> StateToXml(CFPropertyListRef state);

/** Refuses (ToolError) to let a state replace an existing file that holds
    something else, unless `force`: an audio file named by mistake is kept.
    A missing or empty file, or a saved state, may be replaced. */
void CheckStateReplaceable(const std::string& path, bool force);

/** Writes a state file's bytes all at once: the old file stays until the new one is complete.
    With `noClobber`, an existing file is never replaced; without `force`, only
    a saved state is (CheckStateReplaceable). The name is locked (OutputLock)
    while it is written. Throws ToolError. */
void WriteStateFile(const std::string& path, const std::vector<uint8_t>& xml, bool noClobber = false,
                    bool force = false);

/** "aufx Qzr1 Vtrn". */
std::string ComponentCodesText(OSType type, OSType subtype, OSType manufacturer);

/** Four printable characters for a four-character code ('?' for others). */
std::string FourCCText(OSType code);

} // namespace corvane::host
