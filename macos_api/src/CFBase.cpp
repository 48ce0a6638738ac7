// Retain counting, allocators, kCFNull and the generic object functions.
#include "macos_api/src/CFRuntime.h"

#include <cstdio>
#include <cstdlib>

using namespace macapi;

std::string __CFObject::Describe() const
{
  char text[64];
  std::snprintf(text, sizeof(text), "<CFType %p [type %lu]>", static_cast<const void*>(this), TypeID());
  return text;
}

struct __CFAllocator : __CFObject
{
  explicit __CFAllocator(bool nullAllocator) : allocatesNothing(nullAllocator) { immortal = true; }
  CFTypeID TypeID() const override { return kTypeAllocator; }
  const bool allocatesNothing;
};

struct __CFNull : __CFObject
{
  __CFNull() { immortal = true; }
  CFTypeID TypeID() const override { return kTypeNull; }
  std::string Describe() const override { return "<CFNull>"; }
};

namespace {
__CFAllocator gSystemAllocator(false);
__CFAllocator gNullAllocator(true);
__CFNull gNull;
} // namespace

const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFAllocatorRef kCFAllocatorSystemDefault = &gSystemAllocator;
const CFAllocatorRef kCFAllocatorMalloc = &gSystemAllocator;
const CFAllocatorRef kCFAllocatorNull = &gNullAllocator;
const CFNullRef kCFNull = &gNull;

CFTypeID CFNullGetTypeID(void) { return kTypeNull; }

CFAllocatorRef CFAllocatorGetDefault(void) { return kCFAllocatorSystemDefault; }

void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags)
{
  if (size <= 0 || (allocator && allocator->allocatesNothing))
    return nullptr;
  return std::malloc(static_cast<size_t>(size));
}

void* CFAllocatorReallocate(CFAllocatorRef allocator, void* ptr, CFIndex newsize, CFOptionFlags)
{
  if (allocator && allocator->allocatesNothing)
    return nullptr;
  if (newsize <= 0)
  {
    std::free(ptr);
    return nullptr;
  }
  return std::realloc(ptr, static_cast<size_t>(newsize));
}

void CFAllocatorDeallocate(CFAllocatorRef allocator, void* ptr)
{
  if (!(allocator && allocator->allocatesNothing))
    std::free(ptr);
}

CFTypeRef CFRetain(CFTypeRef cf)
{
  if (cf && !Obj(cf)->immortal)
    Obj(cf)->refCount.fetch_add(1, std::memory_order_relaxed);
  return cf;
}

void CFRelease(CFTypeRef cf)
{
  if (!cf || Obj(cf)->immortal)
    return;
  auto* obj = const_cast<__CFObject*>(Obj(cf));
  if (obj->refCount.fetch_sub(1, std::memory_order_acq_rel) == 1)
    delete obj;
}

CFIndex CFGetRetainCount(CFTypeRef cf)
{
  if (!cf)
    return 0;
  return Obj(cf)->immortal ? 0x7FFFFFFF : Obj(cf)->refCount.load(std::memory_order_relaxed);
}

CFTypeID CFGetTypeID(CFTypeRef cf) { return cf ? Obj(cf)->TypeID() : 0; }

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2)
{
  if (cf1 == cf2)
    return true;
  if (!cf1 || !cf2 || Obj(cf1)->TypeID() != Obj(cf2)->TypeID())
    return false;
  return Obj(cf1)->Equals(*Obj(cf2));
}

CFHashCode CFHash(CFTypeRef cf) { return cf ? Obj(cf)->Hash() : 0; }

CFAllocatorRef CFGetAllocator(CFTypeRef) { return kCFAllocatorSystemDefault; }

void CFShow(CFTypeRef obj) { std::fprintf(stderr, "%s\n", obj ? Obj(obj)->Describe().c_str() : "(null)"); }

std::string macapi::DescribeRef(CFTypeRef ref) { return ref ? Obj(ref)->Describe() : "(null)"; }
