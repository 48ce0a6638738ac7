#include "AudioFiles.h"
#include "CommandOutput.h"
#include "FakeEffectUnit.h"
#include "TempFolder.h"
#include "tools/corvane/Commands.h"
#include "tools/corvane/ToolError.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <sndfile.h>

using namespace corvane::host;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

std::vector<std::vector<float>> Tone(int channels, size_t frames)
{
  std::vector<std::vector<float>> d(channels, std::vector<float>(frames));
  for (int c = 0; c < channels; ++c)
    for (size_t i = 0; i < frames; ++i)
      d[c][i] = 0.25f * static_cast<float>(std::sin(0.01 * static_cast<double>(i) * (c + 1)));
  return d;
}

// Runs "corvane render ..." and returns what it printed.
std::string Render(const std::vector<std::string>& args) { return CommandOutput(RunRender, args); }

template <typename E>
std::string ErrorOf(const std::vector<std::string>& args)
{
  try
  {
    Render(args);
  }
  catch (const E& e)
  {
    return e.what();
  }
  return "(no error)";
}

class RenderCommand : public ::testing::Test
{
protected:
  void SetUp() override { fake::Register(); }
  void TearDown() override { fake::Register(); }
  TempFolder dir;
};

} // namespace

TEST_F(RenderCommand, ProcessesAFileWithSettingsIntoAnAlignedFileOfTheSameShape)
{
  const auto input = Tone(2, 3000);
  WriteAudioFile(dir.Path("in.wav"), 44100, input);
  const std::string out =
    Render({dir.Path("in.wav"), "-o", dir.Path("out.wav"), "-p", "Gain=6dB", "-p", "Delay=1", "--block", "256"});
  EXPECT_THAT(out, HasSubstr("\nlatency: 33 samples"));
  EXPECT_THAT(out, HasSubstr("settings: Gain=6dB, Delay=1.0"));
  EXPECT_THAT(out, HasSubstr("output:   peak -6.0 dBFS"));
  EXPECT_THAT(out, HasSubstr("x realtime"));
  int rate = 0;
  const auto result = ReadAudioFile(dir.Path("out.wav"), &rate);
  EXPECT_EQ(rate, 44100);
  ASSERT_EQ(result.size(), 2u);
  ASSERT_EQ(result[0].size(), 3000u);
  for (int c = 0; c < 2; ++c)
    for (size_t i = 0; i < 3000; ++i)
      ASSERT_EQ(result[c][i], input[c][i] * 2.0f);
  EXPECT_THAT(dir.Names(), ::testing::UnorderedElementsAre("in.wav", "out.wav"));
}

TEST_F(RenderCommand, KeepLatencyAndFlacOutput)
{
  const auto input = Tone(1, 500);
  WriteAudioFile(dir.Path("in.aiff"), 96000, input);
  Render({dir.Path("in.aiff"), "-o", dir.Path("out.flac"), "-p", "2=on", "--keep-latency", "-q"});
  SF_INFO info{};
  SNDFILE* f = sf_open(dir.Path("out.flac").c_str(), SFM_READ, &info);
  ASSERT_NE(f, nullptr);
  sf_close(f);
  EXPECT_EQ(info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
  EXPECT_EQ(info.samplerate, 96000);
  EXPECT_EQ(info.frames, 500);
  const auto result = ReadAudioFile(dir.Path("out.flac"));
  EXPECT_EQ(result[0][fake::kDelayFrames - 1], 0.0f);
  EXPECT_NEAR(result[0][fake::kDelayFrames + 100], input[0][100], 1e-6);
}

TEST_F(RenderCommand, FailuresLeaveNoOutputBehind)
{
  WriteAudioFile(dir.Path("in.wav"), 48000, Tone(1, 2000));
  WriteAudioFile(dir.Path("three.wav"), 48000, Tone(3, 100));
  const std::string out = dir.Path("out.wav");

  EXPECT_THAT(ErrorOf<ToolError>({dir.Path("missing.wav"), "-o", out}),
              AllOf(HasSubstr("missing.wav"), HasSubstr("No such file")));
  EXPECT_THAT(ErrorOf<ToolError>({dir.Path("three.wav"), "-o", out}),
              AllOf(HasSubstr("3 channel"), HasSubstr("2 in/2 out")));
  EXPECT_THAT(ErrorOf<UsageError>({dir.Path("in.wav"), "-o", out, "-p", "Drive=3"}),
              HasSubstr("0 Gain, 1 Output, 2 Delay"));
  EXPECT_THAT(ErrorOf<UsageError>({dir.Path("in.wav"), "-o", out, "-p", "Gain=3dB"}), HasSubstr("0dB, 6dB, 12dB"));
  EXPECT_THAT(ErrorOf<UsageError>({dir.Path("in.wav"), "-o", dir.Path("out.mp3")}), HasSubstr(".wav, .aiff or .flac"));
  EXPECT_THAT(ErrorOf<ToolError>({dir.Path("in.wav"), "-o", dir.Path("nodir/out.wav")}),
              HasSubstr("cannot write output"));

  fake::Register({kAudioUnitErr_CannotDoInCurrentContext, 3});
  EXPECT_THAT(ErrorOf<ToolError>({dir.Path("in.wav"), "-o", out, "--block", "64"}), HasSubstr("failed to render"));

  EXPECT_THAT(dir.Names(), ::testing::UnorderedElementsAre("in.wav", "three.wav"));
}

TEST_F(RenderCommand, CtrlCStopsTheRenderAndRemovesThePartialOutput)
{
  WriteAudioFile(dir.Path("in.wav"), 48000, Tone(2, 5000));
  fake::Register({noErr, 0, noErr, 4});
  EXPECT_THROW(Render({dir.Path("in.wav"), "-o", dir.Path("out.wav"), "--block", "64"}), Interrupted);
  EXPECT_THAT(dir.Names(), ElementsAre("in.wav"));
  // The handler is gone afterwards: the previous disposition is back.
  struct sigaction now
  {};
  sigaction(SIGINT, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

TEST_F(RenderCommand, IntegerOutputCountsItsClippedSamplesAndReportsThePeakWritten)
{
  WriteAudioFile(dir.Path("in.wav"), 48000, Tone(1, 1000)); // peak 0.25, up 18 dB to 2.0
  ::testing::internal::CaptureStderr();
  const std::string out = Render({dir.Path("in.wav"), "-o", dir.Path("out.flac"), "-p", "Gain=12dB", "-p", "Output=6"});
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_THAT(out, HasSubstr("output:   peak 0.0 dBFS"));
  EXPECT_THAT(err, ::testing::MatchesRegex(
                     "corvane: warning: [0-9]{3} samples clipped at full scale in '.*out.flac' \\(24-bit\\)\n"));
  const auto written = ReadAudioFile(dir.Path("out.flac"));
  EXPECT_LE(*std::max_element(written[0].begin(), written[0].end()), 1.0f);
}
