// Running the setup process and waiting for its exit code (Windows).
#include <windows.h>

#include "installer/exit_codes.h"
#include "installer/log.h"
#include "platform/scoped_handle.h"
#include "setup/download_progress.h"
#include "setup/install_flow.h"

namespace lite_installer {
namespace {

constexpr wchar_t kFunction[] = L"Installer::RunProcessAndWait";

}  // namespace

bool Installer::RunProcessAndWait(const std::wstring& command_line, int32_t* exit_code,
                                  const std::wstring& application) {
  LI_LOG(kLogInfo, kFunction, L"Run: ", command_line);
  if (exit_code) *exit_code = kExitSetupNotRun;

  std::wstring writable = command_line;  // CreateProcessW may write into it
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION created = {};
  // A given application is started as exactly that file: no search.
  if (!::CreateProcessW(application.empty() ? nullptr : application.c_str(), &writable[0],
                        nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &created)) {
    LI_LOG(kLogError, kFunction, L"Create process failed.");
    return false;
  }
  ScopedHandle process(created.hProcess);
  ScopedHandle thread(created.hThread);
  LI_LOG(kLogInfo, kFunction, L"Process created: ", static_cast<uint32_t>(created.dwProcessId));
  // The setup's share of the progress begins where the download's ended.
  if (observer_) observer_->SetProgress(kDownloadEndPercent);
  thread.Reset();

  LI_LOG(kLogInfo, kFunction, L"Wait for process finish.");
  if (::WaitForSingleObject(process.Get(), INFINITE) != WAIT_OBJECT_0) {
    LI_LOG(kLogError, kFunction, L"Wait process failed.");
    return false;
  }
  bool read = true;
  if (exit_code) {
    DWORD code = 0;
    if (::GetExitCodeProcess(process.Get(), &code)) {
      *exit_code = static_cast<int32_t>(code);
    } else {
      LI_LOG(kLogError, kFunction, L"Get setup process exit code failed.");
      read = false;
    }
    LI_LOG(kLogInfo, kFunction, L"Setup process exit with code: ", *exit_code);
  }
  return read;
}

}  // namespace lite_installer
