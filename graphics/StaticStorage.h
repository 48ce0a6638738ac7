#pragma once
// Keyed store of loaded resources shared by several owners. Entries own their
// objects; the store is emptied when its last registered user goes away. Every
// access holds the store's recursive mutex (lock it with Accessor).

#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace iplug::igraphics {

template <class T>
class StaticStorage
{
public:
  /** Holds the store's mutex for its lifetime. */
  class Accessor
  {
  public:
    explicit Accessor(StaticStorage& storage) : mStorage(storage) { mStorage.mMutex.lock(); }
    ~Accessor() { mStorage.mMutex.unlock(); }
    Accessor(const Accessor&) = delete;
    Accessor& operator=(const Accessor&) = delete;

    T* Find(const char* name, double scale = 1.0) { return mStorage.Find(name, scale); }
    void Add(T* object, const char* name, double scale = 1.0) { mStorage.Add(object, name, scale); }
    void Remove(T* object) { mStorage.Remove(object); }
    bool Contains(const T* object) const { return mStorage.Contains(object); }
    void Clear() { mStorage.Clear(); }
    void Retain() { mStorage.Retain(); }
    void Release() { mStorage.Release(); }
    int UserCount() const { return mStorage.mCount; }
    int Size() const { return static_cast<int>(mStorage.mEntries.size()); }

  private:
    StaticStorage& mStorage;
  };

  static size_t Hash(const char* text) { return std::hash<std::string>{}(text ? text : ""); }

private:
  struct Entry
  {
    size_t mHash;
    std::string mName;
    double mScale;
    std::unique_ptr<T> mObject;
  };

  static std::string Key(const char* name, double scale)
  {
    char suffix[64];
    std::snprintf(suffix, sizeof(suffix), "-%.1fx", scale);
    return std::string(name ? name : "") + suffix;
  }

  T* Find(const char* name, double scale)
  {
    const size_t hash = Hash(Key(name, scale).c_str());
    for (auto& e : mEntries)
      if (e.mHash == hash && e.mScale == scale && e.mName == (name ? name : ""))
        return e.mObject.get();
    return nullptr;
  }

  void Add(T* object, const char* name, double scale)
  {
    mEntries.push_back({Hash(Key(name, scale).c_str()), name ? name : "", scale, std::unique_ptr<T>(object)});
  }

  void Remove(T* object)
  {
    std::erase_if(mEntries, [object](const Entry& e) { return e.mObject.get() == object; });
  }

  bool Contains(const T* object) const
  {
    for (const auto& e : mEntries)
      if (e.mObject.get() == object)
        return true;
    return false;
  }

  void Clear() { mEntries.clear(); }
  void Retain() { ++mCount; }
  void Release()
  {
    if (--mCount <= 0)
    {
      mCount = 0;
      Clear();
    }
  }

  std::recursive_mutex mMutex;
  int mCount = 0;
  std::vector<Entry> mEntries;
};

} // namespace iplug::igraphics
