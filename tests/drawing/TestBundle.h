#pragma once
// A plug-in bundle in a temporary folder, opened so that resource lookup by
// its identifier finds the files put into Contents/Resources.

#include <CoreFoundation/CoreFoundation.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "../tools/TempFolder.h"

namespace iplug::igraphics::test {

class TestBundle
{
public:
  TestBundle()
  {
    static std::atomic<int> counter{0};
    id = "com.example.drawing.t" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    root = std::filesystem::path(folder.Path("Probe.component"));
    std::filesystem::create_directories(root / "Contents/Resources");
    std::ofstream(root / "Contents/Info.plist")
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
         "<key>CFBundleIdentifier</key><string>"
      << id << "</string></dict></plist>\n";
    CFURLRef url =
      CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(root.c_str()),
                                              static_cast<CFIndex>(root.native().size()), true);
    bundle = CFBundleCreate(kCFAllocatorDefault, url);
    CFRelease(url);
  }
  ~TestBundle()
  {
    if (bundle)
      CFRelease(bundle);
  }

  std::string Resource(const std::string& name) const { return (root / "Contents/Resources" / name).string(); }
  void Write(const std::string& name, const std::string& bytes) const
  {
    std::ofstream(Resource(name), std::ios::binary) << bytes;
  }

  TempFolder folder;
  std::filesystem::path root;
  std::string id;
  CFBundleRef bundle = nullptr;
};

} // namespace iplug::igraphics::test
