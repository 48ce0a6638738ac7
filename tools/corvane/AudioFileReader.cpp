#include "tools/corvane/AudioFileReader.h"

#include "tools/corvane/RegularFile.h"
#include "tools/corvane/ToolError.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::host {
namespace {

constexpr size_t kChunkFrames = 4096;

// libsndfile shortens a WAV or AIFF whose data chunk runs past the end of
// the file to what is there, and says so only in its log: "data : 40000
// (should be 32012)" (bytes), or for AIFF "Frame count read from 'COMM'
// chunk (5000) not equal". Returns the header's length in frames, or -1.
int64_t HeaderFramesFromLog(SNDFILE* file, int64_t frames)
{
  char log[8192] = {};
  sf_command(file, SFC_GET_LOG_INFO, log, sizeof log - 1);
  const std::string text = log;
  long long announced = 0, present = 0;
  size_t at = text.find("\ndata : ");
  if (at != std::string::npos &&
      std::sscanf(text.c_str() + at, "\ndata : %lld (should be %lld)", &announced, &present) == 2 &&
      announced > present && frames > 0)
  {
    const long long bytesPerFrame =
      std::max(1LL, std::llround(static_cast<double>(present) / static_cast<double>(frames)));
    return announced / bytesPerFrame;
  }
  at = text.find("Frame count read from 'COMM' chunk (");
  if (at != std::string::npos &&
      std::sscanf(text.c_str() + at, "Frame count read from 'COMM' chunk (%lld)", &announced) == 1 &&
      announced > frames)
    return announced;
  return -1;
}

} // namespace

AudioFileReader::AudioFileReader(const std::string& path) : mPath(path)
{
  // libsndfile's own message for a missing file is vague; say it plainly.
  struct stat st
  {};
  if (stat(path.c_str(), &st) != 0)
    throw ToolError("cannot read input '" + path + "': " + std::strerror(errno));
  if (S_ISDIR(st.st_mode))
    throw ToolError("cannot read input '" + path + "': " + std::strerror(EISDIR));

  // Opened here rather than by libsndfile, which would wait on a FIFO.
  mFd = OpenRegularFile(path, "cannot read input '" + path + "'");
  SF_INFO info{};
  mFile = sf_open_fd(mFd, SFM_READ, &info, SF_FALSE);
  if (!mFile)
  {
    close(mFd);
    throw ToolError("cannot read input '" + path + "': " + sf_strerror(nullptr));
  }
  if (info.channels < 1 || info.samplerate < 1 || info.frames < 0)
  {
    sf_close(mFile);
    close(mFd);
    throw ToolError("cannot read input '" + path + "': the file has no valid audio format");
  }
  mSampleRate = info.samplerate;
  mChannels = info.channels;
  mFrames = info.frames;
  mAnnouncedFrames = std::max(mFrames, HeaderFramesFromLog(mFile, mFrames));
  mMajorFormat = info.format & SF_FORMAT_TYPEMASK;
  // Integer files read as float in -1..1; float files are passed unscaled.
  sf_command(mFile, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
}

AudioFileReader::~AudioFileReader()
{
  sf_close(mFile);
  close(mFd);
}

size_t AudioFileReader::Read(float* const* channels, size_t frames)
{
  const size_t channelCount = static_cast<size_t>(mChannels);
  size_t done = 0;
  while (done < frames && mPosition < mFrames)
  {
    const size_t want = std::min({frames - done, kChunkFrames, static_cast<size_t>(mFrames - mPosition)});
    mInterleaved.resize(want * channelCount);
    const sf_count_t got = sf_readf_float(mFile, mInterleaved.data(), static_cast<sf_count_t>(want));
    if (got <= 0)
    {
      if (sf_error(mFile) != SF_ERR_NO_ERROR)
        throw ToolError("cannot read input '" + mPath + "': " + sf_strerror(mFile));
      // The data ends before the header's length (a truncated FLAC): the
      // file is as long as what was read.
      mFrames = mPosition;
      break;
    }
    for (size_t f = 0; f < static_cast<size_t>(got); ++f)
      for (size_t c = 0; c < channelCount; ++c)
        channels[c][done + f] = mInterleaved[f * channelCount + c];
    done += static_cast<size_t>(got);
    mPosition += got;
  }
  return done;
}

} // namespace corvane::host
