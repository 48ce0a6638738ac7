// The audio path must never touch the heap: every allocation in this binary
// is counted, and a long run of blocks in every mode must add none.
#include "EngineHarness.h"
#include "preamp/CorvaneEngine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> gAllocations{0};
} // namespace

#ifndef CORVANE_SANITIZED
// The sanitizer runtimes bring their own allocator; counting is done in the
// plain builds only.
extern "C" {
void* __real_malloc(std::size_t);
void* __real_calloc(std::size_t, std::size_t);
void* __real_realloc(void*, std::size_t);
}

void* operator new(std::size_t n)
{
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = __real_malloc(n ? n : 1))
    return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return __real_malloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

// Direct C allocations from our own objects go through these (--wrap).
extern "C" {
void* __wrap_malloc(std::size_t n)
{
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return __real_malloc(n);
}
void* __wrap_calloc(std::size_t n, std::size_t s)
{
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return __real_calloc(n, s);
}
void* __wrap_realloc(void* p, std::size_t n)
{
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return __real_realloc(p, n);
}
}
#endif

using iplug::CorvaneEngine;

TEST(CorvaneEngineAllocation, CounterSeesAllocations)
{
#ifdef CORVANE_SANITIZED
  GTEST_SKIP() << "allocation counting runs in the plain builds";
#else
  // volatile keeps the compiler from eliding the pairs.
  const long before = gAllocations.load();
  int* volatile p = new int(3);
  delete p;
  void* volatile q = std::malloc(16);
  std::free(q);
  EXPECT_EQ(gAllocations.load() - before, 2);
#endif
}

TEST(CorvaneEngineAllocation, ProcessBlockNeverAllocates)
{
#ifdef CORVANE_SANITIZED
  GTEST_SKIP() << "allocation counting runs in the plain builds";
#else
  auto engine = std::make_unique<CorvaneEngine>();
  corvane_test::Stereo in = corvane_test::Sine(512, 440.0, 0.8), out(512);
  in.l[17] = std::numeric_limits<double>::quiet_NaN();
  in.r[300] = 1e300; // also exercises the recovery path
  double* ins[2] = {in.l.data(), in.r.data()};
  double* outs[2] = {out.l.data(), out.r.data()};
  engine->Reset(48000.0);

  const long before = gAllocations.load();
  for (int mode = 0; mode < 64; ++mode)
  {
    engine->OnParamChange(CorvaneEngine::kOversampling, mode & 1);
    engine->OnParamChange(CorvaneEngine::kPreampBypass, (mode >> 1) & 1);
    engine->OnParamChange(CorvaneEngine::kFilterBypass, (mode >> 2) & 1);
    engine->OnParamChange(CorvaneEngine::kLowpass, (mode >> 3) & 3);
    engine->OnParamChange(CorvaneEngine::kMicPre, (mode >> 5) & 1);
    engine->OnParamChange(CorvaneEngine::kOutput, mode * 0.5 - 16.0);
    if (mode % 9 == 0)
      engine->Reset();
    for (int block = 0; block < 20; ++block)
      engine->ProcessBlock(ins, outs, 512 - block * 7, block % 5 == 0 ? 1 : 2);
    engine->ProcessBlock(ins, outs, 0);
  }
  EXPECT_EQ(gAllocations.load() - before, 0);
#endif
}
