// The brand configuration's merge rules, defaults, log lines and links, on
// configuration texts (the cabinet step is covered under Wine).
#include "brand/brand_package_info.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/user_locale.h"
#include "build_config.h"
#include "platform/string_conversion.h"
#include "tests/brand/virtual_slot.h"
#include "tests/support/log_reader.h"

namespace lite_installer {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::vector<std::string> Messages(const std::wstring& function) {
  std::vector<std::string> out;
  for (const std::wstring& message : MessagesOf(TakeLogEntries(), function))
    out.push_back(Narrow(message));
  return out;
}

class BrandConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUserLocaleForTesting("", 1033);
    StartTestLog(L"brand_package_info_test");
  }
  BrandPackageInfo info_{L"C:\\temp\\"};
};

using BrandConfigPrecedence = BrandConfigTest;

TEST_F(BrandConfigPrecedence, PartnerValueStaysOverBrandValue) {
  info_.MergeConfig(R"({"brand_id": "partner", "install": {"send_statistics": false}})");
  info_.MergeConfig(R"({"brand_id": "brand", "brand_name": "from-brand", "send_statistics": true})");
  EXPECT_EQ(info_.brand_id(), "partner");
  EXPECT_EQ(info_.brand_name(), "from-brand");
  EXPECT_FALSE(info_.SendStatistics());
}

TEST_F(BrandConfigPrecedence, NestedInstallKeyWinsOverTopLevel) {
  info_.MergeConfig(R"({"install": {"setup_url": "A"}, "setup_url": "B"})");
  EXPECT_EQ(info_.setup_url(), "A");
}

TEST_F(BrandConfigPrecedence, NestedValueOfWrongTypeFallsBackToTopLevel) {
  info_.MergeConfig(R"({"install": {"setup_url": 5}, "setup_url": "B"})");
  EXPECT_EQ(info_.setup_url(), "B");
}

TEST_F(BrandConfigPrecedence, InstallThatIsNotAnObjectFallsBackToTopLevel) {
  info_.MergeConfig(R"({"install": "x", "conf_policy_url": "P"})");
  EXPECT_EQ(info_.privacy_url(), "P");
}

TEST_F(BrandConfigPrecedence, EmptyPartnerStringLeavesTheValueToTheBrand) {
  info_.MergeConfig(R"({"brand_id": ""})");
  EXPECT_EQ(info_.brand_id(), "");
  info_.MergeConfig(R"({"brand_id": "ua"})");
  EXPECT_EQ(info_.brand_id(), "ua");
}

TEST_F(BrandConfigPrecedence, LicenseUrlHasNoInstallFallback) {
  info_.MergeConfig(R"({"install": {"license_url": "nested"}})");
  EXPECT_EQ(info_.license_url(), "");
}

TEST_F(BrandConfigPrecedence, SwitchesAcceptOnlyJsonBooleans) {
  info_.MergeConfig(
      R"({"install": {"make_browser_default": 0, "alternate_installer_title": "true"},
          "make_browser_default": null, "languages": {"autodetection": 1}})");
  info_.MergeConfig(R"({"make_browser_default": false, "alternate_installer_title": true})");
  EXPECT_FALSE(info_.MakeBrowserDefault());
  EXPECT_TRUE(info_.UseAlternateInstallerTitle());
  EXPECT_TRUE(info_.AutodetectLanguage());
}

TEST_F(BrandConfigPrecedence, FirstSwitchValueWins) {
  info_.MergeConfig(R"({"languages": {"autodetection": false}})");
  info_.MergeConfig(R"({"languages": {"autodetection": true}})");
  EXPECT_FALSE(info_.AutodetectLanguage());
}

TEST_F(BrandConfigPrecedence, LanguageIdFollowsTheInterfaceLanguage) {
  info_.MergeConfig(R"({"languages": {"interface": "uk"}})");
  EXPECT_EQ(info_.language_id(), 1058u);
  info_.MergeConfig(R"({"languages": {"interface": "de"}})");
  EXPECT_EQ(info_.interface_language(), "uk");
  EXPECT_EQ(info_.language_id(), 1058u);
}

TEST_F(BrandConfigPrecedence, BackgroundUrlIsKept) {
  info_.MergeConfig(R"({"background_url": "http://bg"})");
  EXPECT_EQ(info_.background_url(), "http://bg");
}

TEST_F(BrandConfigTest, UnsetSwitchesReadAsTheirDefaults) {
  EXPECT_FALSE(info_.UseAlternateInstallerTitle());
  EXPECT_TRUE(info_.SendStatistics());
  EXPECT_TRUE(info_.MakeBrowserDefault());
  EXPECT_TRUE(info_.AutodetectLanguage());
}

TEST_F(BrandConfigTest, MergeLogsTheEightValuesAsTheyStand) {
  info_.MergeConfig(R"({"brand_id": "ua", "setup_url": "http://s", "languages": {"interface": "uk"},
                       "install": {"send_statistics": false}})");
  EXPECT_THAT(Messages(L"BrandPackageInfo::GetBrandInfo"),
              ElementsAre("Brand id: ua", "Brand name: ", "Setup url: http://s",
                          "Default language: uk", "Show international title: 0",
                          "Send browser's statistics: 0", "Make browser default after import: 1",
                          "Autodetect language: 1"));
}

TEST_F(BrandConfigTest, TextThatIsNotJsonStillLogsTheValuesReadSoFar) {
  info_.MergeConfig(R"({"brand_id": "tb"})");
  StartTestLog(L"brand_package_info_test");
  info_.MergeConfig("this is { not json");
  std::vector<std::string> messages = Messages(L"BrandPackageInfo::GetBrandInfo");
  ASSERT_EQ(messages.size(), 8u);
  EXPECT_EQ(messages[0], "Brand id: tb");
}

TEST_F(BrandConfigTest, ClearEmptiesEverythingAndLogs) {
  info_.MergeConfig(R"({"brand_id": "x", "languages": {"interface": "ru", "autodetection": false},
                       "background_url": "b"})");
  StartTestLog(L"brand_package_info_test");
  info_.Clear();
  EXPECT_THAT(Messages(L"BrandPackageInfo::Clear"), ElementsAre("Reset brand info."));
  EXPECT_EQ(info_.brand_id(), "");
  EXPECT_EQ(info_.interface_language(), "");
  EXPECT_EQ(info_.background_url(), "");
  EXPECT_EQ(info_.language_id(), 1033u);
  EXPECT_TRUE(info_.AutodetectLanguage());
}

using BrandDefaults = BrandConfigTest;

TEST_F(BrandDefaults, NothingConfiguredGivesTheTavrixDefaults) {
  SetUserLocaleForTesting("", 1049);
  info_.SetDefaults();
  EXPECT_EQ(info_.brand_id(), "tavrix");
  EXPECT_EQ(info_.brand_name(), "tavrix");
  EXPECT_EQ(info_.setup_url(), std::string(LI_DOWNLOAD_BASE) + "tavrix/browser-setup.arc");
  EXPECT_EQ(info_.license_url(), std::string(LI_LEGAL_BASE) + "/browser_agreement/");
  EXPECT_EQ(info_.privacy_url(), std::string(LI_LEGAL_BASE) + "/confidential/");
  EXPECT_EQ(info_.interface_language(), "ru");
  EXPECT_EQ(info_.language_id(), 1049u);
  EXPECT_THAT(Messages(L"BrandPackageInfo::SetDefaults"),
              ElementsAre("Default language: ru", "Brand id: tavrix",
                          "Setup url: " + info_.setup_url(), "Show international title: 0",
                          "Send browser's statistics: 1", "Make browser default after import: 1",
                          "Autodetect language: 1"));
}

TEST_F(BrandDefaults, SetupUrlIsBuiltFromTheConfiguredBrandId) {
  info_.MergeConfig(R"({"brand_id": "ua"})");
  info_.SetDefaults();
  EXPECT_EQ(info_.brand_name(), "ua");
  EXPECT_EQ(info_.setup_url(), std::string(LI_DOWNLOAD_BASE) + "ua/browser-setup.arc");
}

TEST_F(BrandDefaults, UserLanguageOutsideTheTableGivesTheBrandLanguage) {
  SetUserLocaleForTesting("", 1045);  // Polish
  info_.MergeConfig(R"({"brand_id": "ua"})");
  info_.SetDefaults();
  EXPECT_EQ(info_.interface_language(), "uk");
  EXPECT_EQ(info_.language_id(), 1058u);
}

TEST_F(BrandDefaults, UserLanguageComesBeforeTheBrandLanguage) {
  SetUserLocaleForTesting("", 1031);
  info_.MergeConfig(R"({"brand_id": "tb"})");
  info_.SetDefaults();
  EXPECT_EQ(info_.interface_language(), "de");
  EXPECT_EQ(info_.language_id(), 1031u);
}

TEST_F(BrandDefaults, ConfiguredValuesAreKept) {
  info_.MergeConfig(R"({"brand_id": "b", "brand_name": "n", "license_url": "L",
                       "languages": {"interface": "pt-BR"}})");
  info_.SetDefaults();
  EXPECT_EQ(info_.brand_name(), "n");
  EXPECT_EQ(info_.license_url(), "L");
  EXPECT_EQ(info_.language_id(), 1046u);
}

using DistributionLanguageRule = BrandConfigTest;

TEST_F(DistributionLanguageRule, DistributionLanguageReplacesTheConfiguredOne) {
  info_.MergeConfig(R"({"languages": {"interface": "ru"}})");
  info_.SetInterfaceLanguage("de");
  info_.SetDefaults();
  EXPECT_EQ(info_.interface_language(), "de");
  EXPECT_EQ(info_.language_id(), 1031u);
}

TEST_F(DistributionLanguageRule, AnythingButALanguageTagIsIgnoredWithAWarning) {
  // The tag rule itself is LanguageCodes.OnlyLanguageTagsAreTags.
  const char* const hostile[] = {"x\" --evil \"", "../../x?y#z", "de&x=1", "de\n"};
  for (const char* language : hostile) {
    info_.MergeConfig(R"({"languages": {"interface": "ru"}})");
    TakeLogEntries();
    info_.SetInterfaceLanguage(language);
    info_.SetDefaults();
    EXPECT_EQ(info_.interface_language(), "ru") << language;
    const auto entries = TakeLogEntries();
    ASSERT_FALSE(entries.empty()) << language;
    EXPECT_EQ(entries[0].level, L"WARNING") << language;
    const std::wstring logged = entries[0].message.substr(entries[0].message.rfind(L": ") + 2);
    EXPECT_EQ(logged.find_first_of(L"\" ?#&\n/"), std::wstring::npos) << logged;
    info_.Clear();
  }
  info_.MergeConfig(R"({"languages": {"interface": "ru"}})");
  info_.SetInterfaceLanguage("zh-Hans-CN");
  EXPECT_EQ(info_.interface_language(), "zh-Hans-CN");
}

TEST_F(DistributionLanguageRule, IntBrandGivesWayToTheUserLanguage) {
  SetUserLocaleForTesting("", 1036);
  info_.MergeConfig(R"({"brand_id": "int", "languages": {"interface": "ru"}})");
  info_.SetInterfaceLanguage("");
  info_.SetDefaults();
  EXPECT_EQ(info_.interface_language(), "fr");
  EXPECT_EQ(info_.language_id(), 1036u);
}

TEST_F(DistributionLanguageRule, IntBrandWithAutodetectionOffKeepsItsLanguage) {
  SetUserLocaleForTesting("", 1036);
  info_.MergeConfig(
      R"({"brand_id": "int", "languages": {"interface": "ru", "autodetection": false}})");
  info_.SetInterfaceLanguage("");
  info_.SetDefaults();
  EXPECT_EQ(info_.interface_language(), "ru");
}

TEST_F(DistributionLanguageRule, OnlyTheExactBrandIdIntCounts) {
  SetUserLocaleForTesting("", 1036);
  info_.MergeConfig(R"({"brand_id": "INT", "languages": {"interface": "ru"}})");
  info_.SetInterfaceLanguage("");
  EXPECT_EQ(info_.interface_language(), "ru");
}

TEST(BrandPackageInfoLayout, VirtualOperationsTakeTheFirstTwoSlotsInOrder) {
  EXPECT_EQ(VirtualSlot(&BrandPackageInfo::GetInfoFromRegistry), 0u);
  EXPECT_EQ(VirtualSlot(&BrandPackageInfo::Clear), 1u);
}

TEST_F(BrandConfigTest, LegalLinksAppendTheLanguageEvenAfterAQuery) {
  info_.MergeConfig(R"({"license_url": "http://l/a?x=1", "conf_policy_url": "http://p/",
                       "languages": {"interface": "pt-BR"}})");
  EXPECT_EQ(info_.LicenseLink(), L"http://l/a?x=1?lang=pt-BR");
  EXPECT_EQ(info_.PrivacyLink(), L"http://p/?lang=pt-BR");
  info_.Clear();
  // A configured language is escaped into the link like any value.
  info_.MergeConfig(R"({"license_url": "http://l/", "languages": {"interface": "a&b c"}})");
  EXPECT_EQ(info_.LicenseLink(), L"http://l/?lang=a%26b%20c");
}

}  // namespace
}  // namespace lite_installer
