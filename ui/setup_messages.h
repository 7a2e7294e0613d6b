// The registered window messages between the setup process and the
// installer dialog, and the message filter that lets a setup of higher
// integrity post them. Windows only.
#pragma once

#include <windows.h>

namespace lite_installer {

constexpr wchar_t kImportProgressMessage[] = L"tavrix.lite.set_import_progress";
constexpr wchar_t kCloseWindowMessage[] = L"tavrix.lite.close_window";
constexpr wchar_t kInstallProgressMessage[] = L"tavrix.lite.set_install_progress";
constexpr wchar_t kHigherVersionMessage[] = L"tavrix.higher_version_exist";

// The four ids, registered by name: every process that registers the same
// names gets the same ids.
struct SetupMessages {
  UINT import_progress = 0;
  UINT close_window = 0;
  UINT install_progress = 0;
  UINT higher_version = 0;
};
SetupMessages RegisterSetupMessages();

// Lets `message` through the window's filter: per window from Windows 7 on,
// for the whole process on Vista, nothing to do before Vista. False when the
// system's function is missing or refuses.
bool AllowWindowMessage(HWND window, UINT message);

}  // namespace lite_installer
