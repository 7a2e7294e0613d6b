// Forced into every GoogleTest translation unit of the mingw build. The
// toolchain's default (win32) thread model has no std::mutex, which
// GoogleTest's Notification needs; this one waits on an event instead, so the
// installer keeps the small win32-model runtime.
#pragma once

#define GTEST_HAS_NOTIFICATION_ 1

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { ::CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  void Notify() { ::SetEvent(event_); }
  void WaitForNotification() { ::WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace internal
}  // namespace testing
