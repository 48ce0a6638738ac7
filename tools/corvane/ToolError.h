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

} // namespace corvane::host
