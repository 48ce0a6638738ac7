// The parameter-info property: a parameter's flags, unit, range and clump in
// the form hosts list and automate.

#include <cstring>

#include "au/CFUtilities.h"
#include "au/IPlugAU.h"

namespace iplug {
namespace {
AudioUnitParameterUnit AUUnitFor(IParam::EParamUnit unit)
{
  switch (unit)
  {
    case IParam::kUnitPercentage: return kAudioUnitParameterUnit_Percent;
    case IParam::kUnitSeconds: return kAudioUnitParameterUnit_Seconds;
    case IParam::kUnitMilliseconds: return kAudioUnitParameterUnit_Milliseconds;
    case IParam::kUnitSamples: return kAudioUnitParameterUnit_SampleFrames;
    case IParam::kUnitDB: return kAudioUnitParameterUnit_Decibels;
    case IParam::kUnitLinearGain: return kAudioUnitParameterUnit_LinearGain;
    case IParam::kUnitPan: return kAudioUnitParameterUnit_Pan;
    case IParam::kUnitPhase: return kAudioUnitParameterUnit_Phase;
    case IParam::kUnitDegrees: return kAudioUnitParameterUnit_Degrees;
    case IParam::kUnitMeters: return kAudioUnitParameterUnit_Meters;
    case IParam::kUnitRate: return kAudioUnitParameterUnit_Rate;
    case IParam::kUnitRatio: return kAudioUnitParameterUnit_Ratio;
    case IParam::kUnitFrequency: return kAudioUnitParameterUnit_Hertz;
    case IParam::kUnitOctaves: return kAudioUnitParameterUnit_Octaves;
    case IParam::kUnitCents: return kAudioUnitParameterUnit_Cents;
    case IParam::kUnitAbsCents: return kAudioUnitParameterUnit_AbsoluteCents;
    case IParam::kUnitSemitones: return kAudioUnitParameterUnit_RelativeSemiTones;
    case IParam::kUnitMIDINote: return kAudioUnitParameterUnit_MIDINoteNumber;
    case IParam::kUnitMIDICC: return kAudioUnitParameterUnit_MIDIController;
    case IParam::kUnitBPM: return kAudioUnitParameterUnit_BPM;
    case IParam::kUnitBeats: return kAudioUnitParameterUnit_Beats;
    case IParam::kUnitCustom: return kAudioUnitParameterUnit_CustomUnit;
    default: return kAudioUnitParameterUnit_Generic;
  }
}

AudioUnitParameterOptions DisplayFlagsFor(IParam::EDisplayType type)
{
  switch (type)
  {
    case IParam::kDisplayLog: return kAudioUnitParameterFlag_DisplayLogarithmic;
    case IParam::kDisplayExp: return kAudioUnitParameterFlag_DisplayExponential;
    case IParam::kDisplaySquared: return kAudioUnitParameterFlag_DisplaySquared;
    case IParam::kDisplaySquareRoot: return kAudioUnitParameterFlag_DisplaySquareRoot;
    case IParam::kDisplayCubed: return kAudioUnitParameterFlag_DisplayCubed;
    case IParam::kDisplayCubeRoot: return kAudioUnitParameterFlag_DisplayCubeRoot;
    default: return 0;
  }
}
} // namespace

OSStatus IPlugAU::GetParameterInfo(AudioUnitElement elem, AudioUnitParameterInfo* info)
{
  const IParam* param = GetParam(static_cast<int>(elem));
  std::memset(info, 0, sizeof(*info));

  info->flags = kAudioUnitParameterFlag_IsWritable | kAudioUnitParameterFlag_IsReadable |
                kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_IsHighResolution |
                kAudioUnitParameterFlag_CFNameRelease;
  if (param->GetMeta())
  {
    info->flags |= kAudioUnitParameterFlag_IsElementMeta;
    if (!param->GetCanAutomate())
      info->flags |= kAudioUnitParameterFlag_NonRealTime;
  }
  else if (!param->GetCanAutomate())
    info->flags |= kAudioUnitParameterFlag_NonRealTime;

  if (param->NDisplayTexts())
    info->flags |= kAudioUnitParameterFlag_ValuesHaveStrings;

  info->cfNameString = MakeCFString(param->GetName());
  std::strncpy(info->name, param->GetName(), sizeof(info->name) - 1);

  switch (param->Type())
  {
    case IParam::kTypeInt:
    case IParam::kTypeEnum: info->unit = kAudioUnitParameterUnit_Indexed; break;
    case IParam::kTypeBool: info->unit = kAudioUnitParameterUnit_Boolean; break;
    default:
      info->unit = AUUnitFor(param->Unit());
      if (info->unit == kAudioUnitParameterUnit_CustomUnit)
      {
        const char* label = param->GetCustomUnit();
        if (label && *label)
          info->unitName = MakeCFString(label);
        else
          info->unit = kAudioUnitParameterUnit_Generic;
      }
      break;
  }

  info->flags |= DisplayFlagsFor(param->DisplayType());
  info->minValue = static_cast<AudioUnitParameterValue>(param->GetMin());
  info->maxValue = static_cast<AudioUnitParameterValue>(param->GetMax());
  info->defaultValue = static_cast<AudioUnitParameterValue>(param->GetDefault());

  const char* group = param->GetGroup();
  if (group && *group)
  {
    const int clump = AddParamGroup(group);
    info->flags |= kAudioUnitParameterFlag_HasClump;
    info->clumpID = static_cast<UInt32>(clump + 1);
  }
  return noErr;
}

} // namespace iplug
