#pragma once
// Single-producer, single-consumer ring buffer carrying values, MIDI and SysEx
// between the audio thread, host threads and the editor's timer. It holds at
// most N - 1 elements; a push into a full queue drops the new element. The
// slots are allocated once at construction, so pushing and popping never
// allocate or lock and are safe on the audio thread.

#include <atomic>
#include <cstddef>
#include <memory>

namespace iplug {

template <typename T>
class IPlugQueue final
{
public:
  /** @param size number of slots N; the queue holds N - 1 elements. */
  explicit IPlugQueue(int size) : mSize(size > 1 ? static_cast<size_t>(size) : 2), mData(std::make_unique<T[]>(mSize))
  {}

  IPlugQueue(const IPlugQueue&) = delete;
  IPlugQueue& operator=(const IPlugQueue&) = delete;

  /** Producer side. Returns false (and drops `item`) when full. */
  bool TryPush(const T& item)
  {
    const size_t write = mWriteIndex.load(std::memory_order_relaxed);
    const size_t next = Increment(write);
    if (next == mReadIndex.load(std::memory_order_acquire))
      return false;
    mData[write] = item;
    // Release: the element must be visible before the advanced write index.
    mWriteIndex.store(next, std::memory_order_release);
    return true;
  }

  /** Consumer side. Returns false when empty. */
  bool TryPop(T& item)
  {
    const size_t read = mReadIndex.load(std::memory_order_relaxed);
    if (read == mWriteIndex.load(std::memory_order_acquire))
      return false;
    item = mData[read];
    // Release: the producer may reuse the slot only after it has been copied.
    mReadIndex.store(Increment(read), std::memory_order_release);
    return true;
  }

  /** Elements waiting; exact when called from the producer or consumer thread. */
  size_t ElementsAvailable() const
  {
    const size_t write = mWriteIndex.load(std::memory_order_acquire);
    const size_t read = mReadIndex.load(std::memory_order_acquire);
    return write >= read ? write - read : write - read + mSize;
  }
  size_t Count() const { return ElementsAvailable(); }

  /** Slot count N. */
  size_t Size() const { return mSize; }

private:
  size_t Increment(size_t index) const { return index + 1 == mSize ? 0 : index + 1; }

  const size_t mSize;
  std::unique_ptr<T[]> mData;
  std::atomic<size_t> mWriteIndex{0};
  std::atomic<size_t> mReadIndex{0};
};

} // namespace iplug
