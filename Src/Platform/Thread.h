// Thread identifiers: the kernel's thread ids, and the thread recorded as the main thread.
#pragma once
#include <cstdint>

namespace tw::platform {

using TThreadID = uint32_t;

// The calling thread's kernel id (gettid).
TThreadID CurrentThreadId();

// The thread recorded as the application's main thread. It is the thread that ran the program's
// static initialisation unless SetMainThread moved it.
TThreadID MainThreadId();
bool IsMainThread();

// Records the calling thread as the main thread (for hosts that start the engine elsewhere).
void SetMainThread();

// Sleeps for the given number of milliseconds (0 yields).
void SleepMs(int ms);

// Monotonic time in microseconds, for intervals and time-outs.
int64_t MonotonicMicroseconds();

}  // namespace tw::platform
