#include "core/IPlugProcessor.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "core/MakeFourCC.h"

namespace iplug {
namespace {
// Channels per side of a layout. A bus that would take a side beyond this is
// left out, which keeps channel records and pointer arrays to a sane size.
constexpr int kMaxChannels = 4096;

// A host must never receive inf or NaN: doubles beyond single precision clip
// to its largest value, and NaN becomes silence.
inline float ToHostSample(double v)
{
  constexpr double kMax = std::numeric_limits<float>::max();
  return v == v ? static_cast<float>(std::clamp(v, -kMax, kMax)) : 0.f;
}

int ParseBusCount(const std::string& text)
{
  if (text == "*")
    return kWildcardChannels;
  // A negative count other than the wildcard means nothing: no bus.
  const long v = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(v, 0, kMaxChannels + 1));
}

// Adds the buses of one side of a layout; returns the side's channel sum.
int ParsePart(const std::string& part, ERoute direction, IOConfig& config, int& nBuses)
{
  int64_t sum = 0;
  int64_t realChannels = 0; // wildcards aside
  size_t start = 0;
  while (true)
  {
    const size_t dot = part.find('.', start);
    const int count = ParseBusCount(part.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
    if (count != 0 && realChannels + std::max(count, 0) <= kMaxChannels)
    {
      config.AddBusInfo(direction, count);
      ++nBuses;
      sum += count;
      realChannels += std::max(count, 0);
    }
    if (dot == std::string::npos)
      break;
    start = dot + 1;
  }
  return static_cast<int>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}
} // namespace

IPlugProcessor::IPlugProcessor(const Config& config, EAPI)
: mPlugType(config.pluginKind)
, mDoesMIDIIn(config.midiIn)
, mDoesMIDIOut(config.midiOut)
, mDoesMPE(config.mpe)
, mLatency(config.latency)
{
  int totalIn = 0, totalOut = 0, inBuses = 0, outBuses = 0;
  ParseChannelIOStr(config.channelIO, mIOConfigs, totalIn, totalOut, inBuses, outBuses);

  mInData.Resize(totalIn);
  mOutData.Resize(totalOut);
  for (int i = 0; i < totalIn; ++i)
  {
    auto* channel = mInChannels.Add(new IChannelData<>());
    channel->mData = mInData.Get() + i;
    *channel->mData = channel->mScratchBuf.Get();
  }
  for (int i = 0; i < totalOut; ++i)
  {
    auto* channel = mOutChannels.Add(new IChannelData<>());
    channel->mData = mOutData.Get() + i;
    *channel->mData = channel->mScratchBuf.Get();
  }
}

IPlugProcessor::~IPlugProcessor() = default;

// --- hooks ------------------------------------------------------------------

void IPlugProcessor::ProcessBlock(double** inputs, double** outputs, int nFrames)
{
  const int nIn = MaxNChannels(kInput);
  const int nOut = MaxNChannels(kOutput);
  if (nFrames <= 0 || !outputs)
    return;
  const size_t bytes = sizeof(double) * static_cast<size_t>(nFrames);
  for (int i = 0; i < nOut; ++i)
  {
    double* out = outputs[i];
    if (!out)
      continue;
    const double* in = (inputs && i < nIn) ? inputs[i] : nullptr;
    if (in && in != out)
      std::memmove(out, in, bytes);
    else if (!in)
      std::memset(out, 0, bytes);
  }
}

void IPlugProcessor::ProcessMidiMsg(const IMidiMsg& msg) { SendMidiMsg(msg); }

bool IPlugProcessor::SendMidiMsgs(WDL_TypedBuf<IMidiMsg>& msgs)
{
  bool all = true;
  for (int i = 0; i < msgs.GetSize(); ++i)
    all = SendMidiMsg(msgs.Get()[i]) && all;
  return all;
}

void IPlugProcessor::GetBusName(ERoute direction, int busIdx, int nBuses, WDL_String& str) const
{
  if (direction == kInput)
  {
    if (nBuses == 1)
      str.Set("Input");
    else if (nBuses == 2)
      str.Set(busIdx == 0 ? "Main" : "Aux");
    else
      str.SetFormatted(MAX_BUS_NAME_LEN, "Input %i", busIdx);
  }
  else
  {
    if (nBuses == 1)
      str.Set("Output");
    else
      str.SetFormatted(MAX_BUS_NAME_LEN, "Output %i", busIdx);
  }
}

// --- context ----------------------------------------------------------------

void IPlugProcessor::SetBlockSize(int blockSize)
{
  blockSize = std::max(blockSize, 0);
  if (blockSize == mBlockSize)
    return;
  for (ChannelList* list : {&mInChannels, &mOutChannels})
  {
    for (IChannelData<>* channel : *list)
    {
      // A slot that showed the old scratch buffer must follow it, or it
      // would point at freed memory.
      const bool showedScratch = *channel->mData == channel->mScratchBuf.Get();
      channel->mScratchBuf.Resize(blockSize);
      std::fill_n(channel->mScratchBuf.Get(), blockSize, 0.0);
      if (showedScratch || !channel->mConnected)
        *channel->mData = channel->mScratchBuf.Get();
    }
  }
  mBlockSize = blockSize;
}

double IPlugProcessor::GetSamplesPerBeat() const
{
  return mTimeInfo.mTempo > 0.0 ? mSampleRate * 60.0 / mTimeInfo.mTempo : 0.0;
}

int IPlugProcessor::GetAUPluginType() const
{
  switch (mPlugType)
  {
    case kEffect: return mDoesMIDIIn ? MakeFourCC("aumf") : MakeFourCC("aufx");
    case kInstrument: return MakeFourCC("aumu");
    case kMIDIEffect: return MakeFourCC("aumi");
    default: return MakeFourCC("aufx");
  }
}

// --- channel layouts --------------------------------------------------------

int IPlugProcessor::ParseChannelIOStr(const char* IOStr, WDL_PtrList_OwningDelete<IOConfig>& configs,
                                      int& totalNInChans, int& totalNOutChans, int& totalNInBuses, int& totalNOutBuses)
{
  totalNInChans = totalNOutChans = totalNInBuses = totalNOutBuses = 0;
  const std::string text(IOStr ? IOStr : "");
  size_t pos = 0;
  while (pos < text.size())
  {
    if (text[pos] == ' ')
    {
      ++pos;
      continue;
    }
    const size_t end = std::min(text.find(' ', pos), text.size());
    const std::string layout = text.substr(pos, end - pos);
    pos = end;

    auto* config = new IOConfig();
    const size_t dash = layout.find('-');
    const std::string inPart = layout.substr(0, dash);
    const std::string outPart = dash == std::string::npos ? std::string() : layout.substr(dash + 1);
    int nInBuses = 0, nOutBuses = 0;
    const int nIn = ParsePart(inPart, kInput, *config, nInBuses);
    const int nOut = ParsePart(outPart, kOutput, *config, nOutBuses);

    totalNInChans = std::max(totalNInChans, nIn);
    totalNOutChans = std::max(totalNOutChans, nOut);
    totalNInBuses = std::max(totalNInBuses, nInBuses);
    totalNOutBuses = std::max(totalNOutBuses, nOutBuses);
    configs.Add(config);
  }
  return configs.GetSize();
}

bool IPlugProcessor::LegalIO(int nIn, int nOut) const
{
  for (const IOConfig* config : mIOConfigs)
    if ((nIn < 0 || config->GetTotalNChannels(kInput) == nIn) &&
        (nOut < 0 || config->GetTotalNChannels(kOutput) == nOut))
      return true;
  return false;
}

int IPlugProcessor::MaxNBuses(ERoute direction, int* configIdx) const
{
  int maxBuses = -1;
  for (int i = 0; i < NIOConfigs(); ++i)
  {
    const int n = mIOConfigs.Get(i)->NBuses(direction);
    if (n >= maxBuses)
    {
      maxBuses = n;
      if (configIdx)
        *configIdx = i;
    }
  }
  return std::max(maxBuses, 0);
}

int IPlugProcessor::MaxNChannelsForBus(ERoute direction, int busIdx) const
{
  if (HasWildcardBus(direction))
    return -1;
  int maxChans = 0;
  for (const IOConfig* config : mIOConfigs)
    maxChans = std::max(maxChans, config->NChansOnBusSAFE(direction, busIdx));
  return maxChans;
}

int IPlugProcessor::GetIOConfigWithChanCounts(const WDL_TypedBuf<int>& inputBuses,
                                              const WDL_TypedBuf<int>& outputBuses) const
{
  auto matches = [](const IOConfig& config, ERoute direction, const WDL_TypedBuf<int>& counts) {
    if (config.NBuses(direction) != counts.GetSize())
      return false;
    for (int b = 0; b < counts.GetSize(); ++b)
      if (config.NChansOnBusSAFE(direction, b) != counts.Get()[b])
        return false;
    return true;
  };
  for (int i = 0; i < NIOConfigs(); ++i)
    if (matches(*mIOConfigs.Get(i), kInput, inputBuses) && matches(*mIOConfigs.Get(i), kOutput, outputBuses))
      return i;
  return -1;
}

bool IPlugProcessor::HasWildcardBus(ERoute direction) const
{
  const IOConfig* first = mIOConfigs.Get(0);
  return first && first->ContainsWildcard(direction);
}

// --- channels ---------------------------------------------------------------

int IPlugProcessor::NChannelsConnected(ERoute direction) const
{
  int n = 0;
  for (const IChannelData<>* channel : Channels(direction))
    n += channel->mConnected ? 1 : 0;
  return n;
}

bool IPlugProcessor::IsChannelConnected(ERoute direction, int chIdx) const
{
  const IChannelData<>* channel = Channels(direction).Get(chIdx);
  return channel && channel->mConnected;
}

namespace {
// [first, end) of a channel range clamped to the channels that exist.
std::pair<int, int> ClampRange(int idx, int n, int count)
{
  const int64_t first = std::max(idx, 0);
  const int64_t end = std::min<int64_t>(static_cast<int64_t>(idx) + std::max(n, 0), count);
  return {static_cast<int>(first), static_cast<int>(std::max(end, first))};
}
} // namespace

void IPlugProcessor::SetChannelConnections(ERoute direction, int idx, int n, bool connected)
{
  ChannelList& channels = Channels(direction);
  const auto [first, end] = ClampRange(idx, n, channels.GetSize());
  for (int i = first; i < end; ++i)
  {
    IChannelData<>* channel = channels.Get(i);
    channel->mConnected = connected;
    if (!connected)
    {
      *channel->mData = channel->mScratchBuf.Get();
      channel->mIncomingData = nullptr;
    }
  }
}

void IPlugProcessor::SetChannelLabel(ERoute direction, int idx, const char* formatStr, bool zeroBased)
{
  IChannelData<>* channel = Channels(direction).Get(idx);
  if (!channel)
    return;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  channel->mLabel.SetFormatted(MAX_CHAN_NAME_LEN, formatStr ? formatStr : "", zeroBased ? idx : idx + 1);
#pragma GCC diagnostic pop
}

const char* IPlugProcessor::GetChannelLabel(ERoute direction, int idx) const
{
  const IChannelData<>* channel = Channels(direction).Get(idx);
  return channel ? channel->mLabel.Get() : "";
}

void IPlugProcessor::ZeroScratchBuffers()
{
  for (ChannelList* list : {&mInChannels, &mOutChannels})
    for (IChannelData<>* channel : *list)
      std::fill_n(channel->mScratchBuf.Get(), channel->mScratchBuf.GetSize(), 0.0);
}

// --- one block --------------------------------------------------------------

int IPlugProcessor::FramesThatFit(int nFrames) const { return std::clamp(nFrames, 0, mBlockSize); }

void IPlugProcessor::AttachBuffers(ERoute direction, int idx, int n, float** ppData, int nFrames)
{
  ChannelList& channels = Channels(direction);
  const auto [first, end] = ClampRange(idx, n, channels.GetSize());
  const int frames = FramesThatFit(nFrames);
  int next = 0;
  for (int i = first; i < end; ++i)
  {
    IChannelData<>* channel = channels.Get(i);
    if (!channel->mConnected)
      continue;
    float* host = ppData ? ppData[next] : nullptr;
    ++next;
    double* scratch = channel->mScratchBuf.Get();
    *channel->mData = scratch;
    if (direction == kInput)
    {
      for (int s = 0; s < frames; ++s)
        scratch[s] = host ? static_cast<double>(host[s]) : 0.0;
    }
    else
      channel->mIncomingData = host;
  }
}

void IPlugProcessor::AttachBuffers(ERoute direction, int idx, int n, double** ppData, int)
{
  ChannelList& channels = Channels(direction);
  const auto [first, end] = ClampRange(idx, n, channels.GetSize());
  int next = 0;
  for (int i = first; i < end; ++i)
  {
    IChannelData<>* channel = channels.Get(i);
    if (!channel->mConnected)
      continue;
    double* host = ppData ? ppData[next] : nullptr;
    ++next;
    *channel->mData = host ? host : channel->mScratchBuf.Get();
    channel->mIncomingData = nullptr;
  }
}

void IPlugProcessor::ConvertOutputs(int nFrames, bool accumulate)
{
  for (IChannelData<>* channel : mOutChannels)
  {
    if (!channel->mConnected || !channel->mIncomingData || !*channel->mData)
      continue;
    const double* from = *channel->mData;
    float* to = channel->mIncomingData;
    if (accumulate)
      for (int s = 0; s < nFrames; ++s)
        to[s] = ToHostSample(static_cast<double>(to[s]) + static_cast<double>(ToHostSample(from[s])));
    else
      for (int s = 0; s < nFrames; ++s)
        to[s] = ToHostSample(from[s]);
  }
}

void IPlugProcessor::ProcessBuffers(float, int nFrames)
{
  const int frames = FramesThatFit(nFrames);
  ProcessBlock(mInData.Get(), mOutData.Get(), frames);
  ConvertOutputs(frames, false);
}

void IPlugProcessor::ProcessBuffers(double, int nFrames)
{
  ProcessBlock(mInData.Get(), mOutData.Get(), FramesThatFit(nFrames));
}

void IPlugProcessor::ProcessBuffersAccumulating(int nFrames)
{
  const int frames = FramesThatFit(nFrames);
  ProcessBlock(mInData.Get(), mOutData.Get(), frames);
  ConvertOutputs(frames, true);
}

void IPlugProcessor::PassThroughBuffers(float, int nFrames)
{
  const int frames = FramesThatFit(nFrames);
  IPlugProcessor::ProcessBlock(mInData.Get(), mOutData.Get(), frames);
  ConvertOutputs(frames, false);
}
} // namespace iplug
