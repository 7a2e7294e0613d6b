// Test tool: Installer::Run with an observer, as the dialog's worker runs it
// once the user has pressed Install, for tests/setup/installer_observer_wine_test.py.
// Prints "window=<the progress window's handle value>", then every observer
// call in order ("observer=SetProgress(40)"), then "result=<the installer's
// result>". The installation's switches are this program's own
// ("browser-setup", "do-not-launch-browser", "installerdata", ...); the log
// goes where the installer's goes.
#include <windows.h>

#include <cstdio>
#include <string>

#include "brand/brand_package_info.h"
#include "brand/distrib_info_params.h"
#include "installer/log.h"
#include "platform/path_util.h"
#include "setup/installer.h"

namespace li = lite_installer;

namespace {

// The default brand without packages: only what Run stores and hands on.
class ProbeBrand : public li::BrandPackageInfo {
 public:
  explicit ProbeBrand(const std::wstring& temp_dir) : BrandPackageInfo(temp_dir) {
    brand_name_ = "tavrix";
    interface_language_ = "ru";
  }
};

class PrintingObserver : public li::InstallerObserver {
 public:
  PrintingObserver() {
    window_ = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  }
  ~PrintingObserver() override { ::DestroyWindow(window_); }

  void CloseWindow() override { Print("CloseWindow"); }
  void SetProgress(int32_t percent) override {
    Print("SetProgress(" + std::to_string(percent) + ")");
  }
  void EnableTimeLeft() override { Print("EnableTimeLeft"); }
  void SetTimeLeft(int32_t seconds, li::TimeLeftKind kind) override {
    Print("SetTimeLeft(" + std::to_string(seconds) + "," + std::to_string(static_cast<int>(kind)) +
          ")");
  }
  void OnInstallError(int32_t code) override {
    Print("OnInstallError(" + std::to_string(code) + ")");
  }
  HWND GetProgressWindow() override { return window_; }

 private:
  static void Print(const std::string& call) {
    std::printf("observer=%s\n", call.c_str());
    std::fflush(stdout);
  }
  HWND window_;
};

}  // namespace

int wmain() {
  const std::wstring temp_dir = li::GetTemporaryDirectoryPath();
  li::SetLogPath(temp_dir + L"lite_installer.log");
  ProbeBrand brand(temp_dir);
  li::DistribInfoParams distrib_info;
  PrintingObserver observer;
  std::printf("window=%llu\n", static_cast<unsigned long long>(
                                   reinterpret_cast<uintptr_t>(observer.GetProgressWindow())));
  li::Installer installer(&observer, &brand, &distrib_info);
  ::SetEvent(installer.install_after_download_event());
  installer.Run();
  std::printf("result=%d\n", static_cast<int>(installer.result()));
  std::fflush(stdout);
  return 0;
}
