#include "graphics/IPopupMenuControl.h"

#include <algorithm>

#include "graphics/IGraphics.h"
#include "graphics/IPopupMenu.h"
#include "graphics/IVirtualKeys.h"

namespace iplug::igraphics {

namespace {

constexpr IColor kPanelColor(255, 246, 246, 246);
constexpr IColor kBorderColor(255, 150, 150, 150);
constexpr IColor kHighlightColor(255, 52, 101, 164);
constexpr IColor kDisabledTextColor(255, 160, 160, 160);

} // namespace

IPopupMenuControl::IPopupMenuControl(const IText& text) : IControl(IRECT(), kNoParameter)
{
  mText = text.WithAlign(ETextHAlign::Near).WithVAlign(ETextVAlign::Middle);
}

void IPopupMenuControl::CreatePopupMenu(IPopupMenu& menu, const IRECT& bounds)
{
  if (GetExpanded())
    mStaleBounds = mStaleBounds.Union(mRECT);
  mPanels.clear();
  menu.SetChosenItemIdx(-1);
  OpenPanel(menu, bounds.L, bounds.B + kGap, bounds.R, bounds.T - kGap);
}

void IPopupMenuControl::Dismiss()
{
  if (GetExpanded())
    Close(nullptr);
}

void IPopupMenuControl::OpenPanel(IPopupMenu& menu, float x, float y, float flipX, float flipY)
{
  IGraphics* ui = GetUI();
  const float itemHeight = mText.mSize + 2.f * kItemPadding;
  bool hasSubmenu = false;
  float textWidth = 0.f;
  float height = 2.f; // one-point border above and below
  for (int i = 0; i < menu.NItems(); ++i)
  {
    const IPopupMenu::Item* item = menu.GetItem(i);
    if (item->GetIsSeparator())
    {
      height += kSeparatorHeight;
      continue;
    }
    height += itemHeight;
    hasSubmenu = hasSubmenu || item->GetSubmenu();
    WDL_String text;
    menu.GetItemDisplayText(i, text);
    IRECT measured;
    float w = ui ? ui->MeasureText(mText, text.Get(), measured) : 0.f;
    if (item->GetIsTitle())
      w += kTitleIndent;
    textWidth = std::max(textWidth, w);
  }
  const float width = std::max(80.f, kCheckWidth + textWidth + 2.f * kTextInset + (hasSubmenu ? kArrowWidth : 0.f));

  // Keep the panel inside the editor: flip to the other side of the anchor, else slide in.
  const float editorW = ui ? static_cast<float>(ui->Width()) : width;
  const float editorH = ui ? static_cast<float>(ui->Height()) : height;
  if (x + width > editorW)
    x = flipX - width >= 0.f ? flipX - width : editorW - width;
  if (y + height > editorH)
    y = flipY - height >= 0.f ? flipY - height : editorH - height;
  x = std::max(0.f, x);
  y = std::max(0.f, y);

  Panel panel;
  panel.menu = &menu;
  panel.bounds = IRECT(x, y, x + width, y + height);
  float top = y + 1.f;
  for (int i = 0; i < menu.NItems(); ++i)
  {
    const float h = menu.GetItem(i)->GetIsSeparator() ? kSeparatorHeight : itemHeight;
    panel.items.emplace_back(x + 1.f, top, x + width - 1.f, top + h);
    top += h;
  }
  mPanels.push_back(std::move(panel));
  UpdateBounds();
}

void IPopupMenuControl::UpdateBounds()
{
  IRECT area = mStaleBounds;
  for (const Panel& p : mPanels)
    area = area.Union(p.bounds);
  SetTargetAndDrawRECTs(area);
  SetDirty(false);
}

bool IPopupMenuControl::Selectable(const Panel& panel, int item) const
{
  const IPopupMenu::Item* i = panel.menu->GetItem(item);
  return i && !i->GetIsSeparator() && i->GetEnabled();
}

void IPopupMenuControl::HitTest(float x, float y, int& panel, int& item) const
{
  // Later panels lie on top of earlier ones.
  for (panel = NPanels() - 1; panel >= 0; --panel)
  {
    const Panel& p = mPanels[panel];
    if (!p.bounds.Contains(x, y))
      continue;
    for (item = 0; item < static_cast<int>(p.items.size()); ++item)
      if (p.items[item].Contains(x, y))
        return;
    item = -1;
    return;
  }
  item = -1;
}

void IPopupMenuControl::Highlight(int panel, int item, bool openSubmenu)
{
  // Panels deeper than this one belong to another item now.
  if (NPanels() > panel + 1 && mPanels[panel].highlighted != item)
  {
    mStaleBounds = mStaleBounds.Union(mRECT);
    mPanels.resize(panel + 1);
  }
  Panel& p = mPanels[panel];
  p.highlighted = item >= 0 && Selectable(p, item) ? item : -1;
  if (openSubmenu && p.highlighted >= 0 && NPanels() == panel + 1)
  {
    if (IPopupMenu* sub = p.menu->GetItem(item)->GetSubmenu())
    {
      const IRECT& r = p.items[item];
      sub->SetChosenItemIdx(-1);
      OpenPanel(*sub, p.bounds.R - 2.f, r.T - 1.f, p.bounds.L + 2.f, r.B + 1.f);
      return;
    }
  }
  UpdateBounds();
}

void IPopupMenuControl::Choose(int panel, int item)
{
  Panel& p = mPanels[panel];
  if (!Selectable(p, item))
    return;
  if (p.menu->GetItem(item)->GetSubmenu())
  {
    Highlight(panel, item, true);
    return;
  }
  IPopupMenu* menu = p.menu;
  menu->SetChosenItemIdx(item);
  Close(menu);
}

void IPopupMenuControl::Close(IPopupMenu* result)
{
  mStaleBounds = mStaleBounds.Union(mRECT);
  mPanels.clear();
  UpdateBounds();
  if (result)
    result->ExecFunction();
  if (IGraphics* ui = GetUI())
    ui->SetControlValueAfterPopupMenu(result);
}

void IPopupMenuControl::OnMouseDown(float x, float y, const IMouseMod&)
{
  int panel, item;
  HitTest(x, y, panel, item);
  if (panel < 0)
    Dismiss(); // a press outside the menu closes it without a choice
  else if (item >= 0)
    Choose(panel, item);
}

void IPopupMenuControl::OnMouseOver(float x, float y, const IMouseMod&)
{
  int panel, item;
  HitTest(x, y, panel, item);
  if (panel >= 0 && item >= 0)
    Highlight(panel, item, true);
}

void IPopupMenuControl::OnMouseDrag(float x, float y, float, float, const IMouseMod& mod) { OnMouseOver(x, y, mod); }

void IPopupMenuControl::MoveHighlight(int step)
{
  Panel& p = mPanels.back();
  const int n = p.menu->NItems();
  int i = p.highlighted;
  for (int tries = 0; tries < n; ++tries)
  {
    i = i < 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
    if (Selectable(p, i))
    {
      Highlight(NPanels() - 1, i, false);
      return;
    }
  }
}

bool IPopupMenuControl::OnKeyDown(float, float, const IKeyPress& key)
{
  if (!GetExpanded())
    return false;
  const int last = NPanels() - 1;
  Panel& p = mPanels[last];
  switch (key.VK)
  {
    case kVK_DOWN: MoveHighlight(1); break;
    case kVK_UP: MoveHighlight(-1); break;
    case kVK_RIGHT:
      if (p.highlighted >= 0 && p.menu->GetItem(p.highlighted)->GetSubmenu())
      {
        Highlight(last, p.highlighted, true);
        mPanels.back().highlighted = -1;
        MoveHighlight(1);
      }
      break;
    case kVK_LEFT:
      if (last > 0)
      {
        mStaleBounds = mStaleBounds.Union(mRECT);
        mPanels.pop_back();
        UpdateBounds();
      }
      break;
    case kVK_RETURN:
    case kVK_KEYPAD_ENTER:
    case kVK_SPACE:
      if (p.highlighted >= 0)
      {
        if (p.menu->GetItem(p.highlighted)->GetSubmenu())
          return OnKeyDown(0.f, 0.f, IKeyPress("", kVK_RIGHT));
        Choose(last, p.highlighted);
      }
      break;
    case kVK_ESCAPE: Dismiss(); break;
    default: break; // every key goes to the menu while it is open
  }
  return true;
}

void IPopupMenuControl::Draw(IGraphics& g)
{
  if (!GetExpanded())
  {
    mStaleBounds = IRECT(); // the frame has repainted what lay under the closed panels
    return;
  }
  for (const Panel& p : mPanels)
  {
    g.FillRect(kPanelColor, p.bounds);
    g.DrawRect(kBorderColor, p.bounds);
    for (int i = 0; i < p.menu->NItems(); ++i)
    {
      const IPopupMenu::Item* item = p.menu->GetItem(i);
      const IRECT& r = p.items[i];
      if (item->GetIsSeparator())
      {
        g.DrawLine(kBorderColor, r.L + kTextInset, r.MH(), r.R - kTextInset, r.MH());
        continue;
      }
      const bool lit = i == p.highlighted;
      if (lit)
        g.FillRect(kHighlightColor, r);
      const IColor color = !item->GetEnabled() ? kDisabledTextColor : lit ? COLOR_WHITE : mText.mFGColor;
      if (p.menu->ShowsCheckMark(i))
      {
        const float cx = r.L + kTextInset + 0.5f * kCheckWidth - 4.f;
        const float cy = r.MH();
        g.DrawLine(color, cx - 4.f, cy, cx - 1.f, cy + 3.f, nullptr, 2.f);
        g.DrawLine(color, cx - 1.f, cy + 3.f, cx + 5.f, cy - 4.f, nullptr, 2.f);
      }
      WDL_String text;
      p.menu->GetItemDisplayText(i, text);
      const float indent = item->GetIsTitle() ? kTitleIndent : 0.f;
      g.DrawText(mText.WithFGColor(color), text.Get(),
                 IRECT(r.L + kTextInset + kCheckWidth + indent, r.T, r.R - kTextInset, r.B));
      if (item->GetSubmenu())
      {
        const float ax = r.R - kTextInset;
        g.FillTriangle(color, ax - 5.f, r.MH() - 4.f, ax - 5.f, r.MH() + 4.f, ax, r.MH());
      }
    }
  }
}

} // namespace iplug::igraphics
