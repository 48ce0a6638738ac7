#pragma once
// Whole-file audio for tests: writes and reads one vector of samples per channel.

#include "tools/corvane/AudioFileReader.h"
#include "tools/corvane/AudioFileWriter.h"

#include <string>
#include <vector>

inline void WriteAudioFile(const std::string& path, int rate, const std::vector<std::vector<float>>& data)
{
  corvane::host::WriterOptions options;
  options.expectedFrames = static_cast<int64_t>(data[0].size());
  corvane::host::AudioFileWriter w(path, rate, static_cast<int>(data.size()), options);
  std::vector<const float*> p;
  for (const auto& ch : data)
    p.push_back(ch.data());
  w.Write(p.data(), data[0].size());
  w.Commit();
}

// Returns the file's samples per channel; stores its sample rate in *rate when given.
inline std::vector<std::vector<float>> ReadAudioFile(const std::string& path, int* rate = nullptr)
{
  corvane::host::AudioFileReader r(path);
  if (rate)
    *rate = r.SampleRate();
  std::vector<std::vector<float>> d(r.Channels(), std::vector<float>(r.Frames()));
  std::vector<float*> p;
  for (auto& ch : d)
    p.push_back(ch.data());
  r.Read(p.data(), d[0].size());
  return d;
}
