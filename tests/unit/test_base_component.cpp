#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "FFBase/FFBaseComponent.h"
#include "Platform/MainThread.h"
#include "Platform/Sync.h"
#include "Platform/Thread.h"

using namespace tw;
using namespace tw::platform;

TEST(BaseComponent, NewComponentDefaults) {
  TFFBaseComponent c(nullptr);
  EXPECT_EQ(c.Version(), "5.2");
  EXPECT_EQ(c.ReadTimeout(), 30000);
  EXPECT_EQ(c.WriteTimeout(), 30000);
  EXPECT_EQ(c.About(), "");
}

TEST(BaseComponent, SeekFlagsConvertToLibraryFlags) {
  struct Case {
    TSeekFlags flags;
    int expected;
  } cases[] = {
      {{}, 0},
      {{sfBackward, sfAny}, 5},
      {{sfByte}, 2},
      {{sfFrame}, 8},
      {{sfBackward, sfByte, sfAny, sfFrame}, 15},
      {TSeekFlags::FromByte(0xF3), 3},  // bits above the four flags are dropped
  };
  for (const auto& c : cases) EXPECT_EQ(SeekFlagsToAV(c.flags), c.expected) << int(c.flags.Byte());
}

TEST(BaseComponent, OwnerFreesOwnedComponents) {
  static int freed = 0;
  struct Probe : TComponent {
    using TComponent::TComponent;
    ~Probe() override { ++freed; }
  };
  freed = 0;
  auto* owner = new TComponent(nullptr);
  new Probe(owner);
  auto* second = new Probe(owner);
  delete second;  // a component freed early leaves its owner's list
  EXPECT_EQ(owner->ComponentCount(), 1);
  delete owner;
  EXPECT_EQ(freed, 2);
}

TEST(CallInMainThread, RunsAtOnceOnTheMainThread) {
  ASSERT_TRUE(IsMainThread());
  bool ran = false;
  EXPECT_TRUE(TFFBaseComponent::CallInMainThread([&] { ran = true; }));
  EXPECT_TRUE(ran);
  EXPECT_EQ(PendingMainThreadCalls(), 0);
}

TEST(CallInMainThread, WorkerReturnsOnlyAfterTheMainThreadRanTheRoutine) {
  std::atomic<int> order{0};
  std::atomic<bool> workerDone{false};
  TThreadID ranOn = 0;
  std::thread worker([&] {
    TFFBaseComponent::CallInMainThread([&] {
      ranOn = CurrentThreadId();
      order.store(1);
    });
    EXPECT_EQ(order.load(), 1);
    workerDone = true;
  });
  // Nothing runs until the main thread serves the queue.
  SleepMs(50);
  EXPECT_FALSE(workerDone.load());
  EXPECT_TRUE(RunMainLoop([&] { return workerDone.load(); }, 5000));
  worker.join();
  EXPECT_EQ(ranOn, MainThreadId());
}

TEST(CallInMainThread, TwoWorkersAreServedOneAfterTheOther) {
  std::atomic<int> inside{0}, maxInside{0}, done{0};
  auto body = [&] {
    TFFBaseComponent::CallInMainThread([&] {
      int now = ++inside;
      int prev = maxInside.load();
      while (now > prev && !maxInside.compare_exchange_weak(prev, now)) {
      }
      SleepMs(10);
      --inside;
    });
    ++done;
  };
  std::thread a(body), b(body);
  EXPECT_TRUE(RunMainLoop([&] { return done.load() == 2; }, 5000));
  a.join();
  b.join();
  EXPECT_EQ(maxInside.load(), 1);
}

TEST(CallInMainThread, ExceptionReachesTheCallingWorker) {
  std::atomic<bool> caught{false}, done{false};
  std::thread worker([&] {
    try {
      TFFBaseComponent::CallInMainThread([] { throw std::runtime_error("boom"); });
    } catch (const std::runtime_error& e) {
      caught = std::string(e.what()) == "boom";
    }
    done = true;
  });
  RunMainLoop([&] { return done.load(); }, 5000);
  worker.join();
  EXPECT_TRUE(caught.load());
}

TEST(CallInMainThread, ShutdownReleasesWaitingWorkersAndRefusesNewCalls) {
  std::atomic<int> refused{0};
  std::atomic<bool> ran{false};
  std::vector<std::thread> workers;
  for (int i = 0; i < 2; ++i)
    workers.emplace_back([&] {
      if (!TFFBaseComponent::CallInMainThread([&] { ran = true; })) ++refused;
    });
  while (PendingMainThreadCalls() < 2) SleepMs(1);
  ShutdownMainThreadCalls();
  for (auto& w : workers) w.join();
  EXPECT_EQ(refused.load(), 2);
  EXPECT_FALSE(ran.load());
  std::thread late([&] {
    if (!TFFBaseComponent::CallInMainThread([&] { ran = true; })) ++refused;
  });
  late.join();
  EXPECT_EQ(refused.load(), 3);
  RestartMainThreadCalls();
}

TEST(CallInMainThread, WaitOnTheMainThreadKeepsServingCalls) {
  // The worker needs the main thread before it can signal the event the main thread waits for.
  TEvent finished(false);
  std::thread worker([&] {
    TFFBaseComponent::CallInMainThread([] {});
    finished.Set();
  });
  EXPECT_TRUE(WaitServingMainThread(finished, 5000));
  worker.join();
}

TEST(Event, ManualResetStaysSignalledAndTimesOut) {
  TEvent e(true);
  EXPECT_EQ(e.WaitFor(0), TWaitResult::wrSignaled);
  EXPECT_EQ(e.WaitFor(0), TWaitResult::wrSignaled);
  e.Reset();
  const auto t0 = MonotonicMicroseconds();
  EXPECT_EQ(e.WaitFor(30), TWaitResult::wrTimeout);
  EXPECT_GE(MonotonicMicroseconds() - t0, 25000);
  std::thread setter([&] {
    SleepMs(10);
    e.Set();
  });
  EXPECT_EQ(e.WaitFor(5000), TWaitResult::wrSignaled);
  setter.join();
}

TEST(Mutex, TimedTryFailsWhileAnotherThreadHoldsIt) {
  TMutex m;
  TEvent held(false), release(false);
  std::thread holder([&] {
    m.Acquire();
    held.Set();
    release.WaitFor(5000);
    m.Release();
  });
  held.WaitFor(5000);
  EXPECT_FALSE(m.Acquire(20));
  release.Set();
  EXPECT_TRUE(m.Acquire(5000));
  m.Release();
  holder.join();
}
