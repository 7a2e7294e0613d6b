// The registered window messages between the setup process and the
// installer dialog. Windows only.
//
// The window's message filter is left as the system sets it: the setup is
// started by the installer at the installer's own integrity level (an
// elevated setup sits above it), and a message from the same or a higher
// level always passes. Opening the filter would only let processes of a
// lower level (a sandboxed page, say) close the dialog or move its progress.
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

}  // namespace lite_installer
