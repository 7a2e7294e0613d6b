// The command line of the browser setup: every switch the installer was
// started with, plus the paths and choices the setup needs, written in the
// order of the switch names. Portable, so that the exact text the setup
// receives is testable on the host.
#pragma once

#include <cstdint>
#include <string>

#include "installer/command_line.h"

namespace lite_installer {

// Everything the setup is told besides the installer's own switches.
struct SetupCommandLineValues {
  std::wstring setup_path;
  // The observer's window handle as a number; 0 without observer.
  uint64_t progress_window = 0;
  std::string brand_name;
  std::wstring installer_data_path;
  std::wstring clids_file_path;
  bool brand_package_loaded = false;
  std::wstring brand_package_path;
  bool partner_package_loaded = false;
  std::wstring partner_package_path;
  std::wstring distrib_info_file_path;  // empty: no distribution file
  bool make_default = false;
  bool send_statistics = false;
};

// A copy of `installer` changed for the setup. The two choices replace
// whatever the installer's own switches said.
CommandLine BuildSetupCommandLine(const CommandLine& installer,
                                  const SetupCommandLineValues& values);

// The number that "progress-window" carries for a window handle's value:
// sign-extended to 64 bits, written unsigned.
uint64_t ProgressWindowNumber(intptr_t handle_value);

}  // namespace lite_installer
