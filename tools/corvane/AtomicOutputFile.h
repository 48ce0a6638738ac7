#pragma once
// Writes a file under a temporary name in the destination's own folder and
// renames it into place only on Commit, so a failed run never leaves a
// partial or truncated output behind (and never clobbers an existing file
// with half a result).

#include <string>

namespace corvane::host {

class AtomicOutputFile
{
public:
  /** Creates the temporary file next to `finalPath`. Throws ToolError when
      the folder is missing or not writable, or `finalPath` is a folder. */
  explicit AtomicOutputFile(std::string finalPath);
  ~AtomicOutputFile();

  AtomicOutputFile(const AtomicOutputFile&) = delete;
  AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

  /** Open descriptor of the temporary file (owned by this object). */
  int Fd() const { return mFd; }
  const std::string& TempPath() const { return mTempPath; }
  const std::string& FinalPath() const { return mFinalPath; }

  /** Flushes, closes and renames the temporary file to the final name.
      Throws ToolError (and removes the temporary file) on failure. */
  void Commit();
  /** Closes and removes the temporary file; Commit is then impossible. */
  void Discard();

private:
  std::string mFinalPath;
  std::string mTempPath;
  int mFd = -1;
  bool mDone = false;
};

} // namespace corvane::host
