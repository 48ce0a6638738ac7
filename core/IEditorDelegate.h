#pragma once
// Root of the plug-in object: owns the parameter list and declares the
// traffic between the plug-in and its editor in both directions. Operations
// ending in FromUI run on the editor's side and travel towards the plug-in;
// those ending in FromDelegate deliver to the editor. The defaults here do
// nothing or forward; the graphics delegate and the API base override them.
//
// A subclass that overrides one OnParamChange overload should bring the other
// into scope (`using IEditorDelegate::OnParamChange;`) so it is not hidden.

#include "core/IParam.h"
#include "core/IPlugConstants.h"
#include "core/IPlugStructs.h"
#include "core/WDL_PtrList.h"

namespace iplug {
class IByteChunk;

class IEditorDelegate
{
public:
  /** Creates nParams default-constructed parameters. */
  explicit IEditorDelegate(int nParams);
  virtual ~IEditorDelegate();
  IEditorDelegate(const IEditorDelegate&) = delete;
  IEditorDelegate& operator=(const IEditorDelegate&) = delete;

  // --- parameters ---
  int NParams() const { return mParams.GetSize(); }
  /** Parameter at index, or null when out of range. */
  IParam* GetParam(int index) { return mParams.Get(index); }
  const IParam* GetParam(int index) const { return mParams.Get(index); }

  // --- editor window ---
  virtual void* OpenWindow(void* parent);
  virtual void CloseWindow();
  virtual void OnParentWindowResize(int width, int height);
  /** Sends every parameter's normalised value to the editor. */
  virtual void OnUIOpen();
  virtual void OnUIClose();

  // --- hooks for the plug-in ---
  /** Forwards to OnParamChange(index). */
  virtual void OnParamChange(int paramIdx, EParamSource source, int sampleOffset = -1);
  virtual void OnParamChange(int paramIdx);
  /** Called on the editor's thread. */
  virtual void OnParamChangeUI(int paramIdx, EParamSource source = kUI);
  /** OnParamChange then OnParamChangeUI, for every parameter in order. */
  virtual void OnParamReset(EParamSource source);
  virtual void OnMidiMsgUI(const IMidiMsg& msg);
  virtual void OnSysexMsgUI(const ISysEx& msg);
  virtual bool OnMessage(int msgTag, int ctrlTag, int dataSize, const void* data);
  /** Sends every parameter's normalised value to the editor. */
  virtual void OnRestoreState();
  virtual bool OnKeyDown(const IKeyPress& key);
  virtual bool OnKeyUp(const IKeyPress& key);

  // --- towards the editor ---
  virtual void SendControlValueFromDelegate(int ctrlTag, double normalizedValue);
  virtual void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize = 0, const void* data = nullptr);
  virtual void SendArbitraryMsgFromDelegate(int msgTag, int dataSize = 0, const void* data = nullptr);
  virtual void SendMidiMsgFromDelegate(const IMidiMsg& msg);
  virtual void SendSysexMsgFromDelegate(const ISysEx& msg);
  virtual void SendParameterValueFromDelegate(int paramIdx, double value, bool normalized);

  // --- from the editor ---
  virtual void DirtyParametersFromUI();
  virtual void BeginInformHostOfParamChangeFromUI(int paramIdx) = 0;
  /** Stores the normalised value in the parameter, then OnParamChangeUI. */
  virtual void SendParameterValueFromUI(int paramIdx, double normalizedValue);
  virtual void EndInformHostOfParamChangeFromUI(int paramIdx) = 0;
  virtual bool EditorResizeFromUI(int viewWidth, int viewHeight, bool needsPlatformResize);
  virtual void SendMidiMsgFromUI(const IMidiMsg& msg);
  virtual void SendSysexMsgFromUI(const ISysEx& msg);
  virtual void SendArbitraryMsgFromUI(int msgTag, int ctrlTag = kNoTag, int dataSize = 0, const void* data = nullptr);
  virtual void DeferMidiMsg(const IMidiMsg& msg);
  virtual void DeferSysexMsg(const ISysEx& msg);

  // --- editor state inside the saved state ---
  /** Writes nothing here; returns true. */
  virtual bool SerializeEditorState(IByteChunk& chunk) const;
  /** Reads nothing here; returns startPos. */
  virtual int UnserializeEditorState(const IByteChunk& chunk, int startPos);
  virtual void SetScreenScale(float scale);

  // --- editor size and limits ---
  int GetEditorWidth() const { return mEditorWidth; }
  int GetEditorHeight() const { return mEditorHeight; }
  void SetEditorSize(int width, int height)
  {
    mEditorWidth = width;
    mEditorHeight = height;
  }
  int GetMinWidth() const { return mMinWidth; }
  int GetMaxWidth() const { return mMaxWidth; }
  int GetMinHeight() const { return mMinHeight; }
  int GetMaxHeight() const { return mMaxHeight; }
  /** Stores the limits sorted, so min <= max whatever order they come in. */
  void SetSizeConstraints(int widthA, int widthB, int heightA, int heightB);

protected:
  WDL_PtrList_OwningDelete<IParam> mParams;
  int mEditorWidth = 0;
  int mEditorHeight = 0;
  int mMinWidth = 10;
  int mMaxWidth = 100000;
  int mMinHeight = 10;
  int mMaxHeight = 100000;
};
} // namespace iplug
