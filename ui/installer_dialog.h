// The installer dialog of an interactive run (template 129): a welcome screen
// with the title, the licence sentence, two choices and the Install and
// Cancel buttons, then a narrow progress screen. It owns the installation:
// its constructor starts the installer's worker thread, so the setup
// downloads while the user reads the welcome screen; Install lets the worker
// go on to verify and run it. It implements the installer's observer by
// posting to its own window, and it ends with 1 when the installation ended
// (the exit code is then the installer's result) or any other value when the
// user cancelled. Windows only; every method but the observer's runs on the
// thread that called Run.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "brand/brand_package_info.h"
#include "brand/distrib_info_params.h"
#include "installer/command_line.h"
#include "platform/spin_lock.h"
#include "setup/install_flow.h"
#include "setup/installer_observer.h"
#include "setup/proxy_credentials.h"
#include "ui/image_button.h"
#include "ui/image_check_box.h"
#include "ui/image_dialog.h"
#include "ui/image_progress_bar.h"
#include "ui/link_cursor.h"
#include "ui/scoped_gdi.h"
#include "ui/setup_messages.h"
#include "ui/taskbar_progress.h"

namespace lite_installer {

// The dialog's private messages: wParam percent; wParam seconds, lParam kind.
constexpr UINT WM_SET_PROGRESS = WM_APP + 2;
constexpr UINT WM_SET_TIME_LEFT = WM_APP + 3;

class InstallerDialog : public ImageDialog, public InstallerObserver {
 public:
  // Creates the installer with this dialog as its observer and starts its
  // worker thread at once. The references outlive the dialog object.
  InstallerDialog(const BrandPackageInfo& brand, const DistribInfoParams& distrib_info,
                  const CommandLine& command_line, RunFolder* run_folder = nullptr);
  // Stops the worker (at most 10 s). Destroy the object only when
  // StopInstallation said the worker has ended: a worker still running uses
  // the installer and this observer.
  ~InstallerDialog() override;

  // Shows the dialog modally, owned by `owner`; 1 when the installation
  // ended, anything else when the user cancelled or the dialog could not be
  // shown (-1, last error ERROR_OUTOFMEMORY).
  INT_PTR Run(HWND owner);
  // The installer's result (400 until the setup's exit code is known).
  int32_t installer_result() const { return installer_->result(); }
  // Sets the stop event and waits at most 10 s for the worker; true when the
  // worker has ended.
  bool StopInstallation() { return installer_->Stop(); }

  // InstallerObserver: called on the worker thread (SetProgress and
  // SetTimeLeft also on the dialog thread); each only posts to the window or
  // stores a flag.
  void CloseWindow() override;
  void SetProgress(int32_t percent) override;
  void EnableTimeLeft() override;
  void SetTimeLeft(int32_t seconds, TimeLeftKind kind) override;
  void OnInstallError(int32_t code) override;
  HWND GetProgressWindow() override;
  bool AskProxyCredentials(const std::shared_ptr<ProxyCredentialQuestion>& question) override;

 private:
  INT_PTR OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void OnWindowCreated() override;
  void OnWindowDestroyed() override;
  void Initialize();
  void PlaceControls();
  INT_PTR OnCommand(int id);
  INT_PTR OnNotify(const NMHDR& header, LPARAM lparam);
  INT_PTR OnStaticColor(HDC dc, HWND control);
  // The font of a static by its id; null for others.
  HGDIOBJ StaticFont(int id) const;
  bool OnSetupMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnInstall();
  void OnCancel();
  void OnTimeLeft(int32_t seconds, int32_t kind);
  template <typename Outcome>
  void ShowOutcome();
  void ShowErrorOutcome();
  void ShowNewerVersionOutcome();
  void Post(UINT message, WPARAM wparam, LPARAM lparam);
  void OnProxyCredentials();

  const BrandPackageInfo& brand_;
  const DistribInfoParams& distrib_info_;
  ScopedGdiObject title_font_;
  ScopedGdiObject small_font_;
  ScopedGdiObject small_link_font_;
  ScopedGdiObject link_font_;
  ScopedGdiObject body_font_;
  ScaledImage progress_fill_;
  ScaledImage progress_track_;
  std::unique_ptr<ImageProgressBar> progress_bar_;
  std::unique_ptr<Installer> installer_;
  std::unique_ptr<ImageButton> install_button_;
  std::unique_ptr<ImageButton> cancel_button_;
  LinkCursor license_link_cursor_;
  LinkCursor privacy_link_cursor_;
  TaskbarProgress taskbar_;
  std::unique_ptr<ImageCheckBox> make_default_;
  std::unique_ptr<ImageCheckBox> send_statistics_;
  ScopedIcon large_icon_;
  ScopedIcon small_icon_;
  SetupMessages messages_;
  // Published once the window exists; the worker posts to it.
  std::atomic<HWND> published_window_{nullptr};
  std::atomic<bool> show_time_left_{false};
  std::atomic<int32_t> pending_error_{0};
  // The proxy's question from the worker, until the window's thread takes it.
  SpinLock question_lock_;
  std::shared_ptr<ProxyCredentialQuestion> pending_question_;
  bool install_started_ = false;
  bool outcome_shown_ = false;
};

}  // namespace lite_installer
