#include "TempFolder.h"
#include "tools/corvane/AudioFileReader.h"
#include "tools/corvane/AudioFileWriter.h"
#include "tools/corvane/AudioInMemory.h"
#include "tools/corvane/ToolError.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvane::host;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

std::vector<std::vector<float>> TestSignal(int channels, size_t frames)
{
  std::vector<std::vector<float>> data(channels, std::vector<float>(frames));
  for (int c = 0; c < channels; ++c)
    for (size_t f = 0; f < frames; ++f)
      data[c][f] = static_cast<float>(((f * 37 + c * 11) % 200) / 100.0 - 1.0) * 0.9f;
  return data;
}

void WriteFile(const std::string& path, int rate, const std::vector<std::vector<float>>& data, size_t block = 1000)
{
  WriterOptions options;
  options.expectedFrames = static_cast<int64_t>(data[0].size());
  AudioFileWriter writer(path, rate, static_cast<int>(data.size()), options);
  for (size_t pos = 0; pos < data[0].size(); pos += block)
  {
    std::vector<const float*> ptrs;
    for (const auto& ch : data)
      ptrs.push_back(ch.data() + pos);
    writer.Write(ptrs.data(), std::min(block, data[0].size() - pos));
  }
  writer.Commit();
}

std::vector<std::vector<float>> ReadAll(AudioFileReader& reader, size_t block = 777)
{
  std::vector<std::vector<float>> data(reader.Channels(), std::vector<float>(reader.Frames()));
  size_t pos = 0;
  while (true)
  {
    std::vector<float*> ptrs;
    for (auto& ch : data)
      ptrs.push_back(ch.data() + pos);
    const size_t got = reader.Read(ptrs.data(), std::min(block, data[0].size() - pos));
    pos += got;
    if (got == 0)
      break;
  }
  EXPECT_EQ(pos, data[0].size());
  return data;
}

std::string ErrorOf(const std::function<void()>& f)
{
  try
  {
    f();
  }
  catch (const ToolError& e)
  {
    return e.what();
  }
  return "";
}

} // namespace

TEST(AudioFile, FloatFormatsRoundTripExactlyIncludingOvers)
{
  TempFolder dir;
  auto data = TestSignal(2, 5000);
  data[0][10] = 1.75f; // a float file keeps values above full scale
  for (const char* name : {"a.wav", "b.aiff", "c.AIF"})
  {
    WriteFile(dir.Path(name), 44100, data);
    AudioFileReader reader(dir.Path(name));
    EXPECT_EQ(reader.SampleRate(), 44100);
    EXPECT_EQ(reader.Channels(), 2);
    EXPECT_EQ(reader.Frames(), 5000);
    EXPECT_EQ(ReadAll(reader), data) << name;
  }
}

TEST(AudioFile, TheSameAudioGivesTheSameBytes)
{
  TempFolder dir;
  const auto data = TestSignal(2, 1000);
  WriteFile(dir.Path("a.wav"), 48000, data);
  sleep(1); // any time stamp in the header would now differ
  WriteFile(dir.Path("b.wav"), 48000, data);
  std::ifstream a(dir.Path("a.wav"), std::ios::binary), b(dir.Path("b.wav"), std::ios::binary);
  EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(b), {}));
}

TEST(AudioFile, FlacIs24BitAndClipsOversInsteadOfWrapping)
{
  TempFolder dir;
  auto data = TestSignal(1, 3000);
  data[0][5] = 1.5f;
  data[0][6] = -1.5f;
  WriteFile(dir.Path("x.flac"), 96000, data);

  SF_INFO info{};
  SNDFILE* f = sf_open(dir.Path("x.flac").c_str(), SFM_READ, &info);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(info.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
  sf_close(f);

  AudioFileReader reader(dir.Path("x.flac"));
  EXPECT_EQ(reader.SampleRate(), 96000);
  const auto back = ReadAll(reader);
  EXPECT_GT(back[0][5], 0.99f);
  EXPECT_LT(back[0][6], -0.99f);
  for (size_t i = 0; i < data[0].size(); ++i)
  {
    if (i != 5 && i != 6)
    {
      ASSERT_NEAR(back[0][i], data[0][i], 1.5 / 8388608.0) << i;
    }
  }
}

TEST(AudioFile, UnreadableInputsNameTheFileAndTheReason)
{
  TempFolder dir;
  EXPECT_THAT(ErrorOf([&] { AudioFileReader r(dir.Path("missing.wav")); }),
              AllOf(HasSubstr("missing.wav"), HasSubstr("No such file")));
  std::ofstream(dir.Path("text.wav")) << "this is not audio";
  EXPECT_THAT(ErrorOf([&] { AudioFileReader r(dir.Path("text.wav")); }), HasSubstr("text.wav"));
  EXPECT_THAT(ErrorOf([&] { AudioFileReader r(dir.Path("")); }), HasSubstr("Is a directory"));
}

TEST(AudioFile, FileShorterThanItsHeaderIsAnErrorNotSilence)
{
  TempFolder dir;
  WriteFile(dir.Path("t.wav"), 48000, TestSignal(2, 4000));
  std::filesystem::resize_file(dir.Path("t.wav"), std::filesystem::file_size(dir.Path("t.wav")) - 8000);
  AudioFileReader reader(dir.Path("t.wav"));
  std::vector<float> l(4000), r(4000);
  float* ptrs[] = {l.data(), r.data()};
  // libsndfile either trims the length to what is there or reports the short read.
  const std::string error = ErrorOf([&] {
    const size_t got = reader.Read(ptrs, 4000);
    EXPECT_EQ(static_cast<int64_t>(got), reader.Frames());
  });
  if (!error.empty())
  {
    EXPECT_THAT(error, HasSubstr("t.wav"));
  }
}

TEST(AudioFile, AFlacClaimingBillionsOfFramesCostsOnlyWhatItHolds)
{
  TempFolder dir;
  const auto data = TestSignal(1, 3000);
  WriteFile(dir.Path("forged.flac"), 48000, data);
  // STREAMINFO's 36-bit total sample count (its top four bits share a byte
  // with the sample size): 2^35 frames, 128 GiB as floats.
  std::fstream f(dir.Path("forged.flac"), std::ios::in | std::ios::out | std::ios::binary);
  char bytes[26];
  f.read(bytes, sizeof bytes);
  ASSERT_EQ(std::string(bytes, 4), "fLaC");
  bytes[21] = static_cast<char>((bytes[21] & 0xF0) | 0x08);
  std::fill(bytes + 22, bytes + 26, '\0');
  f.seekp(0);
  f.write(bytes, sizeof bytes);
  f.close();

  AudioFileReader reader(dir.Path("forged.flac"));
  ASSERT_EQ(reader.Frames(), int64_t{1} << 35) << "the header is taken at its word";
  const std::vector<std::vector<float>> read = ReadAllFrames(reader, "forged.flac");
  ASSERT_EQ(read.size(), 1u);
  ASSERT_EQ(read[0].size(), data[0].size());
  for (size_t i = 0; i < data[0].size(); i += 97)
    EXPECT_NEAR(read[0][i], data[0][i], 1e-6) << i;
}

TEST(AudioFile, InputsThatAreNotRegularFilesAreRefusedWithoutWaiting)
{
  TempFolder dir;
  ASSERT_EQ(mkfifo(dir.Path("pipe.wav").c_str(), 0644), 0);
  // Opening a FIFO for reading would wait for a writer that never comes.
  EXPECT_THAT(ErrorOf([&] { AudioFileReader r(dir.Path("pipe.wav")); }),
              AllOf(HasSubstr("pipe.wav"), HasSubstr("is a pipe (FIFO), not a regular file")));
  EXPECT_THAT(ErrorOf([&] { AudioFileReader r("/dev/zero"); }), HasSubstr("is a device, not a regular file"));
}

TEST(AudioFile, OutputAppearsOnlyOnCommitAndNothingIsLeftOtherwise)
{
  TempFolder dir;
  const auto data = TestSignal(2, 100);
  const float* ptrs[] = {data[0].data(), data[1].data()};
  {
    AudioFileWriter writer(dir.Path("out.wav"), 48000, 2);
    writer.Write(ptrs, 100);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.wav")));
  } // abandoned: e.g. the render failed
  EXPECT_THAT(dir.Names(), IsEmpty());

  std::ofstream(dir.Path("keep.wav")) << "old";
  {
    AudioFileWriter writer(dir.Path("keep.wav"), 48000, 2);
    writer.Write(ptrs, 100);
  }
  EXPECT_THAT(dir.Names(), ElementsAre("keep.wav"));
  EXPECT_EQ(std::filesystem::file_size(dir.Path("keep.wav")), 3u);

  WriteFile(dir.Path("keep.wav"), 48000, data);
  EXPECT_THAT(dir.Names(), ElementsAre("keep.wav"));
  struct stat st
  {};
  ASSERT_EQ(stat(dir.Path("keep.wav").c_str(), &st), 0);
  EXPECT_NE(st.st_mode & 0044, 0u) << "output should not keep the private mode of a temporary file";
}

TEST(AudioFile, UnwritableOutputsFailBeforeAnythingIsRendered)
{
  TempFolder dir;
  EXPECT_THROW(AudioFileWriter(dir.Path("out.mp3"), 48000, 2), UsageError);
  EXPECT_THROW(AudioFileWriter(dir.Path("out"), 48000, 2), UsageError);
  EXPECT_THAT(ErrorOf([&] { AudioFileWriter w(dir.Path("no/such/dir/out.wav"), 48000, 2); }),
              AllOf(HasSubstr("no/such/dir/out.wav"), HasSubstr("No such file")));
  std::filesystem::create_directory(dir.Path("folder.wav"));
  EXPECT_THAT(ErrorOf([&] { AudioFileWriter w(dir.Path("folder.wav"), 48000, 2); }), HasSubstr("Is a directory"));
  EXPECT_THAT(dir.Names(), ElementsAre("folder.wav"));
}

TEST(AudioFile, WavPastThePlainHeaderLimitIsWrittenAsRF64)
{
  TempFolder dir;
  const auto data = TestSignal(2, 3000);
  const auto magic = [&](const std::string& name) {
    std::ifstream f(dir.Path(name), std::ios::binary);
    std::string m(4, '\0');
    f.read(m.data(), 4);
    return m;
  };
  const struct
  {
    const char* name;
    uint64_t plainLimit; // bytes a plain header may describe
    const char* magic;
  } cases[] = {
    {"small.wav", kPlainWavMaxBytes, "RIFF"},
    {"large.wav", 1000, "RF64"},
    {"unknown.wav", 0, "RIFF"}, // of unknown length: RF64 that turns back into WAV
  };
  for (const auto& c : cases)
  {
    WriterOptions options;
    options.expectedFrames = c.plainLimit ? 3000 : -1;
    options.plainWavMaxBytes = c.plainLimit;
    AudioFileWriter writer(dir.Path(c.name), 48000, 2, options);
    const float* ptrs[] = {data[0].data(), data[1].data()};
    writer.Write(ptrs, 3000);
    writer.Commit();
    EXPECT_EQ(magic(c.name), c.magic);
    AudioFileReader reader(dir.Path(c.name));
    EXPECT_EQ(ReadAll(reader), data) << c.name;
  }
  // An AIFF header cannot describe that much at all.
  WriterOptions large;
  large.expectedFrames = 3000;
  large.plainWavMaxBytes = 1000;
  EXPECT_THAT(ErrorOf([&] { AudioFileWriter w(dir.Path("large.aiff"), 48000, 2, large); }), HasSubstr("use .wav"));
}
