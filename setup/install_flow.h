// One installation of the browser: registry state, the setup file (given or
// downloaded in up to five attempts), the wait for permission, verification,
// the setup run and its exit code, clean-up and the status reports. Runs on
// the main thread in silent mode (no observer) or on its own worker thread
// behind the dialog; both drive it only through the operations below.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "brand/brand_package_info.h"
#include "brand/distrib_info_params.h"
#include "installer/command_line.h"
#include "platform/run_folder.h"
#include "platform/scoped_handle.h"
#include "setup/download_sink.h"
#include "setup/installer_observer.h"

namespace lite_installer {

// Result codes of Installer::InstallBrowser.
enum InstallResult : int32_t {
  kInstallDone = 0,         // the setup ran and its exit code was read
  kInstallFailed = 1,       // no file, no permission, not verified, setup not run
  kInstallNotDownloaded = 2 // no setup URL, every attempt failed, or stopped
};

class Installer {
 public:
  // The pointers are not owned and must outlive the installer; observer is
  // null in silent mode. `command_line` is the installer's own (copied): the
  // given setup, the data-file switches and everything passed on to the
  // setup come from it. Writes the built-in data files (installer_data.h)
  // into the brand configuration's folder, the run's own. `run_folder`
  // (not owned, may be null) is kept after a successful installation.
  Installer(InstallerObserver* observer, const BrandPackageInfo* brand,
            const DistribInfoParams* distrib_info, const CommandLine& command_line,
            RunFolder* run_folder = nullptr);
  // Stops the worker thread (at most 10 s) before anything is released.
  ~Installer();
  Installer(const Installer&) = delete;
  Installer& operator=(const Installer&) = delete;

  // The whole installation on the calling thread; result() holds the exit
  // code afterwards.
  void Run();
  // Run on a worker thread of its own; false when the thread cannot start.
  bool Start();
  // The user's choices (silent mode: the switches'). Make-default is dropped
  // from Windows 10 on, which does not let a program make itself the default
  // browser.
  void SetChoices(bool make_default, bool send_statistics);
  static bool CanMakeDefault();
  // Lets the installation go on to verify and run the setup once the
  // download has ended (Install, or at once in silent mode).
  void AllowInstall() { ::SetEvent(install_event_.Get()); }
  // The Cancel button: any count above 0 marks the installation cancelled.
  void Cancel() { cancel_count_.fetch_add(1); }
  // With a worker thread: sets the stop flag and the stop event and waits at
  // most 10 s for it (after one wait that ran out, no more). True when there
  // is no worker or it has ended; false when it still runs and uses this
  // object.
  bool Stop();
  int32_t result() const { return result_.load(); }

  // A single request for the reports (no stop, no observer). False for a
  // null sink, after the log line.
  static bool Download(const std::wstring& url, DownloadSink* sink, std::wstring* error_text,
                       std::wstring* redirect_url);
  // Click statistics: name and value escaped into the URL, queued for the
  // background sender (background_sender.h): the caller never waits.
  static void SendClickStat(const std::wstring& name, const std::wstring& value);

 private:
  friend class InstallerTestAccess;  // the steps below, for their tests
  class DownloadSeam;

  int32_t InstallBrowser();
  // 0 downloaded, 1 file not created, 2 no URL / all attempts failed / stopped.
  int32_t DownloadModuleTo(const std::wstring& path);
  CommandLine BuildSetupCommandLine(const std::wstring& setup_path) const;
  bool RunSetup(const std::wstring& setup_path);
  // Runs a command line and waits for it without limit. exit_code (optional)
  // is 400 until the process's own code is read. False when the process could
  // not be created or waited for, or its code could not be read. A non-empty
  // `application` is the exact file to start (no search, no ".exe" added).
  bool RunProcessAndWait(const std::wstring& command_line, int32_t* exit_code,
                         const std::wstring& application = std::wstring());
  // Interactive only: returns on stop, or closes the window once the
  // installed browser's message window is gone.
  void WaitForMessageWindow();

  void ReportStatus(bool success, const std::wstring& url, int32_t attempt, int32_t downloaded,
                    const std::wstring& error_text, const std::wstring& redirect_url);
  void ReportInstallationFinished(bool success);

  // Thread function for _beginthreadex: Run, then exit code 0.
  static unsigned __stdcall WorkerThread(void* installer);
  // Takes ownership of the worker thread's handle.
  void SetWorkerThread(HANDLE thread) { worker_thread_.Reset(thread); }
  bool cancelled() const { return cancel_count_.load() > 0; }
  // Made on first use, the first report: the random generator's libraries
  // then load after the download has started. Worker thread only.
  const std::wstring& installation_id();
  bool StopSignalled() const;
  void CleanUpAfterSuccess();

  InstallerObserver* observer_;
  const BrandPackageInfo* brand_;
  const DistribInfoParams* distrib_info_;
  const CommandLine command_line_;
  RunFolder* run_folder_;
  bool make_default_ = false;
  bool send_statistics_ = false;
  std::wstring temp_dir_;
  std::wstring installer_data_path_;
  std::wstring clids_file_path_;
  std::wstring installation_id_;
  bool installation_id_made_ = false;
  std::atomic<int32_t> result_;
  ScopedHandle worker_thread_;
  bool stop_wait_ran_out_ = false;
  ScopedHandle stop_event_;
  std::atomic<bool> stop_flag_{false};
  ScopedHandle install_event_;
  std::atomic<int32_t> cancel_count_{0};
  int64_t total_time_ = 0;
  int64_t download_time_ = 0;
  int64_t install_time_ = 0;
};

// Installer::SendClickStat ("clicked_button", value).
void SendButtonClick(const std::wstring& value);

}  // namespace lite_installer
