// Registration of the setup's messages.
#include "ui/setup_messages.h"

namespace lite_installer {

SetupMessages RegisterSetupMessages() {
  SetupMessages ids;
  ids.import_progress = ::RegisterWindowMessageW(kImportProgressMessage);
  ids.close_window = ::RegisterWindowMessageW(kCloseWindowMessage);
  ids.install_progress = ::RegisterWindowMessageW(kInstallProgressMessage);
  ids.higher_version = ::RegisterWindowMessageW(kHigherVersionMessage);
  return ids;
}

}  // namespace lite_installer
