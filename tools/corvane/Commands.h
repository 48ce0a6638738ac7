#pragma once
// The subcommands of the corvane program. Each takes the arguments after its
// name, prints its result on stdout and returns the exit status; failures
// are thrown as ToolError / UsageError and reported by main.

#include <string>
#include <vector>

namespace corvane::host {

int RunRender(const std::vector<std::string>& args);
int RunParams(const std::vector<std::string>& args);
int RunInfo(const std::vector<std::string>& args);
int RunState(const std::vector<std::string>& args);
int RunSnapshot(const std::vector<std::string>& args);
int RunEditor(const std::vector<std::string>& args);

} // namespace corvane::host
