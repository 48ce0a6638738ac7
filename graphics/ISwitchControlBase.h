#pragma once
// Switch interaction: each press steps to the next of N discrete states,
// wrapping to the first; a double click counts as another press.

#include <vector>

#include "graphics/IControl.h"

namespace iplug::igraphics {

class ISwitchControlBase : public IControl
{
public:
  ISwitchControlBase(const IRECT& bounds, int paramIdx = kNoParameter, IActionFunction actionFunc = nullptr,
                     int numStates = 2);

  void OnInit() override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseUp(float x, float y, const IMouseMod& mod) override;

  int GetNumStates() const { return mNumStates; }
  void SetStateDisabled(int stateIdx, bool disabled);
  void SetAllStatesDisabled(bool disabled);
  bool GetStateDisabled(int stateIdx) const;
  bool GetMouseDown() const { return mMouseDown; }

protected:
  int mNumStates;
  std::vector<bool> mDisabledState;
  bool mMouseDown = false;
};

} // namespace iplug::igraphics
