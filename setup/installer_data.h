// The two data files handed to the setup: the browser's master preferences
// and the clids file. A caller's own files (switches "installerdata" and
// "clids-file") are used as given, unchecked; otherwise the copies built into
// the installer are written into the temporary directory, replacing any
// earlier ones. Nothing here fails visibly: a file that cannot be written
// still has its path handed on.
#pragma once

#include <string>

#include "installer/command_line.h"

namespace lite_installer {

constexpr wchar_t kMasterPreferencesFileName[] = L"master_preferences";
constexpr wchar_t kClidsFileName[] = L"clids.xml";

struct InstallerDataPaths {
  std::wstring installer_data;
  std::wstring clids_file;
};

// temp_dir ends in a backslash (GetTempPathW), so names are appended as is.
InstallerDataPaths PrepareInstallerDataFiles(const CommandLine& command_line,
                                             const std::wstring& temp_dir);

}  // namespace lite_installer
