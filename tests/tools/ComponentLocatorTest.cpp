#include "TempFolder.h"
#include "tools/corvane/ComponentLocator.h"
#include "tools/corvane/ToolError.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace corvane::host;
using ::testing::HasSubstr;

namespace {

void MakeBundle(const std::string& path)
{
  std::filesystem::create_directories(path + "/Contents/Resources");
  std::ofstream(path + "/Contents/Info.plist") << "<plist/>";
}

std::string ErrorOf(const std::string& explicitPath, const std::string& folder)
{
  try
  {
    LocateComponentBundle(explicitPath, folder);
  }
  catch (const ToolError& e)
  {
    return e.what();
  }
  return "(found)";
}

} // namespace

TEST(ComponentLocator, PrefersTheBundleBesideTheProgramThenOneFolderUp)
{
  TempFolder dir;
  std::filesystem::create_directories(dir.Path("build/bin"));
  EXPECT_EQ(LocateComponentBundle("", dir.Path("build/bin")), "") << "none: the platform's search path decides";
  MakeBundle(dir.Path("build/lib/audio-units/Corvane.component"));
  EXPECT_EQ(LocateComponentBundle("", dir.Path("build/bin")), dir.Path("build/lib/audio-units/Corvane.component"));
  MakeBundle(dir.Path("build/Corvane.component"));
  EXPECT_EQ(LocateComponentBundle("", dir.Path("build/bin")), dir.Path("build/Corvane.component"));
  MakeBundle(dir.Path("build/bin/Corvane.component"));
  EXPECT_EQ(LocateComponentBundle("", dir.Path("build/bin")), dir.Path("build/bin/Corvane.component"));
}

TEST(ComponentLocator, AnExplicitPathMustBeABundle)
{
  TempFolder dir;
  MakeBundle(dir.Path("Other.component"));
  EXPECT_EQ(LocateComponentBundle(dir.Path("Other.component"), "/nowhere"), dir.Path("Other.component"));
  EXPECT_THAT(ErrorOf(dir.Path("missing.component"), "/nowhere"), HasSubstr("does not exist"));
  std::filesystem::create_directories(dir.Path("empty.component"));
  EXPECT_THAT(ErrorOf(dir.Path("empty.component"), "/nowhere"), HasSubstr("not a component bundle"));
}
