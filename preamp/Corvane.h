#pragma once
// The plug-in class: one object per instance the host opens. It hands its
// configuration to the format's adapter, creates the nine parameters and
// forwards parameter changes, resets and audio blocks to the preamp engine.

#include "preamp/CorvaneFormat.h"
#include "preamp/CorvaneEngine.h"

namespace iplug {
class Corvane final : public CorvaneFormat
{
public:
  explicit Corvane(const InstanceInfo& info);

  /** The configuration every instance is built with. */
  static Config MakeConfig();

  using CorvaneFormat::OnParamChange;
  void OnParamChange(int paramIdx) override;
  void OnReset() override;
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  int GetSettingsLatency() const override { return mEngine.Latency(); }

  /** Editor state (width, height, scale) followed by the nine parameter values. */
  bool SerializeState(IByteChunk& chunk) const override;
  int UnserializeState(const IByteChunk& chunk, int startPos) override;

  const CorvaneEngine& GetEngine() const { return mEngine; }

private:
  CorvaneEngine mEngine;
};
} // namespace iplug
