#include "lv2/IPlugLV2.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>

#include "core/IByteChunk.h"
#include "core/IParam.h"

namespace iplug {
namespace {
const void* FindFeature(const LV2_Feature* const* features, const char* uri)
{
  for (; features && *features; ++features)
    if (std::string_view((*features)->URI) == uri)
      return (*features)->data;
  return nullptr;
}
} // namespace

IPlugLV2::IPlugLV2(const InstanceInfo& info, const Config& config)
: IPlugAPIBase(config, kAPILV2)
, IPlugProcessor(config, kAPILV2)
, mPorts{config.paramCount, std::clamp(info.nChannels, 1, 2)}
, mPluginURI(info.pluginURI)
{
  mMap = static_cast<LV2_URID_Map*>(const_cast<void*>(FindFeature(info.features, LV2_URID__map)));
  SetSampleRate(info.sampleRate);
  SetBlockSize(kDefaultBlockSize);
  ReadHostOptions(info.features);

  const int nChans = mPorts.nChannels;
  SetChannelConnections(kInput, 0, MaxNChannels(kInput), false);
  SetChannelConnections(kOutput, 0, MaxNChannels(kOutput), false);
  SetChannelConnections(kInput, 0, nChans, true);
  SetChannelConnections(kOutput, 0, nChans, true);

  mParamPorts.assign(static_cast<size_t>(mPorts.nParams), nullptr);
  mSeenPortValues.assign(static_cast<size_t>(mPorts.nParams), std::numeric_limits<float>::quiet_NaN());
  mAudioIn.assign(static_cast<size_t>(nChans), nullptr);
  mAudioOut.assign(static_cast<size_t>(nChans), nullptr);
  mInBlock.assign(static_cast<size_t>(nChans), nullptr);
  mOutBlock.assign(static_cast<size_t>(nChans), nullptr);
  mDelayLine.assign(static_cast<size_t>(nChans * kMaxBypassDelay), 0.0);
  mDelayedInput.assign(static_cast<size_t>(nChans) * static_cast<size_t>(GetBlockSize()), 0.0);
  // No timer and nothing queued for an editor: the editor is a library of its
  // own that the host feeds from the ports.
}

IPlugLV2::~IPlugLV2() = default;

void IPlugLV2::ReadHostOptions(const LV2_Feature* const* features)
{
  const auto* options = static_cast<const LV2_Options_Option*>(FindFeature(features, LV2_OPTIONS__options));
  if (!options || !mMap)
    return;
  const LV2_URID maxBlock = mMap->map(mMap->handle, LV2_BUF_SIZE__maxBlockLength);
  const LV2_URID atomInt = mMap->map(mMap->handle, LV2_ATOM__Int);
  for (; options->key; ++options)
  {
    if (options->key == maxBlock && options->type == atomInt && options->size == sizeof(int32_t) && options->value)
    {
      const int32_t frames = *static_cast<const int32_t*>(options->value);
      // A sane maximum sizes the scratch buffers for whole host blocks; Run
      // splits anything longer all the same.
      if (frames > 0 && frames <= 65536)
        SetBlockSize(frames);
    }
  }
}

void IPlugLV2::ConnectPort(uint32_t port, void* data)
{
  const int p = static_cast<int>(std::min<uint32_t>(port, static_cast<uint32_t>(mPorts.Count())));
  if (p < mPorts.nParams)
    mParamPorts[static_cast<size_t>(p)] = static_cast<const float*>(data);
  else if (p == mPorts.Enabled())
    mEnabledPort = static_cast<const float*>(data);
  else if (p == mPorts.Latency())
    mLatencyPort = static_cast<float*>(data);
  else if (p >= mPorts.AudioIn(0) && p < mPorts.AudioOut(0))
    mAudioIn[static_cast<size_t>(p - mPorts.AudioIn(0))] = static_cast<const float*>(data);
  else if (p >= mPorts.AudioOut(0) && p < mPorts.Count())
    mAudioOut[static_cast<size_t>(p - mPorts.AudioOut(0))] = static_cast<float*>(data);
}

void IPlugLV2::Activate()
{
  // The ports the host has connected hold its settings already.
  ApplyControlPorts();
  // As an Audio Unit's initialize: every parameter reaches the plug-in once.
  OnParamReset(kReset);
  OnActivate(true);
  mResetPending = true;
  ReportLatency();
}

void IPlugLV2::ReportLatency()
{
  // From the settings, not from the last block: none may have run yet, and none runs while bypassed.
  const int latency = GetSettingsLatency();
  if (latency != GetLatency())
    SetLatency(latency);
  if (mLatencyPort)
    *mLatencyPort = static_cast<float>(GetLatency());
}

void IPlugLV2::Deactivate() { OnActivate(false); }

void IPlugLV2::ApplyControlPorts()
{
  for (int i = 0; i < mPorts.nParams; ++i)
  {
    const float* port = mParamPorts[static_cast<size_t>(i)];
    if (!port)
      continue;
    const float value = *port;
    // NaN and infinity would pass the clamp and reach the processing.
    if (!std::isfinite(value) || value == mSeenPortValues[static_cast<size_t>(i)])
      continue;
    mSeenPortValues[static_cast<size_t>(i)] = value;
    IParam* param = GetParam(i);
    param->Set(static_cast<double>(value));
    OnParamChange(i, kHost, -1);
  }
}

void IPlugLV2::MarkControlPortsSeen()
{
  for (int i = 0; i < mPorts.nParams; ++i)
    if (const float* port = mParamPorts[static_cast<size_t>(i)])
      mSeenPortValues[static_cast<size_t>(i)] = *port;
}

void IPlugLV2::Run(uint32_t nFrames)
{
  ApplyControlPorts();
  ReportLatency();
  // Above zero processes; zero, and the reserved values below it, bypass.
  const bool enabled = !mEnabledPort || *mEnabledPort > 0.f || std::isnan(*mEnabledPort);
  SetBypassed(!enabled);
  if (mResetPending)
  {
    // The first block after activation starts on the port values rather
    // than gliding towards them from wherever the last run left off.
    mResetPending = false;
    OnReset();
    mWet = enabled ? 1.0 : 0.0;
  }

  const int nChans = mPorts.nChannels;
  const int total = static_cast<int>(std::min<uint32_t>(nFrames, static_cast<uint32_t>(INT32_MAX)));
  const int step = std::max(GetBlockSize(), 1);
  for (int done = 0; done < total; done += step)
  {
    const int n = std::min(step, total - done);
    for (int c = 0; c < nChans; ++c)
    {
      const size_t ch = static_cast<size_t>(c);
      mInBlock[ch] = mAudioIn[ch] ? const_cast<float*>(mAudioIn[ch]) + done : nullptr;
      mOutBlock[ch] = mAudioOut[ch] ? mAudioOut[ch] + done : nullptr;
    }
    AttachBuffers(kInput, 0, nChans, mInBlock.data(), n);
    AttachBuffers(kOutput, 0, nChans, mOutBlock.data(), n);
    DelayInput(n);
    if (!enabled && mWet == 0.0)
      OutputDelayedInput(n);
    else
    {
      ProcessBuffers(0.f, n);
      CrossfadeWithInput(enabled ? 1.0 : 0.0, n);
    }
  }
  ReportLatency(); // a block may have changed it
}

void IPlugLV2::DelayInput(int nFrames)
{
  // The bypassed signal is the input delayed by the reported latency, so a
  // host that compensates the latency keeps the track in time either way.
  const int delay = std::clamp(GetLatency(), 0, kMaxBypassDelay - 1);
  constexpr int mask = kMaxBypassDelay - 1;
  for (int c = 0; c < mPorts.nChannels; ++c)
  {
    const double* in = mInData.Get()[c]; // the block's input as processing reads it
    double* ring = mDelayLine.data() + static_cast<size_t>(c) * kMaxBypassDelay;
    double* dry = mDelayedInput.data() + static_cast<size_t>(c) * static_cast<size_t>(GetBlockSize());
    int pos = mDelayPos;
    for (int s = 0; s < nFrames; ++s)
    {
      ring[pos] = in[s];
      dry[s] = ring[(pos - delay) & mask];
      pos = (pos + 1) & mask;
    }
  }
  mDelayPos = (mDelayPos + nFrames) & mask;
}

void IPlugLV2::OutputDelayedInput(int nFrames)
{
  for (int c = 0; c < mPorts.nChannels; ++c)
  {
    float* out = mOutBlock[static_cast<size_t>(c)];
    const double* dry = mDelayedInput.data() + static_cast<size_t>(c) * static_cast<size_t>(GetBlockSize());
    for (int s = 0; out && s < nFrames; ++s)
      out[s] = static_cast<float>(dry[s]);
  }
}

void IPlugLV2::CrossfadeWithInput(double target, int nFrames)
{
  if (mWet == target)
    return;
  // Switching bypass mixes the processed output with the delayed input over
  // kBypassFadeFrames, so the switch does not click.
  const double step = target > mWet ? 1.0 / kBypassFadeFrames : -1.0 / kBypassFadeFrames;
  double wet = mWet;
  for (int c = 0; c < mPorts.nChannels; ++c)
  {
    float* out = mOutBlock[static_cast<size_t>(c)];
    const double* dry = mDelayedInput.data() + static_cast<size_t>(c) * static_cast<size_t>(GetBlockSize());
    wet = mWet;
    for (int s = 0; s < nFrames; ++s)
    {
      wet = std::clamp(wet + step, 0.0, 1.0);
      if (out)
        out[s] = static_cast<float>(wet * out[s] + (1.0 - wet) * dry[s]);
    }
  }
  mWet = wet;
}

void IPlugLV2::OnPortEvent(uint32_t port, float value)
{
  if (port >= static_cast<uint32_t>(mPorts.nParams) || !std::isfinite(value))
    return;
  const int idx = static_cast<int>(port);
  IParam* param = GetParam(idx);
  param->Set(static_cast<double>(value));
  SendParameterValueFromDelegate(idx, param->Value(), false);
}

void IPlugLV2::BeginInformHostOfParamChange(int paramIdx)
{
  if (mUIHost.touch && paramIdx >= 0 && paramIdx < mPorts.nParams)
    mUIHost.touch->touch(mUIHost.touch->handle, static_cast<uint32_t>(mPorts.Param(paramIdx)), true);
}

void IPlugLV2::InformHostOfParamChange(int paramIdx, double /*normalizedValue*/)
{
  const IParam* param = GetParam(paramIdx);
  if (!mUIHost.write || !param)
    return;
  // Ports carry the parameter's own value, which the parameter already holds.
  const float value = static_cast<float>(param->Value());
  mUIHost.write(mUIHost.controller, static_cast<uint32_t>(mPorts.Param(paramIdx)), sizeof(float), 0, &value);
}

void IPlugLV2::EndInformHostOfParamChange(int paramIdx)
{
  if (mUIHost.touch && paramIdx >= 0 && paramIdx < mPorts.nParams)
    mUIHost.touch->touch(mUIHost.touch->handle, static_cast<uint32_t>(mPorts.Param(paramIdx)), false);
}

bool IPlugLV2::EditorResize(int viewWidth, int viewHeight)
{
  return mUIHost.resize && mUIHost.resize->ui_resize(mUIHost.resize->handle, viewWidth, viewHeight) == 0;
}

LV2_State_Status IPlugLV2::SaveState(LV2_State_Store_Function store, LV2_State_Handle handle, const char* key)
{
  if (!mMap || !store)
    return LV2_STATE_ERR_NO_FEATURE;
  IByteChunk chunk;
  if (!SerializeState(chunk))
    return LV2_STATE_ERR_UNKNOWN;
  return store(handle, mMap->map(mMap->handle, key), chunk.Data(), static_cast<size_t>(chunk.Size()),
               mMap->map(mMap->handle, LV2_ATOM__Chunk), LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status IPlugLV2::RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, const char* key)
{
  if (!mMap || !retrieve)
    return LV2_STATE_ERR_NO_FEATURE;
  size_t size = 0;
  uint32_t type = 0, flags = 0;
  const void* data = retrieve(handle, mMap->map(mMap->handle, key), &size, &type, &flags);
  if (!data)
    return LV2_STATE_ERR_NO_PROPERTY;
  if (type != mMap->map(mMap->handle, LV2_ATOM__Chunk))
    return LV2_STATE_ERR_BAD_TYPE;
  if (size > static_cast<size_t>(INT32_MAX))
    return LV2_STATE_ERR_UNKNOWN;

  IByteChunk chunk;
  chunk.WriteBytes(data, static_cast<int>(size));
  // A chunk that ends early must not leave half of it applied.
  IByteChunk previous;
  const bool havePrevious = SerializeState(previous);
  if (UnserializeState(chunk, 0) <= 0)
  {
    if (havePrevious)
      UnserializeState(previous, 0);
    return LV2_STATE_ERR_UNKNOWN;
  }
  OnRestoreState();
  MarkControlPortsSeen();
  return LV2_STATE_SUCCESS;
}
} // namespace iplug
