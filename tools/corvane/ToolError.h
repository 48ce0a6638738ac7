#pragma once
// Errors the command-line host reports to its user as one line. ToolError is
// a failure of the job (exit status 1); UsageError is a bad command line
// (exit status 2).

#include <stdexcept>
#include <string>

namespace corvane::host {

class ToolError : public std::runtime_error
{
public:
  using std::runtime_error::runtime_error;
};

class UsageError : public ToolError
{
public:
  using ToolError::ToolError;
};

// The user stopped the program (Ctrl-C, SIGTERM) while it was writing; the
// partial output is removed on the way out (exit status 130).
class Interrupted : public ToolError
{
public:
  Interrupted() : ToolError("interrupted; no output written") {}
};

} // namespace corvane::host
