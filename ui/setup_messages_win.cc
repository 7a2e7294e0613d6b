// Registration of the setup's messages and the message filter.
#include "ui/setup_messages.h"

#include "platform/windows_version.h"

namespace lite_installer {
namespace {
constexpr DWORD kFilterAllow = 1;  // MSGFLT_ALLOW and MSGFLT_ADD
using ChangeFilterExFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
using ChangeFilterFn = BOOL(WINAPI*)(UINT, DWORD);
}  // namespace

SetupMessages RegisterSetupMessages() {
  SetupMessages ids;
  ids.import_progress = ::RegisterWindowMessageW(kImportProgressMessage);
  ids.close_window = ::RegisterWindowMessageW(kCloseWindowMessage);
  ids.install_progress = ::RegisterWindowMessageW(kInstallProgressMessage);
  ids.higher_version = ::RegisterWindowMessageW(kHigherVersionMessage);
  return ids;
}

bool AllowWindowMessage(HWND window, UINT message) {
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  const WindowsVersion version = GetWindowsVersion();
  if (version >= kWin7) {
    auto change = reinterpret_cast<ChangeFilterExFn>(reinterpret_cast<void*>(
        user32 ? ::GetProcAddress(user32, "ChangeWindowMessageFilterEx") : nullptr));
    return change && change(window, message, kFilterAllow, nullptr);
  }
  if (version == kWinVista) {
    auto change = reinterpret_cast<ChangeFilterFn>(reinterpret_cast<void*>(
        user32 ? ::GetProcAddress(user32, "ChangeWindowMessageFilter") : nullptr));
    return change && change(message, kFilterAllow);
  }
  return true;
}

}  // namespace lite_installer
