#pragma once
// The message of the ToolError a call throws, or "(no error)".

#include "tools/corvane/ToolError.h"

#include <functional>
#include <string>

inline std::string ErrorOf(const std::function<void()>& f)
{
  try
  {
    f();
  }
  catch (const corvane::host::ToolError& e)
  {
    return e.what();
  }
  return "(no error)";
}
