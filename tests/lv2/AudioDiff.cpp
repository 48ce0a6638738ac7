// audio_diff A B [--skip SECONDS] [--tolerance T]
// Compares two audio files sample by sample after the first SECONDS and
// prints the largest difference. Exit status: 0 within the tolerance, 1
// beyond it or when the files differ in rate, channels or length, 2 for a
// bad command line or an unreadable file.

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
struct Audio
{
  SF_INFO info{};
  std::vector<double> samples;
};

bool Read(const char* path, Audio& audio)
{
  SNDFILE* file = sf_open(path, SFM_READ, &audio.info);
  if (!file)
  {
    std::fprintf(stderr, "audio_diff: cannot read %s: %s\n", path, sf_strerror(nullptr));
    return false;
  }
  audio.samples.resize(static_cast<size_t>(audio.info.frames * audio.info.channels));
  const sf_count_t got = sf_readf_double(file, audio.samples.data(), audio.info.frames);
  sf_close(file);
  return got == audio.info.frames;
}
} // namespace

int main(int argc, char** argv)
{
  double skip = 0.0, tolerance = 0.0;
  std::vector<const char*> files;
  for (int i = 1; i < argc; ++i)
  {
    const std::string arg = argv[i];
    if ((arg == "--skip" || arg == "--tolerance") && i + 1 < argc)
      (arg == "--skip" ? skip : tolerance) = std::atof(argv[++i]);
    else
      files.push_back(argv[i]);
  }
  if (files.size() != 2)
  {
    std::fputs("usage: audio_diff A B [--skip SECONDS] [--tolerance T]\n", stderr);
    return 2;
  }
  Audio a, b;
  if (!Read(files[0], a) || !Read(files[1], b))
    return 2;
  if (a.info.samplerate != b.info.samplerate || a.info.channels != b.info.channels || a.info.frames != b.info.frames)
  {
    std::printf("the files differ in shape: %d Hz %d ch %lld frames against %d Hz %d ch %lld frames\n",
                a.info.samplerate, a.info.channels, static_cast<long long>(a.info.frames), b.info.samplerate,
                b.info.channels, static_cast<long long>(b.info.frames));
    return 1;
  }
  const size_t first = static_cast<size_t>(skip * a.info.samplerate) * static_cast<size_t>(a.info.channels);
  double largest = 0.0;
  for (size_t i = first; i < a.samples.size(); ++i)
    largest = std::fmax(largest, std::fabs(a.samples[i] - b.samples[i]));
  std::printf("largest difference after %g s: %.3g over %lld frames\n", skip, largest,
              static_cast<long long>(a.info.frames) - static_cast<long long>(skip * a.info.samplerate));
  return largest <= tolerance ? 0 : 1;
}
