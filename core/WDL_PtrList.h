#pragma once
// List of pointers. The list does not own its elements unless the caller asks
// for deletion (Delete/Empty with wantDelete); an owning list is declared with
// Owning = true and deletes whatever it holds when cleared or destroyed.

#include <algorithm>
#include <vector>

template <class T, bool Owning = false>
class WDL_PtrList
{
public:
  WDL_PtrList() = default;
  WDL_PtrList(const WDL_PtrList&) = delete;
  WDL_PtrList& operator=(const WDL_PtrList&) = delete;
  ~WDL_PtrList() { Empty(Owning); }

  int GetSize() const { return static_cast<int>(mItems.size()); }
  /** Element at `index`, or null when out of range. */
  T* Get(int index) const { return index >= 0 && index < GetSize() ? mItems[static_cast<size_t>(index)] : nullptr; }
  T* const* GetList() const { return mItems.data(); }
  T* GetLast() const { return mItems.empty() ? nullptr : mItems.back(); }

  T* Add(T* item)
  {
    mItems.push_back(item);
    return item;
  }
  /** Inserts before `index`, clamped to [0, size]. */
  T* Insert(int index, T* item)
  {
    index = std::clamp(index, 0, GetSize());
    mItems.insert(mItems.begin() + index, item);
    return item;
  }
  void Set(int index, T* item)
  {
    if (index >= 0 && index < GetSize())
      mItems[static_cast<size_t>(index)] = item;
  }

  int Find(const T* item) const
  {
    auto it = std::find(mItems.begin(), mItems.end(), item);
    return it == mItems.end() ? -1 : static_cast<int>(it - mItems.begin());
  }

  void Delete(int index, bool wantDelete = Owning)
  {
    if (index < 0 || index >= GetSize())
      return;
    T* item = mItems[static_cast<size_t>(index)];
    mItems.erase(mItems.begin() + index);
    if (wantDelete)
      delete item;
  }
  void DeletePtr(const T* item, bool wantDelete = Owning) { Delete(Find(item), wantDelete); }

  void Empty(bool wantDelete = Owning)
  {
    if (wantDelete)
      for (T* item : mItems)
        delete item;
    mItems.clear();
  }

  auto begin() const { return mItems.begin(); }
  auto end() const { return mItems.end(); }

private:
  std::vector<T*> mItems;
};

/** A pointer list that owns and deletes its elements. */
template <class T>
using WDL_PtrList_OwningDelete = WDL_PtrList<T, true>;
