// The installation flow: registry state, obtaining the setup, the wait for
// permission, verification, the setup run, clean-up and the final report.
// A setup is run only after VerifyDownloadedModule has accepted the very file
// that is run.
#include "setup/install_flow.h"

#include <process.h>

#include "installer/exit_codes.h"
#include "installer/log.h"
#include "installer/registry_values.h"
#include "platform/clock.h"
#include "platform/guid.h"
#include "platform/path_util.h"
#include "platform/string_conversion.h"
#include "platform/windows_version.h"
#include "setup/download_retry_loop.h"
#include "setup/download_url.h"
#include "setup/downloader.h"
#include "setup/installer_data.h"
#include "setup/setup_command_line.h"
#include "verify/verify_downloaded_module.h"

namespace lite_installer {
namespace {

constexpr wchar_t kInstallBrowser[] = L"Installer::InstallBrowser";
constexpr wchar_t kBrowserMessageWindowClass[] = L"TavrixBrowser_MessageWindow";
constexpr DWORD kStopWaitMs = 10000;
constexpr DWORD kMessageWindowPollMs = 1000;
constexpr int32_t kFinishedPercent = 100;

// The absolute form of a path (GetFullPathNameW); the path itself when that
// fails.
std::wstring FullPath(const std::wstring& path) {
  DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  DWORD written = ::GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
  if (written == 0 || written >= size) return path;
  full.resize(written);
  return full;
}

// The downloaded setup file: deleted when the flow ends, whatever the outcome
// (after a successful run the setup has finished with it).
class DownloadedFile {
 public:
  DownloadedFile() = default;
  ~DownloadedFile() {
    if (!path_.empty()) ::DeleteFileW(path_.c_str());
  }
  DownloadedFile(const DownloadedFile&) = delete;
  DownloadedFile& operator=(const DownloadedFile&) = delete;
  void Remember(const std::wstring& path) { path_ = path; }

 private:
  std::wstring path_;
};

}  // namespace

// The attempt loop's platform side: DownloadUrl with the stop event and the
// observer, the status report, and pauses that the stop event ends.
class Installer::DownloadSeam : public DownloadAttemptSeam {
 public:
  DownloadSeam(Installer* installer, std::wstring url)
      : installer_(installer), url_(std::move(url)) {}

  bool StopRequested() override { return installer_->StopSignalled(); }
  bool Attempt(DownloadSink* sink, std::wstring* error_text, std::wstring* redirect_url,
               uint32_t* content_length) override {
    DownloadStop stop;
    stop.event = installer_->stop_event_.Get();
    stop.flag = &installer_->stop_flag_;
    return DownloadUrl(url_, sink, error_text, redirect_url, content_length, stop,
                       installer_->observer_);
  }
  void Report(bool ok, int32_t attempt, int32_t delivered, const std::wstring& error_text,
              const std::wstring& redirect_url) override {
    installer_->ReportStatus(ok, url_, attempt, delivered, error_text, redirect_url);
  }
  void Pause(uint32_t milliseconds) override {
    ::WaitForSingleObject(installer_->stop_event_.Get(), milliseconds);
  }

 private:
  Installer* installer_;
  std::wstring url_;
};

Installer::Installer(InstallerObserver* observer, const BrandPackageInfo* brand,
                     const DistribInfoParams* distrib_info, const CommandLine& command_line,
                     RunFolder* run_folder)
    : observer_(observer),
      brand_(brand),
      distrib_info_(distrib_info),
      command_line_(command_line),
      run_folder_(run_folder),
      temp_dir_(brand->temp_dir()),
      result_(kExitSetupNotRun) {
  InstallerDataPaths paths = PrepareInstallerDataFiles(command_line_, temp_dir_);
  installer_data_path_ = paths.installer_data;
  clids_file_path_ = paths.clids_file;
  stop_event_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  install_event_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

Installer::~Installer() { Stop(); }

bool Installer::Stop() {
  if (!worker_thread_.IsValid()) return true;
  // The flag first: a download that sees the event's effects between chunks
  // must also see the flag.
  stop_flag_.store(true);
  ::SetEvent(stop_event_.Get());
  const DWORD wait = stop_wait_ran_out_ ? 0 : kStopWaitMs;
  if (::WaitForSingleObject(worker_thread_.Get(), wait) == WAIT_OBJECT_0) return true;
  stop_wait_ran_out_ = true;
  return false;
}

bool Installer::Start() {
  SetWorkerThread(reinterpret_cast<HANDLE>(
      ::_beginthreadex(nullptr, 0, &Installer::WorkerThread, this, 0, nullptr)));
  return worker_thread_.IsValid();
}

bool Installer::CanMakeDefault() { return GetWindowsVersion() < kWin10; }

void Installer::SetChoices(bool make_default, bool send_statistics) {
  make_default_ = make_default && CanMakeDefault();
  send_statistics_ = send_statistics;
}

unsigned __stdcall Installer::WorkerThread(void* installer) {
  static_cast<Installer*>(installer)->Run();
  return 0;
}

bool Installer::StopSignalled() const {
  return ::WaitForSingleObject(stop_event_.Get(), 0) == WAIT_OBJECT_0;
}

const std::wstring& Installer::installation_id() {
  if (!installation_id_made_) {
    installation_id_ = Widen(GenerateGuidString());
    installation_id_made_ = true;
  }
  return installation_id_;
}

void Installer::Run() {
  StoreValueInRegistry(registry_values::kLang, Widen(brand_->interface_language()));
  StoreValueInRegistry(registry_values::kInstallerData, installer_data_path_);
  StoreValueInRegistry(registry_values::kClidsFile, clids_file_path_);
  brand_->StoreInRegistry();

  const int32_t code = InstallBrowser();
  if (code != kInstallDone) {
    // The registry values and package files stay after a failure.
    if (observer_ && !StopSignalled()) observer_->OnInstallError(code);
  } else {
    CleanUpAfterSuccess();
  }
  if (observer_) WaitForMessageWindow();
  ReportInstallationFinished(code == kInstallDone);
}

void Installer::CleanUpAfterSuccess() {
  // Every value of the run but "lang" goes.
  RemoveValueFromRegistry(registry_values::kInstallerData);
  RemoveValueFromRegistry(registry_values::kClidsFile);
  RemoveValueFromRegistry(registry_values::kDistribInfoParams);
  brand_->RemoveFromRegistry();
  if (!brand_->brand_package_path().empty())
    ::DeleteFileW(brand_->brand_package_path().c_str());
  if (!brand_->partner_package_path().empty())
    ::DeleteFileW(brand_->partner_package_path().c_str());
  // What is left (master_preferences, clids.xml, distrib_info) is read by
  // the browser on its first run.
  if (run_folder_) run_folder_->Keep();
}

int32_t Installer::InstallBrowser() {
  const int64_t start = WallClockNow();
  LI_LOG(kLogInfo, kInstallBrowser, L"Install Browser.");
  const std::wstring given = command_line_.Value(switches::kBrowserSetup);
  LI_LOG(kLogInfo, kInstallBrowser, L"Pre-downloaded module: ", given);

  DownloadedFile downloaded_file;
  std::wstring module(given.c_str());  // up to the first NUL
  if (!module.empty() && PathExists(module)) {
    // Verified, held and run by its full path: a relative name would let the
    // module loader and CreateProcessW search the installer's own folder first
    // and so look at (or run) a different file than the one checked here.
    module = FullPath(module);
  } else {
    module = Downloader::MakeTempFileName(temp_dir_);
    if (module.empty()) {
      LI_LOG(kLogError, kInstallBrowser, L"Cannot obtain temp file.");
      return kInstallFailed;
    }
    LI_LOG(kLogInfo, kInstallBrowser, L"Executable path: ", module);
    downloaded_file.Remember(module);
    const int64_t download_start = WallClockNow();
    const int32_t code = DownloadModuleTo(module);
    download_time_ = WallClockNow() - download_start;
    if (code != kInstallDone) {
      LI_LOG(kLogError, kInstallBrowser, L"Module was not downloaded: ", module);
      return code;
    }
    LI_LOG(kLogInfo, kInstallBrowser, L"Module downloaded: ", module);
  }

  const int64_t wait_start = WallClockNow();
  // The stop event is listed first, so when both are set the wait reports it
  // and the installation stops.
  const HANDLE events[] = {stop_event_.Get(), install_event_.Get()};
  if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
    LI_LOG(kLogError, kInstallBrowser, L"Installation after download event isn't in signal state.");
    return kInstallFailed;
  }

  const int64_t verify_start = WallClockNow();
  // Held from verification until the setup has ended: nobody can change,
  // replace or delete the verified file before it runs. A file that cannot
  // be held this way (someone still writes it) is not run.
  ScopedFile verified_file(::CreateFileW(module.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!verified_file.IsValid() || !VerifyDownloadedModule(module)) {
    LI_LOG(kLogError, kInstallBrowser, L"Module verification failed: ", module);
    return kInstallFailed;
  }
  LI_LOG(kLogInfo, kInstallBrowser, L"Verification successed: ", module);

  const int64_t install_start = WallClockNow();
  if (!RunSetup(module)) return kInstallFailed;
  install_time_ = WallClockNow() - install_start;

  if (command_line_.Has(switches::kDoNotLaunchBrowser) && observer_) {
    observer_->SetProgress(kFinishedPercent);
    observer_->CloseWindow();
    observer_ = nullptr;
  }
  // The wait for the user's permission does not count.
  total_time_ = (wait_start - start) + (WallClockNow() - verify_start);
  return kInstallDone;
}

int32_t Installer::DownloadModuleTo(const std::wstring& path) {
  // Delete sharing only: a stop that runs out ends the process in the
  // middle of a download, and the run folder's clean-up can then still
  // delete the partial file. (Measured under Wine 8: DeleteFileW succeeds,
  // the file goes when this handle closes, and its folder cannot be removed
  // before that, so an empty folder is left in that case.)
  ScopedFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) {
    LI_LOG(kLogError, kDownloadModuleToFunction, L"Cannot create file:", path);
    return kInstallFailed;
  }
  LI_LOG(kLogInfo, kDownloadModuleToFunction, L"Try to download module:", path);
  FileDownloadSink sink(file.Get(), path);
  if (brand_->setup_url().empty()) {
    LI_LOG(kLogError, kDownloadModuleToFunction, L"Setup url is empty.");
    return kInstallNotDownloaded;
  }
  DownloadSeam seam(this, Widen(brand_->setup_url()));
  return RunDownloadAttempts(&sink, &seam) ? kInstallDone : kInstallNotDownloaded;
}

CommandLine Installer::BuildSetupCommandLine(const std::wstring& setup_path) const {
  SetupCommandLineValues values;
  values.setup_path = setup_path;
  if (observer_)
    values.progress_window =
        ProgressWindowNumber(reinterpret_cast<intptr_t>(observer_->GetProgressWindow()));
  values.brand_name = brand_->brand_name();
  values.installer_data_path = installer_data_path_;
  values.clids_file_path = clids_file_path_;
  values.brand_package_loaded = brand_->brand_package_loaded();
  values.brand_package_path = brand_->brand_package_path();
  values.partner_package_loaded = brand_->partner_package_loaded();
  values.partner_package_path = brand_->partner_package_path();
  values.distrib_info_file_path = distrib_info_->distrib_file_path();
  values.make_default = make_default_;
  values.send_statistics = send_statistics_;
  return lite_installer::BuildSetupCommandLine(command_line_, values);
}

bool Installer::RunSetup(const std::wstring& setup_path) {
  int32_t exit_code = kExitSetupNotRun;
  const bool ran =
      RunProcessAndWait(BuildSetupCommandLine(setup_path).ToString(), &exit_code, setup_path);
  result_.store(exit_code);
  return ran;
}

void Installer::WaitForMessageWindow() {
  // The installed browser keeps this window while it imports; the dialog
  // stays open (showing the import progress) until it is gone.
  for (;;) {
    if (::WaitForSingleObject(stop_event_.Get(), kMessageWindowPollMs) == WAIT_OBJECT_0) return;
    if (::FindWindowExW(HWND_MESSAGE, nullptr, kBrowserMessageWindowClass, nullptr)) continue;
    if (observer_) observer_->CloseWindow();
    return;
  }
}

}  // namespace lite_installer
