// CFDictionary: entries in insertion order with a hash index over the keys.
#include "macos_api/src/CFRuntime.h"
#include "macos_api/src/CFStringInternal.h"

#include <cstdio>
#include <unordered_map>
#include <vector>

using namespace macapi;

struct __CFDictionary : __CFObject
{
  struct Entry
  {
    const void* key;
    const void* value;
    CFHashCode hash;
  };

  CFTypeID TypeID() const override { return kTypeDictionary; }
  bool Equals(const __CFObject& other) const override;
  CFHashCode Hash() const override { return entries.size(); }
  std::string Describe() const override;
  ~__CFDictionary() override
  {
    for (const Entry& e : entries)
    {
      ReleaseKey(e.key);
      ReleaseValue(e.value);
    }
  }

  CFHashCode HashKey(const void* key) const
  {
    return keyCallbacks.hash ? keyCallbacks.hash(key) : reinterpret_cast<CFHashCode>(key);
  }
  bool SameKey(const void* a, const void* b) const
  {
    return a == b || (keyCallbacks.equal && keyCallbacks.equal(a, b));
  }
  bool SameValue(const void* a, const void* b) const
  {
    return a == b || (valueCallbacks.equal && valueCallbacks.equal(a, b));
  }
  const void* RetainKey(const void* k) const
  {
    return keyCallbacks.retain ? keyCallbacks.retain(kCFAllocatorDefault, k) : k;
  }
  const void* RetainValue(const void* v) const
  {
    return valueCallbacks.retain ? valueCallbacks.retain(kCFAllocatorDefault, v) : v;
  }
  void ReleaseKey(const void* k) const
  {
    if (keyCallbacks.release)
      keyCallbacks.release(kCFAllocatorDefault, k);
  }
  void ReleaseValue(const void* v) const
  {
    if (valueCallbacks.release)
      valueCallbacks.release(kCFAllocatorDefault, v);
  }

  // Index of the entry with this key, or -1.
  long Find(const void* key) const
  {
    auto [begin, end] = index.equal_range(HashKey(key));
    for (auto it = begin; it != end; ++it)
      if (SameKey(entries[it->second].key, key))
        return static_cast<long>(it->second);
    return -1;
  }

  void Insert(const void* key, const void* value)
  {
    Entry e{RetainKey(key), RetainValue(value), HashKey(key)};
    index.emplace(e.hash, entries.size());
    entries.push_back(e);
  }

  void Replace(size_t i, const void* value)
  {
    const void* old = entries[i].value;
    entries[i].value = RetainValue(value);
    ReleaseValue(old);
  }

  void Erase(size_t i)
  {
    Entry e = entries[i];
    entries.erase(entries.begin() + static_cast<long>(i));
    index.clear();
    for (size_t k = 0; k < entries.size(); ++k)
      index.emplace(entries[k].hash, k);
    ReleaseKey(e.key);
    ReleaseValue(e.value);
  }

  std::vector<Entry> entries;
  std::unordered_multimap<CFHashCode, size_t> index;
  CFDictionaryKeyCallBacks keyCallbacks = {0, nullptr, nullptr, nullptr, nullptr, nullptr};
  CFDictionaryValueCallBacks valueCallbacks = {0, nullptr, nullptr, nullptr, nullptr};
  bool isMutable = false;
};

bool __CFDictionary::Equals(const __CFObject& other) const
{
  const auto& o = static_cast<const __CFDictionary&>(other);
  if (entries.size() != o.entries.size())
    return false;
  for (const Entry& e : entries)
  {
    long j = o.Find(e.key);
    if (j < 0 || !SameValue(e.value, o.entries[static_cast<size_t>(j)].value))
      return false;
  }
  return true;
}

std::string __CFDictionary::Describe() const
{
  auto describe = [](CFDictionaryCopyDescriptionCallBack copy, const void* v) {
    if (!copy)
    {
      char ptr[32];
      std::snprintf(ptr, sizeof(ptr), "%p", v);
      return std::string(ptr);
    }
    CFStringRef d = copy(v);
    std::string text = StringUTF8(d);
    CFRelease(d);
    return text;
  };
  std::string text = "{\n";
  for (const Entry& e : entries)
    text += "    " + describe(keyCallbacks.copyDescription, e.key) + " = " +
            describe(valueCallbacks.copyDescription, e.value) + ";\n";
  return text + "}";
}

namespace {

__CFDictionary* NewDictionary(const CFDictionaryKeyCallBacks* keyCallBacks,
                              const CFDictionaryValueCallBacks* valueCallBacks, bool isMutable)
{
  auto* d = new __CFDictionary;
  if (keyCallBacks)
    d->keyCallbacks = *keyCallBacks;
  if (valueCallBacks)
    d->valueCallbacks = *valueCallBacks;
  d->isMutable = isMutable;
  return d;
}

__CFDictionary* Mutable(CFMutableDictionaryRef ref)
{
  auto* d = AsMutable<__CFDictionary>(ref);
  return d && d->isMutable ? d : nullptr;
}

__CFDictionary* CopyOf(const __CFDictionary& src, bool isMutable)
{
  auto* d = NewDictionary(&src.keyCallbacks, &src.valueCallbacks, isMutable);
  for (const auto& e : src.entries)
    d->Insert(e.key, e.value);
  return d;
}

} // namespace

CFTypeID CFDictionaryGetTypeID(void) { return kTypeDictionary; }

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef, const void** keys, const void** values, CFIndex numValues,
                                   const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks)
{
  if (numValues < 0 || (numValues > 0 && (!keys || !values)))
    return nullptr;
  auto* d = NewDictionary(keyCallBacks, valueCallBacks, false);
  for (CFIndex i = 0; i < numValues; ++i)
  {
    long at = d->Find(keys[i]);
    if (at >= 0)
      d->Replace(static_cast<size_t>(at), values[i]);
    else
      d->Insert(keys[i], values[i]);
  }
  return d;
}

CFDictionaryRef CFDictionaryCreateCopy(CFAllocatorRef, CFDictionaryRef theDict)
{
  const auto* src = As<__CFDictionary>(theDict);
  return src ? CopyOf(*src, false) : nullptr;
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex, const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks)
{
  return NewDictionary(keyCallBacks, valueCallBacks, true);
}

CFMutableDictionaryRef CFDictionaryCreateMutableCopy(CFAllocatorRef, CFIndex, CFDictionaryRef theDict)
{
  const auto* src = As<__CFDictionary>(theDict);
  return src ? CopyOf(*src, true) : nullptr;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef theDict)
{
  const auto* d = As<__CFDictionary>(theDict);
  return d ? static_cast<CFIndex>(d->entries.size()) : 0;
}

CFIndex CFDictionaryGetCountOfKey(CFDictionaryRef theDict, const void* key)
{
  return CFDictionaryContainsKey(theDict, key) ? 1 : 0;
}

CFIndex CFDictionaryGetCountOfValue(CFDictionaryRef theDict, const void* value)
{
  const auto* d = As<__CFDictionary>(theDict);
  if (!d)
    return 0;
  CFIndex count = 0;
  for (const auto& e : d->entries)
    count += d->SameValue(e.value, value) ? 1 : 0;
  return count;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef theDict, const void* key)
{
  const auto* d = As<__CFDictionary>(theDict);
  return d && d->Find(key) >= 0;
}

Boolean CFDictionaryContainsValue(CFDictionaryRef theDict, const void* value)
{
  return CFDictionaryGetCountOfValue(theDict, value) > 0;
}

const void* CFDictionaryGetValue(CFDictionaryRef theDict, const void* key)
{
  const void* value = nullptr;
  CFDictionaryGetValueIfPresent(theDict, key, &value);
  return value;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef theDict, const void* key, const void** value)
{
  const auto* d = As<__CFDictionary>(theDict);
  long at = d ? d->Find(key) : -1;
  if (at < 0)
    return false;
  if (value)
    *value = d->entries[static_cast<size_t>(at)].value;
  return true;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef theDict, const void** keys, const void** values)
{
  const auto* d = As<__CFDictionary>(theDict);
  if (!d)
    return;
  for (size_t i = 0; i < d->entries.size(); ++i)
  {
    if (keys)
      keys[i] = d->entries[i].key;
    if (values)
      values[i] = d->entries[i].value;
  }
}

void CFDictionaryApplyFunction(CFDictionaryRef theDict, CFDictionaryApplierFunction applier, void* context)
{
  const auto* d = As<__CFDictionary>(theDict);
  if (!d || !applier)
    return;
  const auto snapshot = d->entries;
  for (const auto& e : snapshot)
    applier(e.key, e.value, context);
}

void CFDictionaryAddValue(CFMutableDictionaryRef theDict, const void* key, const void* value)
{
  auto* d = Mutable(theDict);
  if (d && d->Find(key) < 0)
    d->Insert(key, value);
}

void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void* key, const void* value)
{
  auto* d = Mutable(theDict);
  if (!d)
    return;
  long at = d->Find(key);
  if (at >= 0)
    d->Replace(static_cast<size_t>(at), value);
  else
    d->Insert(key, value);
}

void CFDictionaryReplaceValue(CFMutableDictionaryRef theDict, const void* key, const void* value)
{
  auto* d = Mutable(theDict);
  long at = d ? d->Find(key) : -1;
  if (at >= 0)
    d->Replace(static_cast<size_t>(at), value);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef theDict, const void* key)
{
  auto* d = Mutable(theDict);
  long at = d ? d->Find(key) : -1;
  if (at >= 0)
    d->Erase(static_cast<size_t>(at));
}

void CFDictionaryRemoveAllValues(CFMutableDictionaryRef theDict)
{
  auto* d = Mutable(theDict);
  if (!d)
    return;
  auto old = std::move(d->entries);
  d->entries.clear();
  d->index.clear();
  for (const auto& e : old)
  {
    d->ReleaseKey(e.key);
    d->ReleaseValue(e.value);
  }
}
