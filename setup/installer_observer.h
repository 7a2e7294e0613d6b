// The interface from the installation to whatever shows it (the dialog); null
// in silent mode.
//
// Threads. The installer calls every operation on its worker thread;
// SetProgress and SetTimeLeft also come from the dialog's own thread (the
// setup's messages). An implementation therefore only posts to its window
// or stores a flag: it never blocks, never ends or shows a dialog itself and
// touches no window state directly; the window's thread does the rest.
// GetProgressWindow is asked only after the install-after-download event
// (which the dialog sets after its window exists), so the handle it returns
// is fixed by then and stays so for the setup's whole run. Posts made before
// the window exists are dropped; the next one brings the bar up to date.
// An implementation and what it uses must outlive the worker: the dialog
// keeps itself alive when a stop runs out while the worker still runs.
#pragma once

#include <cstdint>
#include <memory>

#if defined(_WIN32)
#include <windows.h>
#else
using HWND = void*;
#endif

namespace lite_installer {

class ProxyCredentialQuestion;

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
  // A proxy asks for credentials (proxy_credentials.h): hands the question
  // to the window's thread, which answers it; false when nothing can ask
  // the user (the download then fails as refused). Worker thread only.
  virtual bool AskProxyCredentials(const std::shared_ptr<ProxyCredentialQuestion>& question) {
    (void)question;
    return false;
  }
};

}  // namespace lite_installer
