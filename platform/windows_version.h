// The Windows version as one enumerated value. Other code compares the values
// ("below kWin10"), so the numbers and their order are fixed.
#pragma once

#include <cstdint>

namespace lite_installer {

enum WindowsVersion : int {
  kWinPreXp = 0,
  kWinXp = 1,
  kWinServer2003 = 2,
  kWinVista = 3,
  kWin7 = 4,
  kWin8 = 5,
  kWin81 = 6,
  kWin10 = 7,
  kWinNewer = 8,
};

// The version for a reported major.minor; portable.
WindowsVersion MapWindowsVersion(uint32_t major, uint32_t minor);

// The registry's "CurrentMajorVersionNumber" counts only as a 4-byte
// REG_DWORD or REG_BINARY; 10 there turns a reported 6.x into kWin10.
WindowsVersion ApplyCurrentMajorVersion(WindowsVersion reported, uint32_t reported_major,
                                        bool value_found, uint32_t value_type,
                                        uint32_t value_size, uint32_t value);

// Detected once per process (Windows only).
WindowsVersion GetWindowsVersion();

}  // namespace lite_installer
