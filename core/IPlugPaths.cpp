#include "core/IPlugPaths.h"

#include "core/UserDirectories.h"

#include <CoreFoundation/CoreFoundation.h>

#include <strings.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <string>

namespace iplug {
namespace {

bool FileExists(const std::string& path)
{
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string UrlPath(CFURLRef url)
{
  char buffer[4096];
  if (url && CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(buffer), sizeof(buffer)))
    return buffer;
  return {};
}

// Copy-rule URL of a bundle property, released here.
template <typename CopyFunction>
std::string BundleUrlPath(const char* bundleId, CopyFunction copy)
{
  CFBundleRef bundle = nullptr;
  if (bundleId && *bundleId)
  {
    CFStringRef identifier = CFStringCreateWithCString(kCFAllocatorDefault, bundleId, kCFStringEncodingUTF8);
    bundle = CFBundleGetBundleWithIdentifier(identifier);
    CFRelease(identifier);
  }
  if (!bundle)
    return {};
  CFURLRef url = copy(bundle);
  std::string path = UrlPath(url);
  if (url)
    CFRelease(url);
  return path;
}

std::string MainBundleIdentifier()
{
  CFBundleRef main = CFBundleGetMainBundle();
  CFStringRef identifier = main ? CFBundleGetIdentifier(main) : nullptr;
  char buffer[512] = {0};
  if (identifier)
    CFStringGetCString(identifier, buffer, sizeof(buffer), kCFStringEncodingUTF8);
  return buffer;
}

// The text after the last '.', or the whole name when there is none.
const char* Extension(const char* fileName)
{
  const char* dot = std::strrchr(fileName, '.');
  return dot ? dot + 1 : fileName;
}

bool ExtensionMatches(const char* fileName, const char* searchExt)
{
  return searchExt && ::strcasecmp(Extension(fileName), searchExt) == 0;
}

std::string WithoutExtension(const std::string& name)
{
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string LastComponent(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RemoveLastComponents(std::string path, int count)
{
  while (count-- > 0)
  {
    while (path.size() > 1 && path.back() == '/')
      path.pop_back();
    const size_t slash = path.rfind('/');
    path = slash == std::string::npos ? std::string() : path.substr(0, slash);
  }
  return path;
}

} // namespace

EResourceLocation LocateResource(const char* name, const char* type, WDL_String& result, const char* bundleId,
                                 void* /*moduleHandle*/, const char* sharedResourcesSubPath)
{
  if (!name || !*name)
    return kNotFound;
  if (GetResourcePathFromBundle(name, type, result, bundleId) ||
      GetResourcePathFromSharedLocation(name, type, result, sharedResourcesSubPath))
    return kAbsolutePath;
  if (FileExists(name))
  {
    result.Set(name);
    return kAbsolutePath;
  }
  return kNotFound;
}

bool GetResourcePathFromBundle(const char* fileName, const char* searchExt, WDL_String& fullPath, const char* bundleId)
{
  fullPath.Set("");
  if (!fileName || !ExtensionMatches(fileName, searchExt))
    return false;

  std::string folder;
  if (MainBundleIdentifier().find("AUv3") != std::string::npos)
  {
    const std::string bundlePath = BundleUrlPath(bundleId, [](CFBundleRef b) { return CFBundleCopyBundleURL(b); });
    if (bundlePath.empty())
      return false;
    folder = RemoveLastComponents(bundlePath, 2) + "/Resources/";
  }
  else
  {
    const std::string resources =
      BundleUrlPath(bundleId, [](CFBundleRef b) { return CFBundleCopyResourcesDirectoryURL(b); });
    if (resources.empty())
      return false;
    folder = resources + "/";
  }

  const std::string candidate = folder + WithoutExtension(fileName) + "." + searchExt;
  if (!FileExists(candidate))
    return false;
  fullPath.Set(candidate.c_str());
  return true;
}

bool GetResourcePathFromSharedLocation(const char* fileName, const char* searchExt, WDL_String& fullPath,
                                       const char* sharedResourcesSubPath)
{
  fullPath.Set("");
  if (!fileName || !ExtensionMatches(fileName, searchExt) || !sharedResourcesSubPath || !*sharedResourcesSubPath)
    return false;
  const std::string base = WithoutExtension(LastComponent(fileName));
  const std::string candidate =
    UserDirectories::Music() + "/" + sharedResourcesSubPath + "/Resources/" + base + "." + searchExt;
  if (!FileExists(candidate))
    return false;
  fullPath.Set(candidate.c_str());
  return true;
}

void HostPath(WDL_String& path, const char* bundleId)
{
  const std::string executable = BundleUrlPath(bundleId, [](CFBundleRef b) { return CFBundleCopyExecutableURL(b); });
  if (!executable.empty())
    path.Set(executable.c_str());
}

void PluginPath(WDL_String& path, const char* bundleId)
{
  const std::string bundlePath = BundleUrlPath(bundleId, [](CFBundleRef b) { return CFBundleCopyBundleURL(b); });
  if (!bundlePath.empty())
    path.SetFormatted(4096, "%s/", RemoveLastComponents(bundlePath, 1).c_str());
}

void BundleResourcePath(WDL_String& path, const char* bundleId)
{
  const std::string resources =
    BundleUrlPath(bundleId, [](CFBundleRef b) { return CFBundleCopyResourcesDirectoryURL(b); });
  if (!resources.empty())
    path.Set(resources.c_str());
}

void DesktopPath(WDL_String& path) { path.Set(UserDirectories::Desktop().c_str()); }

void UserHomePath(WDL_String& path) { path.Set(UserDirectories::Home().c_str()); }

void VST3PresetsPath(WDL_String& path, const char* makerName, const char* pluginName, bool systemWide)
{
  const std::string library = systemWide ? UserDirectories::SystemData() : UserDirectories::Data();
  path.SetFormatted(1024, "%s/Audio/Presets/%s/%s/", library.c_str(), makerName ? makerName : "",
                    pluginName ? pluginName : "");
}

void INIPath(WDL_String& path, const char* pluginName)
{
  path.SetFormatted(4096, "%s/%s", UserDirectories::Data().c_str(), pluginName ? pluginName : "");
}

void AppSupportPath(WDL_String& path, bool systemWide)
{
  path.Set((systemWide ? UserDirectories::SystemData() : UserDirectories::Data()).c_str());
}

void AppGroupContainerPath(WDL_String& path, const char* appGroupId)
{
  // No application-group containers here: a folder of that name under the
  // user's data folder serves the same purpose.
  path.SetFormatted(4096, "%s/%s", UserDirectories::Data().c_str(), appGroupId ? appGroupId : "");
}

void SharedMusicPath(WDL_String& path) { path.Set(UserDirectories::Music().c_str()); }

bool AppIsSandboxed()
{
  return UserDirectories::Home().find("Library/Containers/") != std::string::npos || FileExists("/.flatpak-info");
}

bool IsXPCAuHost()
{
  std::ifstream comm("/proc/self/comm");
  std::string name;
  std::getline(comm, name);
  return name.find("XPC") != std::string::npos;
}

bool IsOOPAuv3AppExtension() { return MainBundleIdentifier().find("AUv3") != std::string::npos; }

} // namespace iplug
