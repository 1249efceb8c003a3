// Events and locks in the shape the components use them: manual-reset events with timed waits,
// re-entrant critical sections, and mutexes with a timed try.
#pragma once
#include <condition_variable>
#include <mutex>

namespace tw::platform {

enum class TWaitResult { wrSignaled, wrTimeout };

constexpr int INFINITE_WAIT = -1;

// A manual-reset event: stays signalled until Reset.
class TEvent {
 public:
  explicit TEvent(bool AInitiallySignaled = false) : FSignaled(AInitiallySignaled) {}
  TEvent(const TEvent&) = delete;
  TEvent& operator=(const TEvent&) = delete;

  void Set();
  void Reset();
  bool IsSet() const;
  // Waits until the event is signalled or the time-out (ms; negative = no limit) has passed.
  TWaitResult WaitFor(int ATimeoutMs);

 private:
  mutable std::mutex FLock;
  std::condition_variable FCond;
  bool FSignaled;
};

// A re-entrant lock, taken and released by the same thread.
class TCriticalSection {
 public:
  TCriticalSection() = default;
  TCriticalSection(const TCriticalSection&) = delete;
  TCriticalSection& operator=(const TCriticalSection&) = delete;

  void Enter() { FMutex.lock(); }
  void Leave() { FMutex.unlock(); }
  bool TryEnter() { return FMutex.try_lock(); }
  // std lockable interface, so std::lock_guard and std::unique_lock work.
  void lock() { Enter(); }
  void unlock() { Leave(); }
  bool try_lock() { return TryEnter(); }

 private:
  std::recursive_mutex FMutex;
};

// A re-entrant mutex with a timed wait.
class TMutex {
 public:
  TMutex() = default;
  TMutex(const TMutex&) = delete;
  TMutex& operator=(const TMutex&) = delete;

  // Takes the mutex, waiting at most ATimeoutMs (negative = no limit). True when taken.
  bool Acquire(int ATimeoutMs = INFINITE_WAIT);
  void Release() { FMutex.unlock(); }
  void lock() { FMutex.lock(); }
  void unlock() { FMutex.unlock(); }
  bool try_lock() { return FMutex.try_lock(); }

 private:
  std::recursive_timed_mutex FMutex;
};

}  // namespace tw::platform
