#pragma once
// A list of host callbacks that the host's threads change while the audio
// thread walks it. A walk reads an immutable snapshot: it takes no lock,
// allocates nothing and makes no system call. A change builds a new snapshot,
// publishes it with one atomic exchange and frees the old one only once no
// walk holds it any more.
//
// Removal keeps two promises: an entry is never called after its removal
// has returned, on any thread, and an entry removed from inside a callback is
// skipped by the walk that is still running on that thread. Each walk marks
// the snapshot it reads in a slot of its own (a hazard pointer); removal
// waits for walks on other threads that may still hold the entry, and never
// for a walk on its own thread, so a callback may change the list it is
// called from.

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace iplug {
template <typename T>
class SnapshotList
{
public:
  SnapshotList() : mCurrent(new Snapshot) {}
  ~SnapshotList() { delete mCurrent.load(); }

  SnapshotList(const SnapshotList&) = delete;
  SnapshotList& operator=(const SnapshotList&) = delete;

  /** Appends `item` unless an entry satisfies `exists`; returns whether it was added. */
  template <typename Exists>
  bool AddUnless(const T& item, Exists exists)
  {
    std::lock_guard lock(mWriteMutex);
    for (const auto& node : mNodes)
      if (exists(node->value))
        return false;
    mNodes.push_back(std::make_unique<Node>(item));
    Publish(nullptr);
    return true;
  }

  void Add(const T& item)
  {
    AddUnless(item, [](const T&) { return false; });
  }

  /** Removes the first entry that satisfies `match`. Returns once no thread
   *  but this one can still call it. */
  template <typename Match>
  bool RemoveFirst(Match match)
  {
    const Snapshot* published = nullptr;
    {
      std::lock_guard lock(mWriteMutex);
      auto it = mNodes.begin();
      while (it != mNodes.end() && !match((*it)->value))
        ++it;
      if (it == mNodes.end())
        return false;
      std::unique_ptr<Node> node = std::move(*it);
      mNodes.erase(it);
      node->removed.store(true, std::memory_order_release);
      published = Publish(std::move(node));
    }
    // Outside the lock, so a callback on a walking thread may still change the list.
    WaitForOlderWalks(published);
    return true;
  }

  /** Calls `f(entry)` for every entry of the current snapshot that has not been removed. */
  template <typename F>
  void ForEach(F&& f) const
  {
    const Walk walk(*this);
    for (const Node* node : walk.snapshot->nodes)
      if (!node->removed.load(std::memory_order_acquire))
        f(node->value);
  }

private:
  struct Node
  {
    explicit Node(const T& v) : value(v) {}
    const T value;
    std::atomic<bool> removed{false};
  };

  struct Snapshot
  {
    std::vector<const Node*> nodes;
  };

  /** Retired snapshots and removed entries, freed once no walk holds a snapshot. */
  struct Retired
  {
    std::unique_ptr<const Snapshot> snapshot;
    std::unique_ptr<Node> node;
  };

  struct Slot
  {
    std::atomic<std::thread::id> owner{};
    std::atomic<const Snapshot*> hazard{nullptr};
  };
  static_assert(std::atomic<std::thread::id>::is_always_lock_free);
  static_assert(std::atomic<const void*>::is_always_lock_free);

  /** More walks than this at one time (nested calls included) wait for a free slot. */
  static constexpr int kSlots = 16;

  /** Holds a slot and the snapshot it protects for the length of one walk. */
  class Walk
  {
  public:
    explicit Walk(const SnapshotList& list) : mSlot(list.ClaimSlot())
    {
      const Snapshot* s = list.mCurrent.load();
      do
      {
        snapshot = s;
        mSlot.hazard.store(s);
      } while ((s = list.mCurrent.load()) != snapshot);
    }
    ~Walk()
    {
      mSlot.hazard.store(nullptr, std::memory_order_release);
      mSlot.owner.store(std::thread::id(), std::memory_order_release);
    }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;

    const Snapshot* snapshot = nullptr;

  private:
    Slot& mSlot;
  };

  Slot& ClaimSlot() const
  {
    const std::thread::id self = std::this_thread::get_id();
    for (;;)
    {
      for (Slot& slot : mSlots)
      {
        std::thread::id none;
        if (slot.owner.load(std::memory_order_relaxed) == none &&
            slot.owner.compare_exchange_strong(none, self, std::memory_order_acquire))
          return slot;
      }
    }
  }

  bool HeldByAnyWalk(const Snapshot* s) const
  {
    for (const Slot& slot : mSlots)
      if (slot.hazard.load() == s)
        return true;
    return false;
  }

  /** Publishes a snapshot of mNodes and retires the previous one (with a removed
   *  entry, if any). Returns the new snapshot. Runs under the write mutex. */
  const Snapshot* Publish(std::unique_ptr<Node> removed)
  {
    auto next = std::make_unique<Snapshot>();
    next->nodes.reserve(mNodes.size());
    for (const auto& node : mNodes)
      next->nodes.push_back(node.get());
    const Snapshot* published = next.release();
    const Snapshot* previous = mCurrent.exchange(published);
    mRetired.push_back({std::unique_ptr<const Snapshot>(previous), std::move(removed)});
    Reclaim();
    return published;
  }

  /** Frees what was retired once no walk holds any retired snapshot. A removed
   *  entry may sit in every snapshot retired before it, so they go together. */
  void Reclaim()
  {
    for (const Retired& r : mRetired)
      if (HeldByAnyWalk(r.snapshot.get()))
        return;
    mRetired.clear();
  }

  /** Waits for every walk on another thread that may hold an entry removed
   *  before `published` went out. Only addresses are compared: a slot holding
   *  `published` (or a later snapshot at its address) cannot hold the entry;
   *  any other snapshot might, or is newer, and then waiting is merely early. */
  void WaitForOlderWalks(const Snapshot* published) const
  {
    const std::thread::id self = std::this_thread::get_id();
    for (const Slot& slot : mSlots)
    {
      for (;;)
      {
        const Snapshot* held = slot.hazard.load();
        if (!held || held == published || slot.owner.load() == self)
          break;
        std::this_thread::yield();
      }
    }
  }

  std::atomic<const Snapshot*> mCurrent;
  mutable Slot mSlots[kSlots];
  std::mutex mWriteMutex;
  std::vector<std::unique_ptr<Node>> mNodes; // the live entries, under the write mutex
  std::vector<Retired> mRetired;             // under the write mutex
};

} // namespace iplug
