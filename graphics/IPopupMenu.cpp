#include "graphics/IPopupMenu.h"

#include <strings.h>

namespace iplug::igraphics {

IPopupMenu::IPopupMenu(const char* rootTitle, int prefix, bool multiCheck, std::initializer_list<const char*> items)
: mPrefix(prefix)
, mCanMultiCheck(multiCheck)
{
  if (rootTitle)
    mRootTitle.Set(rootTitle);
  for (const char* text : items)
    AddItem(text);
}

IPopupMenu::IPopupMenu(const char* rootTitle, std::initializer_list<const char*> items, PopupFunc func)
: IPopupMenu(rootTitle, 0, false, items)
{
  mPopupFunc = std::move(func);
}

IPopupMenu::~IPopupMenu() { Clear(); }

void IPopupMenu::Clear()
{
  // Last to first, as the items were built up.
  for (int i = mMenuItems.GetSize() - 1; i >= 0; --i)
    mMenuItems.Delete(i, true);
}

IPopupMenu::Item* IPopupMenu::AddItem(Item* item, int index)
{
  if (!item)
    return nullptr;
  if (index == kAppend)
    return mMenuItems.Add(item);
  if (index == kAlphabetical)
  {
    // Upper bound: the first item that sorts after the new text, so equal texts keep insertion order.
    int lo = 0, hi = mMenuItems.GetSize();
    while (lo < hi)
    {
      const int mid = lo + (hi - lo) / 2;
      if (strcasecmp(mMenuItems.Get(mid)->GetText(), item->GetText()) <= 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    return mMenuItems.Insert(lo, item);
  }
  return mMenuItems.Insert(index < 0 ? 0 : index, item);
}

IPopupMenu::Item* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* submenu)
{
  if (submenu && mPopupFunc)
    submenu->SetFunction(mPopupFunc);
  return AddItem(new Item(text ? text : "", submenu), index);
}

IPopupMenu::Item* IPopupMenu::AddItem(const char* text, IPopupMenu* submenu, int index)
{
  return AddItem(text, index, submenu);
}

IPopupMenu::Item* IPopupMenu::AddSeparator(int index) { return AddItem(new Item("", Item::kSeparator), index); }

void IPopupMenu::RemoveEmptySubmenus()
{
  for (int i = mMenuItems.GetSize() - 1; i >= 0; --i)
  {
    const IPopupMenu* sub = mMenuItems.Get(i)->GetSubmenu();
    if (sub && sub->NItems() == 0)
      mMenuItems.Delete(i, true);
  }
}

void IPopupMenu::CheckItem(int index, bool state)
{
  if (Item* item = GetItem(index))
    item->SetChecked(state);
}

void IPopupMenu::CheckItemAlone(int index)
{
  for (int i = 0; i < NItems(); ++i)
    GetItem(i)->SetChecked(i == index);
}

void IPopupMenu::GetItemDisplayText(int index, WDL_String& out) const
{
  out.Clear();
  const Item* item = GetItem(index);
  if (!item)
    return;
  const int number = index + 1;
  switch (mPrefix)
  {
    case 1: out.SetFormatted(32, "%1d: ", number); break;
    case 2: out.SetFormatted(32, "%02d: ", number); break;
    case 3: out.SetFormatted(32, "%03d: ", number); break;
    default: break;
  }
  out.Append(item->GetText());
}

bool IPopupMenu::ShowsCheckMark(int index) const
{
  const Item* item = GetItem(index);
  return item && !item->GetIsSeparator() && item->GetChecked();
}

} // namespace iplug::igraphics
