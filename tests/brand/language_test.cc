// The language tables and brand autodetection rows, with the user's region
// and language set by the test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "brand/brand_autodetection.h"
#include "brand/language.h"
#include "platform/user_locale.h"
#include "tests/support/log_reader.h"

namespace lite_installer {
namespace {

using ::testing::ElementsAre;

TEST(LanguageCodes, EveryInterfaceLanguageRoundTrips) {
  for (uint32_t id : {1028u, 1029u, 1031u, 1036u, 1040u, 1041u, 1046u, 1049u, 1055u, 1058u,
                      1087u, 2052u, 2070u, 3082u}) {
    EXPECT_EQ(LanguageIdFromCode(LanguageCodeFromId(id)), id) << id;
  }
}

TEST(LanguageCodes, EnglishAndUnknownCodesGive1033) {
  EXPECT_EQ(LanguageIdFromCode("en"), 1033u);
  EXPECT_EQ(LanguageIdFromCode("EN"), 1033u);
  EXPECT_EQ(LanguageIdFromCode(""), 1033u);
  EXPECT_EQ(LanguageIdFromCode("pl"), 1033u);
}

TEST(LanguageCodes, OnlyLanguageTagsAreTags) {
  const std::pair<const char*, bool> cases[] = {
      {"uk", true},          {"pt-BR", true},        {"zh-Hans-CN", true}, {"x", true},
      {"abcdefghijklmnop", true}, {"", false},       {"abcdefghijklmnopq", false},
      {"x\" --evil \"", false}, {"../../x?y#z", false}, {"-uk", false},  {"uk-", false},
      {"u--k", false},       {"1uk", false},         {"uk\n", false},     {"u k", false},
      {"uk_UA", false},      {"\xD1\x83", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.second, IsLanguageTag(c.first)) << c.first;
}

TEST(LanguageCodes, CodesAreCaseSensitive) {
  EXPECT_EQ(LanguageIdFromCode("RU"), 1033u);
  EXPECT_EQ(LanguageIdFromCode("pt-br"), 1033u);
  EXPECT_EQ(LanguageIdFromCode("pt-BR"), 1046u);
}

TEST(LanguageCodes, UserLanguageOutsideTheTableIsEmpty) {
  EXPECT_EQ(LanguageCodeFromId(1033), "en");
  EXPECT_EQ(LanguageCodeFromId(1045), "");
  EXPECT_EQ(LanguageCodeFromId(2057), "");  // English (UK) is not 1033
}

TEST(LanguageCodes, BrandDefaultLanguages) {
  EXPECT_EQ(DefaultLanguageOfBrand("tavrix"), "ru");
  EXPECT_EQ(DefaultLanguageOfBrand("by"), "ru");
  EXPECT_EQ(DefaultLanguageOfBrand("kz"), "ru");
  EXPECT_EQ(DefaultLanguageOfBrand("ua"), "uk");
  EXPECT_EQ(DefaultLanguageOfBrand("tb"), "tr");
  EXPECT_EQ(DefaultLanguageOfBrand("int"), "en");
  EXPECT_EQ(DefaultLanguageOfBrand("Tavrix"), "en");
}

TEST(BrandDetectionRows, RegionAndLanguagePickTheBrand) {
  EXPECT_EQ(DetectBrandName("RU", "uk"), "ua_uk");
  EXPECT_EQ(DetectBrandName("RU", "en"), "tavrix");
  EXPECT_EQ(DetectBrandName("UA", "ru"), "ua_ru");
  EXPECT_EQ(DetectBrandName("UA", "kk"), "ua_uk");
  EXPECT_EQ(DetectBrandName("TR", "de"), "tb");
  EXPECT_EQ(DetectBrandName("US", "tr"), "tb");
  EXPECT_EQ(DetectBrandName("", "ru"), "tavrix");
  EXPECT_EQ(DetectBrandName("DE", "uk"), "ua_uk");
}

TEST(BrandDetectionRows, EmptyLocaleStillMatchesRegionRows) {
  EXPECT_EQ(DetectBrandName("UA", ""), "ua_uk");
  EXPECT_EQ(DetectBrandName("TR", ""), "tb");
}

TEST(BrandDetectionRows, RegionsAreCaseSensitive) {
  EXPECT_EQ(DetectBrandName("ua", "ru"), "tavrix");
}

TEST(BrandAutodetection, LogsRegionLocaleAndTheDetectedBrand) {
  SetUserLocaleForTesting("UA", 1049);
  StartTestLog(L"language_test");
  EXPECT_EQ(AutodetectBrandName(), "ua_ru");
  EXPECT_THAT(MessagesOf(TakeLogEntries(), L"`anonymous-namespace'::AutodetectBrandName"),
              ElementsAre(L"User region: UA", L"User locale: ru", L"Detected brand-name: ua_ru"));
}

TEST(BrandAutodetection, NoMatchingRowLogsTheDefault) {
  SetUserLocaleForTesting("DE", 1031);
  StartTestLog(L"language_test");
  EXPECT_EQ(AutodetectBrandName(), "tavrix");
  EXPECT_THAT(MessagesOf(TakeLogEntries(), L"`anonymous-namespace'::AutodetectBrandName"),
              ElementsAre(L"User region: DE", L"User locale: de",
                          L"Didn't found brand-name. Use default: tavrix"));
}

}  // namespace
}  // namespace lite_installer
