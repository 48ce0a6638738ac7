#pragma once
// The in-editor popup menu: draws an IPopupMenu as a panel of items, with
// cascading panels for submenus, check marks, separators and disabled items,
// and lets the user choose with the mouse or the keyboard. The graphics host
// routes every event to it while it is showing. A choice sets the chosen
// index of the (sub)menu it lies in, runs that menu's function and delivers
// that menu to IGraphics::SetControlValueAfterPopupMenu; dismissing delivers
// none.

#include <vector>

#include "graphics/IControl.h"

namespace iplug::igraphics {

class IPopupMenuControl : public IControl
{
public:
  explicit IPopupMenuControl(const IText& text = DEFAULT_TEXT);

  /** Shows `menu` below `bounds` (above it when there is no room), kept inside the editor. */
  virtual void CreatePopupMenu(IPopupMenu& menu, const IRECT& bounds);
  /** Whether a menu is showing. */
  virtual bool GetExpanded() const { return !mPanels.empty(); }
  /** Closes the menu without a choice. */
  void Dismiss();

  void Draw(IGraphics& g) override;
  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseOver(float x, float y, const IMouseMod& mod) override;
  void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override;
  bool OnKeyDown(float x, float y, const IKeyPress& key) override;

  /** Open panels: 0 is the menu itself, each further one a submenu of the one before. */
  int NPanels() const { return static_cast<int>(mPanels.size()); }
  const IRECT& GetPanelBounds(int panel) const { return mPanels[panel].bounds; }
  IRECT GetItemBounds(int panel, int item) const { return mPanels[panel].items[item]; }
  int GetHighlightedItem(int panel) const { return mPanels[panel].highlighted; }

  // Metrics in editor points.
  static constexpr float kItemPadding = 3.f; // above and below an item's text
  static constexpr float kSeparatorHeight = 7.f;
  static constexpr float kTextInset = 8.f; // left and right
  static constexpr float kCheckWidth = 16.f;
  static constexpr float kArrowWidth = 14.f;
  static constexpr float kTitleIndent = 10.f;
  static constexpr float kGap = 4.f; // between the anchor and the menu

private:
  struct Panel
  {
    IPopupMenu* menu = nullptr;
    IRECT bounds;
    std::vector<IRECT> items;
    int highlighted = -1;
  };

  /** Lays out `menu` at (x, y), moved to stay inside the editor; `flipX`/`flipY` are where to
      go when it does not fit to the right of x or below y. */
  void OpenPanel(IPopupMenu& menu, float x, float y, float flipX, float flipY);
  /** Panel and item under (x, y); item -1 on a panel's border, panel -1 outside every panel. */
  void HitTest(float x, float y, int& panel, int& item) const;
  /** Highlights an item; an enabled submenu item opens its submenu. */
  void Highlight(int panel, int item, bool openSubmenu);
  void Choose(int panel, int item);
  bool Selectable(const Panel& panel, int item) const;
  void MoveHighlight(int step);
  void Close(IPopupMenu* result);
  void UpdateBounds();

  std::vector<Panel> mPanels;
  IRECT mStaleBounds; // area of a panel just closed, repainted once
};

} // namespace iplug::igraphics
