#pragma once
// An advisory lock on an output name for as long as this object lives, so
// two programs that will both write one file later (two editors saving
// their state when they close) cannot both hold it. The lock is taken on a
// hidden file beside the output, ".NAME.lock": the output itself is
// replaced by a rename when it is written, which would drop a lock held on it.

#include <string>

namespace corvane::host {

class OutputLock
{
public:
  /** Locks the file `path` reaches (through symbolic links). Throws
      ToolError naming `path` when another program holds the lock, or when
      the lock file cannot be made. */
  explicit OutputLock(const std::string& path);
  /** Removes the lock file and releases the lock. */
  ~OutputLock();

  OutputLock(const OutputLock&) = delete;
  OutputLock& operator=(const OutputLock&) = delete;

  const std::string& LockPath() const { return mLockPath; }

private:
  std::string mLockPath;
  int mFd = -1;
};

} // namespace corvane::host
