// The main-thread call queue. Worker threads hand routines to the main thread and wait until they
// have run; the main thread serves the queue from its event loop: the Qt application from its own,
// headless programs and tests through RunMainLoop or ProcessMainThreadCalls.
#pragma once
#include <functional>

namespace tw::platform {

class TEvent;

using TMainThreadCall = std::function<void()>;

// Runs ACall on the main thread and returns after it has run. On the main thread it runs at once.
// An exception thrown by the routine is raised again in the caller.
// Returns false (without running the routine) when the queue is shut down.
bool CallInMainThread(const TMainThreadCall& ACall);

// Runs the routines queued so far, one at a time. Main thread only; elsewhere it does nothing.
// Returns how many ran.
int ProcessMainThreadCalls();

// Main thread: waits up to ATimeoutMs for a routine to be queued, then runs what is queued.
int WaitAndProcessMainThreadCalls(int ATimeoutMs);

// Serves the queue until APredicate answers true or ATimeoutMs (negative = no limit) has passed.
// Returns the predicate's last answer. Main thread only.
bool RunMainLoop(const std::function<bool()>& APredicate, int ATimeoutMs = -1);

// Waits for AEvent up to ATimeoutMs (negative = no limit). On the main thread the wait keeps
// serving queued routines, so a worker that waits for the main thread cannot block the waiter.
bool WaitServingMainThread(TEvent& AEvent, int ATimeoutMs);

// Installs a routine that is called (on the queuing thread) whenever a call is queued, so a host
// event loop can wake up and call ProcessMainThreadCalls. Pass an empty routine to remove it.
void SetMainThreadWakeup(std::function<void()> AWakeup);

// Refuses every further call and releases the workers that are waiting: their calls answer false.
// Used when the main loop goes away.
void ShutdownMainThreadCalls();
// Accepts calls again after a shutdown.
void RestartMainThreadCalls();
bool MainThreadCallsShutDown();

// Number of calls waiting to be served.
int PendingMainThreadCalls();

}  // namespace tw::platform
