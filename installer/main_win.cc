// Entry point and run sequence: starts the log, reads the switches, settles
// the brand configuration, then runs the installation silently on this thread
// or behind the installer dialog, and exits with the installation's result.
#include <windows.h>

#include <string>

#include "brand/brand_configuration.h"
#include "installer/command_line.h"
#include "installer/exit_codes.h"
#include "installer/log.h"
#include "platform/library_guard.h"
#include "platform/path_util.h"
#include "platform/run_folder.h"
#include "setup/background_sender.h"
#include "setup/bounded_work.h"
#include "setup/install_flow.h"
#include "setup/request_bounds.h"
#include "ui/installer_dialog.h"
#include "ui/ui_environment.h"

namespace lite_installer {
namespace {

constexpr wchar_t kFunction[] = L"wWinMain";
constexpr wchar_t kLogFileName[] = L"\\lite_installer.log";

// Silent mode: the installation runs to its end on this thread.
int RunSilent(const CommandLine& command_line, const BrandPackageInfo& brand_info,
              const DistribInfoParams& distrib_params, RunFolder* run_folder) {
  LI_LOG(kLogInfo, kFunction, L"Installing in silent mode.");
  Installer installer(nullptr, &brand_info, &distrib_params, command_line, run_folder);
  installer.SetChoices(command_line.Has(switches::kMakeBrowserDefault),
                       command_line.Has(switches::kSendStatistics));
  // Nobody is asked: the installation goes on as soon as the download ends.
  installer.AllowInstall();
  installer.Run();
  return installer.result();
}

// Interactive mode: the installer dialog, whose worker thread downloads
// while the welcome screen is shown. `worker_running` says whether the
// worker was still running after the dialog's stop ran out: then nothing it
// uses may be freed, and the dialog object is left to the end of the process.
int RunInteractive(const CommandLine& command_line, const BrandPackageInfo& brand_info,
                   const DistribInfoParams& distrib_params, RunFolder* run_folder,
                   bool* worker_running) {
  auto* dialog = new InstallerDialog(brand_info, distrib_params, command_line, run_folder);
  HWND owner = ::GetActiveWindow();
  const INT_PTR result = dialog->Run(owner);
  int exit_code = kExitCancelled;
  if (result == 1) {
    exit_code = dialog->installer_result();
  } else {
    LI_LOG(kLogInfo, kFunction, L"User cancelled installation.");
  }
  if (dialog->StopInstallation()) {
    delete dialog;
  } else {
    *worker_running = true;
    LI_LOG(kLogWarning, kFunction,
           L"The installation did not stop within 10 seconds; the process ends without it.");
  }
  return exit_code;
}

}  // namespace
}  // namespace lite_installer

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  ::lite_installer::GuardLibraryLoading();
  using namespace lite_installer;
  UiEnvironmentOwner ui_environment_owner;
  // The log path names the folder even when it was left empty, so the log
  // then lands at the root of the current drive.
  SetLogPath(GetTemporaryDirectoryPath() + kLogFileName);
  LI_LOG(kLogInfo, kFunction, L"-------------------------------------- Start install.");
  LI_LOG(kLogInfo, kFunction, L"Lite installer mode.");

  const CommandLine& command_line = CommandLine::Current();
  const bool silent = command_line.Has(switches::kSilent);
  const std::string brand_name = command_line.AsciiValue(switches::kBrandName);
  const std::wstring temp_dir = GetTemporaryDirectoryPath();
  LI_LOG(kLogInfo, kFunction, L"Temporary path is: ", temp_dir);

  // Everything the run writes for the setup, and the setup itself, lives in
  // a folder of its own; the log stays in the temporary directory. Removed
  // with its files when the run fails (a kept one holds the data files).
  RunFolder run_folder;
  std::wstring folder = temp_dir;
  if (run_folder.Create(temp_dir)) {
    folder = run_folder.path();
    LI_LOG(kLogInfo, kFunction, L"Run folder is: ", folder);
  } else {
    LI_LOG(kLogError, kFunction, L"Cannot create a run folder; the temporary path is used.");
  }

  DistribInfoParams distrib_params(folder);
  BrandPackageInfo brand_info(folder);
  SettleBrandConfiguration(command_line, brand_name, &distrib_params, &brand_info);

  bool worker_running = false;
  const int exit_code =
      silent ? RunSilent(command_line, brand_info, distrib_params, &run_folder)
             : RunInteractive(command_line, brand_info, distrib_params, &run_folder,
                              &worker_running);

  // Click statistics still queued (Cancel's among them) get one report
  // bound in total, never more.
  const bool statistics_sent = FinishBackgroundRequests(ReportBounds().total_ms);
  if (!statistics_sent)
    LI_LOG(kLogWarning, kFunction, L"Click statistics still unsent; the process ends without them.");

  LI_LOG(kLogInfo, kFunction, L"Installer exit with code: ", exit_code);
  if (worker_running || !statistics_sent || BoundedHelpersRunning() != 0) {
    // Another thread still runs: the worker (it uses this frame), the
    // statistics sender or a request left at its bound, which may be inside
    // WinINet and its TLS library. A normal exit would run the C runtime's
    // and every library's clean-up while that thread goes on inside them, so
    // the process ends here instead, with no library's clean-up but the user
    // interface's (every log line is on disk already). What the run made
    // goes first, as far as nothing holds it (a running setup's file stays).
    run_folder.RemoveUnlessKept();
    ui_environment_owner.ShutDownNow();
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exit_code));
  }
  return exit_code;
}
