#pragma once
// One automatable parameter: its kind, range, step, default, current value,
// unit and texts, the curve between the real range and the normalised 0..1
// range seen by hosts and controls, and the rules that turn values into text
// and text back into values.

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "core/IPlugConstants.h"
#include "core/WDL_String.h"

namespace iplug {
class IParam
{
public:
  enum EParamType : int32_t
  {
    kTypeNone = 0,
    kTypeBool = 1,
    kTypeInt = 2,
    kTypeEnum = 3,
    kTypeDouble = 4,
  };

  enum EParamUnit : int32_t
  {
    kUnitPercentage = 0,
    kUnitSeconds = 1,
    kUnitMilliseconds = 2,
    kUnitSamples = 3,
    kUnitDB = 4,
    kUnitLinearGain = 5,
    kUnitPan = 6,
    kUnitPhase = 7,
    kUnitDegrees = 8,
    kUnitMeters = 9,
    kUnitRate = 10,
    kUnitRatio = 11,
    kUnitFrequency = 12,
    kUnitOctaves = 13,
    kUnitCents = 14,
    kUnitAbsCents = 15,
    kUnitSemitones = 16,
    kUnitMIDINote = 17,
    kUnitMIDICC = 18,
    kUnitBPM = 19,
    kUnitBeats = 20,
    kUnitCustom = 21,
  };

  /** Hint to the host about the curve of the normalised mapping. */
  enum EDisplayType : int32_t
  {
    kDisplayLinear = 0,
    kDisplayLog = 1,
    kDisplayExp = 2,
    kDisplaySquared = 3,
    kDisplaySquareRoot = 4,
    kDisplayCubed = 5,
    kDisplayCubeRoot = 6,
  };

  enum EFlags : int32_t
  {
    kFlagsNone = 0,
    kFlagCannotAutomate = 1,
    kFlagStepped = 2,
    kFlagNegateDisplay = 4,
    kFlagSignDisplay = 8,
    kFlagMeta = 16,
  };

  /** Formats a real value for display; replaces every built-in rule. */
  using DisplayFunc = std::function<void(double value, WDL_String& display)>;

  /** Mapping between the normalised range 0..1 and the real range. */
  struct Shape
  {
    virtual ~Shape() = default;
    /** A new heap copy, owned by the caller. */
    virtual Shape* Clone() const = 0;
    /** Called once the parameter's range is known. */
    virtual void Init(const IParam&) {}
    virtual EDisplayType GetDisplayType() const = 0;
    virtual double NormalizedToValue(double normalized, const IParam& param) const = 0;
    virtual double ValueToNormalized(double value, const IParam& param) const = 0;
  };

  struct ShapeLinear : public Shape
  {
    Shape* Clone() const override { return new ShapeLinear(*this); }
    EDisplayType GetDisplayType() const override { return kDisplayLinear; }
    double NormalizedToValue(double normalized, const IParam& param) const override;
    double ValueToNormalized(double value, const IParam& param) const override;
  };

  /** min + n^p * range; p > 1 spends more travel on the low end. */
  struct ShapePowCurve : public Shape
  {
    explicit ShapePowCurve(double shape) : mShape(shape) {}
    Shape* Clone() const override { return new ShapePowCurve(*this); }
    EDisplayType GetDisplayType() const override;
    double NormalizedToValue(double normalized, const IParam& param) const override;
    double ValueToNormalized(double value, const IParam& param) const override;

    double mShape;
  };

  /** Exponential curve: equal travel per ratio, as for frequencies. */
  struct ShapeExp : public Shape
  {
    Shape* Clone() const override { return new ShapeExp(*this); }
    void Init(const IParam& param) override;
    EDisplayType GetDisplayType() const override { return kDisplayLog; }
    double NormalizedToValue(double normalized, const IParam& param) const override;
    double ValueToNormalized(double value, const IParam& param) const override;

    double mMul = 1.0;
    double mAdd = 1.0;
  };

  IParam();
  ~IParam();
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // Initialisers. The first one called on a parameter fixes its type.

  void InitBool(const char* name, bool defaultValue, const char* label = "", int flags = 0, const char* group = "",
                const char* offText = "off", const char* onText = "on");
  /** The further text arguments (const char*) name values 1 ... nEnums - 1. */
  void InitEnum(const char* name, int defaultValue, int nEnums, const char* label = "", int flags = 0,
                const char* group = "", const char* firstText = nullptr, ...);
  void InitEnum(const char* name, int defaultValue, std::initializer_list<const char*> texts, int flags = 0,
                const char* group = "");
  void InitInt(const char* name, int defaultValue, int minVal, int maxVal, const char* label = "", int flags = 0,
               const char* group = "");
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", int flags = 0, const char* group = "", const Shape& shape = ShapeLinear(),
                  EParamUnit unit = kUnitCustom, DisplayFunc displayFunc = nullptr);
  void InitFrequency(const char* name, double defaultVal = 1000.0, double minVal = 0.1, double maxVal = 10000.0,
                     double step = 0.1, int flags = 0, const char* group = "");
  void InitSeconds(const char* name, double defaultVal = 1.0, double minVal = 0.0, double maxVal = 10.0,
                   double step = 0.1, int flags = 0, const char* group = "");
  void InitMilliseconds(const char* name, double defaultVal = 1.0, double minVal = 0.0, double maxVal = 100.0,
                        int flags = 0, const char* group = "");
  void InitGain(const char* name, double defaultVal = 0.0, double minVal = -70.0, double maxVal = 24.0,
                double step = 0.5, int flags = 0, const char* group = "");
  void InitPercentage(const char* name, double defaultVal = 0.0, double minVal = 0.0, double maxVal = 100.0,
                      int flags = 0, const char* group = "");
  void InitAngleDegrees(const char* name, double defaultVal = 0.0, double minVal = 0.0, double maxVal = 360.0,
                        int flags = 0, const char* group = "");
  /** Enumerated MIDI notes minNote ... maxNote named like "C 4", "C#4". */
  void InitPitch(const char* name, int defaultValue = 60, int minNote = 0, int maxNote = 128, int flags = 0,
                 const char* group = "", bool middleCisC4 = false);
  /** Becomes a copy of `source`; the first occurrence of searchText in the
      name is replaced by replaceText, and newGroup (if not empty) replaces
      the group. */
  void Init(const IParam& source, const char* searchText, const char* replaceText, const char* newGroup = "");

  // Values

  double ConstrainValue(double value) const;
  double Constrain(double value) const { return ConstrainValue(value); }
  void SetValue(double value) { mValue.exchange(ConstrainValue(value)); }
  void Set(double value) { SetValue(value); }
  double GetValue() const { return mValue.load(); }
  double Value() const { return GetValue(); }
  bool Bool() const { return GetValue() >= 0.5; }
  int Int() const;

  double RealFromNormalized(double normalized) const;
  double FromNormalized(double normalized) const { return RealFromNormalized(normalized); }
  double NormalizedFromReal(double value) const;
  double ToNormalized(double value) const { return NormalizedFromReal(value); }
  void SetNormalizedValue(double normalized) { SetValue(RealFromNormalized(normalized)); }
  void SetNormalized(double normalized) { SetNormalizedValue(normalized); }
  double GetNormalizedValue() const { return NormalizedFromReal(GetValue()); }
  double GetNormalized() const { return GetNormalizedValue(); }
  /** Stores the default as it is, without constraining it. */
  void ResetToDefault() { mValue.exchange(mDefault); }
  void SetDefault(double value) { mDefault = value; }

  // Texts

  void SetDisplayText(double value, const char* text);
  void SetDisplayPrecision(int precision) { mDisplayPrecision = precision; }
  int NDisplayTexts() const { return static_cast<int>(mDisplayTexts.size()); }
  /** Text of entry `index` ("" when out of range); its value into valueOut. */
  const char* GetDisplayTextAtIdx(int index, double* valueOut = nullptr) const;
  /** Text of the first entry with exactly this value, "" if none. */
  const char* GetDisplayText(double value) const;
  bool MapDisplayText(const char* text, double* valueOut) const;

  void GetDisplay(double value, bool normalized, WDL_String& display, bool withDisplayText = true) const;
  void GetDisplay(WDL_String& display, bool withDisplayText = true) const
  {
    GetDisplay(GetValue(), false, display, withDisplayText);
  }
  void GetDisplayWithLabel(WDL_String& display, bool withDisplayText = true) const;
  double StringToValue(const char* text) const;
  void GetJSON(WDL_String& json, int index) const;

  // Accessors

  const char* GetName() const { return mName; }
  const char* GetLabel() const;
  const char* GetGroup() const { return mParamGroup; }
  const char* GetCustomUnit() const { return mUnit == kUnitCustom ? mLabel : nullptr; }
  EParamType Type() const { return mType; }
  EParamUnit Unit() const { return mUnit; }
  EDisplayType DisplayType() const { return mShape->GetDisplayType(); }
  const Shape& GetShape() const { return *mShape; }
  double GetDefault(bool normalized = false) const { return normalized ? NormalizedFromReal(mDefault) : mDefault; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  void GetBounds(double& lo, double& hi) const
  {
    lo = mMin;
    hi = mMax;
  }
  double GetRange() const { return mMax - mMin; }
  double GetStep() const { return mStep; }
  int GetDisplayPrecision() const { return mDisplayPrecision; }
  int GetFlags() const { return mFlags; }
  bool GetCanAutomate() const { return !(mFlags & kFlagCannotAutomate); }
  bool GetStepped() const { return mFlags & kFlagStepped; }
  bool GetNegateDisplay() const { return mFlags & kFlagNegateDisplay; }
  bool GetSignDisplay() const { return mFlags & kFlagSignDisplay; }
  bool GetMeta() const { return mFlags & kFlagMeta; }
  bool HasDisplayFunc() const { return static_cast<bool>(mDisplayFunction); }

private:
  struct DisplayText
  {
    double mValue;
    char mText[MAX_PARAM_DISPLAY_LEN];
  };

  void SetTypeIfUnset(EParamType type)
  {
    if (mType == kTypeNone)
      mType = type;
  }

  EParamType mType = kTypeNone;
  EParamUnit mUnit = kUnitCustom;
  std::atomic<double> mValue{0.0};
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  int mFlags = 0;
  char mName[MAX_PARAM_NAME_LEN] = {};
  char mLabel[MAX_PARAM_LABEL_LEN] = {};
  char mParamGroup[MAX_PARAM_GROUP_LEN] = {};
  std::unique_ptr<Shape> mShape;
  DisplayFunc mDisplayFunction;
  std::vector<DisplayText> mDisplayTexts;
};
} // namespace iplug
