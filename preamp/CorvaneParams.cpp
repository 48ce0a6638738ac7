#include "preamp/CorvaneParams.h"

#include "core/IEditorDelegate.h"
#include "core/IParam.h"
#include "preamp/CorvaneEngine.h"

#include <initializer_list>

namespace iplug {

namespace {

void SetTexts(IParam& p, std::initializer_list<const char*> texts)
{
  int i = 0;
  for (const char* t : texts)
    p.SetDisplayText(i++, t);
}

} // namespace

void InitParams(IEditorDelegate& plug)
{
  using E = CorvaneEngine;
  if (plug.NParams() < E::kNumParams)
    return;

  IParam& gain = *plug.GetParam(E::kGain);
  gain.InitInt("Gain", 4, 0, 12);
  SetTexts(gain,
           {"-20dB", "-15dB", "-10dB", "-5dB", "0dB", "5dB", "10dB", "15dB", "20dB", "25dB", "30dB", "35dB", "40dB"});

  IParam& highpass = *plug.GetParam(E::kHighpass);
  highpass.InitInt("Highpass Filter", 0, 0, 4);
  SetTexts(highpass, {"OFF", "45Hz", "70Hz", "160Hz", "360Hz"});

  IParam& lowpass = *plug.GetParam(E::kLowpass);
  lowpass.InitInt("Lowpass Filter", 0, 0, 4);
  SetTexts(lowpass, {"OFF", "8kHz", "6kHz", "4kHz", "2kHz"});

  // Custom unit, so hosts show the label "dB" as the unit.
  plug.GetParam(E::kOutput)
    ->InitDouble("Output", 0.0, -24.0, 24.0, 0.1, "dB", 0, "", IParam::ShapeLinear(), IParam::kUnitCustom);

  // Engage switches: 1 puts the section into the path. Named for what a user reads in a host's
  // generic view or automation lane ("Filter Bypass In"); the values stay as they are saved.
  IParam& filterBypass = *plug.GetParam(E::kFilterBypass);
  filterBypass.InitInt("Filter Bypass", 0, 0, 1);
  SetTexts(filterBypass, {"Out", "In"});
  IParam& preampBypass = *plug.GetParam(E::kPreampBypass);
  preampBypass.InitInt("Preamp Bypass", 1, 0, 1);
  SetTexts(preampBypass, {"Out", "In"});
  plug.GetParam(E::kMicPre)->InitInt("Mic Pre", 0, 0, 1);
  plug.GetParam(E::kPhase)->InitInt("Phase", 0, 0, 1);

  IParam& oversampling = *plug.GetParam(E::kOversampling);
  oversampling.InitInt("Oversampling", 0, 0, 1);
  SetTexts(oversampling, {"Oversampling Off", "Oversampling On"});
}

} // namespace iplug
