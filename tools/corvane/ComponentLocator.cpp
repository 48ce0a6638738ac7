#include "tools/corvane/ComponentLocator.h"

#include "tools/corvane/ToolError.h"

#include <filesystem>
#include <system_error>

namespace corvane::host {
namespace {

bool IsBundle(const std::string& path)
{
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::path(path) / "Contents" / "Info.plist", error);
}

} // namespace

std::string ProgramFolder()
{
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string(".") : exe.parent_path().string();
}

std::vector<std::string> DefaultBundlePaths(const std::string& programFolder)
{
  const std::filesystem::path folder(programFolder);
  return {(folder / "Corvane.component").string(), (folder.parent_path() / "Corvane.component").string(),
          (folder.parent_path() / "lib" / "audio-units" / "Corvane.component").string()};
}

std::string LocateComponentBundle(const std::string& explicitPath, const std::string& programFolder)
{
  if (!explicitPath.empty())
  {
    std::error_code error;
    if (!std::filesystem::exists(explicitPath, error))
      throw ToolError("component bundle '" + explicitPath + "' does not exist");
    if (!IsBundle(explicitPath))
      throw ToolError("'" + explicitPath + "' is not a component bundle (no Contents/Info.plist)");
    return explicitPath;
  }
  for (const std::string& path : DefaultBundlePaths(programFolder))
    if (IsBundle(path))
      return path;
  return "";
}

} // namespace corvane::host
