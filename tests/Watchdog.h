#pragma once
// Runs a part of a test that must not hang. A fault that deadlocks ends the
// test binary at once, saying what hung, rather than at the runner's timeout.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

namespace corvane_test {
/** Runs `body` on a thread of its own. If it is still running after `limit`, prints `what` and
 *  ends the process with status 1: a hung thread cannot be stopped or joined. */
inline void FinishesWithin(std::chrono::seconds limit, const char* what, const std::function<void()>& body)
{
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::thread worker([&] {
    body();
    std::lock_guard lock(mutex);
    done = true;
    finished.notify_all();
  });
  std::unique_lock lock(mutex);
  if (!finished.wait_for(lock, limit, [&] { return done; }))
  {
    std::fprintf(stderr, "HUNG: %s did not finish within %lld s\n", what, static_cast<long long>(limit.count()));
    std::fflush(stderr);
    std::_Exit(1);
  }
  lock.unlock();
  worker.join();
}

/** Waits until `ready()` or `limit` has passed; returns whether it became ready. */
template <typename Ready>
bool AwaitWithin(std::chrono::milliseconds limit, Ready ready)
{
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!ready())
  {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::yield();
  }
  return true;
}
} // namespace corvane_test
