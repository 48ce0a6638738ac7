// Where outputs go: only regular files are ever replaced (a pipe or a device
// node at the name stays what it is), and a locked output name cannot be
// taken again, under any spelling, until its holder lets go.

#include "TempFolder.h"
#include "ToolErrorText.h"
#include "tools/corvane/AtomicOutputFile.h"
#include "tools/corvane/OutputLock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>

using namespace corvane::host;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

namespace {

mode_t TypeOf(const std::string& path)
{
  struct stat st
  {};
  return stat(path.c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

} // namespace

TEST(OutputFiles, OnlyRegularFilesAreReplaced)
{
  TempFolder dir;
  ASSERT_EQ(mkfifo(dir.Path("pipe.wav").c_str(), 0644), 0);
  std::filesystem::create_symlink(dir.Path("pipe.wav"), dir.Path("to-pipe.wav"));
  std::filesystem::create_symlink("/dev/null", dir.Path("to-null.wav"));
  // Each refused when the output is made; were it not, the temporary file
  // is discarded unused, so even /dev/null is safe to name here.
  const struct
  {
    std::string path, kind;
    mode_t type;
  } cases[] = {
    {dir.Path("pipe.wav"), "a pipe (FIFO)", S_IFIFO},
    {dir.Path("to-pipe.wav"), "a pipe (FIFO)", S_IFIFO},
    {"/dev/null", "a device", S_IFCHR},
    {dir.Path("to-null.wav"), "a device", S_IFCHR},
  };
  for (const auto& c : cases)
  {
    EXPECT_THAT(ErrorOf([&] { AtomicOutputFile out(c.path); }),
                AllOf(HasSubstr(c.path), HasSubstr(c.kind), HasSubstr("only regular files")))
      << c.path;
    EXPECT_EQ(TypeOf(c.path), c.type) << c.path;
  }

  // A pipe that appears while the output is written is not replaced either.
  auto late = std::make_unique<AtomicOutputFile>(dir.Path("late.wav"));
  late->WriteAll("data", 4);
  ASSERT_EQ(mkfifo(dir.Path("late.wav").c_str(), 0644), 0);
  EXPECT_THAT(ErrorOf([&] { late->Commit(); }), HasSubstr("a pipe (FIFO)"));
  late.reset();
  EXPECT_EQ(TypeOf(dir.Path("late.wav")), static_cast<mode_t>(S_IFIFO));

  // A link to a regular file is still written through.
  std::ofstream(dir.Path("real.wav")) << "old";
  std::filesystem::create_symlink("real.wav", dir.Path("link.wav"));
  AtomicOutputFile through(dir.Path("link.wav"));
  through.WriteAll("new", 3);
  through.Commit();
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.wav")));
  std::ifstream in(dir.Path("real.wav"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");
  EXPECT_THAT(dir.Names(),
              UnorderedElementsAre("pipe.wav", "to-pipe.wav", "to-null.wav", "late.wav", "real.wav", "link.wav"));
}

TEST(OutputLock, OneHolderPerFileUnderEverySpelling)
{
  TempFolder dir;
  std::filesystem::create_directory(dir.Path("sub"));
  std::filesystem::create_symlink(dir.Path("s.aupreset"), dir.Path("link.aupreset"));
  {
    const OutputLock held(dir.Path("s.aupreset"));
    for (const std::string& other :
         {dir.Path("s.aupreset"), dir.Path("sub/../s.aupreset"), dir.Path("./s.aupreset"), dir.Path("link.aupreset")})
      EXPECT_THAT(ErrorOf([&] { OutputLock again(other); }),
                  HasSubstr("another running corvane will write '" + other + "'"));
    // Other names in the folder are free.
    EXPECT_NO_THROW(OutputLock{dir.Path("t.aupreset")});
  }
  // Released and cleaned up: the name can be locked again, and nothing is left behind.
  EXPECT_THAT(dir.Names(), UnorderedElementsAre("sub", "link.aupreset"));
  EXPECT_NO_THROW(OutputLock{dir.Path("link.aupreset")});
  EXPECT_THAT(ErrorOf([&] { OutputLock{dir.Path("missing/s.aupreset")}; }),
              AllOf(HasSubstr("cannot lock output"), HasSubstr("No such file")));
}
