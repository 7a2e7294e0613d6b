// The portable part of the brand configuration: merging configuration
// texts, the defaults, the legal links and the distribution language rule.
// Package selection, resources and the registry are in
// brand_package_info_win.cc.
#include "brand/brand_package_info.h"

#include <jansson.h>

#include "brand/brand_config_reader.h"
#include "brand/cabinet_extractor.h"
#include "brand/language.h"
#include "build_config.h"
#include "installer/log.h"
#include "platform/string_conversion.h"
#include "platform/url_escape.h"

namespace lite_installer {
namespace {

constexpr char kDefaultBrandId[] = "tavrix";
constexpr char kIntBrandId[] = "int";
constexpr char kSetupArchiveName[] = "/browser-setup.arc";
constexpr char kLicensePage[] = "/browser_agreement/";
constexpr char kPrivacyPage[] = "/confidential/";
constexpr char kLanguageQuery[] = "?lang=";

namespace keys {
constexpr char kInterfaceLanguage[] = "languages.interface";
constexpr char kAutodetection[] = "languages.autodetection";
constexpr char kBrandId[] = "brand_id";
constexpr char kBrandName[] = "brand_name";
constexpr char kSetupUrl[] = "install.setup_url";
constexpr char kLicenseUrl[] = "license_url";
constexpr char kPrivacyUrl[] = "install.conf_policy_url";
constexpr char kAlternateTitle[] = "install.alternate_installer_title";
constexpr char kSendStatistics[] = "install.send_statistics";
constexpr char kMakeDefault[] = "install.make_browser_default";
constexpr char kBackgroundUrl[] = "install.background_url";
}  // namespace keys

int Digit(bool value) { return value ? 1 : 0; }

// The four choices, 0 or 1 each: both reports of the configuration end with
// them.
void LogChoices(const wchar_t* function, const BrandPackageInfo& info) {
  LI_LOG(kLogInfo, function, L"Show international title: ", Digit(info.UseAlternateInstallerTitle()));
  LI_LOG(kLogInfo, function, L"Send browser's statistics: ", Digit(info.SendStatistics()));
  LI_LOG(kLogInfo, function, L"Make browser default after import: ",
         Digit(info.MakeBrowserDefault()));
  LI_LOG(kLogInfo, function, L"Autodetect language: ", Digit(info.AutodetectLanguage()));
}

}  // namespace

BrandPackageInfo::BrandPackageInfo(const std::wstring& temp_dir) : temp_dir_(temp_dir) {}

void BrandPackageInfo::Clear() {
  LI_LOG(kLogInfo, L"BrandPackageInfo::Clear", L"Reset brand info.");
  brand_id_.clear();
  brand_name_.clear();
  setup_url_.clear();
  interface_language_.clear();
  brand_package_path_.clear();
  partner_package_path_.clear();
  license_url_.clear();
  privacy_url_.clear();
  // A background URL left from an earlier GetInfo would otherwise shadow the
  // new configuration's (first value wins).
  background_url_.clear();
  language_id_ = kDefaultLanguageId;
  alternate_title_ = kSwitchUnset;
  send_statistics_ = kSwitchUnset;
  make_default_ = kSwitchUnset;
  autodetect_language_ = kSwitchUnset;
}

void BrandPackageInfo::GetBrandInfo(const std::string& package, const std::string& config_name) {
  ExtractedFiles files;
  ExtractFiles(package.data(), package.size(), config_name, &files);
  auto found = files.find(config_name);
  if (found == files.end()) return;
  MergeConfig(found->second);
}

void BrandPackageInfo::MergeConfig(const std::string& config_text) {
  // jansson wants NUL-terminated text; a NUL inside the text ends it there.
  json_t* root = json_loads(config_text.c_str(), 0, nullptr);

  ReadStringKey(root, keys::kInterfaceLanguage, &interface_language_);
  ReadSwitchKey(root, keys::kAutodetection, &autodetect_language_);
  language_id_ = LanguageIdFromCode(interface_language_);
  ReadStringKey(root, keys::kBrandId, &brand_id_);
  ReadStringKey(root, keys::kBrandName, &brand_name_);
  ReadStringKey(root, keys::kSetupUrl, &setup_url_);
  ReadStringKey(root, keys::kLicenseUrl, &license_url_);
  ReadStringKey(root, keys::kPrivacyUrl, &privacy_url_);
  ReadSwitchKey(root, keys::kAlternateTitle, &alternate_title_);
  ReadSwitchKey(root, keys::kSendStatistics, &send_statistics_);
  ReadSwitchKey(root, keys::kMakeDefault, &make_default_);
  ReadStringKey(root, keys::kBackgroundUrl, &background_url_);

  constexpr wchar_t kFunction[] = L"BrandPackageInfo::GetBrandInfo";
  LI_LOG(kLogInfo, kFunction, L"Brand id: ", brand_id_);
  LI_LOG(kLogInfo, kFunction, L"Brand name: ", brand_name_);
  LI_LOG(kLogInfo, kFunction, L"Setup url: ", setup_url_);
  LI_LOG(kLogInfo, kFunction, L"Default language: ", interface_language_);
  LogChoices(kFunction, *this);

  if (root) json_decref(root);
}

void BrandPackageInfo::SetInterfaceLanguage(const std::string& language) {
  // The distribution parameters lie outside the installer's signature: a
  // value that is no language tag could carry a quote, a path or a query
  // into the registry, the setup's switches and the addresses opened.
  if (!language.empty() && !IsLanguageTag(language)) {
    LI_LOG(kLogWarning, L"BrandPackageInfo::SetInterfaceLanguage",
           L"Distribution language is not a language tag, ignored: ",
           EscapeUrlValue(Widen(language)));
    return;
  }
  if (!language.empty()) {
    interface_language_ = language;
  } else if (brand_id_ == kIntBrandId && AutodetectLanguage()) {
    interface_language_.clear();
  }
}

void BrandPackageInfo::SetDefaults() {
  if (brand_id_.empty()) brand_id_ = kDefaultBrandId;
  if (brand_name_.empty()) brand_name_ = brand_id_;
  if (setup_url_.empty()) setup_url_ = std::string(LI_DOWNLOAD_BASE) + brand_id_ + kSetupArchiveName;
  if (license_url_.empty()) license_url_ = std::string(LI_LEGAL_BASE) + kLicensePage;
  if (privacy_url_.empty()) privacy_url_ = std::string(LI_LEGAL_BASE) + kPrivacyPage;
  if (interface_language_.empty()) interface_language_ = GetUserLanguageCode();
  if (interface_language_.empty()) interface_language_ = DefaultLanguageOfBrand(brand_id_);
  language_id_ = LanguageIdFromCode(interface_language_);

  constexpr wchar_t kFunction[] = L"BrandPackageInfo::SetDefaults";
  LI_LOG(kLogInfo, kFunction, L"Default language: ", interface_language_);
  LI_LOG(kLogInfo, kFunction, L"Brand id: ", brand_id_);
  LI_LOG(kLogInfo, kFunction, L"Setup url: ", setup_url_);
  LogChoices(kFunction, *this);
}

std::wstring BrandPackageInfo::LicenseLink() const {
  return Widen(license_url_ + kLanguageQuery) + EscapeUrlValue(Widen(interface_language_));
}

std::wstring BrandPackageInfo::PrivacyLink() const {
  return Widen(privacy_url_ + kLanguageQuery) + EscapeUrlValue(Widen(interface_language_));
}

}  // namespace lite_installer
