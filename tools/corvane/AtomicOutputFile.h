#pragma once
// Writes a file under a temporary name in the destination's own folder and
// renames it into place only on Commit, so a failed run never leaves a
// partial or truncated output behind (and never clobbers an existing file
// with half a result). A replaced file keeps its permissions (and its owner
// where the user may set it); a name that is a symbolic link is written
// through to the link's target, and the link stays.

#include <cstddef>
#include <string>

namespace corvane::host {

class AtomicOutputFile
{
public:
  /** Creates the temporary file next to `finalPath` (next to its link
      target). Throws ToolError when the folder is missing or not writable,
      `finalPath` is a folder or anything else that is not a regular file
      (a pipe, a device), or it exists and `noClobber` is set. */
  explicit AtomicOutputFile(std::string finalPath, bool noClobber = false);
  ~AtomicOutputFile();

  AtomicOutputFile(const AtomicOutputFile&) = delete;
  AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

  /** Open descriptor of the temporary file (owned by this object). */
  int Fd() const { return mFd; }
  const std::string& TempPath() const { return mTempPath; }
  const std::string& FinalPath() const { return mFinalPath; }

  /** Writes all of `bytes` to the temporary file. Throws ToolError. */
  void WriteAll(const void* bytes, size_t size);

  /** Flushes, closes and renames the temporary file to the final name.
      Throws ToolError (and removes the temporary file) on failure,
      including when the file appeared meanwhile and `noClobber` is set,
      or a pipe or device appeared at the name. */
  void Commit();
  /** Closes and removes the temporary file; Commit is then impossible. */
  void Discard();

private:
  std::string mFinalPath;  // as the user named it, for messages
  std::string mTargetPath; // where the rename goes: the end of any link chain
  std::string mTempPath;
  bool mNoClobber = false;
  int mFd = -1;
  bool mDone = false;
};

} // namespace corvane::host
