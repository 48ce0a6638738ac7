#pragma once
// Platform-neutral popup menu: a title, an ordered list of items (each possibly
// with a submenu) and, once the user has chosen, the chosen item's index. A
// menu owns its items and through them its whole tree of submenus.

#include <functional>
#include <initializer_list>
#include <memory>

#include "core/WDL_PtrList.h"
#include "core/WDL_String.h"

namespace iplug::igraphics {

class IPopupMenu
{
public:
  using PopupFunc = std::function<void(IPopupMenu* menu)>;

  class Item
  {
  public:
    enum Flags
    {
      kNoFlags = 0,
      kDisabled = 1 << 0,
      kTitle = 1 << 1,
      kChecked = 1 << 2,
      kSeparator = 1 << 3
    };

    Item(const char* text, int flags = kNoFlags, int tag = -1) : mText(text), mFlags(flags), mTag(tag) {}
    Item(const char* text, IPopupMenu* submenu) : mText(text), mSubmenu(submenu) {}
    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;

    void SetText(const char* text) { mText.Set(text); }
    const char* GetText() const { return mText.Get(); }
    int GetFlags() const { return mFlags; }
    int GetTag() const { return mTag; }
    void SetTag(int tag) { mTag = tag; }
    IPopupMenu* GetSubmenu() const { return mSubmenu.get(); }
    /** Replaces (and destroys) any previous submenu. */
    void SetSubmenu(IPopupMenu* submenu) { mSubmenu.reset(submenu); }

    bool GetEnabled() const { return !(mFlags & kDisabled); }
    bool GetChecked() const { return (mFlags & kChecked) != 0; }
    bool GetIsTitle() const { return (mFlags & kTitle) != 0; }
    bool GetIsSeparator() const { return (mFlags & kSeparator) != 0; }

    void SetEnabled(bool state) { SetFlag(kDisabled, !state); }
    void SetChecked(bool state) { SetFlag(kChecked, state); }
    void SetTitle(bool state) { SetFlag(kTitle, state); }

  private:
    void SetFlag(int flag, bool on) { mFlags = on ? (mFlags | flag) : (mFlags & ~flag); }

    WDL_String mText;
    std::unique_ptr<IPopupMenu> mSubmenu;
    int mFlags = kNoFlags;
    int mTag = -1;
  };

  /** Index that appends; index that inserts in case-insensitive alphabetical order. */
  static constexpr int kAppend = -1;
  static constexpr int kAlphabetical = -2;

  IPopupMenu(const char* rootTitle = "", int prefix = 0, bool multiCheck = false,
             std::initializer_list<const char*> items = {});
  IPopupMenu(const char* rootTitle, std::initializer_list<const char*> items, PopupFunc func);
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;
  ~IPopupMenu();

  /** Inserts `item` (taking ownership) at `index`: kAppend, kAlphabetical or a position. */
  Item* AddItem(Item* item, int index = kAppend);
  Item* AddItem(const char* text, int index = kAppend, IPopupMenu* submenu = nullptr);
  Item* AddItem(const char* text, IPopupMenu* submenu, int index = kAppend);
  Item* AddSeparator(int index = kAppend);

  /** Takes out every item whose submenu exists and has no items. */
  void RemoveEmptySubmenus();

  int NItems() const { return mMenuItems.GetSize(); }
  int NItemsPerColumn() const { return NItems(); }
  int GetPrefix() const { return mPrefix; }
  bool GetCanMultiCheck() const { return mCanMultiCheck; }
  Item* GetItem(int index) const { return mMenuItems.Get(index); }
  const char* GetItemText(int index) const
  {
    const Item* i = GetItem(index);
    return i ? i->GetText() : "";
  }

  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }
  Item* GetChosenItem() const { return GetItem(mChosenItemIdx); }

  const char* GetRootTitle() const { return mRootTitle.Get(); }
  void SetRootTitle(const char* title) { mRootTitle.Set(title); }
  void SetPrefix(int prefix) { mPrefix = prefix; }
  void SetMultiCheck(bool multi) { mCanMultiCheck = multi; }

  /** Destroys every item. */
  void Clear();

  void CheckItem(int index, bool state);
  /** Checks the item at `index` and unchecks every other. */
  void CheckItemAlone(int index);
  bool IsItemChecked(int index) const
  {
    const Item* i = GetItem(index);
    return i && i->GetChecked();
  }
  void SetItemEnabled(int index, bool state)
  {
    if (Item* i = GetItem(index))
      i->SetEnabled(state);
  }

  void SetFunction(PopupFunc func) { mPopupFunc = std::move(func); }
  const PopupFunc& GetFunction() const { return mPopupFunc; }
  /** Calls the popup function with this menu, if one is set. */
  void ExecFunction()
  {
    if (mPopupFunc)
      mPopupFunc(this);
  }

  /** The text a native menu shows for item `index`: its number by the prefix style, then its text. */
  void GetItemDisplayText(int index, WDL_String& out) const;
  /** Whether a native menu shows a check mark for item `index` (separators never do). */
  bool ShowsCheckMark(int index) const;

private:
  int mPrefix = 0;
  int mChosenItemIdx = -1;
  bool mCanMultiCheck = false;
  WDL_PtrList<Item> mMenuItems;
  PopupFunc mPopupFunc;
  WDL_String mRootTitle;
};

} // namespace iplug::igraphics
