// The object model behind every CF reference: a polymorphic base with an
// atomic retain count. A CF reference is the address of this base.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <atomic>
#include <string>

namespace macapi {

enum TypeID : CFTypeID
{
  kTypeNull = 1,
  kTypeAllocator,
  kTypeString,
  kTypeNumber,
  kTypeBoolean,
  kTypeData,
  kTypeArray,
  kTypeDictionary,
  kTypeURL,
  kTypeBundle,
  kTypeRunLoop,
  kTypeRunLoopTimer,
  kTypeError,
  kTypeDate,
};

} // namespace macapi

struct __CFObject
{
  __CFObject() = default;
  __CFObject(const __CFObject&) = delete;
  __CFObject& operator=(const __CFObject&) = delete;
  virtual ~__CFObject() = default;

  virtual CFTypeID TypeID() const = 0;
  virtual bool Equals(const __CFObject& other) const { return this == &other; }
  virtual CFHashCode Hash() const { return reinterpret_cast<CFHashCode>(this); }
  // Text of CFCopyDescription; for strings the text itself (used by %@).
  virtual std::string Describe() const;

  mutable std::atomic<CFIndex> refCount{1};
  // Constant objects (CFSTR literals, booleans, kCFNull) are never freed.
  bool immortal = false;
};

namespace macapi {

inline const __CFObject* Obj(CFTypeRef ref) { return static_cast<const __CFObject*>(ref); }

// The object behind ref when it is of type T, else null.
template <typename T>
const T* As(CFTypeRef ref)
{
  return ref ? dynamic_cast<const T*>(Obj(ref)) : nullptr;
}

template <typename T>
T* AsMutable(CFTypeRef ref)
{
  return const_cast<T*>(As<T>(ref));
}

// Describe() of the object behind ref, "(null)" for none.
std::string DescribeRef(CFTypeRef ref);

} // namespace macapi
