// Bundles: folders with Contents/Info.plist, Contents/Resources and a shared
// library in Contents/Linux. Every bundle object lives as long as the
// process, like loaded bundles do on macOS.
#include "macos_api/src/CFRuntime.h"
#include "macos_api/src/CFStringInternal.h"

#include <MacAPIExtensions.h>

#include <dlfcn.h>
#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

using namespace macapi;

struct __CFBundle : __CFObject
{
  CFTypeID TypeID() const override { return kTypeBundle; }
  std::string Describe() const override { return "<CFBundle " + path + ">"; }

  std::string path;       // the bundle folder
  std::string contents;   // folder holding Info.plist and Resources
  std::string executable; // shared library path; empty for the main bundle
  CFMutableDictionaryRef info = nullptr;
  void* handle = nullptr; // dlopen handle once loaded
  std::mutex loadLock;
};

const CFStringRef kCFBundleInfoDictionaryVersionKey = CFSTR("CFBundleInfoDictionaryVersion");
const CFStringRef kCFBundleExecutableKey = CFSTR("CFBundleExecutable");
const CFStringRef kCFBundleIdentifierKey = CFSTR("CFBundleIdentifier");
const CFStringRef kCFBundleVersionKey = CFSTR("CFBundleVersion");
const CFStringRef kCFBundleDevelopmentRegionKey = CFSTR("CFBundleDevelopmentRegion");
const CFStringRef kCFBundleNameKey = CFSTR("CFBundleName");
const CFStringRef kCFBundleLocalizationsKey = CFSTR("CFBundleLocalizations");

namespace {

std::mutex gBundlesLock;

std::map<std::string, __CFBundle*>& Bundles()
{
  // Never destroyed: bundles outlive every static object that may use them.
  static auto* bundles = new std::map<std::string, __CFBundle*>;
  return *bundles;
}

bool IsDirectory(const std::string& path)
{
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path)
{
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string AbsolutePath(const std::string& path)
{
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

std::string BaseName(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

CFMutableDictionaryRef ReadInfo(const std::string& file)
{
  CFPropertyListRef plist = MacAPIPropertyListCreateFromFile(file.c_str(), kCFPropertyListMutableContainers);
  if (CFGetTypeID(plist) == CFDictionaryGetTypeID())
    return static_cast<CFMutableDictionaryRef>(const_cast<void*>(plist));
  if (plist)
    CFRelease(plist);
  return CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
}

__CFBundle* MainBundle()
{
  static __CFBundle* main = [] {
    auto* b = new __CFBundle;
    b->immortal = true;
    const std::string exe = AbsolutePath("/proc/self/exe");
    std::string dir = exe.substr(0, exe.rfind('/'));
    // A program inside <Name>.app/Contents/Linux belongs to that bundle;
    // any other program is its own folder.
    const std::string suffix = "/Contents/Linux";
    if (dir.size() > suffix.size() && dir.compare(dir.size() - suffix.size(), suffix.size(), suffix) == 0)
    {
      b->path = dir.substr(0, dir.size() - suffix.size());
      b->contents = b->path + "/Contents";
    }
    else
      b->path = b->contents = dir;
    b->info = ReadInfo(b->contents + "/Info.plist");
    if (!CFDictionaryContainsKey(b->info, kCFBundleIdentifierKey))
    {
      CFStringRef name = MakeString(BaseName(exe));
      CFDictionarySetValue(b->info, kCFBundleIdentifierKey, name);
      CFRelease(name);
    }
    return b;
  }();
  return main;
}

__CFBundle* Bundle(CFBundleRef ref) { return AsMutable<__CFBundle>(ref); }

CFURLRef URLFor(const std::string& path, bool isDirectory)
{
  return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.data()),
                                                 static_cast<CFIndex>(path.size()), isDirectory);
}

} // namespace

CFTypeID CFBundleGetTypeID(void) { return kTypeBundle; }

CFBundleRef CFBundleGetMainBundle(void) { return MainBundle(); }

void MacAPISetMainBundleInfo(const char* identifier, const char* version)
{
  __CFBundle* b = MainBundle();
  std::lock_guard<std::mutex> lock(gBundlesLock);
  if (identifier)
  {
    CFStringRef s = MakeString(identifier);
    CFDictionarySetValue(b->info, kCFBundleIdentifierKey, s);
    CFRelease(s);
  }
  if (version)
  {
    CFStringRef s = MakeString(version);
    CFDictionarySetValue(b->info, kCFBundleVersionKey, s);
    CFRelease(s);
  }
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL)
{
  char raw[PATH_MAX];
  if (!CFURLGetFileSystemRepresentation(bundleURL, true, reinterpret_cast<UInt8*>(raw), sizeof(raw)))
    return nullptr;
  const std::string path = AbsolutePath(raw);
  if (path.empty() || !IsDirectory(path))
    return nullptr;
  std::lock_guard<std::mutex> lock(gBundlesLock);
  auto& bundles = Bundles();
  if (auto it = bundles.find(path); it != bundles.end())
    return static_cast<CFBundleRef>(const_cast<void*>(CFRetain(it->second)));
  auto* b = new __CFBundle;
  b->path = path;
  b->contents = path + "/Contents";
  b->info = ReadInfo(b->contents + "/Info.plist");
  std::string exeName = StringUTF8(static_cast<CFStringRef>(CFDictionaryGetValue(b->info, kCFBundleExecutableKey)));
  if (exeName.empty())
  {
    exeName = BaseName(path);
    exeName = exeName.substr(0, exeName.rfind('.'));
  }
  // The library is Contents/Linux/<CFBundleExecutable>.so; a name that
  // already ends in .so is taken as it is.
  if (exeName.size() < 3 || exeName.compare(exeName.size() - 3, 3, ".so") != 0)
    exeName += ".so";
  b->executable = b->contents + "/Linux/" + exeName;
  bundles[path] = b; // the registry keeps the creation reference
  return static_cast<CFBundleRef>(const_cast<void*>(CFRetain(b)));
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID)
{
  if (!bundleID)
    return nullptr;
  __CFBundle* main = MainBundle();
  std::lock_guard<std::mutex> lock(gBundlesLock);
  if (CFEqual(CFDictionaryGetValue(main->info, kCFBundleIdentifierKey), bundleID))
    return main;
  for (auto& [path, b] : Bundles())
    if (CFEqual(CFDictionaryGetValue(b->info, kCFBundleIdentifierKey), bundleID))
      return b;
  return nullptr;
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle)
{
  CFTypeRef id = CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleIdentifierKey);
  return CFGetTypeID(id) == CFStringGetTypeID() ? static_cast<CFStringRef>(id) : nullptr;
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle)
{
  auto* b = Bundle(bundle);
  return b ? b->info : nullptr;
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key)
{
  auto* b = Bundle(bundle);
  if (!b)
    return nullptr;
  std::lock_guard<std::mutex> lock(gBundlesLock);
  return CFDictionaryGetValue(b->info, key);
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle)
{
  auto* b = Bundle(bundle);
  return b ? URLFor(b->path, true) : nullptr;
}

CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle)
{
  auto* b = Bundle(bundle);
  return b ? URLFor(b->contents + "/Resources", true) : nullptr;
}

CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle)
{
  auto* b = Bundle(bundle);
  if (!b)
    return nullptr;
  return URLFor(b == MainBundle() ? AbsolutePath("/proc/self/exe") : b->executable, false);
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName)
{
  auto* b = Bundle(bundle);
  const std::string name = StringUTF8(resourceName);
  if (!b || name.empty())
    return nullptr;
  std::string path = b->contents + "/Resources/";
  if (const std::string sub = StringUTF8(subDirName); !sub.empty())
    path += sub + "/";
  path += name;
  if (const std::string type = StringUTF8(resourceType); !type.empty())
    path += (type[0] == '.' ? "" : ".") + type;
  return IsFile(path) ? URLFor(path, false) : nullptr;
}

UInt32 CFBundleGetVersionNumber(CFBundleRef bundle)
{
  const std::string text =
    StringUTF8(static_cast<CFStringRef>(CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleVersionKey)));
  unsigned major = 0, minor = 0, bug = 0;
  std::sscanf(text.c_str(), "%u.%u.%u", &major, &minor, &bug);
  return ((major & 0xFF) << 24) | ((minor & 0xF) << 20) | ((bug & 0xF) << 16);
}

Boolean CFBundleLoadExecutable(CFBundleRef bundle)
{
  auto* b = Bundle(bundle);
  if (!b)
    return false;
  if (b == MainBundle())
    return true;
  std::lock_guard<std::mutex> lock(b->loadLock);
  if (!b->handle)
    b->handle = ::dlopen(b->executable.c_str(), RTLD_NOW | RTLD_LOCAL);
  return b->handle != nullptr;
}

Boolean CFBundleIsExecutableLoaded(CFBundleRef bundle)
{
  auto* b = Bundle(bundle);
  if (!b)
    return false;
  if (b == MainBundle())
    return true;
  std::lock_guard<std::mutex> lock(b->loadLock);
  return b->handle != nullptr;
}

void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName)
{
  auto* b = Bundle(bundle);
  const std::string name = StringUTF8(functionName);
  if (!b || name.empty() || !CFBundleLoadExecutable(bundle))
    return nullptr;
  std::lock_guard<std::mutex> lock(b->loadLock);
  return ::dlsym(b == MainBundle() ? RTLD_DEFAULT : b->handle, name.c_str());
}
