#pragma once
// A list of host callbacks that the host's threads change while other
// threads, the audio thread among them, walk it. A walk reads an immutable
// snapshot: it takes no lock, allocates nothing, makes no system call and
// never waits, however many walks run at once or nest on one thread. A change
// builds a new snapshot under a mutex, publishes it with one atomic exchange,
// and frees retired snapshots and removed entries on the changing thread once
// it sees no walk running.
//
// Removal marks the entry removed, so no walk calls it from then on, the walk
// still running on the removing thread included. A removal made outside any
// walk then waits for calls of that entry already running on other threads:
// once it returns, the entry is not called again. A removal made from inside
// a callback (of this list or any other) does not wait: a thread inside a
// walk that waited for other threads could wait for itself through them (two
// threads each removing its own listener from its callback). There, a call
// already running on another thread may still finish after the removal
// returned.

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace iplug {
namespace snapshot_list {
/** Walks the current thread is inside, over every list. Initial-exec storage: in a library loaded
 *  at run time, a thread's first walk must not allocate its thread-local block. */
[[gnu::tls_model("initial-exec")]] inline thread_local int tWalkDepth = 0;

/** Counts a thread's stay inside a walk. */
struct WalkDepthScope
{
  WalkDepthScope() { ++tWalkDepth; }
  ~WalkDepthScope() { --tWalkDepth; }
  WalkDepthScope(const WalkDepthScope&) = delete;
  WalkDepthScope& operator=(const WalkDepthScope&) = delete;
};
} // namespace snapshot_list

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
    Publish();
    return true;
  }

  void Add(const T& item)
  {
    AddUnless(item, [](const T&) { return false; });
  }

  /** Removes the first entry that satisfies `match`. Outside a callback, returns once no other
   *  thread is calling it; from inside one, at once. */
  template <typename Match>
  bool RemoveFirst(Match match)
  {
    std::unique_ptr<Node> node;
    const bool insideWalk = snapshot_list::tWalkDepth > 0;
    {
      std::lock_guard lock(mWriteMutex);
      auto it = mNodes.begin();
      while (it != mNodes.end() && !match((*it)->value))
        ++it;
      if (it == mNodes.end())
        return false;
      node = std::move(*it);
      mNodes.erase(it);
      node->removed.store(true);
      Publish();
      if (insideWalk)
      {
        mRetired.push_back({nullptr, std::move(node)});
        return true;
      }
    }
    // Outside the lock, so a callback that is running may still change the list. The entry stays
    // ours meanwhile: retired, it could be freed while this thread still looks at it.
    while (node->calls.load() != 0)
      std::this_thread::yield();
    std::lock_guard lock(mWriteMutex);
    mRetired.push_back({nullptr, std::move(node)}); // older snapshots may still list it
    Reclaim();
    return true;
  }

  /** Calls `f(entry)` for every entry of the current snapshot that has not been removed. */
  template <typename F>
  void ForEach(F&& f) const
  {
    const snapshot_list::WalkDepthScope depth;
    const Counted walking(mWalks);
    // Loaded after the walk is counted: a change that then sees no walk frees only snapshots
    // that were replaced before this load.
    const Snapshot* snapshot = mCurrent.load();
    for (const Node* node : snapshot->nodes)
    {
      // Counted before the check: a removal either is seen here or sees this call and waits.
      const Counted calling(node->calls);
      if (!node->removed.load())
        f(node->value);
    }
  }

private:
  struct Node
  {
    explicit Node(const T& v) : value(v) {}
    const T value;
    std::atomic<bool> removed{false};
    mutable std::atomic<int> calls{0}; // walks checking or calling this entry now
  };

  struct Snapshot
  {
    std::vector<const Node*> nodes;
  };

  /** A replaced snapshot or a removed entry, freed once no walk runs. */
  struct Retired
  {
    std::unique_ptr<const Snapshot> snapshot;
    std::unique_ptr<Node> node;
  };

  /** Holds a count up for one scope. */
  class Counted
  {
  public:
    explicit Counted(std::atomic<int>& count) : mCount(count) { mCount.fetch_add(1); }
    ~Counted() { mCount.fetch_sub(1); }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;

  private:
    std::atomic<int>& mCount;
  };

  /** Publishes a snapshot of mNodes and retires the previous one. Runs under the write mutex. */
  void Publish()
  {
    auto next = std::make_unique<Snapshot>();
    next->nodes.reserve(mNodes.size());
    for (const auto& node : mNodes)
      next->nodes.push_back(node.get());
    const Snapshot* previous = mCurrent.exchange(next.release());
    mRetired.push_back({std::unique_ptr<const Snapshot>(previous), nullptr});
    Reclaim();
  }

  /** Frees everything retired when no walk runs: a walk that starts later reads a snapshot
   *  published after all of it was retired. Runs under the write mutex. */
  void Reclaim()
  {
    if (mWalks.load() == 0)
      mRetired.clear();
  }

  std::atomic<const Snapshot*> mCurrent;
  mutable std::atomic<int> mWalks{0};
  std::mutex mWriteMutex;
  std::vector<std::unique_ptr<Node>> mNodes; // the live entries, under the write mutex
  std::vector<Retired> mRetired;             // under the write mutex
};

} // namespace iplug
