#include "FFLoad/LockManager.h"

#include <pthread.h>

#include <atomic>
#include <cinttypes>
#include <cstring>
#include <mutex>

#include "FFLog/FFLog.h"

namespace tw {

namespace {

struct TLockRecord {
  void** Slot = nullptr;
  pthread_mutex_t* Mutex = nullptr;
  TLockRecord* Next = nullptr;
};

struct TLockRegistry {
  std::mutex Lock;
  TLockRecord* Head = nullptr;
  int Count = 0;
};

TLockRegistry& Registry() {
  static TLockRegistry* r = new TLockRegistry();
  return *r;
}

std::atomic<bool> GFinalising{false};

intptr_t MutexId(const pthread_mutex_t* AMutex) { return reinterpret_cast<intptr_t>(AMutex); }

std::string SystemErrorText(int ACode) { return std::strerror(ACode); }

// Finds the record kept in the library's slot, or makes one and stores it there.
TLockRecord* RecordFor(void** ASlot) {
  auto& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  if (*ASlot) return static_cast<TLockRecord*>(*ASlot);
  auto* rec = new TLockRecord();
  rec->Slot = ASlot;
  rec->Next = r.Head;
  r.Head = rec;
  ++r.Count;
  *ASlot = rec;
  return rec;
}

void RemoveRecord(TLockRecord* ARecord) {
  auto& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  for (TLockRecord** p = &r.Head; *p; p = &(*p)->Next) {
    if (*p == ARecord) {
      *p = ARecord->Next;
      --r.Count;
      break;
    }
  }
  if (ARecord->Slot) *ARecord->Slot = nullptr;
  delete ARecord;
}

void FreeMutex(pthread_mutex_t* AMutex) {
  pthread_mutex_destroy(AMutex);
  delete AMutex;
}

}  // namespace

int LockManagerCallback(void** AMutex, TAVLockOp AOp) {
  if (GFinalising.load(std::memory_order_acquire)) return 0;
  if (!AMutex) return -1;
  TLockRecord* rec = RecordFor(AMutex);
  switch (AOp) {
    case AV_LOCK_CREATE_OP: {
      if (rec->Mutex) {
        LogFmt(nullptr, llError, "[lock manager] error, mutex [%" PRIdPTR "] already exist.", MutexId(rec->Mutex));
        return -1;
      }
      auto* m = new pthread_mutex_t;
      pthread_mutexattr_t attr;
      pthread_mutexattr_init(&attr);
      // Error checking: a release by a thread that does not own the mutex is reported.
      pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_ERRORCHECK);
      const int rc = pthread_mutex_init(m, &attr);
      pthread_mutexattr_destroy(&attr);
      if (rc != 0) {
        delete m;
        LogFmt(nullptr, llError, "[lock manager] error, failed to create mutex: %s.", SystemErrorText(rc).c_str());
        return -1;
      }
      rec->Mutex = m;
      LogFmt(nullptr, llDebug, "[lock manager] mutex [%" PRIdPTR "] created.", MutexId(m));
      return 0;
    }
    case AV_LOCK_OBTAIN_OP: {
      if (!rec->Mutex) {
        LogMsg(nullptr, llError, "[lock manager] error, mutex not available.");
        return -1;
      }
      const int rc = pthread_mutex_lock(rec->Mutex);
      if (rc != 0) {
        LogFmt(nullptr, llError, "[lock manager] error, could not wait on mutex [%" PRIdPTR "]: %s.",
               MutexId(rec->Mutex), SystemErrorText(rc).c_str());
        return -1;
      }
      LogFmt(nullptr, llDebug, "[lock manager] mutex [%" PRIdPTR "] obtained.", MutexId(rec->Mutex));
      return 0;
    }
    case AV_LOCK_RELEASE_OP: {
      if (!rec->Mutex) {
        LogMsg(nullptr, llError, "[lock manager] error, mutex not available.");
        return -1;
      }
      const int rc = pthread_mutex_unlock(rec->Mutex);
      LogFmt(nullptr, llDebug, "[lock manager] mutex [%" PRIdPTR "] release.", MutexId(rec->Mutex));
      if (rc != 0) {
        LogFmt(nullptr, llError, "[lock manager] error, could not release mutex [%" PRIdPTR "]: %s.",
               MutexId(rec->Mutex), SystemErrorText(rc).c_str());
        return -1;
      }
      return 0;
    }
    case AV_LOCK_DESTROY_OP: {
      int result = 0;
      if (rec->Mutex) {
        LogFmt(nullptr, llDebug, "[lock manager] mutex [%" PRIdPTR "] destroyed.", MutexId(rec->Mutex));
        FreeMutex(rec->Mutex);
        rec->Mutex = nullptr;
      } else {
        LogMsg(nullptr, llError, "[lock manager] error, mutex not available.");
        result = -1;
      }
      RemoveRecord(rec);
      return result;
    }
  }
  LogFmt(nullptr, llError, "[lock manager] error, invalid mutex operation %d.", static_cast<int>(AOp));
  return -1;
}

void SetLockManagerFinalising(bool AValue) { GFinalising.store(AValue, std::memory_order_release); }

void FreeLockManagerRecords() {
  auto& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  while (r.Head) {
    TLockRecord* rec = r.Head;
    r.Head = rec->Next;
    if (rec->Mutex) FreeMutex(rec->Mutex);
    if (rec->Slot) *rec->Slot = nullptr;
    delete rec;
  }
  r.Count = 0;
}

int LockManagerRecordCount() {
  auto& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  return r.Count;
}

}  // namespace tw
