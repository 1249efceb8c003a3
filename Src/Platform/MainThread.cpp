#include "Platform/MainThread.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>

#include "Platform/Sync.h"
#include "Platform/Thread.h"

namespace tw::platform {

namespace {

// One queued call. The worker owns it through a shared pointer so it can give up waiting at a
// shutdown while the queue still holds it.
struct TQueuedCall {
  TMainThreadCall Call;
  bool Done = false;
  bool Refused = false;
  std::exception_ptr Error;
};

struct TCallQueue {
  std::mutex Lock;
  std::condition_variable Queued;    // the main thread waits for work
  std::condition_variable Finished;  // workers wait for their call
  std::deque<std::shared_ptr<TQueuedCall>> Calls;
  bool ShutDown = false;
  std::function<void()> Wakeup;
};

TCallQueue& Queue() {
  static TCallQueue* q = new TCallQueue();  // never freed: workers may use it during exit
  return *q;
}

}  // namespace

bool CallInMainThread(const TMainThreadCall& ACall) {
  if (!ACall) return true;
  if (IsMainThread()) {
    ACall();
    return true;
  }
  auto item = std::make_shared<TQueuedCall>();
  item->Call = ACall;
  auto& q = Queue();
  std::function<void()> wakeup;
  {
    std::lock_guard<std::mutex> guard(q.Lock);
    if (q.ShutDown) return false;
    q.Calls.push_back(item);
    wakeup = q.Wakeup;
  }
  q.Queued.notify_all();
  if (wakeup) wakeup();
  std::unique_lock<std::mutex> guard(q.Lock);
  q.Finished.wait(guard, [&] { return item->Done || item->Refused; });
  if (item->Refused) return false;
  if (item->Error) std::rethrow_exception(item->Error);
  return true;
}

int ProcessMainThreadCalls() {
  if (!IsMainThread()) return 0;
  auto& q = Queue();
  int ran = 0;
  for (;;) {
    std::shared_ptr<TQueuedCall> item;
    {
      std::lock_guard<std::mutex> guard(q.Lock);
      if (q.Calls.empty()) break;
      item = q.Calls.front();
      q.Calls.pop_front();
    }
    try {
      item->Call();
    } catch (...) {
      item->Error = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> guard(q.Lock);
      item->Done = true;
    }
    q.Finished.notify_all();
    ++ran;
  }
  return ran;
}

int WaitAndProcessMainThreadCalls(int ATimeoutMs) {
  if (!IsMainThread()) return 0;
  auto& q = Queue();
  {
    std::unique_lock<std::mutex> guard(q.Lock);
    auto ready = [&] { return !q.Calls.empty(); };
    if (ATimeoutMs < 0)
      q.Queued.wait(guard, ready);
    else if (ATimeoutMs > 0)
      q.Queued.wait_for(guard, std::chrono::milliseconds(ATimeoutMs), ready);
  }
  return ProcessMainThreadCalls();
}

bool RunMainLoop(const std::function<bool()>& APredicate, int ATimeoutMs) {
  const int64_t deadline =
      ATimeoutMs < 0 ? INT64_MAX : MonotonicMicroseconds() + int64_t(ATimeoutMs) * 1000;
  for (;;) {
    ProcessMainThreadCalls();
    if (APredicate && APredicate()) return true;
    const int64_t now = MonotonicMicroseconds();
    if (now >= deadline) return APredicate ? APredicate() : false;
    const int64_t left = (deadline - now) / 1000;
    WaitAndProcessMainThreadCalls(static_cast<int>(left < 10 ? (left < 1 ? 1 : left) : 10));
  }
}

bool WaitServingMainThread(TEvent& AEvent, int ATimeoutMs) {
  if (!IsMainThread()) return AEvent.WaitFor(ATimeoutMs) == TWaitResult::wrSignaled;
  const int64_t deadline =
      ATimeoutMs < 0 ? INT64_MAX : MonotonicMicroseconds() + int64_t(ATimeoutMs) * 1000;
  for (;;) {
    ProcessMainThreadCalls();
    const int64_t now = MonotonicMicroseconds();
    const int64_t left = deadline == INT64_MAX ? 5000 : (deadline - now) / 1000;
    const int step = static_cast<int>(left < 5 ? (left < 0 ? 0 : left) : 5);
    if (AEvent.WaitFor(step) == TWaitResult::wrSignaled) return true;
    if (deadline != INT64_MAX && MonotonicMicroseconds() >= deadline) {
      ProcessMainThreadCalls();
      return AEvent.IsSet();
    }
  }
}

void SetMainThreadWakeup(std::function<void()> AWakeup) {
  auto& q = Queue();
  std::lock_guard<std::mutex> guard(q.Lock);
  q.Wakeup = std::move(AWakeup);
}

void ShutdownMainThreadCalls() {
  auto& q = Queue();
  {
    std::lock_guard<std::mutex> guard(q.Lock);
    q.ShutDown = true;
    for (auto& item : q.Calls) item->Refused = true;
    q.Calls.clear();
  }
  q.Finished.notify_all();
}

void RestartMainThreadCalls() {
  auto& q = Queue();
  std::lock_guard<std::mutex> guard(q.Lock);
  q.ShutDown = false;
}

bool MainThreadCallsShutDown() {
  auto& q = Queue();
  std::lock_guard<std::mutex> guard(q.Lock);
  return q.ShutDown;
}

int PendingMainThreadCalls() {
  auto& q = Queue();
  std::lock_guard<std::mutex> guard(q.Lock);
  return static_cast<int>(q.Calls.size());
}

}  // namespace tw::platform
