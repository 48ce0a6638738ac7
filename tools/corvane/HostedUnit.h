#pragma once
// One opened instance of the Corvane Audio Unit, driven the way any host
// drives an effect: through the component and property calls of the Audio
// Unit interface only. It finds the component, sets stream formats and the
// slice size, installs a render callback that feeds the input, initialises,
// and pulls slices with AudioUnitRender. Every failure is a ToolError that
// says what the unit refused.

#include "core/MakeFourCC.h"
#include "preamp/CorvaneIdentity.h"
#include "tools/corvane/OfflineRenderer.h"
#include "tools/corvane/ParamDesc.h"

#include <AudioToolbox/AudioToolbox.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvane::host {

// Type, subtype and manufacturer of the Corvane effect.
inline constexpr OSType kCorvaneType = static_cast<OSType>(iplug::MakeFourCC(corvane::kAUType));
inline constexpr OSType kCorvaneSubtype = static_cast<OSType>(iplug::MakeFourCC(corvane::kAUSubtype));
inline constexpr OSType kCorvaneManufacturer = static_cast<OSType>(iplug::MakeFourCC(corvane::kAUManufacturer));

struct ChannelPair
{
  int inputs;
  int outputs;
};

struct FactoryPreset
{
  int number;
  std::string name;
};

class HostedUnit : public SliceProcessor
{
public:
  /** Opens the first component matching Corvane's description among those
      the platform layer knows (after registering `bundlePath`, if given).
      Throws ToolError. */
  static std::unique_ptr<HostedUnit> Open(const std::string& bundlePath);
  ~HostedUnit() override;

  HostedUnit(const HostedUnit&) = delete;
  HostedUnit& operator=(const HostedUnit&) = delete;

  /** The instance, for calls this class does not wrap (the editor view). */
  AudioComponentInstance Instance() const { return mUnit; }

  // Identity of the component.
  std::string Name() const;
  UInt32 Version() const;
  AudioComponentDescription Description() const;

  // Parameters.
  std::vector<ParamDesc> Parameters() const;
  double GetParameter(uint32_t id) const;
  void SetParameter(uint32_t id, double value);
  /** The unit's own reading of `text` for parameter `id`; empty when the unit
      does not offer that conversion. */
  std::optional<double> ValueFromString(uint32_t id, const std::string& text) const;
  /** The unit's display text of `value`; empty when not offered. */
  std::optional<std::string> StringFromValue(uint32_t id, double value) const;

  // Capabilities.
  std::vector<ChannelPair> SupportedChannels() const;
  std::vector<FactoryPreset> FactoryPresets() const;
  double LatencySeconds() const;
  double TailSeconds() const;

  // Saved state (the class-info property).
  /** The unit's state dictionary, owned by the caller. Throws ToolError. */
  CFPropertyListRef CopyState() const;
  /** Hands a state dictionary to the unit; returns the unit's status. */
  OSStatus ApplyState(CFPropertyListRef state);

  /** Stream formats (non-interleaved float at `sampleRate`, `channels` on
      input and output), maximum frames per slice and the input callback.
      Throws ToolError when the unit refuses the channel count or format. */
  void Configure(double sampleRate, int channels, int maxFrames);
  /** Throws ToolError when the unit refuses to initialise. */
  void Initialize();
  /** Takes the unit back to its uninitialised state, where Configure may change the
      rate and slice size; its settings stay. */
  void Uninitialize();
  /** Clears the unit's processing history, as a host does before it starts
      playing: smoothed settings then start at their targets. Throws ToolError. */
  void Reset();

  // SliceProcessor: one AudioUnitRender per call.
  void Process(const float* const* inputs, float* const* outputs, size_t frames) override;
  bool TryProcess(const float* const* inputs, float* const* outputs, size_t frames) noexcept override;
  int64_t LatencyFrames() override;

  /** Renders `frames` frames of silence (at most the slice size), so a unit
      that reports its latency after processing has reported it. */
  void RenderSilence(int frames);

  /** "mono or stereo (1 in/1 out, 2 in/2 out)" style text for messages. */
  std::string ChannelCapabilityText() const;

private:
  HostedUnit(AudioComponent component, AudioComponentInstance instance);
  /** One AudioUnitRender of `frames`; allocates nothing and throws nothing. */
  OSStatus Render(const float* const* inputs, float* const* outputs, size_t frames) noexcept;

  static OSStatus InputCallback(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* time, UInt32 bus,
                                UInt32 frames, AudioBufferList* data);

  AudioComponent mComponent;
  AudioComponentInstance mUnit;
  bool mInitialized = false;
  double mSampleRate = 0.0;
  int mChannels = 0;
  int mMaxFrames = 0;
  double mSampleTime = 0.0;

  // The slice being rendered: where the callback finds its input.
  const float* const* mSliceInput = nullptr;
  UInt32 mSliceFrames = 0;
  std::vector<unsigned char> mOutputList; // AudioBufferList with mChannels buffers
};

/** Readable text of an Audio Unit status ("kAudioUnitErr_FormatNotSupported (-10868)"). */
std::string StatusText(OSStatus status);

} // namespace corvane::host
