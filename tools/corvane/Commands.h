#pragma once
// The subcommands of the corvane program. Each takes the arguments after its
// name, prints its result on stdout and returns the exit status; failures
// are thrown as ToolError / UsageError and reported by main.

#include <cstdio>
#include <string>
#include <vector>

namespace corvane::host {

int RunRender(const std::vector<std::string>& args);
int RunParams(const std::vector<std::string>& args);
int RunInfo(const std::vector<std::string>& args);
int RunState(const std::vector<std::string>& args);
int RunLV2Preset(const std::vector<std::string>& args);
int RunSnapshot(const std::vector<std::string>& args);
int RunEditor(const std::vector<std::string>& args);
int RunAnalyze(const std::vector<std::string>& args);
int RunLive(const std::vector<std::string>& args);
/** "corvane --version": the program's version, then the component's. */
int RunVersion(const std::vector<std::string>& args);

/** Prints `usage` and returns true when `args` asks for help (-h or --help). */
inline bool PrintedHelp(const std::vector<std::string>& args, const char* usage)
{
  for (const std::string& a : args)
    if (a == "-h" || a == "--help")
    {
      std::fputs(usage, stdout);
      return true;
    }
  return false;
}

/** The version of this program (the product's). */
extern const char* const kProgramVersion;

} // namespace corvane::host
