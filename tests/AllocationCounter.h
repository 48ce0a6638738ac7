#pragma once
// Counts heap allocations made by one thread. A test binary that compiles
// AllocationCounter.cpp replaces the global allocation functions (operator
// new in all its forms, malloc, calloc, realloc) with counting versions; code
// in libraries it loads allocates through them too. Sanitizer builds keep
// their own allocator, so tests skip there (CORVANE_SANITIZED).

namespace corvane_test {
/** Allocations counted so far, over all threads. */
long AllocationCount();

/** Counts allocations made by this thread while alive. */
struct CountingScope
{
  CountingScope();
  ~CountingScope();
  CountingScope(const CountingScope&) = delete;
  CountingScope& operator=(const CountingScope&) = delete;
};
} // namespace corvane_test
