// Resource numbers of the two data files built into the installer for the
// setup (type "BIN"); shared by installer_data.rc and setup/installer_data.cc.
#pragma once

#define IDR_MASTER_PREFERENCES 305
#define IDR_CLIDS_FILE 306
