#include "Platform/Sync.h"

#include <chrono>

namespace tw::platform {

void TEvent::Set() {
  {
    std::lock_guard<std::mutex> guard(FLock);
    FSignaled = true;
  }
  FCond.notify_all();
}

void TEvent::Reset() {
  std::lock_guard<std::mutex> guard(FLock);
  FSignaled = false;
}

bool TEvent::IsSet() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FSignaled;
}

TWaitResult TEvent::WaitFor(int ATimeoutMs) {
  std::unique_lock<std::mutex> guard(FLock);
  if (ATimeoutMs < 0) {
    FCond.wait(guard, [this] { return FSignaled; });
    return TWaitResult::wrSignaled;
  }
  return FCond.wait_for(guard, std::chrono::milliseconds(ATimeoutMs), [this] { return FSignaled; })
             ? TWaitResult::wrSignaled
             : TWaitResult::wrTimeout;
}

bool TMutex::Acquire(int ATimeoutMs) {
  if (ATimeoutMs < 0) {
    FMutex.lock();
    return true;
  }
  return FMutex.try_lock_for(std::chrono::milliseconds(ATimeoutMs));
}

}  // namespace tw::platform
