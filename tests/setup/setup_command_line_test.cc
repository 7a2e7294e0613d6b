// The exact command line the browser setup receives: the installer's own
// switches passed on, the paths and choices added, in the order of names.
#include "setup/setup_command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace lite_installer {
namespace {

CommandLine InstallerStartedWith(std::vector<const wchar_t*> arguments) {
  arguments.insert(arguments.begin(), L"Z:\\dl\\lite_installer.exe");
  CommandLine c;
  c.ParseArguments(static_cast<int>(arguments.size()), arguments.data());
  return c;
}

// The silent run with the default brand package, no partner, no distribution
// parameters.
SetupCommandLineValues DefaultValues() {
  SetupCommandLineValues v;
  v.setup_path = L"C:\\users\\u\\Temp\\xb1A.tmp";
  v.brand_name = "tavrix";
  v.installer_data_path = L"C:\\users\\u\\Temp\\master_preferences";
  v.clids_file_path = L"C:\\users\\u\\Temp\\clids.xml";
  v.brand_package_loaded = true;
  v.brand_package_path = L"C:\\users\\u\\Temp\\BrandFile";
  return v;
}

TEST(SetupCommandLine, SilentRunWithStatisticsHasEverySwitchInNameOrder) {
  SetupCommandLineValues v = DefaultValues();
  v.send_statistics = true;
  CommandLine c = BuildSetupCommandLine(InstallerStartedWith({L"--silent", L"--send-statistics"}), v);
  EXPECT_EQ(c.ToString(),
            L"\"C:\\users\\u\\Temp\\xb1A.tmp\" --brand-name=tavrix"
            L" --brand-package=\"C:\\users\\u\\Temp\\BrandFile\""
            L" --clids-file=\"C:\\users\\u\\Temp\\clids.xml\""
            L" --installerdata=\"C:\\users\\u\\Temp\\master_preferences\""
            L" --progress-window=0 --send-statistics --silent --verbose-logging");
}

TEST(SetupCommandLine, ExtraSwitchesOfAnyCaseAndPrefixArePassedOnLowered) {
  CommandLine c = BuildSetupCommandLine(
      InstallerStartedWith({L"--silent", L"/FOO=a b", L"-Bar", L"not-a-switch"}),
      DefaultValues());
  const std::wstring text = c.ToString();
  EXPECT_NE(text.find(L" --bar --brand-name=tavrix "), std::wstring::npos) << text;
  EXPECT_NE(text.find(L" --foo=\"a b\" --installerdata="), std::wstring::npos) << text;
  EXPECT_EQ(text.find(L"not-a-switch"), std::wstring::npos) << text;
}

TEST(SetupCommandLine, MakeDefaultFollowsTheChoiceNotTheInstallersSwitch) {
  CommandLine given = InstallerStartedWith({L"--make-browser-default-after-import"});
  SetupCommandLineValues v = DefaultValues();
  EXPECT_FALSE(BuildSetupCommandLine(given, v).Has("make-browser-default-after-import"));
  v.make_default = true;
  EXPECT_TRUE(BuildSetupCommandLine(InstallerStartedWith({}), v)
                  .Has("make-browser-default-after-import"));
}

TEST(SetupCommandLine, SendStatisticsFollowsTheChoiceNotTheInstallersSwitch) {
  CommandLine given = InstallerStartedWith({L"--SEND-STATISTICS"});
  SetupCommandLineValues v = DefaultValues();
  EXPECT_FALSE(BuildSetupCommandLine(given, v).Has("send-statistics"));
  v.send_statistics = true;
  EXPECT_TRUE(BuildSetupCommandLine(InstallerStartedWith({}), v).Has("send-statistics"));
}

TEST(SetupCommandLine, PackagesAndDistributionFileOnlyWhenPresent) {
  SetupCommandLineValues v = DefaultValues();
  v.brand_package_loaded = false;
  CommandLine c = BuildSetupCommandLine(InstallerStartedWith({}), v);
  EXPECT_FALSE(c.Has("brand-package"));
  EXPECT_FALSE(c.Has("partner-package"));
  EXPECT_FALSE(c.Has("distr-info-file"));

  v.partner_package_loaded = true;
  v.partner_package_path = L"C:\\t\\PartnerFile";
  v.distrib_info_file_path = L"C:\\t\\distrib_info";
  c = BuildSetupCommandLine(InstallerStartedWith({}), v);
  EXPECT_EQ(c.Value("partner-package"), L"C:\\t\\PartnerFile");
  EXPECT_EQ(c.Value("distr-info-file"), L"C:\\t\\distrib_info");
  EXPECT_FALSE(c.Has("distribution-channel"));
}

TEST(SetupCommandLine, InstallersOwnValuesAreReplacedByTheRunsValues) {
  CommandLine c = BuildSetupCommandLine(
      InstallerStartedWith({L"--progress-window=77", L"--brand-name=auto",
                            L"--installerdata=C:\\mine.json", L"--verbose-logging=no"}),
      DefaultValues());
  EXPECT_EQ(c.Value("progress-window"), L"0");
  EXPECT_EQ(c.Value("brand-name"), L"tavrix");
  EXPECT_EQ(c.Value("installerdata"), L"C:\\users\\u\\Temp\\master_preferences");
  EXPECT_TRUE(c.Has("verbose-logging"));
  EXPECT_EQ(c.Value("verbose-logging"), L"");
  EXPECT_EQ(c.program(), L"C:\\users\\u\\Temp\\xb1A.tmp");
}

TEST(SetupCommandLine, ProgressWindowIsTheHandlesPlainDecimalValue) {
  SetupCommandLineValues v = DefaultValues();
  v.progress_window = ProgressWindowNumber(0x000A0234);
  EXPECT_EQ(BuildSetupCommandLine(InstallerStartedWith({}), v).Value("progress-window"),
            L"655924");
  // Sign extension, as a handle value with the top bit set would show it.
  EXPECT_EQ(ProgressWindowNumber(-2), 18446744073709551614ull);
}

}  // namespace
}  // namespace lite_installer
