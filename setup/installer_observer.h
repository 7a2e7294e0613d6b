// The interface from the installation to whatever shows it (the dialog); null
// in silent mode. SetProgress and SetTimeLeft may be called from any thread
// and must not block.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#else
using HWND = void*;
#endif

namespace lite_installer {

enum TimeLeftKind : int { kTimeLeftNone = 0, kTimeLeftEstimate = 1, kTimeLeftUpperBound = 2 };

class InstallerObserver {
 public:
  virtual ~InstallerObserver() = default;
  virtual void CloseWindow() = 0;
  virtual void SetProgress(int32_t percent) = 0;
  virtual void EnableTimeLeft() = 0;
  virtual void SetTimeLeft(int32_t seconds, TimeLeftKind kind) = 0;
  virtual void OnInstallError(int32_t code) = 0;
  virtual HWND GetProgressWindow() = 0;
};

}  // namespace lite_installer
