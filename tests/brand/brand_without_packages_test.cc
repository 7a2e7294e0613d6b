// A program that carries no packages at all (this test binary): both
// warnings are logged, nothing is copied, and every value comes from the
// defaults.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "brand/brand_package_info.h"
#include "build_config.h"
#include "platform/path_util.h"
#include "platform/string_conversion.h"
#include "tests/support/log_reader.h"

namespace lite_installer {
namespace {

using ::testing::ElementsAre;

TEST(BrandWithoutPackages, BothPackagesMissingLeavesEverythingToTheDefaults) {
  StartTestLog(L"brand_without_packages_test");
  const std::wstring temp = GetTemporaryDirectoryPath();
  ::DeleteFileW((temp + L"BrandFile").c_str());

  BrandPackageInfo info(temp);
  info.GetInfo("ua_uk");
  std::vector<LogEntry> log = TakeLogEntries();
  std::vector<std::pair<std::wstring, std::wstring>> lines;
  for (const LogEntry& m : log) {
    if (m.function == L"BrandPackageInfo::GetInfoFromResources")
      lines.emplace_back(m.level, m.message);
  }
  EXPECT_THAT(lines, ElementsAre(std::make_pair(L"WARNING", L"Partner package is empty."),
                                 std::make_pair(L"INFO", L"Fetching definedua_uk package"),
                                 std::make_pair(L"INFO", L"Fetching default package"),
                                 std::make_pair(L"WARNING", L"Brand package is empty.")));
  EXPECT_TRUE(MessagesOf(log, L"BrandPackageInfo::GetBrandInfo").empty());
  EXPECT_FALSE(info.brand_package_loaded());
  EXPECT_FALSE(info.partner_package_loaded());
  EXPECT_EQ(::GetFileAttributesW((temp + L"BrandFile").c_str()), INVALID_FILE_ATTRIBUTES);

  info.SetDefaults();
  EXPECT_EQ(info.brand_id(), "tavrix");
  EXPECT_EQ(info.brand_name(), "tavrix");
  EXPECT_EQ(info.setup_url(), std::string(LI_DOWNLOAD_BASE) + "tavrix/browser-setup.arc");
  EXPECT_EQ(info.LicenseLink(),
            Widen(LI_LEGAL_BASE) + L"/browser_agreement/?lang=" +
                Widen(info.interface_language()));
  EXPECT_FALSE(info.interface_language().empty());
}

}  // namespace
}  // namespace lite_installer
