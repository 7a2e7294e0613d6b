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
#include "setup/install_flow.h"
#include "tests/setup/printing_observer.h"

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

// A message-only window that stands for the dialog's.
class ProgressWindow {
 public:
  ProgressWindow()
      : window_(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr)) {}
  ~ProgressWindow() { ::DestroyWindow(window_); }
  HWND get() const { return window_; }

 private:
  HWND window_;
};

}  // namespace

int wmain() {
  const std::wstring temp_dir = li::GetTemporaryDirectoryPath();
  li::SetLogPath(temp_dir + L"lite_installer.log");
  ProbeBrand brand(temp_dir);
  li::DistribInfoParams distrib_info;
  ProgressWindow window;
  li::PrintingObserver observer(window.get());
  std::printf("window=%llu\n",
              static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window.get())));
  li::Installer installer(&observer, &brand, &distrib_info, li::CommandLine::Current());
  installer.AllowInstall();
  installer.Run();
  std::printf("result=%d\n", static_cast<int>(installer.result()));
  std::fflush(stdout);
  return 0;
}
