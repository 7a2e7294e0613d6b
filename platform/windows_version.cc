// Version mapping; portable.
#include "platform/windows_version.h"

namespace lite_installer {

WindowsVersion MapWindowsVersion(uint32_t major, uint32_t minor) {
  if (major < 5 || (major == 5 && minor == 0)) return kWinPreXp;
  if (major == 5) return minor == 1 ? kWinXp : kWinServer2003;
  if (major == 6) {
    switch (minor) {
      case 0: return kWinVista;
      case 1: return kWin7;
      case 2: return kWin8;
      default: return kWin81;
    }
  }
  if (major == 10) return kWin10;
  return kWinNewer;
}

WindowsVersion ApplyCurrentMajorVersion(WindowsVersion reported, uint32_t reported_major,
                                        bool value_found, uint32_t value_type,
                                        uint32_t value_size, uint32_t value) {
  constexpr uint32_t kRegBinary = 3, kRegDword = 4;
  if (reported_major != 6 || !value_found) return reported;
  if ((value_type != kRegDword && value_type != kRegBinary) || value_size != 4) return reported;
  return value == 10 ? kWin10 : reported;
}

}  // namespace lite_installer
