#pragma once
// A small LV2 host for the tests: loads the built bundle's library the way a
// host does (dlopen, lv2_descriptor), maps URIs, offers the block-length
// option, connects every port to buffers it owns and saves and restores
// state through the plug-in's state interface.

#include <dlfcn.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

namespace corvane_test {
// Port layout of both plug-ins: the nine parameters, enabled, latency, audio.
inline constexpr int kNumParams = 9;
inline constexpr uint32_t kEnabledPort = kNumParams;
inline constexpr uint32_t kLatencyPort = kNumParams + 1;
inline constexpr uint32_t kFirstAudioPort = kNumParams + 2;
// Parameter ports by index.
inline constexpr uint32_t kGain = 0, kOutput = 1, kHighpass = 2, kLowpass = 3, kFilterOn = 4, kPreampOn = 5,
                          kOversampling = 8;

inline const char* const kStereoURI = "urn:veltrano:corvane";
inline const char* const kMonoURI = "urn:veltrano:corvane:mono";
inline const char* const kStateKey = "urn:veltrano:corvane#state";

class URIDMap
{
public:
  LV2_URID Map(const char* uri)
  {
    auto [it, added] = mIds.emplace(uri, static_cast<LV2_URID>(mIds.size() + 1));
    return it->second;
  }
  LV2_URID_Map* Feature() { return &mMap; }

private:
  static LV2_URID MapFn(LV2_URID_Map_Handle handle, const char* uri) { return static_cast<URIDMap*>(handle)->Map(uri); }
  std::map<std::string, LV2_URID> mIds;
  LV2_URID_Map mMap{this, MapFn};
};

class LV2Library
{
public:
  LV2Library() : mHandle(dlopen(CORVANE_LV2_BUNDLE_DIR "/Corvane.so", RTLD_NOW | RTLD_LOCAL)) {}
  ~LV2Library()
  {
    if (mHandle)
      dlclose(mHandle);
  }
  LV2Library(const LV2Library&) = delete;
  LV2Library& operator=(const LV2Library&) = delete;

  const char* Error() const { return mHandle ? "" : dlerror(); }
  const LV2_Descriptor* Find(const char* uri) const
  {
    auto entry = reinterpret_cast<LV2_Descriptor_Function>(mHandle ? dlsym(mHandle, "lv2_descriptor") : nullptr);
    for (uint32_t i = 0; entry && entry(i); ++i)
      if (std::strcmp(entry(i)->URI, uri) == 0)
        return entry(i);
    return nullptr;
  }

private:
  void* mHandle;
};

/** One instance with every port connected: controls at their defaults, enabled on. */
class LV2Instance
{
public:
  LV2Instance(const LV2Library& library, const char* uri, int channels, double rate = 48000.0, int32_t maxBlock = 0)
  : mDescriptor(library.Find(uri))
  , mChannels(channels)
  , mMaxBlock(maxBlock)
  {
    if (!mDescriptor)
      return;
    mOptions[0] = {LV2_OPTIONS_INSTANCE,    0,         mMap.Map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
                   mMap.Map(LV2_ATOM__Int), &mMaxBlock};
    mFeatures = {&mMapFeature};
    if (maxBlock > 0)
      mFeatures.push_back(&mOptionsFeature);
    mFeatures.push_back(nullptr);
    mHandle = mDescriptor->instantiate(mDescriptor, rate, CORVANE_LV2_BUNDLE_DIR, mFeatures.data());
    if (!mHandle)
      return;
    const float defaults[kNumParams + 2] = {4, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0};
    std::memcpy(mControls, defaults, sizeof(defaults));
    for (uint32_t p = 0; p < kFirstAudioPort; ++p)
      mDescriptor->connect_port(mHandle, p, &mControls[p]);
    mIn.resize(static_cast<size_t>(channels));
    mOut.resize(static_cast<size_t>(channels));
  }
  ~LV2Instance()
  {
    if (mHandle)
      mDescriptor->cleanup(mHandle);
  }
  LV2Instance(const LV2Instance&) = delete;
  LV2Instance& operator=(const LV2Instance&) = delete;

  bool Valid() const { return mHandle != nullptr; }
  float& Control(uint32_t port) { return mControls[port]; }
  std::vector<float>& In(int c) { return mIn[static_cast<size_t>(c)]; }
  std::vector<float>& Out(int c) { return mOut[static_cast<size_t>(c)]; }
  LV2_Handle Handle() const { return mHandle; }
  const LV2_Descriptor* Descriptor() const { return mDescriptor; }

  void Activate() { mDescriptor->activate(mHandle); }
  void Deactivate() { mDescriptor->deactivate(mHandle); }

  /** Sizes the audio buffers for `frames` and connects them; call before Run. */
  void Connect(uint32_t frames)
  {
    for (int c = 0; c < mChannels; ++c)
    {
      In(c).resize(frames, 0.f);
      Out(c).assign(frames, 0.f);
      mDescriptor->connect_port(mHandle, kFirstAudioPort + static_cast<uint32_t>(c), In(c).data());
      mDescriptor->connect_port(mHandle, kFirstAudioPort + static_cast<uint32_t>(mChannels + c), Out(c).data());
    }
  }
  void Run(uint32_t frames) { mDescriptor->run(mHandle, frames); }

  const LV2_State_Interface* State() const
  {
    return static_cast<const LV2_State_Interface*>(mDescriptor->extension_data(LV2_STATE__interface));
  }

  /** A saved value: its bytes and type URID. */
  struct Stored
  {
    std::vector<uint8_t> bytes;
    uint32_t type = 0;
    bool present = false;
  };
  LV2_URID Map(const char* uri) { return mMap.Map(uri); }

  LV2_State_Status Save(Stored& out)
  {
    return State()->save(mHandle, StoreFn, &out, LV2_STATE_IS_POD, mFeatures.data());
  }
  /** Keys are mapped by this instance's map: `value` must use its URIDs. */
  LV2_State_Status Restore(const Stored& value)
  {
    mRestoreFrom = &value;
    return State()->restore(mHandle, RetrieveFn, this, 0, mFeatures.data());
  }

private:
  static LV2_State_Status StoreFn(LV2_State_Handle handle, uint32_t, const void* value, size_t size, uint32_t type,
                                  uint32_t)
  {
    auto* out = static_cast<Stored*>(handle);
    const auto* bytes = static_cast<const uint8_t*>(value);
    out->bytes.assign(bytes, bytes + size);
    out->type = type;
    out->present = true;
    return LV2_STATE_SUCCESS;
  }
  static const void* RetrieveFn(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
  {
    auto* self = static_cast<LV2Instance*>(handle);
    const Stored* value = self->mRestoreFrom;
    if (!value->present || key != self->mMap.Map(kStateKey))
      return nullptr;
    *size = value->bytes.size();
    *type = value->type;
    *flags = LV2_STATE_IS_POD;
    return value->bytes.data();
  }

  const LV2_Descriptor* mDescriptor;
  int mChannels;
  int32_t mMaxBlock;
  URIDMap mMap;
  LV2_Feature mMapFeature{LV2_URID__map, mMap.Feature()};
  LV2_Options_Option mOptions[2] = {};
  LV2_Feature mOptionsFeature{LV2_OPTIONS__options, mOptions};
  std::vector<const LV2_Feature*> mFeatures;
  LV2_Handle mHandle = nullptr;
  float mControls[kNumParams + 2] = {};
  std::vector<std::vector<float>> mIn, mOut;
  const Stored* mRestoreFrom = nullptr;
};
} // namespace corvane_test
