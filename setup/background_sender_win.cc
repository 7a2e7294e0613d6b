// The sender thread and its queue. The sender is never freed: when the
// process ends its thread may still be inside a request, and nothing it
// touches may be released under it.
#include "setup/background_sender.h"

#include <windows.h>

#include <process.h>

#include <deque>
#include <utility>

#include "platform/scoped_handle.h"

namespace lite_installer {
namespace {

struct QueuedRequest {
  BackgroundRequest send;
  std::wstring url;
};

class BackgroundSender {
 public:
  BackgroundSender()
      : wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
        idle_(::CreateEventW(nullptr, TRUE, TRUE, nullptr)) {
    ::InitializeCriticalSection(&lock_);
  }

  bool Queue(BackgroundRequest send, const std::wstring& url) {
    ::EnterCriticalSection(&lock_);
    bool queued = !finished_ && StartThread();
    if (queued) {
      queue_.push_back(QueuedRequest{send, url});
      ++unsent_;
      ::ResetEvent(idle_.Get());
      ::SetEvent(wake_.Get());
    }
    ::LeaveCriticalSection(&lock_);
    return queued;
  }

  bool Finish(uint32_t wait_ms) {
    ::EnterCriticalSection(&lock_);
    finished_ = true;
    const bool idle = unsent_ == 0;
    ::LeaveCriticalSection(&lock_);
    return idle || ::WaitForSingleObject(idle_.Get(), wait_ms) == WAIT_OBJECT_0;
  }

 private:
  // Under the lock.
  bool StartThread() {
    if (thread_.IsValid()) return true;
    if (!wake_.IsValid() || !idle_.IsValid()) return false;
    thread_.Reset(reinterpret_cast<HANDLE>(
        ::_beginthreadex(nullptr, 0, &BackgroundSender::ThreadMain, this, 0, nullptr)));
    return thread_.IsValid();
  }

  static unsigned __stdcall ThreadMain(void* sender) {
    static_cast<BackgroundSender*>(sender)->SendAll();
    return 0;
  }

  void SendAll() {
    for (;;) {
      ::WaitForSingleObject(wake_.Get(), INFINITE);
      for (;;) {
        ::EnterCriticalSection(&lock_);
        if (queue_.empty()) {
          ::LeaveCriticalSection(&lock_);
          break;
        }
        QueuedRequest request = std::move(queue_.front());
        queue_.pop_front();
        ::LeaveCriticalSection(&lock_);
        request.send(request.url);
        ::EnterCriticalSection(&lock_);
        if (--unsent_ == 0) ::SetEvent(idle_.Get());
        ::LeaveCriticalSection(&lock_);
      }
    }
  }

  CRITICAL_SECTION lock_;
  std::deque<QueuedRequest> queue_;
  uint32_t unsent_ = 0;  // queued or in flight
  bool finished_ = false;
  ScopedHandle wake_;    // auto-reset: something was queued
  ScopedHandle idle_;    // manual-reset: nothing queued or in flight
  ScopedHandle thread_;
};

BackgroundSender& Sender() {
  static BackgroundSender* const sender = new BackgroundSender();
  return *sender;
}

}  // namespace

bool QueueBackgroundRequest(BackgroundRequest send, const std::wstring& url) {
  return Sender().Queue(send, url);
}

bool FinishBackgroundRequests(uint32_t wait_ms) { return Sender().Finish(wait_ms); }

}  // namespace lite_installer
