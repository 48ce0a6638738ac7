#pragma once
// An editor delegate that logs the traffic it receives from the editor, and a
// few small controls for driving the graphics host in tests.

#include <string>
#include <vector>

#include "graphics/IGraphicsEditorDelegate.h"
#include "graphics/IKnobControlBase.h"
#include "RecordingGraphics.h"

namespace iplug::igraphics::test {

class TestDelegate : public IGEditorDelegate
{
public:
  explicit TestDelegate(int nParams = 4) : IGEditorDelegate(nParams)
  {
    // Parameter 0 is a plain 0..1 value; the others stay uninitialised (linear 0..1) until a test picks their kind.
    if (nParams > 0)
      GetParam(0)->InitDouble("p", 0.0, 0.0, 1.0, 0.001);
  }

  /** "begin 1", "value 1 0.25", "end 1", ... in arrival order. */
  std::vector<std::string> log;
  std::vector<std::string> uiChanges;
  int resizeRequests = 0;

  void BeginInformHostOfParamChangeFromUI(int paramIdx) override { log.push_back("begin " + std::to_string(paramIdx)); }
  void EndInformHostOfParamChangeFromUI(int paramIdx) override { log.push_back("end " + std::to_string(paramIdx)); }
  void SendParameterValueFromUI(int paramIdx, double normalized) override
  {
    char buf[64];
    std::snprintf(buf, sizeof(buf), "value %d %g", paramIdx, normalized);
    log.push_back(buf);
    IGEditorDelegate::SendParameterValueFromUI(paramIdx, normalized);
  }
  void OnParamChangeUI(int paramIdx, EParamSource source) override
  {
    uiChanges.push_back(std::to_string(paramIdx) + "/" + std::to_string(source));
  }
  bool EditorResizeFromUI(int, int, bool) override
  {
    ++resizeRequests;
    return true;
  }
};

/** Fills its rectangle with its colour; counts the events it receives. */
class BoxControl : public IControl
{
public:
  BoxControl(const IRECT& r, const IColor& color = COLOR_RED, int paramIdx = kNoParameter)
  : IControl(r, paramIdx)
  , color(color)
  {}

  void Draw(IGraphics& g) override { g.FillRect(color, mRECT, &mBlend); }
  void OnMouseDown(float x, float y, const IMouseMod& mod) override
  {
    events.push_back("down");
    IControl::OnMouseDown(x, y, mod);
  }
  void OnMouseUp(float, float, const IMouseMod&) override { events.push_back("up"); }
  void OnMouseDrag(float, float, float, float, const IMouseMod&) override { events.push_back("drag"); }
  void OnMouseDblClick(float x, float y, const IMouseMod& mod) override
  {
    events.push_back("dbl");
    IControl::OnMouseDblClick(x, y, mod);
  }
  void OnMouseWheel(float, float, const IMouseMod&, float) override { events.push_back("wheel"); }
  void OnMouseOver(float x, float y, const IMouseMod& mod) override
  {
    events.push_back("over");
    IControl::OnMouseOver(x, y, mod);
  }
  void OnMouseOut() override
  {
    events.push_back("out");
    IControl::OnMouseOut();
  }
  bool OnKeyDown(float, float, const IKeyPress&) override
  {
    events.push_back("key");
    return handlesKeys;
  }
  void OnDrop(const char* str) override { events.push_back(std::string("drop ") + str); }
  void CreateContextMenu(IPopupMenu& menu) override
  {
    for (const std::string& item : contextItems)
      menu.AddItem(item.c_str());
  }
  void OnContextSelection(int item) override { events.push_back("context " + std::to_string(item)); }

  IColor color;
  bool handlesKeys = false;
  std::vector<std::string> contextItems;
  std::vector<std::string> events;
};

class TestKnob : public IKnobControlBase
{
public:
  using IKnobControlBase::IKnobControlBase;
  void Draw(IGraphics& g) override { g.FillRect(COLOR_BLUE, mRECT); }
};

inline IMouseInfos Point(float x, float y, const IMouseMod& mod = {}, float dX = 0.f, float dY = 0.f)
{
  return {IMouseInfo{x, y, dX, dY, mod}};
}

} // namespace iplug::igraphics::test
