#include <gtest/gtest.h>

#include "core/IPlugPaths.h"

#include <CoreFoundation/CoreFoundation.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace iplug;
namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& text)
{
  fs::create_directories(path.parent_path());
  std::ofstream(path) << text;
}

// A bundle with an identifier and two resources, and a home folder whose
// user-dirs configuration moves the Music folder.
class ResourcePaths : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    root = fs::temp_directory_path() / ("corvane-paths-" + std::to_string(::getpid()));
    bundle = root / "Probe.component";
    WriteFile(bundle / "Contents/Info.plist",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
              "<key>CFBundleIdentifier</key><string>com.example.paths.probe</string>"
              "</dict></plist>\n");
    WriteFile(bundle / "Contents/Resources/BG.png", "png");
    WriteFile(bundle / "Contents/Resources/Font.ttf", "ttf");

    home = root / "home";
    WriteFile(home / ".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Musik\"\n");
    WriteFile(home / "Musik/Probe/Resources/Knob.png", "png");
    ::setenv("HOME", home.c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DATA_HOME");

    CFURLRef url =
      CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(bundle.c_str()),
                                              static_cast<CFIndex>(bundle.native().size()), true);
    opened = CFBundleCreate(kCFAllocatorDefault, url);
    CFRelease(url);
  }

  static void TearDownTestSuite()
  {
    if (opened)
      CFRelease(opened);
    fs::remove_all(root);
  }

  static inline fs::path root, bundle, home;
  static inline CFBundleRef opened = nullptr;
  static constexpr const char* kId = "com.example.paths.probe";
};

} // namespace

TEST_F(ResourcePaths, BundleResourcesComeFirstAndTheExtensionIgnoresCase)
{
  ASSERT_NE(opened, nullptr);
  WDL_String result;
  EXPECT_EQ(LocateResource("BG.png", "png", result, kId, nullptr, "Probe"), kAbsolutePath);
  EXPECT_EQ(fs::path(result.Get()), fs::canonical(bundle / "Contents/Resources/BG.png"));

  EXPECT_EQ(LocateResource("BG.PNG", "png", result, kId, nullptr, "Probe"), kAbsolutePath);
  EXPECT_EQ(fs::path(result.Get()).filename(), "BG.png"); // the type gives the extension
}

TEST_F(ResourcePaths, SharedFolderUnderTheUsersMusicFolderComesSecond)
{
  WDL_String result;
  EXPECT_EQ(LocateResource("images/Knob.png", "png", result, kId, nullptr, "Probe"), kAbsolutePath);
  EXPECT_EQ(fs::path(result.Get()), home / "Musik/Probe/Resources/Knob.png");

  WDL_String music;
  SharedMusicPath(music);
  EXPECT_EQ(fs::path(music.Get()), home / "Musik");
  // Without a sub-path the shared folder is not searched.
  EXPECT_EQ(LocateResource("Knob.png", "png", result, kId, nullptr, nullptr), kNotFound);
}

TEST_F(ResourcePaths, OtherExtensionsAreFoundOnlyAsLiteralPaths)
{
  WDL_String result("untouched");
  EXPECT_FALSE(GetResourcePathFromBundle("Font.ttf", "png", result, kId));
  EXPECT_STREQ(result.Get(), "");

  const fs::path literal = bundle / "Contents/Resources/Font.ttf";
  EXPECT_EQ(LocateResource(literal.c_str(), "png", result, kId, nullptr, "Probe"), kAbsolutePath);
  EXPECT_STREQ(result.Get(), literal.c_str());

  result.Set("untouched");
  EXPECT_EQ(LocateResource("", "png", result, kId, nullptr, "Probe"), kNotFound);
  EXPECT_EQ(LocateResource(nullptr, "png", result, kId, nullptr, "Probe"), kNotFound);
  EXPECT_STREQ(result.Get(), "untouched");
  EXPECT_EQ(LocateResource("BG.png", "png", result, "com.example.missing", nullptr, "Probe"), kNotFound);
}

TEST_F(ResourcePaths, BundleFoldersAndUserFolders)
{
  WDL_String path;
  BundleResourcePath(path, kId);
  EXPECT_EQ(fs::path(path.Get()), fs::canonical(bundle / "Contents/Resources"));
  PluginPath(path, kId);
  EXPECT_EQ(fs::path(path.Get()), fs::canonical(root).string() + "/");

  WDL_String unchanged("keep");
  HostPath(unchanged, "com.example.missing");
  EXPECT_STREQ(unchanged.Get(), "keep");

  DesktopPath(path);
  EXPECT_EQ(fs::path(path.Get()), home / "Desktop"); // not configured: the fallback
  VST3PresetsPath(path, "Maker", "Plug", false);
  EXPECT_EQ(std::string(path.Get()), (home / ".local/share").string() + "/Audio/Presets/Maker/Plug/");
  EXPECT_FALSE(IsOOPAuv3AppExtension());
}
