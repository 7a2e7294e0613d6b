// Windows tests of the brand configuration with real cabinets extracted by
// the system's cabinet library: the packages of this program's resources are
// made like the installer's (a partner package and named brand packages
// besides the default one), plus damaged cabinets.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <jansson.h>

#include "platform/bin_resource.h"
#include "brand/brand_configuration.h"
#include "brand/brand_package_info.h"
#include "brand/cabinet_extractor.h"
#include "brand/distrib_block.h"
#include "brand/distrib_info_params.h"
#include "platform/file_bytes.h"
#include "brand/language.h"
#include "platform/localized_string.h"
#include "platform/user_locale.h"
#include "installer/registry_values.h"
#include "platform/path_util.h"
#include "tests/brand/distrib_test_image.h"
#include "tests/brand/test_package_ids.h"
#include "tests/brand/virtual_slot.h"
#include "tests/support/log_reader.h"

namespace lite_installer {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::wstring TempDir() { return GetTemporaryDirectoryPath(); }

std::string Package(int id) {
  std::string bytes = ReadBinResource(id);
  EXPECT_FALSE(bytes.empty()) << "resource " << id;
  return bytes;
}

ExtractedFiles Extract(const std::string& package, const std::string& wanted, bool* ok) {
  ExtractedFiles files;
  *ok = ExtractFiles(package.data(), package.size(), wanted, &files);
  return files;
}

class LogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool started = false;
    if (!started) StartTestLog(L"brand_win_test");
    started = true;
  }
  void SetUp() override { TakeLogEntries(); }
};

// --- Cabinet extraction ----------------------------------------------------

TEST(CabinetExtraction, DefaultPackageOfTheBuildHoldsTheBrandConfig) {
  bool ok = false;
  ExtractedFiles files = Extract(Package(brand_package::kDefaultBrandResource), "brand_config", &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(files.size(), 1u);
  json_t* root = json_loads(files["brand_config"].c_str(), 0, nullptr);
  ASSERT_NE(root, nullptr);
  EXPECT_STREQ(json_string_value(json_object_get(root, "brand_id")), "tavrix");
  EXPECT_EQ(json_object_get(root, "brand_name"), nullptr);
  EXPECT_EQ(json_object_get(root, "install"), nullptr);
  json_decref(root);
}

TEST(CabinetExtraction, OnlyTheWantedFileOfSeveral) {
  bool ok = false;
  ExtractedFiles files = Extract(Package(TEST_PACKAGE_TWO_FILES), "brand_config", &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files.count("brand_config"), 1u);
}

TEST(CabinetExtraction, EveryFileWhenNoNameIsWanted) {
  bool ok = false;
  ExtractedFiles files = Extract(Package(TEST_PACKAGE_TWO_FILES), "", &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files["readme.txt"], "A second file of a two-file cabinet.\n");
}

TEST(CabinetExtraction, BytesThatAreNotACabinetYieldNothing) {
  bool ok = true;
  EXPECT_THAT(Extract(Package(TEST_PACKAGE_NOT_A_CABINET), "brand_config", &ok), IsEmpty());
  EXPECT_FALSE(ok);
}

TEST(CabinetExtraction, CabinetWithoutTheWantedFileYieldsNothing) {
  bool ok = false;
  EXPECT_THAT(Extract(Package(TEST_PACKAGE_OTHER_MEMBER), "brand_config", &ok), IsEmpty());
  EXPECT_TRUE(ok);  // the cabinet itself was fine
}

TEST(CabinetExtraction, AbsurdDeclaredSizeIsRefusedWithoutExhaustingMemory) {
  bool ok = true;
  EXPECT_THAT(Extract(Package(TEST_PACKAGE_ABSURD_SIZE), "brand_config", &ok), IsEmpty());
  EXPECT_FALSE(ok);
  // The same file is skipped, not refused, when another one is wanted.
  EXPECT_THAT(Extract(Package(TEST_PACKAGE_ABSURD_SIZE), "other", &ok), IsEmpty());
}

TEST(CabinetExtraction, TruncatedCabinetFails) {
  bool ok = true;
  EXPECT_THAT(Extract(Package(TEST_PACKAGE_TRUNCATED), "brand_config", &ok), IsEmpty());
  EXPECT_FALSE(ok);
}

TEST(CabinetExtraction, DataBeyondTheEndOfThePackageFails) {
  bool ok = true;
  EXPECT_THAT(Extract(Package(TEST_PACKAGE_DATA_PAST_END), "brand_config", &ok), IsEmpty());
  EXPECT_FALSE(ok);
}

TEST(CabinetExtraction, FileContinuedFromAnotherVolumeIsRefused) {
  bool ok = true;
  EXPECT_THAT(Extract(Package(TEST_PACKAGE_CONTINUED), "brand_config", &ok), IsEmpty());
  EXPECT_FALSE(ok);
}

TEST(CabinetExtraction, RepeatedExtractionsReuseTheLibrary) {
  bool ok = false;
  for (int i = 0; i < 50; ++i) {
    ExtractedFiles files = Extract(Package(TEST_PACKAGE_PRECEDENCE_BRAND), "brand_config", &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(files.size(), 1u);
  }
}

// --- Configuration read out of packages -------------------------------------

using BrandPackageReading = LogTest;

TEST_F(BrandPackageReading, PartnerWinsOverBrandAndNestedOverTopLevel) {
  BrandPackageInfo info(TempDir());
  info.GetBrandInfo(Package(TEST_PACKAGE_PRECEDENCE_PARTNER), "partner_config");
  info.GetBrandInfo(Package(TEST_PACKAGE_PRECEDENCE_BRAND), "brand_config");
  EXPECT_EQ(info.brand_id(), "partner");
  EXPECT_EQ(info.setup_url(), "A");
  EXPECT_EQ(info.brand_name(), "brand name");
  EXPECT_EQ(info.privacy_url(), "http://brand.test/privacy");
  // The partner's nested value is no boolean, so its top-level true counts
  // before the brand's nested false.
  EXPECT_TRUE(info.UseAlternateInstallerTitle());
  EXPECT_EQ(MessagesOf(TakeLogEntries(), L"BrandPackageInfo::GetBrandInfo").size(), 16u);
}

TEST_F(BrandPackageReading, WrongConfigNameReadsAndLogsNothing) {
  BrandPackageInfo info(TempDir());
  info.GetBrandInfo(Package(TEST_PACKAGE_PRECEDENCE_BRAND), "partner_config");
  EXPECT_EQ(info.brand_id(), "");
  EXPECT_THAT(TakeLogEntries(), IsEmpty());
}

TEST_F(BrandPackageReading, PackageThatIsNotACabinetReadsAndLogsNothing) {
  BrandPackageInfo info(TempDir());
  info.GetBrandInfo(Package(TEST_PACKAGE_NOT_A_CABINET), "brand_config");
  info.GetBrandInfo(Package(TEST_PACKAGE_ABSURD_SIZE), "brand_config");
  EXPECT_THAT(TakeLogEntries(), IsEmpty());
}

TEST_F(BrandPackageReading, ConfigThatIsNotJsonStillLogsItsEightLines) {
  BrandPackageInfo info(TempDir());
  info.GetBrandInfo(Package(TEST_PACKAGE_NOT_JSON), "brand_config");
  EXPECT_EQ(MessagesOf(TakeLogEntries(), L"BrandPackageInfo::GetBrandInfo").size(), 8u);
}

// --- Choosing packages among the resources ----------------------------------

using BrandPackageChoice = LogTest;

std::wstring SizeText(int id) { return std::to_wstring(ReadBinResource(id).size()); }

TEST_F(BrandPackageChoice, NoBrandNameTakesPartnerThenDefaultPackage) {
  BrandPackageInfo info(TempDir());
  info.GetInfo("");
  std::vector<LogEntry> log = TakeLogEntries();
  const std::wstring brand_path = TempDir() + L"BrandFile";
  const std::wstring partner_path = TempDir() + L"PartnerFile";
  EXPECT_THAT(MessagesOf(log, L"BrandPackageInfo::GetInfo"),
              ElementsAre(L"Brand package path: " + brand_path,
                          L"Partner package path: " + partner_path));
  EXPECT_THAT(MessagesOf(log, L"BrandPackageInfo::GetInfoFromResources"),
              ElementsAre(L"Extract Partner package: " + partner_path + L" [" +
                              SizeText(brand_package::kPartnerResource) + L"B]",
                          L"Fetching default package",
                          L"Extract Brand package: " + brand_path + L" [" +
                              SizeText(brand_package::kDefaultBrandResource) + L"B]"));
  EXPECT_THAT(MessagesOf(log, L"BrandPackageInfo::Clear"),
              ElementsAre(L"Reset brand info.", L"Reset brand info."));
  EXPECT_EQ(MessagesOf(log, L"lite_installer::RemoveValueFromRegistry").size(), 3u);

  EXPECT_TRUE(info.partner_package_loaded());
  EXPECT_TRUE(info.brand_package_loaded());
  EXPECT_EQ(ReadFileBytes(partner_path), ReadBinResource(brand_package::kPartnerResource));
  EXPECT_EQ(ReadFileBytes(brand_path), ReadBinResource(brand_package::kDefaultBrandResource));
  // Partner values first, the default brand package fills the rest.
  EXPECT_EQ(info.brand_id(), "tavrix");
  EXPECT_EQ(info.interface_language(), "ru");
  EXPECT_EQ(info.language_id(), 1049u);
  EXPECT_FALSE(info.SendStatistics());
  EXPECT_FALSE(info.MakeBrowserDefault());
  EXPECT_EQ(info.license_url(), "http://partner.test/license");
  EXPECT_EQ(info.background_url(), "http://partner.test/background.png");
}

TEST_F(BrandPackageChoice, DefinedBrandNameTakesItsNamedPackage) {
  BrandPackageInfo info(TempDir());
  info.GetInfo("ua_uk");
  std::vector<LogEntry> log = TakeLogEntries();
  std::vector<std::wstring> lines = MessagesOf(log, L"BrandPackageInfo::GetInfoFromResources");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], L"Fetching definedua_uk package");
  EXPECT_EQ(info.brand_id(), "ua");
  EXPECT_EQ(info.brand_name(), "ua_uk");
  EXPECT_EQ(info.interface_language(), "uk");
  EXPECT_EQ(ReadFileBytes(TempDir() + L"BrandFile"), ReadBinResource("BRAND_UA_UK"));
}

TEST_F(BrandPackageChoice, CapitalisedAutoIsANameNotAutodetection) {
  BrandPackageInfo info(TempDir());
  info.GetInfo("Auto");
  std::vector<LogEntry> log = TakeLogEntries();
  EXPECT_THAT(MessagesOf(log, L"`anonymous-namespace'::AutodetectBrandName"), IsEmpty());
  std::vector<std::wstring> lines = MessagesOf(log, L"BrandPackageInfo::GetInfoFromResources");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], L"Fetching definedAuto package");
  EXPECT_EQ(lines[2], L"Fetching default package");
  EXPECT_EQ(info.brand_id(), "tavrix");
}

TEST_F(BrandPackageChoice, UnknownBrandNameFallsBackToTheDefaultPackage) {
  BrandPackageInfo info(TempDir());
  info.GetInfo("nosuchbrand");
  EXPECT_EQ(info.brand_id(), "tavrix");
  EXPECT_TRUE(info.brand_package_loaded());
}

TEST(BinResources, NamesAreFoundWithoutRegardToCase) {
  EXPECT_EQ(ReadBinResource("brand_ua_ru"), ReadBinResource("BRAND_UA_RU"));
  EXPECT_FALSE(ReadBinResource("brand_ua_ru").empty());
  EXPECT_TRUE(ReadBinResource("BRAND_NONE").empty());
  EXPECT_TRUE(ReadBinResource(4242).empty());
}

TEST(BinResources, ResourceIsWrittenToAFileByNumber) {
  const std::wstring path = TempDir() + L"bin_resource_test.bin";
  ASSERT_TRUE(WriteBinResourceToFile(TEST_PACKAGE_TWO_FILES, path));
  EXPECT_EQ(ReadFileBytes(path), ReadBinResource(TEST_PACKAGE_TWO_FILES));
  ::DeleteFileW(path.c_str());
  EXPECT_FALSE(WriteBinResourceToFile(4242, path));
  EXPECT_EQ(::GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

// --- Registry values of the brand configuration -----------------------------

class BrandRegistry : public LogTest {
 protected:
  void SetUp() override {
    LogTest::SetUp();
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kRegistryKeyPath);
  }
  void TearDown() override { ::RegDeleteKeyW(HKEY_CURRENT_USER, kRegistryKeyPath); }
};

TEST_F(BrandRegistry, StoreWritesBrandAndBothPathsAndRemoveDeletesThem) {
  BrandPackageInfo info(TempDir());
  info.GetInfo("ua_ru");
  info.SetDefaults();
  TakeLogEntries();
  info.StoreInRegistry();
  EXPECT_THAT(MessagesOf(TakeLogEntries(), L"lite_installer::StoreValueInRegistry"),
              ElementsAre(L"HKEY_CURRENT_USER\\Software\\Tavrix\\TavrixBrowser\\brand = ua_ru",
                          L"HKEY_CURRENT_USER\\Software\\Tavrix\\TavrixBrowser\\BrandFile = " +
                              TempDir() + L"BrandFile",
                          L"HKEY_CURRENT_USER\\Software\\Tavrix\\TavrixBrowser\\PartnerFile = " +
                              TempDir() + L"PartnerFile"));
  EXPECT_EQ(ReadStringFromRegistry(L"brand"), L"ua_ru");
  info.RemoveFromRegistry();
  EXPECT_EQ(ReadStringFromRegistry(L"brand"), L"");
  EXPECT_EQ(ReadStringFromRegistry(L"BrandFile"), L"");
  EXPECT_EQ(ReadStringFromRegistry(L"PartnerFile"), L"");
}

TEST_F(BrandRegistry, GetInfoRemovesValuesOfAnEarlierRun) {
  StoreValueInRegistry(L"brand", L"old");
  StoreValueInRegistry(L"lang", L"tr");
  BrandPackageInfo info(TempDir());
  info.GetInfo("");
  EXPECT_EQ(ReadStringFromRegistry(L"brand"), L"");
  EXPECT_EQ(ReadStringFromRegistry(L"lang"), L"tr");
}

TEST_F(BrandRegistry, ConfigurationIsRestoredFromTheStoredPackages) {
  {
    BrandPackageInfo info(TempDir());
    info.GetInfo("tb");
    info.SetDefaults();
    info.StoreInRegistry();
  }
  BrandPackageInfo restored(TempDir());
  EXPECT_TRUE(restored.GetInfoFromRegistry());
  EXPECT_EQ(restored.brand_id(), "tb");
  EXPECT_TRUE(restored.brand_package_loaded());
  EXPECT_TRUE(restored.partner_package_loaded());
  EXPECT_FALSE(restored.SendStatistics());  // from the partner package
}

TEST_F(BrandRegistry, WithoutPackageFilesBrandAndLanguageAreRestored) {
  StoreValueInRegistry(L"BrandFile", TempDir() + L"no_such_package");
  StoreValueInRegistry(L"brand", L"ua_uk");
  StoreValueInRegistry(L"lang", L"uk");
  BrandPackageInfo restored(TempDir());
  EXPECT_TRUE(restored.GetInfoFromRegistry());
  EXPECT_EQ(restored.brand_package_path(), L"");
  EXPECT_EQ(restored.brand_name(), "ua_uk");
  EXPECT_EQ(restored.language_id(), 1058u);
  RemoveValueFromRegistry(L"lang");
  BrandPackageInfo incomplete(TempDir());
  EXPECT_FALSE(incomplete.GetInfoFromRegistry());
}

// --- Localized strings ------------------------------------------------------

TEST(LocalizedStrings, EachLanguageGetsItsOwnTable) {
  EXPECT_EQ(LoadLocalizedString(TEST_STRING_BOTH, 1049),
            L"\x0423\x0441\x0442\x0430\x043d\x043e\x0432\x0438\x0442\x044c");
  EXPECT_EQ(LoadLocalizedString(TEST_STRING_BOTH, 1033), L"Install");
}

TEST(LocalizedStrings, NoFallbackToAnotherLanguage) {
  EXPECT_EQ(LoadLocalizedString(TEST_STRING_RUSSIAN_ONLY, 1049), L"\x0422\x043e\x043b\x044c\x043a\x043e");
  EXPECT_EQ(LoadLocalizedString(TEST_STRING_RUSSIAN_ONLY, 1033), L"");
  EXPECT_EQ(LoadLocalizedString(TEST_STRING_BOTH, 1058), L"");
}

// Language id 0 is the system's "neutral" and matches a block of any
// language (measured under Wine): the installer never asks for it, since its
// language ids all come from the language table.
TEST(LocalizedStrings, NeutralLanguageMatchesAnyBlock) {
  EXPECT_FALSE(LoadLocalizedString(TEST_STRING_BOTH, 0).empty());
}

TEST(LocalizedStrings, MissingEntriesAndBlocksAreEmpty) {
  EXPECT_EQ(LoadLocalizedString(TEST_STRING_NOWHERE, 1049), L"");
  EXPECT_EQ(LoadLocalizedString(5000, 1049), L"");
}

// --- Distribution parameters from the installer's own file ------------------

// Reads the block of a file of the test's choosing and records what it
// would store.
class FileDistribInfoParams : public DistribInfoParams {
 public:
  explicit FileDistribInfoParams(std::wstring path) : path_(std::move(path)) {}
  std::wstring ModulePath() const override { return path_; }
  void StoreParams(const std::string& params) override { stored.push_back(params); }
  std::vector<std::string> stored;

 private:
  std::wstring path_;
};

// An image whose block holds `params` and whose length field says
// `declared` bytes.
std::string ImageWithBlock(const std::string& params, size_t declared) {
  ImageBuilder builder;
  builder.params = params;
  builder.declared_length_extra = static_cast<int>(declared) - static_cast<int>(params.size());
  return builder.BuildText();
}

class DistribParamsFromFile : public LogTest {
 protected:
  void SetUp() override {
    LogTest::SetUp();
    ::DeleteFileW(distrib_info_.c_str());
  }
  void TearDown() override {
    ::DeleteFileW(image_path_.c_str());
    ::DeleteFileW(distrib_info_.c_str());
  }
  std::wstring WriteImage(const std::string& bytes) {
    EXPECT_TRUE(WriteBytesToFile(image_path_, bytes));
    return image_path_;
  }
  const std::wstring image_path_ = TempDir() + L"distrib_image.exe";
  const std::wstring distrib_info_ = TempDir() + L"distrib_info";
};

TEST_F(DistribParamsFromFile, BlockGivesFileLanguageAndStoredText) {
  FileDistribInfoParams params(WriteImage(ImageWithBlock("lang=de&x=1", 11)));
  EXPECT_TRUE(params.Load(CommandLine::Current()));
  EXPECT_EQ(params.distrib_file_path(), distrib_info_);
  EXPECT_EQ(params.language(), "de");
  EXPECT_THAT(params.stored, ElementsAre("lang=de&x=1"));
  json_t* root = json_loads(ReadFileBytes(distrib_info_).c_str(), 0, nullptr);
  ASSERT_NE(root, nullptr);
  EXPECT_STREQ(json_string_value(json_object_get(root, "x")), "1");
  json_decref(root);
}

TEST_F(DistribParamsFromFile, LengthPastTheEndOfTheFileGivesNothing) {
  // Also when the missing byte would still lie inside the mapped page.
  FileDistribInfoParams params(WriteImage(ImageWithBlock("lang=de&x=1", 12)));
  EXPECT_FALSE(params.Load(CommandLine::Current()));
  EXPECT_EQ(params.distrib_file_path(), L"");
  EXPECT_EQ(params.language(), "");
  EXPECT_THAT(params.stored, IsEmpty());
  EXPECT_EQ(::GetFileAttributesW(distrib_info_.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(DistribParamsFromFile, UnsignedFileGivesNothing) {
  ImageBuilder builder;
  std::vector<uint8_t> image = builder.Build();
  PutLe32(&image, kPeOffset + distrib_block::kSecurityEntryOffset, 0);
  FileDistribInfoParams params(WriteImage(std::string(image.begin(), image.end())));
  EXPECT_FALSE(params.Load(CommandLine::Current()));
  EXPECT_THAT(params.stored, IsEmpty());
}

TEST_F(DistribParamsFromFile, MissingFileGivesNothing) {
  FileDistribInfoParams params(TempDir() + L"no_such_installer.exe");
  EXPECT_FALSE(params.Load(CommandLine::Current()));
  FileDistribInfoParams no_path(L"");
  EXPECT_FALSE(no_path.Load(CommandLine::Current()));
}

TEST(DistribInfoParamsLayout, VirtualOperationsTakeTheFirstThreeSlotsInOrder) {
  EXPECT_EQ(VirtualSlot(&DistribInfoParams::ReadsStoredParams), 0u);
  EXPECT_EQ(VirtualSlot(&DistribInfoParams::StoreParams), 1u);
  EXPECT_EQ(VirtualSlot(&DistribInfoParams::ModulePath), 2u);
}

TEST_F(DistribParamsFromFile, OwnUnsignedProgramHasNoParameters) {
  DistribInfoParams params;
  EXPECT_FALSE(params.Load(CommandLine::Current()));
  EXPECT_EQ(params.language(), "");
}

// --- The start-up steps together ------------------------------------------

// Reads the distribution block of a file of the test's choosing, and stores
// it in the registry like the installer does.
class ImageDistribInfoParams : public DistribInfoParams {
 public:
  explicit ImageDistribInfoParams(std::wstring path) : path_(std::move(path)) {}
  std::wstring ModulePath() const override { return path_; }

 private:
  std::wstring path_;
};

class StartupBrandSteps : public DistribParamsFromFile {
 protected:
  void SetUp() override {
    DistribParamsFromFile::SetUp();
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kRegistryKeyPath);
    TakeLogEntries();
  }
  void TearDown() override {
    DistribParamsFromFile::TearDown();
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kRegistryKeyPath);
  }
};

// Position of the first line of `function`, or the number of lines.
size_t FirstLineOf(const std::vector<LogEntry>& log, const std::wstring& function) {
  for (size_t i = 0; i < log.size(); ++i)
    if (log[i].function == function) return i;
  return log.size();
}

TEST_F(StartupBrandSteps, ParametersComeFirstAndTheirLanguageBeforeTheDefaults) {
  ImageDistribInfoParams params(WriteImage(ImageWithBlock("lang=de&x=1", 11)));
  BrandPackageInfo info(TempDir());
  SettleBrandConfiguration(CommandLine::Current(), "ua_uk", &params, &info);
  std::vector<LogEntry> log = TakeLogEntries();

  // The stored parameter text survives GetInfo, which removes only the brand
  // values of an earlier run.
  EXPECT_EQ(ReadStringFromRegistry(L"DistribInfoParams"), L"lang=de&x=1");
  const size_t stored = FirstLineOf(log, L"lite_installer::StoreValueInRegistry");
  const size_t cleared = FirstLineOf(log, L"BrandPackageInfo::Clear");
  const size_t read = FirstLineOf(log, L"BrandPackageInfo::GetBrandInfo");
  const size_t defaults = FirstLineOf(log, L"BrandPackageInfo::SetDefaults");
  EXPECT_LT(stored, cleared);
  EXPECT_LT(cleared, read);
  EXPECT_LT(read, defaults);
  EXPECT_LT(defaults, log.size());
  EXPECT_EQ(MessagesOf(log, L"BrandPackageInfo::SetDefaults").front(), L"Default language: de");

  // The package said "uk"; the distribution language replaced it before the
  // language id was settled.
  EXPECT_EQ(info.brand_name(), "ua_uk");
  EXPECT_EQ(info.interface_language(), "de");
  EXPECT_EQ(info.language_id(), 1031u);
  EXPECT_EQ(params.distrib_file_path(), distrib_info_);
}

TEST_F(StartupBrandSteps, IntBrandWithoutDistributionLanguageSpeaksTheUsers) {
  ImageDistribInfoParams params(WriteImage(ImageWithBlock("", 0)));
  BrandPackageInfo info(TempDir());
  SettleBrandConfiguration(CommandLine::Current(), "int", &params, &info);
  EXPECT_EQ(params.distrib_file_path(), L"");
  EXPECT_EQ(info.brand_id(), "int");
  std::string expected = GetUserLanguageCode();
  if (expected.empty()) expected = DefaultLanguageOfBrand("int");
  EXPECT_EQ(info.interface_language(), expected);
  EXPECT_EQ(ReadStringFromRegistry(L"DistribInfoParams"), L"");
}

}  // namespace
}  // namespace lite_installer
