// Exit codes of the installer besides the setup's own, which pass unchanged.
#pragma once

namespace lite_installer {

constexpr int kExitCancelled = 500;   // the user ended the dialog
constexpr int kExitSetupNotRun = 400; // the setup never ran to its end

}  // namespace lite_installer
