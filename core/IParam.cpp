#include "core/IParam.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace iplug {
namespace {
// Copies into a fixed field, always terminated, cut to the field size.
template <size_t N>
void CopyField(char (&field)[N], const char* text)
{
  field[0] = '\0';
  if (text)
    std::snprintf(field, N, "%s", text);
}

// max then min, in that order, so a NaN lands on the lower bound.
double Clamp(double v, double lo, double hi) { return std::min(hi, std::max(lo, v)); }

// double -> int without undefined behaviour for values out of range.
int SaturatingInt(double v)
{
  if (!(v == v))
    return 0;
  if (v >= static_cast<double>(std::numeric_limits<int>::max()))
    return std::numeric_limits<int>::max();
  if (v <= static_cast<double>(std::numeric_limits<int>::min()))
    return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

// Decimals needed to show a step exactly: 0 for whole steps, up to 5, else 6.
int PrecisionForStep(double step)
{
  if (std::floor(step) == step)
    return 0;
  double scaled = step;
  for (int i = 1; i <= 5; ++i)
  {
    scaled *= 10.0;
    if (std::floor(scaled) == scaled)
      return i;
  }
  return 6;
}

const char* const kNoteNames[12] = {"C ", "C#", "D ", "D#", "E ", "F ", "F#", "G ", "G#", "A ", "A#", "B "};
} // namespace

// --- shapes -----------------------------------------------------------------

double IParam::ShapeLinear::NormalizedToValue(double n, const IParam& p) const
{
  return p.GetMin() + n * (p.GetMax() - p.GetMin());
}

double IParam::ShapeLinear::ValueToNormalized(double v, const IParam& p) const
{
  return (v - p.GetMin()) / (p.GetMax() - p.GetMin());
}

IParam::EDisplayType IParam::ShapePowCurve::GetDisplayType() const
{
  if (mShape > 2.5)
    return kDisplayCubeRoot;
  if (mShape > 1.5)
    return kDisplaySquareRoot;
  if (mShape < 0.4)
    return kDisplayCubed;
  if (mShape < 2.0 / 3.0)
    return kDisplaySquared;
  return kDisplayLinear;
}

double IParam::ShapePowCurve::NormalizedToValue(double n, const IParam& p) const
{
  return p.GetMin() + std::pow(n, mShape) * (p.GetMax() - p.GetMin());
}

double IParam::ShapePowCurve::ValueToNormalized(double v, const IParam& p) const
{
  return std::pow((v - p.GetMin()) / (p.GetMax() - p.GetMin()), 1.0 / mShape);
}

void IParam::ShapeExp::Init(const IParam& p)
{
  const double lo = p.GetMin() > 0.0 ? p.GetMin() : 1e-8;
  mAdd = std::log(lo);
  mMul = std::log(p.GetMax() / lo);
}

double IParam::ShapeExp::NormalizedToValue(double n, const IParam&) const { return std::exp(mAdd + n * mMul); }

double IParam::ShapeExp::ValueToNormalized(double v, const IParam&) const { return (std::log(v) - mAdd) / mMul; }

// --- construction and initialisers ------------------------------------------

IParam::IParam() : mShape(std::make_unique<ShapeLinear>()) {}

IParam::~IParam() = default;

void IParam::InitBool(const char* name, bool defaultValue, const char* label, int flags, const char* group,
                      const char* offText, const char* onText)
{
  SetTypeIfUnset(kTypeBool);
  InitDouble(name, defaultValue ? 1.0 : 0.0, 0.0, 1.0, 1.0, label, flags | kFlagStepped, group);
  SetDisplayText(0.0, offText);
  SetDisplayText(1.0, onText);
}

void IParam::InitEnum(const char* name, int defaultValue, int nEnums, const char* label, int flags, const char* group,
                      const char* firstText, ...)
{
  SetTypeIfUnset(kTypeEnum);
  InitDouble(name, defaultValue, 0.0, nEnums - 1.0, 1.0, label, flags | kFlagStepped, group);
  if (!firstText)
    return;
  SetDisplayText(0.0, firstText);
  va_list args;
  va_start(args, firstText);
  for (int i = 1; i < nEnums; ++i)
    SetDisplayText(i, va_arg(args, const char*));
  va_end(args);
}

void IParam::InitEnum(const char* name, int defaultValue, std::initializer_list<const char*> texts, int flags,
                      const char* group)
{
  SetTypeIfUnset(kTypeEnum);
  InitDouble(name, defaultValue, 0.0, static_cast<double>(texts.size()) - 1.0, 1.0, "", flags | kFlagStepped, group);
  int i = 0;
  for (const char* text : texts)
    SetDisplayText(i++, text);
}

void IParam::InitInt(const char* name, int defaultValue, int minVal, int maxVal, const char* label, int flags,
                     const char* group)
{
  SetTypeIfUnset(kTypeInt);
  InitDouble(name, defaultValue, minVal, maxVal, 1.0, label, flags | kFlagStepped, group);
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                        const char* label, int flags, const char* group, const Shape& shape, EParamUnit unit,
                        DisplayFunc displayFunc)
{
  SetTypeIfUnset(kTypeDouble);
  CopyField(mName, name);
  CopyField(mLabel, label);
  CopyField(mParamGroup, group);

  mMin = minVal;
  mMax = std::max(maxVal, minVal + step);
  mStep = step;
  mDefault = defaultVal;
  mUnit = unit;
  mFlags = flags;
  mDisplayFunction = std::move(displayFunc);

  mValue.exchange(ConstrainValue(defaultVal));
  mDisplayPrecision = PrecisionForStep(step);

  mShape.reset(shape.Clone());
  mShape->Init(*this);
}

void IParam::InitFrequency(const char* name, double defaultVal, double minVal, double maxVal, double step, int flags,
                           const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, step, "Hz", flags, group, ShapeExp(), kUnitFrequency);
}

void IParam::InitSeconds(const char* name, double defaultVal, double minVal, double maxVal, double step, int flags,
                         const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, step, "Seconds", flags, group, ShapeLinear(), kUnitSeconds);
}

void IParam::InitMilliseconds(const char* name, double defaultVal, double minVal, double maxVal, int flags,
                              const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, 1.0, "ms", flags, group, ShapeLinear(), kUnitMilliseconds);
}

void IParam::InitGain(const char* name, double defaultVal, double minVal, double maxVal, double step, int flags,
                      const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, step, "dB", flags, group, ShapeLinear(), kUnitDB);
}

void IParam::InitPercentage(const char* name, double defaultVal, double minVal, double maxVal, int flags,
                            const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, 1.0, "%", flags, group, ShapeLinear(), kUnitPercentage);
}

void IParam::InitAngleDegrees(const char* name, double defaultVal, double minVal, double maxVal, int flags,
                              const char* group)
{
  InitDouble(name, defaultVal, minVal, maxVal, 1.0, "degrees", flags, group, ShapeLinear(), kUnitDegrees);
}

void IParam::InitPitch(const char* name, int defaultValue, int minNote, int maxNote, int flags, const char* group,
                       bool middleCisC4)
{
  SetTypeIfUnset(kTypeEnum);
  const int count = maxNote - minNote;
  InitDouble(name, defaultValue, 0.0, count, 1.0, "", flags | kFlagStepped, group);
  const int octaveShift = middleCisC4 ? 1 : 2;
  for (int i = 0; i <= count; ++i)
  {
    const int note = minNote + i;
    // Floor division keeps negative note numbers inside the name table.
    const int octave = (note >= 0 ? note / 12 : (note - 11) / 12);
    const int pitchClass = note - octave * 12;
    char text[MAX_PARAM_DISPLAY_LEN];
    std::snprintf(text, sizeof(text), "%s%i", kNoteNames[pitchClass], octave - octaveShift);
    SetDisplayText(i, text);
  }
}

void IParam::Init(const IParam& source, const char* searchText, const char* replaceText, const char* newGroup)
{
  SetTypeIfUnset(source.mType);

  WDL_String name(source.mName);
  if (searchText && *searchText)
  {
    if (const char* found = std::strstr(source.mName, searchText))
    {
      const int at = static_cast<int>(found - source.mName);
      name.DeleteSub(at, static_cast<int>(std::strlen(searchText)));
      name.Insert(replaceText, at);
    }
  }
  const char* group = (newGroup && *newGroup) ? newGroup : source.mParamGroup;

  // Copy what InitDouble reads from the source before anything is replaced,
  // so that initialising a parameter from itself stays sound.
  const std::vector<DisplayText> texts = source.mDisplayTexts;
  std::unique_ptr<Shape> shape(source.mShape->Clone());
  WDL_String label(source.mLabel), groupCopy(group);
  InitDouble(name.Get(), source.mDefault, source.mMin, source.mMax, source.mStep, label.Get(), source.mFlags,
             groupCopy.Get(), *shape, source.mUnit, source.mDisplayFunction);
  for (const DisplayText& entry : texts)
    mDisplayTexts.push_back(entry);
}

// --- values -----------------------------------------------------------------

double IParam::ConstrainValue(double value) const
{
  // A step of zero (or less) cannot round; the value is only clamped then.
  if ((mFlags & kFlagStepped) && mStep > 0.0)
    value = std::round(value / mStep) * mStep;
  return Clamp(value, mMin, mMax);
}

int IParam::Int() const { return SaturatingInt(GetValue()); }

double IParam::RealFromNormalized(double normalized) const
{
  return ConstrainValue(mShape->NormalizedToValue(normalized, *this));
}

double IParam::NormalizedFromReal(double value) const
{
  return Clamp(mShape->ValueToNormalized(ConstrainValue(value), *this), 0.0, 1.0);
}

// --- texts ------------------------------------------------------------------

void IParam::SetDisplayText(double value, const char* text)
{
  DisplayText entry{value, {}};
  CopyField(entry.mText, text);
  mDisplayTexts.push_back(entry);
}

const char* IParam::GetDisplayTextAtIdx(int index, double* valueOut) const
{
  if (index < 0 || index >= NDisplayTexts())
    return "";
  const DisplayText& entry = mDisplayTexts[static_cast<size_t>(index)];
  if (valueOut)
    *valueOut = entry.mValue;
  return entry.mText;
}

const char* IParam::GetDisplayText(double value) const
{
  for (const DisplayText& entry : mDisplayTexts)
    if (entry.mValue == value)
      return entry.mText;
  return "";
}

bool IParam::MapDisplayText(const char* text, double* valueOut) const
{
  if (!text)
    return false;
  for (const DisplayText& entry : mDisplayTexts)
  {
    if (std::strcmp(entry.mText, text) == 0)
    {
      if (valueOut)
        *valueOut = entry.mValue;
      return true;
    }
  }
  return false;
}

void IParam::GetDisplay(double value, bool normalized, WDL_String& display, bool withDisplayText) const
{
  if (normalized)
    value = RealFromNormalized(value);

  if (mDisplayFunction)
  {
    mDisplayFunction(value, display);
    return;
  }

  if (withDisplayText)
  {
    const char* text = GetDisplayText(value);
    if (*text)
    {
      display.Set(text, MAX_PARAM_DISPLAY_LEN);
      return;
    }
  }

  double d = (mFlags & kFlagNegateDisplay) ? -value : value;
  if (d == 0.0)
    d = 0.0; // no "-0"

  if (mDisplayPrecision == 0)
  {
    display.SetFormatted(MAX_PARAM_DISPLAY_LEN, "%d", SaturatingInt(std::round(d)));
  }
  else if ((mFlags & kFlagSignDisplay) && d != 0.0)
  {
    char format[16];
    std::snprintf(format, sizeof(format), "%%+.%df", mDisplayPrecision);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    display.SetFormatted(MAX_PARAM_DISPLAY_LEN, format, d);
#pragma GCC diagnostic pop
  }
  else
  {
    display.SetFormatted(MAX_PARAM_DISPLAY_LEN, "%.*f", mDisplayPrecision, d);
  }
}

void IParam::GetDisplayWithLabel(WDL_String& display, bool withDisplayText) const
{
  GetDisplay(GetValue(), false, display, withDisplayText);
  const char* label = GetLabel();
  if (*label)
  {
    display.Append(" ");
    display.Append(label);
  }
}

const char* IParam::GetLabel() const
{
  // A value with a name of its own carries no unit.
  const char* named = GetDisplayText(std::trunc(GetValue()));
  return *named ? "" : mLabel;
}

double IParam::StringToValue(const char* text) const
{
  if (!text)
    text = "";
  double mapped = 0.0;
  if (MapDisplayText(text, &mapped))
    return mapped;
  if (mType == kTypeBool || mType == kTypeEnum)
    return 0.0;

  double v = std::strtod(text, nullptr);
  if (mFlags & kFlagNegateDisplay)
    v = -v;
  return ConstrainValue(v);
}

void IParam::GetJSON(WDL_String& json, int index) const
{
  // Names are escaped so that quotes or backslashes keep the JSON valid.
  std::string name;
  for (const char* c = mName; *c; ++c)
  {
    const unsigned char ch = static_cast<unsigned char>(*c);
    if (ch == '"' || ch == '\\')
    {
      name += '\\';
      name += static_cast<char>(ch);
    }
    else if (ch < 0x20)
    {
      char esc[8];
      std::snprintf(esc, sizeof(esc), "\\u%04x", ch);
      name += esc;
    }
    else
      name += static_cast<char>(ch);
  }

  constexpr int kMax = 8192;
  json.AppendFormatted(kMax, "{");
  json.AppendFormatted(kMax, "\"id\":%i, ", index);
  json.AppendFormatted(kMax, "\"name\":\"%s\", ", name.c_str());
  static const char* const kTypeNames[] = {nullptr, "bool", "int", "enum", "float"};
  if (mType >= kTypeBool && mType <= kTypeDouble)
    json.AppendFormatted(kMax, "\"type\":\"%s\", ", kTypeNames[mType]);
  json.AppendFormatted(kMax, "\"min\":%f, ", mMin);
  json.AppendFormatted(kMax, "\"max\":%f, ", mMax);
  json.AppendFormatted(kMax, "\"default\":%f, ", mDefault);
  json.AppendFormatted(kMax, "\"rate\":\"control\"");
  json.AppendFormatted(kMax, "}");
}
} // namespace iplug
