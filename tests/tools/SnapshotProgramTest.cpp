// corvane snapshot against the real component of this build: the PNG's size
// at each screen scale, settings reaching the picture, and bad command lines
// leaving no file behind.

#include "TempFolder.h"
#include "tools/corvane/ComponentLocator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/wait.h>

using corvane::host::ProgramFolder;

namespace {

struct Outcome
{
  int status;
  std::string err;
};

struct PngInfo
{
  uint32_t width = 0, height = 0;
  std::vector<char> bytes;
};

PngInfo ReadPng(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  PngInfo info;
  info.bytes.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  if (info.bytes.size() >= 24 && std::string(info.bytes.begin() + 1, info.bytes.begin() + 4) == "PNG")
  {
    const auto be = [&](size_t at) {
      uint32_t v = 0;
      for (size_t i = 0; i < 4; ++i)
        v = (v << 8) | static_cast<uint8_t>(info.bytes[at + i]);
      return v;
    };
    info.width = be(16);
    info.height = be(20);
  }
  return info;
}

class SnapshotProgram : public ::testing::Test
{
protected:
  void SetUp() override
  {
    program = ProgramFolder() + "/corvane";
    if (!std::filesystem::exists(program) ||
        !std::filesystem::exists(ProgramFolder() + "/Corvane.component/Contents/Resources/BG.png"))
      GTEST_SKIP() << "corvane or the component is not built";
  }

  Outcome Snapshot(const std::string& args)
  {
    const std::string err = dir.Path("stderr");
    const std::string line =
      "cd '" + dir.Path("") + "' && '" + program + "' snapshot " + args + " >/dev/null 2>'" + err + "'";
    const int raw = std::system(line.c_str());
    std::ifstream f(err);
    std::stringstream s;
    s << f.rdbuf();
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, s.str()};
  }

  std::string program;
  TempFolder dir;
};

TEST_F(SnapshotProgram, SizeFollowsTheScreenScaleAndSettingsReachThePicture)
{
  const struct
  {
    std::string args;
    const char* file;
    uint32_t w, h;
  } cases[] = {
    {"", "editor.png", 575, 333},
    {"--scale 2 -o two.png", "two.png", 1150, 666},
    {"--scale=1.5 -o odd.png", "odd.png", 862, 499},
    {"-o filter.png -p 'Filter Bypass=1'", "filter.png", 575, 333},
  };
  for (const auto& c : cases)
  {
    const Outcome run = Snapshot(c.args);
    ASSERT_EQ(run.status, 0) << c.args << ": " << run.err;
    const PngInfo png = ReadPng(dir.Path(c.file));
    EXPECT_NEAR(png.width, c.w, 1) << c.args;
    EXPECT_NEAR(png.height, c.h, 1) << c.args;
  }
  EXPECT_NE(ReadPng(dir.Path("filter.png")).bytes, ReadPng(dir.Path("editor.png")).bytes);
}

TEST_F(SnapshotProgram, BadRequestsFailInOneLineAndWriteNothing)
{
  const struct
  {
    std::string args;
    int status;
    const char* says;
  } cases[] = {
    {"--scale 0.5 -o a.png", 2, "--scale"},
    {"--scale 4 -o a.png", 2, "--scale"},
    {"--scale two -o a.png", 2, "--scale"},
    {"-o a.jpg", 2, ".png"},
    {"-o a.png -p Nope=1", 2, "Nope"},
    {"-o missing/a.png", 1, "missing"},
    {"-o a.png --state nowhere.aupreset", 1, "nowhere.aupreset"},
  };
  for (const auto& c : cases)
  {
    const Outcome run = Snapshot(c.args);
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << c.args << ": " << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.args << ": " << run.err;
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"stderr"}) << c.args;
  }
}

TEST_F(SnapshotProgram, ACorruptImageHidesItsControlAndIsNamedOnce)
{
  namespace fs = std::filesystem;
  TempFolder copy;
  const fs::path bundle = copy.Path("Corvane.component");
  fs::copy(ProgramFolder() + "/Corvane.component", bundle, fs::copy_options::recursive);
  const fs::path resources = bundle / "Contents" / "Resources";
  fs::resize_file(resources / "GAIN.png", 100); // cut off inside the image data
  fs::remove(resources / "GAIN@2x.png");

  const Outcome run = Snapshot("--scale 2 -o cut.png --component '" + bundle.string() + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("GAIN.png"), std::string::npos) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_EQ(ReadPng(dir.Path("cut.png")).width, 1150u);
}

} // namespace
