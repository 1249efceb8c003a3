// The lock manager handed to media libraries that still ask for one (av_lockmgr_register): it
// gives the library's mutex slots real mutexes, one record per slot.
#pragma once
#include "FFLoad/FFEntries.h"

namespace tw {

// Answers 0 on success and -1 on failure, logging what went wrong.
int LockManagerCallback(void** AMutex, TAVLockOp AOp);

// While finalising, every call succeeds and does nothing.
void SetLockManagerFinalising(bool AValue);

// Frees every record still held (with its mutex). Module end only.
void FreeLockManagerRecords();

// Number of records currently held (one per live slot).
int LockManagerRecordCount();

}  // namespace tw
