// A lock for a few instructions of state shared by the dialog thread and the
// installer's worker (the clock's anchors). Portable, needs no set-up, so it
// works in objects built before the entry point runs, and it exists in every
// thread model of the toolchains (the Windows build's has no std::mutex).
#pragma once

#include <atomic>

namespace lite_installer {

class SpinLock {
 public:
  void Lock() {
    while (flag_.test_and_set(std::memory_order_acquire)) {
    }
  }
  void Unlock() { flag_.clear(std::memory_order_release); }

 private:
  std::atomic_flag flag_ = ATOMIC_FLAG_INIT;
};

// Holds a SpinLock for its scope.
class SpinLockHolder {
 public:
  explicit SpinLockHolder(SpinLock* lock) : lock_(lock) { lock_->Lock(); }
  ~SpinLockHolder() { lock_->Unlock(); }
  SpinLockHolder(const SpinLockHolder&) = delete;
  SpinLockHolder& operator=(const SpinLockHolder&) = delete;

 private:
  SpinLock* lock_;
};

}  // namespace lite_installer
