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
#include "platform/windows_version.h"
#include "setup/install_flow.h"

namespace lite_installer {
namespace {

constexpr wchar_t kFunction[] = L"wWinMain";
constexpr wchar_t kLogFileName[] = L"\\lite_installer.log";

// Silent mode: the installation runs to its end on this thread.
int RunSilent(const CommandLine& command_line, const BrandPackageInfo& brand_info,
              const DistribInfoParams& distrib_params) {
  LI_LOG(kLogInfo, kFunction, L"Installing in silent mode.");
  Installer installer(nullptr, &brand_info, &distrib_params, command_line);
  // Windows 10 and later do not let a program make itself the default
  // browser, so the choice is dropped there whatever the switch says.
  installer.set_make_default(command_line.Has(switches::kMakeBrowserDefault) &&
                             GetWindowsVersion() < kWin10);
  installer.set_send_statistics(command_line.Has(switches::kSendStatistics));
  // Nobody is asked: the installation goes on as soon as the download ends.
  ::ResetEvent(installer.stop_event());
  ::SetEvent(installer.install_after_download_event());
  installer.Run();
  return installer.result();
}

// Interactive mode needs the installer dialog, which this build does not have
// yet. Nothing is installed without the user's consent, so the run ends with
// the installer's initial result and says why.
int RunInteractive(const BrandPackageInfo& brand_info, const DistribInfoParams& distrib_params) {
  LI_LOG(kLogWarning, kFunction,
         L"The installer dialog is not part of this build; nothing was installed.");
  return kExitSetupNotRun;
}

}  // namespace
}  // namespace lite_installer

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  ::lite_installer::GuardLibraryLoading();
  using namespace lite_installer;
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

  DistribInfoParams distrib_params;
  BrandPackageInfo brand_info(temp_dir);
  SettleBrandConfiguration(command_line, brand_name, &distrib_params, &brand_info);

  int exit_code = silent ? RunSilent(command_line, brand_info, distrib_params)
                         : RunInteractive(brand_info, distrib_params);

  LI_LOG(kLogInfo, kFunction, L"Installer exit with code: ", exit_code);
  return exit_code;
}
