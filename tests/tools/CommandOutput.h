#pragma once
// Runs one of the program's commands in-process and returns what it printed.

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Expects the command to succeed; an exception it throws propagates once
// standard output is released again.
inline std::string CommandOutput(int (*command)(const std::vector<std::string>&), const std::vector<std::string>& args)
{
  ::testing::internal::CaptureStdout();
  try
  {
    EXPECT_EQ(command(args), 0);
  }
  catch (...)
  {
    ::testing::internal::GetCapturedStdout();
    throw;
  }
  return ::testing::internal::GetCapturedStdout();
}
