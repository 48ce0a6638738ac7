// The list of known components: bundles found on the search path or
// registered by path, and factories registered in-process. Instances are
// created through the component's factory and Open, as on macOS.
#include "macos_api/src/AudioComponentInternal.h"
#include "macos_api/src/CFRuntime.h"
#include "macos_api/src/CFStringInternal.h"

#include <MacAPIExtensions.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <vector>

using namespace macapi;

struct OpaqueAudioComponent
{
  AudioComponentDescription desc = {};
  CFStringRef name = nullptr;
  UInt32 version = 0;
  CFBundleRef bundle = nullptr;      // bundle components
  CFStringRef factoryName = nullptr; // symbol in the bundle's library
  AudioComponentFactoryFunction factory = nullptr;
};

namespace {

struct Registry
{
  std::mutex lock;
  std::vector<OpaqueAudioComponent*> components; // in registration order
  // Components dropped by a rescan stay allocated: instances may refer to them.
  std::vector<std::unique_ptr<OpaqueAudioComponent>> all;
  std::set<std::string> bundlePaths;
  std::optional<std::string> searchPath;
  bool scanned = false;
};

Registry& TheRegistry()
{
  static Registry* registry = new Registry;
  return *registry;
}

std::string DefaultSearchPath()
{
  std::string path;
  if (const char* env = std::getenv("MACAPI_COMPONENT_PATH"); env && *env)
    path = std::string(env) + ":";
  if (const char* home = std::getenv("HOME"); home && *home)
    path += std::string(home) + "/.local/lib/audio-units:";
  return path + "/usr/local/lib/audio-units:/usr/lib/audio-units";
}

// A four-character code from its four-byte text, or from a number.
std::optional<OSType> FourCC(CFTypeRef value)
{
  if (CFGetTypeID(value) == CFNumberGetTypeID())
  {
    SInt64 n = 0;
    if (CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt64Type, &n) && n >= 0 && n <= 0xFFFFFFFFLL)
      return static_cast<OSType>(n);
    return std::nullopt;
  }
  const std::string text = StringUTF8(static_cast<CFStringRef>(value));
  if (CFGetTypeID(value) != CFStringGetTypeID() || text.size() != 4)
    return std::nullopt;
  return static_cast<OSType>((UInt8(text[0]) << 24) | (UInt8(text[1]) << 16) | (UInt8(text[2]) << 8) | UInt8(text[3]));
}

OpaqueAudioComponent* Add(Registry& r, std::unique_ptr<OpaqueAudioComponent> c)
{
  OpaqueAudioComponent* raw = c.get();
  r.all.push_back(std::move(c));
  r.components.push_back(raw);
  return raw;
}

// Reads the bundle's AudioComponents entries; lock held.
int RegisterBundleLocked(Registry& r, const char* bundlePath)
{
  char resolved[PATH_MAX];
  if (!bundlePath || !::realpath(bundlePath, resolved) || r.bundlePaths.count(resolved))
    return 0;
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(resolved),
                                                         static_cast<CFIndex>(std::strlen(resolved)), true);
  CFBundleRef bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  if (!bundle)
    return 0;
  auto entries = static_cast<CFArrayRef>(CFBundleGetValueForInfoDictionaryKey(bundle, CFSTR("AudioComponents")));
  int added = 0;
  for (CFIndex i = 0; CFGetTypeID(entries) == CFArrayGetTypeID() && i < CFArrayGetCount(entries); ++i)
  {
    auto entry = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(entries, i));
    if (CFGetTypeID(entry) != CFDictionaryGetTypeID())
      continue;
    auto type = FourCC(CFDictionaryGetValue(entry, CFSTR("type")));
    auto subtype = FourCC(CFDictionaryGetValue(entry, CFSTR("subtype")));
    auto manufacturer = FourCC(CFDictionaryGetValue(entry, CFSTR("manufacturer")));
    CFTypeRef factory = CFDictionaryGetValue(entry, CFSTR("factoryFunction"));
    if (!type || !subtype || !manufacturer || CFGetTypeID(factory) != CFStringGetTypeID() ||
        CFStringGetLength(static_cast<CFStringRef>(factory)) == 0)
      continue;
    auto c = std::make_unique<OpaqueAudioComponent>();
    c->desc = {*type, *subtype, *manufacturer, 0, 0};
    CFTypeRef name = CFDictionaryGetValue(entry, CFSTR("name"));
    c->name = CFGetTypeID(name) == CFStringGetTypeID() ? CFStringCreateCopy(nullptr, static_cast<CFStringRef>(name))
                                                       : MakeString("");
    SInt64 version = 0;
    if (CFTypeRef v = CFDictionaryGetValue(entry, CFSTR("version")); CFGetTypeID(v) == CFNumberGetTypeID())
      CFNumberGetValue(static_cast<CFNumberRef>(v), kCFNumberSInt64Type, &version);
    c->version = static_cast<UInt32>(version);
    c->bundle = bundle;
    c->factoryName = CFStringCreateCopy(nullptr, static_cast<CFStringRef>(factory));
    Add(r, std::move(c));
    ++added;
  }
  // Bundles stay alive in the bundle registry; this reference is not needed.
  CFRelease(bundle);
  if (added)
    r.bundlePaths.insert(resolved);
  return added;
}

void ScanLocked(Registry& r)
{
  if (r.scanned)
    return;
  r.scanned = true;
  const std::string paths = r.searchPath ? *r.searchPath : DefaultSearchPath();
  size_t start = 0;
  while (start <= paths.size())
  {
    const size_t end = std::min(paths.find(':', start), paths.size());
    const std::string dir = paths.substr(start, end - start);
    start = end + 1;
    if (dir.empty())
      continue;
    std::vector<std::string> found;
    if (DIR* d = ::opendir(dir.c_str()))
    {
      while (dirent* e = ::readdir(d))
      {
        const std::string name = e->d_name;
        if (name.size() > 10 && name.compare(name.size() - 10, 10, ".component") == 0)
          found.push_back(dir + "/" + name);
      }
      ::closedir(d);
    }
    std::sort(found.begin(), found.end());
    for (const auto& bundle : found)
      RegisterBundleLocked(r, bundle.c_str());
  }
}

bool Matches(const OpaqueAudioComponent& c, const AudioComponentDescription* d)
{
  if (!d)
    return true;
  return (!d->componentType || d->componentType == c.desc.componentType) &&
         (!d->componentSubType || d->componentSubType == c.desc.componentSubType) &&
         (!d->componentManufacturer || d->componentManufacturer == c.desc.componentManufacturer) &&
         (c.desc.componentFlags & d->componentFlagsMask) == (d->componentFlags & d->componentFlagsMask);
}

bool Known(Registry& r, AudioComponent c)
{
  return std::any_of(r.all.begin(), r.all.end(), [&](const auto& p) { return p.get() == c; });
}

// Stores read(*component) in *out under the registry lock, or fails with
// paramErr when out is null or the component is not registered.
template <typename T, typename Read>
OSStatus ReadComponent(AudioComponent component, T* out, Read read)
{
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.lock);
  if (!out || !Known(r, component))
    return paramErr;
  *out = read(*component);
  return noErr;
}

} // namespace

int MacAPIRegisterComponentBundle(const char* bundlePath)
{
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.lock);
  return RegisterBundleLocked(r, bundlePath);
}

void MacAPISetComponentSearchPath(const char* paths)
{
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.lock);
  r.searchPath = paths ? std::optional<std::string>(paths) : std::nullopt;
}

void MacAPIRescanComponents(void)
{
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.lock);
  r.components.clear();
  r.bundlePaths.clear();
  r.scanned = false;
}

AudioComponent AudioComponentFindNext(AudioComponent inComponent, const AudioComponentDescription* inDesc)
{
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.lock);
  ScanLocked(r);
  auto it = r.components.begin();
  if (inComponent)
  {
    it = std::find(r.components.begin(), r.components.end(), inComponent);
    if (it == r.components.end())
      return nullptr;
    ++it;
  }
  for (; it != r.components.end(); ++it)
    if (Matches(**it, inDesc))
      return *it;
  return nullptr;
}

UInt32 AudioComponentCount(const AudioComponentDescription* inDesc)
{
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.lock);
  ScanLocked(r);
  return static_cast<UInt32>(
    std::count_if(r.components.begin(), r.components.end(), [&](auto* c) { return Matches(*c, inDesc); }));
}

AudioComponent AudioComponentRegister(const AudioComponentDescription* inDesc, CFStringRef inName, UInt32 inVersion,
                                      AudioComponentFactoryFunction inFactory)
{
  if (!inDesc || !inFactory)
    return nullptr;
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.lock);
  auto c = std::make_unique<OpaqueAudioComponent>();
  c->desc = *inDesc;
  c->name = inName ? CFStringCreateCopy(nullptr, inName) : MakeString("");
  c->version = inVersion;
  c->factory = inFactory;
  return Add(r, std::move(c));
}

OSStatus AudioComponentCopyName(AudioComponent inComponent, CFStringRef* outName)
{
  return ReadComponent(inComponent, outName,
                       [](const OpaqueAudioComponent& c) { return CFStringCreateCopy(nullptr, c.name); });
}

OSStatus AudioComponentGetDescription(AudioComponent inComponent, AudioComponentDescription* outDesc)
{
  return ReadComponent(inComponent, outDesc, [](const OpaqueAudioComponent& c) { return c.desc; });
}

OSStatus AudioComponentGetVersion(AudioComponent inComponent, UInt32* outVersion)
{
  return ReadComponent(inComponent, outVersion, [](const OpaqueAudioComponent& c) { return c.version; });
}

OSStatus AudioComponentInstanceNew(AudioComponent inComponent, AudioComponentInstance* outInstance)
{
  if (!outInstance)
    return paramErr;
  *outInstance = nullptr;
  AudioComponentFactoryFunction factory;
  {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.lock);
    if (!Known(r, inComponent))
      return paramErr;
    factory = inComponent->factory;
  }
  if (!factory)
    factory = reinterpret_cast<AudioComponentFactoryFunction>(
      CFBundleGetFunctionPointerForName(inComponent->bundle, inComponent->factoryName));
  if (!factory)
    return invalidComponentID;
  AudioComponentPlugInInterface* plugin = factory(&inComponent->desc);
  if (!plugin || !plugin->Open || !plugin->Close || !plugin->Lookup)
    return kAudioUnitErr_FailedInitialization;
  auto* record = new ComponentInstanceRecord;
  record->plugin = plugin;
  record->component = inComponent;
  if (OSStatus status = plugin->Open(plugin, record); status != noErr)
  {
    // A failed Open leaves the instance record to the component; only the
    // host's side is freed.
    record->magic = 0;
    delete record;
    return status;
  }
  *outInstance = record;
  return noErr;
}

OSStatus AudioComponentInstanceDispose(AudioComponentInstance inInstance)
{
  ComponentInstanceRecord* record = Live(inInstance);
  if (!record)
    return badComponentInstance;
  AudioComponentPlugInInterface* plugin = record->plugin;
  record->magic = 0;
  record->plugin = nullptr;
  const OSStatus status = plugin->Close(plugin);
  delete record;
  return status;
}

AudioComponent AudioComponentInstanceGetComponent(AudioComponentInstance inInstance)
{
  ComponentInstanceRecord* record = Live(inInstance);
  return record ? record->component : nullptr;
}

Boolean AudioComponentInstanceCanDo(AudioComponentInstance inInstance, SInt16 inSelectorID)
{
  ComponentInstanceRecord* record = Live(inInstance);
  return record && record->plugin->Lookup(inSelectorID) != nullptr;
}

Handle GetComponentInstanceStorage(ComponentInstance aComponentInstance)
{
  ComponentInstanceRecord* record = Live(aComponentInstance);
  if (!record)
    return nullptr;
  return record->storage ? record->storage : reinterpret_cast<Handle>(record->plugin);
}

void SetComponentInstanceStorage(ComponentInstance aComponentInstance, Handle theStorage)
{
  if (ComponentInstanceRecord* record = Live(aComponentInstance))
    record->storage = theStorage;
}
