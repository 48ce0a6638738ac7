#pragma once
// The layer of the plug-in object that owns the editor: creates the graphics
// context when the host opens the editor and destroys it on close, runs the
// layout function on it, carries values, messages and MIDI from the plug-in
// to the controls, and keeps the editor's size and scale across close and
// reopen and inside the saved state.

#include <functional>
#include <memory>

#include "core/IByteChunk.h"
#include "core/IEditorDelegate.h"

namespace iplug::igraphics {

class IGraphics;

class IGEditorDelegate : public IEditorDelegate
{
public:
  using MakeGraphicsFunc = std::function<IGraphics*()>;
  using LayoutFunc = std::function<void(IGraphics*)>;

  /** Size of the editor record in the state: width, height (int32), scale (float32). */
  static constexpr int kEditorRecordSize = 12;

  explicit IGEditorDelegate(int nParams);
  ~IGEditorDelegate() override;

  /** A new graphics context from the factory, or null without one. */
  virtual IGraphics* CreateGraphics();
  /** Runs the layout function, which attaches the controls. */
  virtual void LayoutUI(IGraphics* ui);

  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void SetScreenScale(float scale) override;
  /** The host resized the editor's parent (or sent its size): the editor zooms to fit. */
  void OnParentWindowResize(int width, int height) override;

  void SendParameterValueFromDelegate(int paramIdx, double value, bool normalized) override;
  void SendControlValueFromDelegate(int ctrlTag, double normalizedValue) override;
  void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize = 0, const void* data = nullptr) override;
  void SendMidiMsgFromDelegate(const IMidiMsg& msg) override;
  bool OnKeyDown(const IKeyPress& key) override;
  bool OnKeyUp(const IKeyPress& key) override;

  bool SerializeEditorState(IByteChunk& chunk) const override { return SerializeEditorSize(chunk); }
  int UnserializeEditorState(const IByteChunk& chunk, int startPos) override
  {
    return UnserializeEditorSize(chunk, startPos);
  }
  /** Appends the editor record: the open editor's size and scale, else the stored ones. */
  bool SerializeEditorSize(IByteChunk& chunk) const;
  /** Reads the editor record at startPos; returns the position after it, or -1 when it is short. */
  int UnserializeEditorSize(const IByteChunk& chunk, int startPos);

  void SetMakeGraphicsFunc(MakeGraphicsFunc func) { mMakeGraphicsFunc = std::move(func); }
  void SetLayoutUIFunc(LayoutFunc func) { mLayoutFunc = std::move(func); }

  /** Whether the next editor draws offscreen (snapshots, tests) rather than in a window. */
  void SetEditorOffscreen(bool offscreen) { mEditorOffscreen = offscreen; }
  bool GetEditorOffscreen() const { return mEditorOffscreen; }

  /** The graphics context while the editor is open, else null. */
  IGraphics* GetUI() const { return mGraphics.get(); }
  int GetStoredWidth() const { return mStoredWidth; }
  int GetStoredHeight() const { return mStoredHeight; }
  float GetStoredScale() const { return mStoredScale; }

private:
  MakeGraphicsFunc mMakeGraphicsFunc;
  LayoutFunc mLayoutFunc;
  std::unique_ptr<IGraphics> mGraphics;
  int mStoredWidth = 0;
  int mStoredHeight = 0;
  float mStoredScale = 0.f;
  float mMinStoredScale = 0.f; // the scale limits of the last editor; 0 before the first
  float mMaxStoredScale = 0.f;
  bool mClosing = false;
  bool mEditorOffscreen = false;
};

} // namespace iplug::igraphics
