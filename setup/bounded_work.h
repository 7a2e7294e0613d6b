// Work that may block in the network for ever, run on a helper thread that
// the caller waits for within a deadline and leaves behind when the deadline
// passes or the stop event is set. Wine 8 ignores INTERNET_OPTION_CONNECT_-
// TIMEOUT and the receive timeout during a TLS handshake, and closing the
// handle of a blocked WinINet call from another thread (session, connection
// or request handle alike) does not make the call return: measured against
// loopback listeners that accept and never answer, and one whose accept
// queue is full. So a wait that must end cannot rely on the call ending.
// The work must own everything it touches (it is held by shared_ptr by both
// threads) and give its results only through itself, and it may not touch
// the caller's objects: after a timeout nobody reads them any more.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

namespace lite_installer {

class BoundedWork {
 public:
  virtual ~BoundedWork() = default;
  virtual void Run() = 0;
  // The tick count of the work's last sign of life (a redirect followed, a
  // new request sent): it moves the idle deadline on.
  void NoteProgress() { progress_tick_.store(::GetTickCount()); }
  uint32_t progress_tick() const { return progress_tick_.load(); }

 private:
  std::atomic<uint32_t> progress_tick_{0};
};

enum class BoundedOutcome {
  kDone,      // Run has returned; its results may be read
  kTimedOut,  // no progress for idle_ms, or total_ms passed: left running
  kStopped,   // the stop event was set first: left running
};

// Runs the work on a helper thread (on this one when no thread can be made)
// and waits: idle_ms without progress, total_ms on the whole (0: none), and
// the optional stop event end the wait.
BoundedOutcome RunBounded(const std::shared_ptr<BoundedWork>& work, uint32_t idle_ms,
                          uint32_t total_ms, HANDLE stop_event);

// Helper threads that were left behind and have not ended yet. While one
// runs, the process must not tear its libraries down under it (the end of
// wWinMain ends it with TerminateProcess instead).
uint32_t BoundedHelpersRunning();

}  // namespace lite_installer
