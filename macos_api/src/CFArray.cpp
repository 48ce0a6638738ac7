// CFArray: values held through the array's callbacks.
#include "macos_api/src/CFRuntime.h"
#include "macos_api/src/CFStringInternal.h"

#include <cstdio>
#include <utility>
#include <vector>

using namespace macapi;

struct __CFArray : __CFObject
{
  CFTypeID TypeID() const override { return kTypeArray; }
  bool Equals(const __CFObject& other) const override;
  CFHashCode Hash() const override { return values.size(); }
  std::string Describe() const override;
  ~__CFArray() override
  {
    for (const void* v : values)
      Release(v);
  }

  const void* Retain(const void* v) const { return callbacks.retain ? callbacks.retain(kCFAllocatorDefault, v) : v; }
  void Release(const void* v) const
  {
    if (callbacks.release)
      callbacks.release(kCFAllocatorDefault, v);
  }
  bool Same(const void* a, const void* b) const { return a == b || (callbacks.equal && callbacks.equal(a, b)); }

  std::vector<const void*> values;
  CFArrayCallBacks callbacks = {0, nullptr, nullptr, nullptr, nullptr};
  bool isMutable = false;
};

bool __CFArray::Equals(const __CFObject& other) const
{
  const auto& o = static_cast<const __CFArray&>(other);
  if (values.size() != o.values.size())
    return false;
  for (size_t i = 0; i < values.size(); ++i)
    if (!Same(values[i], o.values[i]))
      return false;
  return true;
}

std::string __CFArray::Describe() const
{
  std::string text = "(\n";
  for (size_t i = 0; i < values.size(); ++i)
  {
    std::string item;
    if (callbacks.copyDescription)
    {
      CFStringRef d = callbacks.copyDescription(values[i]);
      item = StringUTF8(d);
      CFRelease(d);
    }
    else
    {
      char ptr[32];
      std::snprintf(ptr, sizeof(ptr), "%p", values[i]);
      item = ptr;
    }
    text += "    " + item + (i + 1 < values.size() ? ",\n" : "\n");
  }
  return text + ")";
}

namespace {

__CFArray* NewArray(const CFArrayCallBacks* callBacks, bool isMutable)
{
  auto* a = new __CFArray;
  if (callBacks)
    a->callbacks = *callBacks;
  a->isMutable = isMutable;
  return a;
}

__CFArray* Mutable(CFMutableArrayRef ref)
{
  auto* a = AsMutable<__CFArray>(ref);
  return a && a->isMutable ? a : nullptr;
}

// The part of range that lies inside the array.
std::pair<size_t, size_t> Clip(const __CFArray& a, CFRange range)
{
  const CFIndex count = static_cast<CFIndex>(a.values.size());
  CFIndex begin = range.location < 0 ? 0 : (range.location > count ? count : range.location);
  CFIndex end = range.length < 0 ? begin : (range.length > count - begin ? count : begin + range.length);
  return {static_cast<size_t>(begin), static_cast<size_t>(end)};
}

} // namespace

CFTypeID CFArrayGetTypeID(void) { return kTypeArray; }

CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex numValues, const CFArrayCallBacks* callBacks)
{
  if (numValues < 0 || (!values && numValues > 0))
    return nullptr;
  auto* a = NewArray(callBacks, false);
  for (CFIndex i = 0; i < numValues; ++i)
    a->values.push_back(a->Retain(values[i]));
  return a;
}

CFArrayRef CFArrayCreateCopy(CFAllocatorRef, CFArrayRef theArray)
{
  const auto* src = As<__CFArray>(theArray);
  if (!src)
    return nullptr;
  auto* a = NewArray(&src->callbacks, false);
  for (const void* v : src->values)
    a->values.push_back(a->Retain(v));
  return a;
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity, const CFArrayCallBacks* callBacks)
{
  auto* a = NewArray(callBacks, true);
  if (capacity > 0 && capacity < 1 << 20)
    a->values.reserve(static_cast<size_t>(capacity));
  return a;
}

CFMutableArrayRef CFArrayCreateMutableCopy(CFAllocatorRef, CFIndex, CFArrayRef theArray)
{
  const auto* src = As<__CFArray>(theArray);
  if (!src)
    return nullptr;
  auto* a = NewArray(&src->callbacks, true);
  for (const void* v : src->values)
    a->values.push_back(a->Retain(v));
  return a;
}

CFIndex CFArrayGetCount(CFArrayRef theArray)
{
  const auto* a = As<__CFArray>(theArray);
  return a ? static_cast<CFIndex>(a->values.size()) : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx)
{
  const auto* a = As<__CFArray>(theArray);
  if (!a || idx < 0 || static_cast<size_t>(idx) >= a->values.size())
    return nullptr;
  return a->values[static_cast<size_t>(idx)];
}

void CFArrayGetValues(CFArrayRef theArray, CFRange range, const void** values)
{
  const auto* a = As<__CFArray>(theArray);
  if (!a || !values)
    return;
  auto [begin, end] = Clip(*a, range);
  for (size_t i = begin; i < end; ++i)
    *values++ = a->values[i];
}

CFIndex CFArrayGetCountOfValue(CFArrayRef theArray, CFRange range, const void* value)
{
  const auto* a = As<__CFArray>(theArray);
  if (!a)
    return 0;
  auto [begin, end] = Clip(*a, range);
  CFIndex count = 0;
  for (size_t i = begin; i < end; ++i)
    count += a->Same(a->values[i], value) ? 1 : 0;
  return count;
}

Boolean CFArrayContainsValue(CFArrayRef theArray, CFRange range, const void* value)
{
  return CFArrayGetFirstIndexOfValue(theArray, range, value) != kCFNotFound;
}

CFIndex CFArrayGetFirstIndexOfValue(CFArrayRef theArray, CFRange range, const void* value)
{
  const auto* a = As<__CFArray>(theArray);
  if (!a)
    return kCFNotFound;
  auto [begin, end] = Clip(*a, range);
  for (size_t i = begin; i < end; ++i)
    if (a->Same(a->values[i], value))
      return static_cast<CFIndex>(i);
  return kCFNotFound;
}

CFIndex CFArrayGetLastIndexOfValue(CFArrayRef theArray, CFRange range, const void* value)
{
  const auto* a = As<__CFArray>(theArray);
  if (!a)
    return kCFNotFound;
  auto [begin, end] = Clip(*a, range);
  for (size_t i = end; i > begin; --i)
    if (a->Same(a->values[i - 1], value))
      return static_cast<CFIndex>(i - 1);
  return kCFNotFound;
}

void CFArrayApplyFunction(CFArrayRef theArray, CFRange range, CFArrayApplierFunction applier, void* context)
{
  const auto* a = As<__CFArray>(theArray);
  if (!a || !applier)
    return;
  auto [begin, end] = Clip(*a, range);
  for (size_t i = begin; i < end; ++i)
    applier(a->values[i], context);
}

void CFArrayAppendValue(CFMutableArrayRef theArray, const void* value)
{
  if (auto* a = Mutable(theArray))
    a->values.push_back(a->Retain(value));
}

void CFArrayInsertValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void* value)
{
  auto* a = Mutable(theArray);
  if (a && idx >= 0 && static_cast<size_t>(idx) <= a->values.size())
    a->values.insert(a->values.begin() + idx, a->Retain(value));
}

void CFArraySetValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void* value)
{
  auto* a = Mutable(theArray);
  if (!a || idx < 0 || static_cast<size_t>(idx) > a->values.size())
    return;
  const void* retained = a->Retain(value);
  if (static_cast<size_t>(idx) == a->values.size())
    a->values.push_back(retained);
  else
  {
    const void* old = a->values[static_cast<size_t>(idx)];
    a->values[static_cast<size_t>(idx)] = retained;
    a->Release(old);
  }
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef theArray, CFIndex idx)
{
  auto* a = Mutable(theArray);
  if (!a || idx < 0 || static_cast<size_t>(idx) >= a->values.size())
    return;
  const void* old = a->values[static_cast<size_t>(idx)];
  a->values.erase(a->values.begin() + idx);
  a->Release(old);
}

void CFArrayRemoveAllValues(CFMutableArrayRef theArray)
{
  auto* a = Mutable(theArray);
  if (!a)
    return;
  std::vector<const void*> old;
  old.swap(a->values);
  for (const void* v : old)
    a->Release(v);
}

void CFArrayExchangeValuesAtIndices(CFMutableArrayRef theArray, CFIndex idx1, CFIndex idx2)
{
  auto* a = Mutable(theArray);
  const CFIndex count = a ? static_cast<CFIndex>(a->values.size()) : 0;
  if (a && idx1 >= 0 && idx2 >= 0 && idx1 < count && idx2 < count)
    std::swap(a->values[static_cast<size_t>(idx1)], a->values[static_cast<size_t>(idx2)]);
}

void CFArrayAppendArray(CFMutableArrayRef theArray, CFArrayRef otherArray, CFRange otherRange)
{
  auto* a = Mutable(theArray);
  const auto* o = As<__CFArray>(otherArray);
  if (!a || !o)
    return;
  auto [begin, end] = Clip(*o, otherRange);
  std::vector<const void*> add(o->values.begin() + static_cast<long>(begin),
                               o->values.begin() + static_cast<long>(end));
  for (const void* v : add)
    a->values.push_back(a->Retain(v));
}
