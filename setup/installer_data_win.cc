// Choosing and writing the setup's data files (Windows: resources).
#include "setup/installer_data.h"

#include "platform/bin_resource.h"
#include "resources/installer_data_resources.h"

namespace lite_installer {
namespace {

// The switch's path as given, or the built-in copy written to temp_dir.
std::wstring ChooseDataFile(const CommandLine& command_line, const char* switch_name,
                            const std::wstring& temp_dir, const wchar_t* file_name,
                            int resource_id) {
  std::wstring path = command_line.Value(switch_name);
  if (path.empty()) {
    path = temp_dir + file_name;
    WriteBinResourceToFile(resource_id, path);
  }
  return path;
}

}  // namespace

InstallerDataPaths PrepareInstallerDataFiles(const CommandLine& command_line,
                                             const std::wstring& temp_dir) {
  InstallerDataPaths paths;
  paths.installer_data = ChooseDataFile(command_line, switches::kInstallerData, temp_dir,
                                        kMasterPreferencesFileName, IDR_MASTER_PREFERENCES);
  paths.clids_file = ChooseDataFile(command_line, switches::kClidsFile, temp_dir,
                                    kClidsFileName, IDR_CLIDS_FILE);
  return paths;
}

}  // namespace lite_installer
