// The Windows version from the reported major.minor and the registry's
// "CurrentMajorVersionNumber". The numbers are compared by other code, so
// their values are part of the interface. Portable.
#include <gtest/gtest.h>

#include "platform/windows_version.h"

namespace lite_installer {
namespace {

constexpr uint32_t kRegSz = 1, kRegBinary = 3, kRegDword = 4, kRegQword = 11;

TEST(WindowsVersionValues, FixedNumbersInOrder) {
  EXPECT_EQ(0, kWinPreXp);
  EXPECT_EQ(1, kWinXp);
  EXPECT_EQ(2, kWinServer2003);
  EXPECT_EQ(3, kWinVista);
  EXPECT_EQ(4, kWin7);
  EXPECT_EQ(5, kWin8);
  EXPECT_EQ(6, kWin81);
  EXPECT_EQ(7, kWin10);
  EXPECT_EQ(8, kWinNewer);
}

TEST(MapWindowsVersion, ReportedVersions) {
  EXPECT_EQ(kWinPreXp, MapWindowsVersion(4, 0));
  EXPECT_EQ(kWinPreXp, MapWindowsVersion(4, 90));
  EXPECT_EQ(kWinPreXp, MapWindowsVersion(0, 0));
  EXPECT_EQ(kWinPreXp, MapWindowsVersion(5, 0));
  EXPECT_EQ(kWinXp, MapWindowsVersion(5, 1));
  EXPECT_EQ(kWinServer2003, MapWindowsVersion(5, 2));
  EXPECT_EQ(kWinServer2003, MapWindowsVersion(5, 3));
  EXPECT_EQ(kWinVista, MapWindowsVersion(6, 0));
  EXPECT_EQ(kWin7, MapWindowsVersion(6, 1));
  EXPECT_EQ(kWin8, MapWindowsVersion(6, 2));
  EXPECT_EQ(kWin81, MapWindowsVersion(6, 3));
  EXPECT_EQ(kWin81, MapWindowsVersion(6, 4));
  EXPECT_EQ(kWin81, MapWindowsVersion(6, 9));
  EXPECT_EQ(kWin10, MapWindowsVersion(10, 0));
  EXPECT_EQ(kWin10, MapWindowsVersion(10, 5));
  EXPECT_EQ(kWinNewer, MapWindowsVersion(7, 0));
  EXPECT_EQ(kWinNewer, MapWindowsVersion(8, 1));
  EXPECT_EQ(kWinNewer, MapWindowsVersion(9, 0));
  EXPECT_EQ(kWinNewer, MapWindowsVersion(11, 0));
  EXPECT_EQ(kWinNewer, MapWindowsVersion(0xFFFFFFFFu, 0));
}

TEST(ApplyCurrentMajorVersion, DwordTenTurnsMajorSixIntoWindows10) {
  EXPECT_EQ(kWin10, ApplyCurrentMajorVersion(kWin81, 6, true, kRegDword, 4, 10));
  EXPECT_EQ(kWin10, ApplyCurrentMajorVersion(kWin8, 6, true, kRegDword, 4, 10));
  EXPECT_EQ(kWin10, ApplyCurrentMajorVersion(kWin7, 6, true, kRegBinary, 4, 10));
}

TEST(ApplyCurrentMajorVersion, OtherValuesChangeNothing) {
  EXPECT_EQ(kWin81, ApplyCurrentMajorVersion(kWin81, 6, true, kRegDword, 4, 6));
  EXPECT_EQ(kWin81, ApplyCurrentMajorVersion(kWin81, 6, true, kRegDword, 4, 11));
  EXPECT_EQ(kWin81, ApplyCurrentMajorVersion(kWin81, 6, false, kRegDword, 4, 10));
}

TEST(ApplyCurrentMajorVersion, WrongTypeOrSizeIsIgnored) {
  // "10" in UTF-16 without terminator is four bytes of REG_SZ.
  EXPECT_EQ(kWin81, ApplyCurrentMajorVersion(kWin81, 6, true, kRegSz, 4, 0x00300031));
  EXPECT_EQ(kWin81, ApplyCurrentMajorVersion(kWin81, 6, true, kRegSz, 4, 10));
  EXPECT_EQ(kWin81, ApplyCurrentMajorVersion(kWin81, 6, true, kRegBinary, 8, 10));
  EXPECT_EQ(kWin81, ApplyCurrentMajorVersion(kWin81, 6, true, kRegQword, 8, 10));
  EXPECT_EQ(kWin81, ApplyCurrentMajorVersion(kWin81, 6, true, kRegDword, 2, 10));
}

TEST(ApplyCurrentMajorVersion, OnlyMajorSixIsCorrected) {
  EXPECT_EQ(kWinXp, ApplyCurrentMajorVersion(kWinXp, 5, true, kRegDword, 4, 10));
  EXPECT_EQ(kWinNewer, ApplyCurrentMajorVersion(kWinNewer, 11, true, kRegDword, 4, 10));
  EXPECT_EQ(kWin10, ApplyCurrentMajorVersion(kWin10, 10, true, kRegDword, 4, 6));
}

}  // namespace
}  // namespace lite_installer
