#pragma once
// Base of every element of the editor: a drawing rectangle, a hit rectangle,
// normalised values (0..1) each optionally linked to a plug-in parameter,
// style, interaction flags, an action function called when the user changes
// it, and an optional animation. Everything runs on the user-interface thread.

#include <functional>
#include <initializer_list>
#include <map>
#include <vector>

#include "core/IParam.h"
#include "core/IPlugConstants.h"
#include "core/IPlugStructs.h"
#include "core/WDL_String.h"
#include "graphics/IBlend.h"
#include "graphics/IColor.h"
#include "graphics/IGestureInfo.h"
#include "graphics/IGraphicsEnums.h"
#include "graphics/IMouseInfo.h"
#include "graphics/IRECT.h"
#include "graphics/IText.h"

namespace iplug::igraphics {

class IControl;
class IGraphics;
class IGEditorDelegate;
class IPopupMenu;

using IActionFunction = std::function<void(IControl*)>;
using IAnimationFunction = std::function<void(IControl*)>;
using IGestureFunc = std::function<void(IControl*, const IGestureInfo&)>;

/** Value index meaning "every value of the control". */
inline constexpr int kNoValIdx = -1;
/** Default drag distance, in target-rectangle heights, for a full-range change. */
inline constexpr double DEFAULT_GEARING = 4.0;
inline constexpr int DEFAULT_TEXT_ENTRY_LEN = 7;
inline constexpr double DEFAULT_ANIMATION_DURATION = 100.0;

class IControl
{
public:
  IControl(const IRECT& bounds, int paramIdx = kNoParameter, IActionFunction actionFunc = nullptr);
  IControl(const IRECT& bounds, std::initializer_list<int> params, IActionFunction actionFunc = nullptr);
  /** One value per entry of `params`, for controls whose value count is known only at run time. */
  IControl(const IRECT& bounds, const std::vector<int>& params, IActionFunction actionFunc = nullptr);
  IControl(const IRECT& bounds, IActionFunction actionFunc);
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;
  virtual ~IControl() = default;

  // --- event handlers ---
  virtual void OnMouseDown(float x, float y, const IMouseMod& mod);
  virtual void OnMouseUp(float /*x*/, float /*y*/, const IMouseMod& /*mod*/) {}
  virtual void OnMouseDrag(float /*x*/, float /*y*/, float /*dX*/, float /*dY*/, const IMouseMod& /*mod*/) {}
  virtual void OnMouseDblClick(float x, float y, const IMouseMod& mod);
  virtual void OnMouseWheel(float /*x*/, float /*y*/, const IMouseMod& /*mod*/, float /*d*/) {}
  virtual bool OnKeyDown(float /*x*/, float /*y*/, const IKeyPress& /*key*/) { return false; }
  virtual bool OnKeyUp(float /*x*/, float /*y*/, const IKeyPress& /*key*/) { return false; }
  virtual void OnMouseOver(float x, float y, const IMouseMod& mod);
  virtual void OnMouseOut();
  virtual void OnTouchCancelled(float /*x*/, float /*y*/, const IMouseMod& /*mod*/) {}
  virtual void OnDrop(const char* /*str*/) {}
  virtual void OnRescale() {}
  virtual void OnResize() {}
  virtual void OnInit() {}
  virtual void OnAttached() {}
  virtual void OnMsgFromDelegate(int /*msgTag*/, int /*dataSize*/, const void* /*data*/) {}
  virtual void OnMidi(const IMidiMsg& /*msg*/) {}
  virtual bool OnGesture(const IGestureInfo& info);
  virtual void CreateContextMenu(IPopupMenu& /*contextMenu*/) {}
  virtual void OnPopupMenuSelection(IPopupMenu* selectedMenu, int valIdx);
  virtual void OnTextEntryCompletion(const char* /*str*/, int /*valIdx*/) {}
  virtual void OnContextSelection(int /*itemSelected*/) {}

  // --- drawing ---
  virtual void Draw(IGraphics& g) = 0;
  virtual void DrawPTHighlight(IGraphics& /*g*/) {}

  // --- values ---
  /** Relinks one value; an index out of range is ignored. */
  virtual void SetParamIdx(int paramIdx, int valIdx = 0);
  /** 0 when the control has one value, else kNoValIdx (all values). */
  virtual int GetValIdxForPos(float x, float y) const;
  /** A value pushed from the plug-in; ignored while the user holds this control. */
  virtual void SetValueFromDelegate(double value, int valIdx = 0);
  /** A value the user chose (menu, text entry): stored and acted on when it changed. */
  virtual void SetValueFromUserInput(double value, int valIdx = 0);
  virtual void SetValueToDefault(int valIdx = kNoValIdx);
  /** Stores a normalised value without side effects. */
  virtual void SetValue(double value, int valIdx = 0);
  virtual void SetText(const IText& text) { mText = text; }
  virtual void SetPosition(float x, float y);
  virtual void SetSize(float w, float h);
  virtual void Hide(bool hide);
  virtual void SetDisabled(bool disable);
  virtual bool IsHit(float x, float y) const { return mTargetRECT.Contains(x, y); }
  /** Marks the control for redrawing; with triggerAction the values go to the plug-in and the action runs. */
  virtual void SetDirty(bool triggerAction = true, int valIdx = kNoValIdx);
  virtual void SetClean() { mDirty = false; }
  /** True while an animation runs, else the dirty flag. */
  virtual bool IsDirty();
  virtual void OnGUIIdle() {}
  /** Sets the value from a pointer position within `bounds` along `direction`. */
  virtual void SnapToMouse(float x, float y, EDirection direction, const IRECT& bounds, int valIdx = kNoValIdx,
                           double minClip = 0.0, double maxClip = 1.0);
  virtual void OnEndAnimation();

  double GetValue(int valIdx = 0) const;
  int GetParamIdx(int valIdx = 0) const;
  int NVals() const { return static_cast<int>(mVals.size()); }
  /** First value index linked to `paramIdx`, or -1. */
  int LinkedToParam(int paramIdx) const;
  /** The plug-in parameter of a value, or null when unlinked or out of range. */
  const IParam* GetParam(int valIdx = 0) const;

  // --- prompts ---
  /** Opens the host's menu or text entry for a linked value when prompts are enabled. */
  void PromptUserInput(int valIdx = 0);
  void PromptUserInput(const IRECT& bounds, int valIdx = 0);

  // --- geometry and style ---
  const IRECT& GetRECT() const { return mRECT; }
  void SetRECT(const IRECT& bounds)
  {
    mRECT = bounds;
    mMouseIsOver = false;
  }
  const IRECT& GetTargetRECT() const { return mTargetRECT; }
  void SetTargetRECT(const IRECT& bounds)
  {
    mTargetRECT = bounds;
    mMouseIsOver = false;
  }
  void SetTargetAndDrawRECTs(const IRECT& bounds)
  {
    mRECT = mTargetRECT = bounds;
    mMouseIsOver = false;
  }
  const IText& GetText() const { return mText; }
  const IBlend& GetBlend() const { return mBlend; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int len) { mTextEntryLength = len; }
  const char* GetGroup() const { return mGroup.Get(); }
  void SetGroup(const char* group) { mGroup.Set(group); }
  const char* GetTooltip() const { return mTooltip.Get(); }
  void SetTooltip(const char* str) { mTooltip.Set(str); }

  // --- flags ---
  bool IsHidden() const { return mHide; }
  bool IsDisabled() const { return mDisabled; }
  bool GetPromptDisabled() const { return mPromptDisabled; }
  void DisablePrompt(bool disable) { mPromptDisabled = disable; }
  bool GetMouseDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetMouseDblAsSingleClick(bool single) { mDblAsSingleClick = single; }
  bool GetMouseOverWhenDisabled() const { return mMouseOverWhenDisabled; }
  void SetMouseOverWhenDisabled(bool allow) { mMouseOverWhenDisabled = allow; }
  bool GetMouseEventsWhenDisabled() const { return mMouseEventsWhenDisabled; }
  void SetMouseEventsWhenDisabled(bool allow) { mMouseEventsWhenDisabled = allow; }
  bool GetIgnoreMouse() const { return mIgnoreMouse; }
  void SetIgnoreMouse(bool ignore) { mIgnoreMouse = ignore; }
  bool GetWantsMidi() const { return mWantsMidi; }
  void SetWantsMidi(bool wants) { mWantsMidi = wants; }
  bool GetWantsMultiTouch() const { return mWantsMultiTouch; }
  void SetWantsMultiTouch(bool wants) { mWantsMultiTouch = wants; }
  bool GetPromptShowsParamLabel() const { return mPromptShowsParamLabel; }
  void SetPromptShowsParamLabel(bool shows) { mPromptShowsParamLabel = shows; }
  bool GetMouseIsOver() const { return mMouseIsOver; }
  /** Host-specific parameter highlight; kept for the interface, nothing here draws it. */
  void SetPTParameterHighlight(bool highlight) { mPTIsHighlighted = highlight; }

  // --- actions and animation ---
  IActionFunction GetActionFunction() const { return mActionFunc; }
  void SetActionFunction(IActionFunction func) { mActionFunc = std::move(func); }
  void SetAnimationEndActionFunction(IActionFunction func) { mAnimationEndActionFunc = std::move(func); }
  IAnimationFunction GetAnimationFunction() const { return mAnimationFunc; }
  void SetAnimation(IAnimationFunction func) { mAnimationFunc = std::move(func); }
  void SetAnimation(IAnimationFunction func, double durationMs)
  {
    mAnimationFunc = std::move(func);
    StartAnimation(durationMs);
  }
  void StartAnimation(double durationMs);
  /** Elapsed share of the running animation: 0 with none, above 1 once it is over. */
  double GetAnimationProgress() const;
  double GetAnimationDuration() const { return mAnimationDuration; }
  /** Runs the animation function, if any; the host calls this once per frame. */
  void Animate()
  {
    if (mAnimationFunc)
      mAnimationFunc(this);
  }

  // --- gestures ---
  void AttachGestureRecognizer(EGestureType type, IGestureFunc func);
  EGestureType GetLastGesture() const { return mLastGesture; }

  // --- host ---
  IGraphics* GetUI() const { return mGraphics; }
  IGEditorDelegate* GetDelegate() const { return mDelegate; }
  void SetGraphics(IGraphics* graphics) { mGraphics = graphics; }
  void SetDelegate(IGEditorDelegate& delegate) { mDelegate = &delegate; }

protected:
  /** Milliseconds of the animation clock. */
  double AnimationTimeMs() const;
  /** Real value `v` of the parameter snapped, clamped and normalised to 0..1. */
  static double NormalisedFromReal(const IParam& param, double v);

  IRECT mRECT;
  IRECT mTargetRECT;
  WDL_String mGroup;
  IText mText = DEFAULT_TEXT;
  IBlend mBlend;
  int mTextEntryLength = DEFAULT_TEXT_ENTRY_LEN;
  bool mDirty = true;
  bool mHide = false;
  bool mDisabled = false;
  bool mPromptDisabled = true;
  bool mDblAsSingleClick = false;
  bool mMouseOverWhenDisabled = false;
  bool mMouseEventsWhenDisabled = false;
  bool mIgnoreMouse = false;
  bool mWantsMidi = false;
  bool mWantsMultiTouch = false;
  bool mPromptShowsParamLabel = false;
  bool mMouseIsOver = false;
  WDL_String mTooltip;
  IColor mPTHighlightColor = COLOR_RED;
  bool mPTIsHighlighted = false;

private:
  IGEditorDelegate* mDelegate = nullptr;
  IGraphics* mGraphics = nullptr;
  IActionFunction mActionFunc;
  IActionFunction mAnimationEndActionFunc;
  IAnimationFunction mAnimationFunc;
  double mAnimationStartTime = 0.0;
  double mAnimationDuration = 0.0;
  std::vector<ParamTuple> mVals;
  std::map<EGestureType, IGestureFunc> mGestureFuncs;
  EGestureType mLastGesture = EGestureType::Unknown;
};

} // namespace iplug::igraphics
