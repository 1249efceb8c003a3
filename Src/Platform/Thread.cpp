#include "Platform/Thread.h"

#include <atomic>
#include <chrono>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace tw::platform {

namespace {
std::atomic<TThreadID>& MainId() {
  static std::atomic<TThreadID> id{CurrentThreadId()};
  return id;
}
// Touch the main id during static initialisation, which runs on the program's main thread.
const bool kMainIdRecorded = (MainId().load(), true);
}  // namespace

TThreadID CurrentThreadId() {
  thread_local const TThreadID id = static_cast<TThreadID>(::syscall(SYS_gettid));
  return id;
}

TThreadID MainThreadId() { return MainId().load(std::memory_order_acquire); }

bool IsMainThread() { return CurrentThreadId() == MainThreadId(); }

void SetMainThread() { MainId().store(CurrentThreadId(), std::memory_order_release); }

void SleepMs(int ms) {
  if (ms <= 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int64_t MonotonicMicroseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace tw::platform
