#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
thread_local bool tCounting = false;
std::atomic<long> gAllocations{0};

[[maybe_unused]] void Count()
{
  if (tCounting)
    gAllocations.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

namespace corvane_test {
long AllocationCount() { return gAllocations.load(); }
CountingScope::CountingScope() { tCounting = true; }
CountingScope::~CountingScope() { tCounting = false; }
} // namespace corvane_test

#ifndef CORVANE_SANITIZED
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void* __libc_memalign(size_t, size_t);
extern "C" void __libc_free(void*);

extern "C" void* malloc(size_t size)
{
  Count();
  return __libc_malloc(size);
}
extern "C" void* calloc(size_t n, size_t size)
{
  Count();
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t size)
{
  Count();
  return __libc_realloc(p, size);
}
extern "C" void free(void* p) { __libc_free(p); }

namespace {
void* Allocate(size_t size)
{
  Count();
  if (void* p = __libc_malloc(size ? size : 1))
    return p;
  throw std::bad_alloc();
}
void* AllocateAligned(size_t size, std::align_val_t align)
{
  Count();
  if (void* p = __libc_memalign(static_cast<size_t>(align), size ? size : 1))
    return p;
  throw std::bad_alloc();
}
} // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
  Count();
  return __libc_malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
  Count();
  return __libc_malloc(size ? size : 1);
}
void* operator new(size_t size, std::align_val_t align) { return AllocateAligned(size, align); }
void* operator new[](size_t size, std::align_val_t align) { return AllocateAligned(size, align); }
void operator delete(void* p) noexcept { __libc_free(p); }
void operator delete[](void* p) noexcept { __libc_free(p); }
void operator delete(void* p, size_t) noexcept { __libc_free(p); }
void operator delete[](void* p, size_t) noexcept { __libc_free(p); }
void operator delete(void* p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { __libc_free(p); }
#endif
