// The brand configuration of one run: brand, setup URL, interface language,
// legal links and the initial choices, read from the partner and brand
// packages (first value read wins) and completed by built-in defaults.
// Built on the main thread at start-up; read-only afterwards.
#pragma once

#include <cstdint>
#include <string>

namespace lite_installer {

namespace brand_package {
constexpr int kDefaultBrandResource = 319;
constexpr int kPartnerResource = 320;
constexpr char kNamedBrandResourcePrefix[] = "BRAND_";
constexpr char kBrandConfigName[] = "brand_config";
constexpr char kPartnerConfigName[] = "partner_config";
constexpr wchar_t kBrandFileName[] = L"BrandFile";
constexpr wchar_t kPartnerFileName[] = L"PartnerFile";
constexpr char kAutodetectBrandName[] = "auto";
}  // namespace brand_package

class BrandPackageInfo {
 public:
  explicit BrandPackageInfo(const std::wstring& temp_dir);

  // The two virtual operations keep these first two slots of the table; the
  // destructor comes after them.
  // Restores the configuration from the stored registry values (not used by
  // the run sequence).
  virtual bool GetInfoFromRegistry();
  virtual void Clear();
  virtual ~BrandPackageInfo() = default;

  // Start-up entry: clears, removes stored values, picks and parses packages.
  void GetInfo(const std::string& brand_name);
  void GetInfoFromResources(const std::string& brand_name);
  // Reads config_name out of a package (a cabinet) and merges its keys.
  void GetBrandInfo(const std::string& package, const std::string& config_name);
  // GetBrandInfo once the configuration text is out of its package: merges
  // the keys (first value read wins) and logs the values as they now stand.
  // Text that is not JSON merges nothing but still logs.
  void MergeConfig(const std::string& config_text);
  void SetDefaults();

  void StoreInRegistry() const;
  void RemoveFromRegistry() const;

  const std::string& setup_url() const { return setup_url_; }
  const std::string& brand_id() const { return brand_id_; }
  const std::string& brand_name() const { return brand_name_; }
  const std::string& interface_language() const { return interface_language_; }
  uint32_t language_id() const { return language_id_; }
  const std::string& license_url() const { return license_url_; }
  const std::string& privacy_url() const { return privacy_url_; }
  const std::string& background_url() const { return background_url_; }
  const std::wstring& temp_dir() const { return temp_dir_; }
  const std::wstring& brand_package_path() const { return brand_package_path_; }
  const std::wstring& partner_package_path() const { return partner_package_path_; }
  bool brand_package_loaded() const { return brand_package_loaded_; }
  bool partner_package_loaded() const { return partner_package_loaded_; }

  bool UseAlternateInstallerTitle() const { return alternate_title_ == kSwitchTrue; }
  bool SendStatistics() const { return send_statistics_ != kSwitchFalse; }
  bool MakeBrowserDefault() const { return make_default_ != kSwitchFalse; }
  bool AutodetectLanguage() const { return autodetect_language_ != kSwitchFalse; }

  std::wstring LicenseLink() const;
  std::wstring PrivacyLink() const;

  // The distribution language rule, applied by the run sequence between
  // GetInfo and SetDefaults: a non-empty distribution language replaces the
  // interface language; else for the brand id "int" with language
  // autodetection on, the interface language is emptied so that the user's
  // language decides.
  void SetInterfaceLanguage(const std::string& language);

 protected:
  enum : int32_t { kSwitchUnset = 0, kSwitchTrue = 1, kSwitchFalse = 2 };

  std::string setup_url_;
  std::string brand_id_;
  std::string brand_name_;
  std::string interface_language_;
  uint32_t language_id_ = 1033;
  std::string license_url_;
  std::string privacy_url_;
  std::string background_url_;
  std::wstring temp_dir_;
  std::wstring brand_package_path_;
  std::wstring partner_package_path_;
  bool brand_package_loaded_ = false;
  bool partner_package_loaded_ = false;
  int32_t alternate_title_ = kSwitchUnset;
  int32_t send_statistics_ = kSwitchUnset;
  int32_t make_default_ = kSwitchUnset;
  int32_t autodetect_language_ = kSwitchUnset;
};

}  // namespace lite_installer
