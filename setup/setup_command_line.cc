// Building the setup's command line; portable.
#include "setup/setup_command_line.h"

namespace lite_installer {

uint64_t ProgressWindowNumber(intptr_t handle_value) {
  return static_cast<uint64_t>(static_cast<int64_t>(handle_value));
}

CommandLine BuildSetupCommandLine(const CommandLine& installer,
                                  const SetupCommandLineValues& values) {
  CommandLine c = installer;
  c.SetProgram(values.setup_path);
  c.SetAscii(switches::kProgressWindow, std::to_string(values.progress_window));
  c.SetFlag(switches::kVerboseLogging);
  c.SetAscii(switches::kBrandName, values.brand_name);
  c.Set(switches::kInstallerData, values.installer_data_path);
  c.Set(switches::kClidsFile, values.clids_file_path);
  if (values.brand_package_loaded) c.Set(switches::kBrandPackage, values.brand_package_path);
  if (values.partner_package_loaded)
    c.Set(switches::kPartnerPackage, values.partner_package_path);
  if (!values.distrib_info_file_path.empty())
    c.Set(switches::kDistrInfoFile, values.distrib_info_file_path);
  if (values.make_default)
    c.SetFlag(switches::kMakeBrowserDefault);
  else
    c.Remove(switches::kMakeBrowserDefault);
  if (values.send_statistics)
    c.SetFlag(switches::kSendStatistics);
  else
    c.Remove(switches::kSendStatistics);
  return c;
}

}  // namespace lite_installer
