#include "core/IPlugAPIBase.h"

#include <cmath>
#include <cstring>

namespace iplug {

IPlugAPIBase::IPlugAPIBase(const Config& config, EAPI plugAPI) : IPluginBase(config, plugAPI)
{
  SetEditorSize(config.editorWidth, config.editorHeight);
  SetSizeConstraints(config.editorMinWidth, config.editorMaxWidth, config.editorMinHeight, config.editorMaxHeight);
}

IPlugAPIBase::~IPlugAPIBase()
{
  // Stop first: no tick may run against a half-destroyed object.
  if (mTimer)
    mTimer->Stop();
  mTimer.reset();
}

void IPlugAPIBase::SendParameterValueFromUI(int paramIdx, double normalizedValue)
{
  SetParameterValue(paramIdx, normalizedValue);
  IEditorDelegate::SendParameterValueFromUI(paramIdx, normalizedValue);
}

void IPlugAPIBase::SetParameterValue(int paramIdx, double normalizedValue)
{
  IParam* param = GetParam(paramIdx);
  if (!param)
    return;
  param->SetNormalized(normalizedValue);
  InformHostOfParamChange(paramIdx, normalizedValue);
  OnParamChange(paramIdx, kUI, -1);
}

void IPlugAPIBase::DirtyParametersFromUI()
{
  for (int i = 0; i < NParams(); ++i)
    InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

bool IPlugAPIBase::EditorResizeFromUI(int viewWidth, int viewHeight, bool needsPlatformResize)
{
  return needsPlatformResize ? EditorResize(viewWidth, viewHeight) : true;
}

void IPlugAPIBase::SendArbitraryMsgFromUI(int msgTag, int ctrlTag, int dataSize, const void* data)
{
  OnMessage(msgTag, ctrlTag, dataSize, data);
}

void IPlugAPIBase::DeferSysexMsg(const ISysEx& msg)
{
  mSysExDataFromEditor.TryPush(SysExData(msg.mOffset, msg.mSize, msg.mData));
}

bool IPlugAPIBase::CompareState(const unsigned char* data, int startIdx) const
{
  if (!data || startIdx < 0)
    return false;
  for (int i = 0; i < NParams(); ++i)
  {
    double stored;
    std::memcpy(&stored, data + (static_cast<size_t>(startIdx) + static_cast<size_t>(i)) * sizeof(double),
                sizeof(double));
    const float current = static_cast<float>(GetParam(i)->Value());
    if (!(std::fabs(current - stored) < 1e-5))
      return false;
  }
  return true;
}

void IPlugAPIBase::OnHostRequestingImportantParameters(int count, WDL_TypedBuf<int>& results)
{
  if (count >= NParams())
    return;
  for (int i = 0; i < count; ++i)
    results.Add(i);
}

bool IPlugAPIBase::GetMidiNoteText(int, char* text) const
{
  if (text)
    *text = '\0';
  return false;
}

void* IPlugAPIBase::GetAAXViewInterface() { return GetUI(); }

void IPlugAPIBase::SendParameterValueFromAPI(int paramIdx, double value, bool normalized)
{
  if (normalized)
  {
    const IParam* param = GetParam(paramIdx);
    if (!param)
      return;
    value = param->FromNormalized(value);
  }
  mParamChangeFromProcessor.TryPush(ParamTuple{paramIdx, value});
}

void IPlugAPIBase::CreateTimer()
{
  mTimer.reset(); // stops the previous one
  mTimer.reset(Timer::Create([this](Timer& timer) { OnTimer(timer); }, kTimerPeriodMs));
}

void IPlugAPIBase::OnTimer(Timer&)
{
  if (HasUI())
  {
    // Each pop re-checks the queue, so items pushed meanwhile go out this tick.
    ParamTuple change;
    while (mParamChangeFromProcessor.TryPop(change))
      SendParameterValueFromDelegate(change.idx, change.value, false);

    IMidiMsg msg;
    while (mMidiMsgsFromProcessor.TryPop(msg))
      SendMidiMsgFromDelegate(msg);

    while (mSysExDataFromProcessor.TryPop(mSysexBuf))
      SendSysexMsgFromDelegate(ISysEx(mSysexBuf.mOffset, mSysexBuf.mData, mSysexBuf.mSize));
  }
  OnIdle();
}

} // namespace iplug
