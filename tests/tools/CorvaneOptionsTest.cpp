// The options users reach for first, run through the program against the
// real component: sample formats and dither, several inputs in one run, the
// tail, presets without audio, machine-readable output and index values.

#include "AudioFiles.h"
#include "ProgramRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sndfile.h>

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

namespace {

std::vector<std::vector<float>> Quiet(int channels, size_t frames, float level)
{
  std::vector<std::vector<float>> d(channels, std::vector<float>(frames));
  for (auto& ch : d)
    for (size_t i = 0; i < frames; ++i)
      ch[i] = level * static_cast<float>(std::sin(0.05 * static_cast<double>(i)));
  return d;
}

int FileFormat(const std::string& path)
{
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (f)
    sf_close(f);
  return f ? info.format & (SF_FORMAT_TYPEMASK | SF_FORMAT_SUBMASK) : 0;
}

void WriteOgg(const std::string& path, const std::vector<std::vector<float>>& data)
{
  SF_INFO info{};
  info.samplerate = 48000;
  info.channels = 1;
  info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
  sf_writef_float(f, data[0].data(), static_cast<sf_count_t>(data[0].size()));
  sf_close(f);
}

} // namespace

TEST_F(CorvaneProgram, BitsChooseTheSampleFormatAndDitherOnlyBelow24Bits)
{
  WriteAudioFile(dir.Path("in.wav"), 48000, Quiet(1, 2000, 0.0f));
  const struct
  {
    std::string args;
    std::string output;
    int format;  // 0: refused
    bool silent; // silence in gives only zeros out: no dither
  } cases[] = {
    {"", "f.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, false}, // keeps the unit's denormal guard
    {"", "d.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, true},
    {"--bits 16", "a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, false},
    {"--bits 16 --no-dither", "b.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, true},
    {"--bits 24", "c.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, true},
    {"--bits 32", "e.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, true},
    {"--bits 16", "g.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, false},
    {"--bits 32", "h.flac", 0, true},
    {"--bits 8", "i.wav", 0, true},
  };
  for (const auto& c : cases)
  {
    const Outcome run = Corvane("render -q in.wav -o " + c.output + " " + c.args, dir.Path(""));
    EXPECT_EQ(run.status, c.format ? 0 : 2) << c.args << ": " << run.err;
    if (!c.format)
      continue;
    EXPECT_EQ(FileFormat(dir.Path(c.output)), c.format) << c.output;
    const auto written = ReadAudioFile(dir.Path(c.output));
    EXPECT_EQ(std::all_of(written[0].begin(), written[0].end(), [](float s) { return s == 0.0f; }), c.silent)
      << c.output;
  }
}

TEST_F(CorvaneProgram, SeveralInputsRenderIntoOneFolderAndAFailureSparesTheOthers)
{
  WriteAudioFile(dir.Path("a.wav"), 48000, Quiet(2, 4800, 0.1f));
  WriteAudioFile(dir.Path("b.flac"), 44100, Quiet(1, 4410, 0.1f));
  WriteOgg(dir.Path("c.ogg"), Quiet(1, 4800, 0.1f));
  std::ofstream(dir.Path("broken.wav")) << "not audio";
  std::filesystem::create_directory(dir.Path("out"));

  const Outcome run = Corvane("render a.wav broken.wav b.flac c.ogg --out-dir out --tail 0.5", dir.Path(""));
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.out, AllOf(HasSubstr("a.wav -> out/a.wav: 2 ch, 0.60 s at 48000 Hz, peak "),
                             HasSubstr("b.flac -> out/b.flac: 1 ch, 0.60 s at 44100 Hz"),
                             HasSubstr("c.ogg -> out/c.wav: 1 ch, 0.60 s"),
                             HasSubstr("total: 4 files, 3 rendered (1.80 s of audio in ")));
  EXPECT_THAT(run.out, HasSubstr("), 1 failed\n"));
  EXPECT_THAT(run.err, AllOf(HasSubstr("corvane: cannot read input 'broken.wav'"), ::testing::Not(HasSubstr("\n\n"))));
  std::vector<std::string> written;
  for (const auto& e : std::filesystem::directory_iterator(dir.Path("out")))
    written.push_back(e.path().filename().string());
  EXPECT_THAT(written, UnorderedElementsAre("a.wav", "b.flac", "c.wav"));
  EXPECT_EQ(ReadAudioFile(dir.Path("out/a.wav"))[0].size(), 4800u + 24000u);

  // Without --out-dir each result lands beside its input; -o cannot name two.
  EXPECT_EQ(Corvane("render -q a.wav c.ogg", dir.Path("")).status, 0);
  EXPECT_TRUE(std::filesystem::exists(dir.Path("c-corvane.wav")));
  EXPECT_THAT(Corvane("render a.wav c.ogg -o x.wav", dir.Path("")).err,
              HasSubstr("give --out-dir DIR for several inputs"));
  EXPECT_THAT(Corvane("render a.wav --out-dir nowhere", dir.Path("")).err,
              HasSubstr("output folder 'nowhere' does not exist"));
}

TEST_F(CorvaneProgram, PresetsWithoutAudioJsonVersionIndexValuesAndSwitchWords)
{
  ASSERT_EQ(Corvane("state --save a.aupreset -p Gain=#12 -p Oversampling=true -p 'Mic Pre=yes'", dir.Path("")).status,
            0);
  const struct
  {
    std::string args;
    int status;
    std::vector<std::string> out; // or, when refused, on stderr
  } cases[] = {
    {"state a.aupreset", 0, {"Gain             40dB\n", "Oversampling     Oversampling On\n", "Mic Pre          1\n"}},
    {"state --save b.aupreset --state a.aupreset -p Phase=on -p Oversampling=false",
     0,
     {"file:         b.aupreset", "Gain             40dB\n", "Phase            1\n",
      "Oversampling     Oversampling Off\n"}},
    {"state b.aupreset --json",
     0,
     {"\"presetName\": \"\"", "{\"index\": 0, \"name\": \"Gain\", \"value\": 12, \"text\": \"40dB\"}"}},
    {"state --save a.aupreset -n -p Phase=1", 1, {"'a.aupreset' exists; not replaced"}},
    {"state a.aupreset -p Phase=1", 2, {"need --save FILE"}},
    {"info --json -p Oversampling=on",
     0,
     {"\"subtype\": \"Qzr1\"", "\"latencySamples\": 64,", "\"channels\": [{\"inputs\": 1"}},
    {"--version", 0, {"corvane 2.0.0\n", "Corvane 2.0.0 (aufx Qzr1 Vtrn)"}},
    {"params", 0, {"#11=35dB, #12=40dB", "#0=Oversampling Off, #1=Oversampling On", "#0=Out, #1=In\n"}},
    {"render -q -p Gain=12", 2, {"or #0 to #12 by index"}},
    {"render -q -p Gain=#13", 2, {"expected #0 to #12"}},
    {"render -q \"$(printf 'new\\nline.wav')\"", 1, {"cannot read input 'new\\nline.wav'"}},
  };
  for (const auto& c : cases)
  {
    const Outcome run = Corvane(c.args, dir.Path(""));
    EXPECT_EQ(run.status, c.status) << c.args << ": " << run.err;
    for (const std::string& text : c.out)
      EXPECT_THAT(c.status == 0 ? run.out : run.err, HasSubstr(text)) << c.args;
  }
}
