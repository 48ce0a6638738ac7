#include "tools/corvane/ProgressDisplay.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace corvane::host;

namespace {

// Captures what the display prints.
struct Capture
{
  Capture() { file = open_memstream(&buffer, &size); }
  ~Capture()
  {
    std::fclose(file);
    std::free(buffer);
  }
  std::string Text()
  {
    std::fflush(file);
    return std::string(buffer, size);
  }
  std::FILE* file;
  char* buffer = nullptr;
  size_t size = 0;
};

} // namespace

TEST(ProgressDisplay, ShowsWholePercentStepsOnlyAfterAQuietStart)
{
  Capture out;
  double now = 10.0;
  ProgressDisplay progress(out.file, true, 1000, [&] { return now; });
  progress.Update(100);
  EXPECT_EQ(out.Text(), "") << "short renders print nothing";
  now = 10.6;
  progress.Update(421);
  progress.Update(425); // same percent: no new output
  progress.Update(1000);
  EXPECT_EQ(out.Text(), "\rrendering  42%\rrendering 100%");
  progress.Finish();
  EXPECT_EQ(out.Text().substr(out.Text().size() - 1), "\r");
}
