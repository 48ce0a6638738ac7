#pragma once
// Runs the corvane program of this build as a user would, against the real
// Corvane.component, and collects its exit status and what it printed.

#include "TempFolder.h"
#include "tools/corvane/ComponentLocator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

struct Outcome
{
  int status;
  std::string out;
  std::string err;
};

inline std::string Slurp(const std::string& path)
{
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

inline std::string Quote(const std::string& s)
{
  std::string q = "'";
  for (char c : s)
    q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class CorvaneProgram : public ::testing::Test
{
protected:
  void SetUp() override
  {
    program = corvane::host::ProgramFolder() + "/corvane";
    const std::string library = corvane::host::ProgramFolder() + "/Corvane.component/Contents/Linux/Corvane.so";
    // A missing program or component is a packaging fault, never a pass.
    ASSERT_TRUE(std::filesystem::exists(program)) << program;
    ASSERT_TRUE(std::filesystem::exists(library)) << library;
  }

  Outcome Corvane(const std::string& args, const std::string& folder = ".")
  {
    const std::string out = logs.Path("stdout"), err = logs.Path("stderr");
    const std::string line =
      "cd " + Quote(folder) + " && " + launcher + Quote(program) + " " + args + " >" + Quote(out) + " 2>" + Quote(err);
    const int raw = std::system(line.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
  }

  std::string P(const std::string& name) { return Quote(dir.Path(name)); }

  std::string program;
  std::string launcher; // put before the program's name: "timeout 20 "
  TempFolder dir, logs;
};
