#pragma once
// A fresh folder under /tmp for one test, removed with everything in it.

#include <filesystem>
#include <string>
#include <vector>

class TempFolder
{
public:
  TempFolder()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    mPath = mkdtemp(buffer.data());
  }
  ~TempFolder() { std::filesystem::remove_all(mPath); }

  std::string Path(const std::string& name) const { return (mPath / name).string(); }
  std::vector<std::string> Names() const
  {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(mPath))
      names.push_back(entry.path().filename().string());
    return names;
  }

private:
  std::filesystem::path mPath;
};
