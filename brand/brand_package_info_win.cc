// The Windows part of the brand configuration: choosing the partner and brand
// packages among the program's resources, copying them to the temporary
// directory for the setup, and the registry values that name them.
#include "brand/brand_package_info.h"

#include "platform/bin_resource.h"
#include "brand/brand_autodetection.h"
#include "platform/file_bytes.h"
#include "brand/language.h"
#include "installer/log.h"
#include "installer/registry_values.h"
#include "platform/string_conversion.h"

namespace lite_installer {
namespace {

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

constexpr wchar_t kResourcesFunction[] = L"BrandPackageInfo::GetInfoFromResources";

// Marks a package loaded and reads its configuration.
void LoadPackage(const std::string& package, const char* config_name, bool* loaded,
                 BrandPackageInfo* info) {
  *loaded = true;
  info->GetBrandInfo(package, config_name);
}

// Copies a package for the setup (a failed write is not reported: the path
// is passed on all the same) and reads its configuration.
void ExtractPackage(const wchar_t* log_text, const std::wstring& path, const std::string& package,
                    const char* config_name, bool* loaded, BrandPackageInfo* info) {
  LI_LOG(kLogInfo, kResourcesFunction, log_text, path, L" [", package.size(), L"B]");
  WriteBytesToFile(path, package);
  LoadPackage(package, config_name, loaded, info);
}

// Reads the package copy of an earlier run, when there is one with content.
void ReadStoredPackage(const std::wstring& path, const char* config_name, bool* loaded,
                       BrandPackageInfo* info) {
  std::string package = path.empty() ? std::string() : ReadFileBytes(path);
  if (!package.empty()) LoadPackage(package, config_name, loaded, info);
}

}  // namespace

void BrandPackageInfo::GetInfo(const std::string& brand_name) {
  Clear();
  RemoveFromRegistry();
  Clear();
  constexpr wchar_t kFunction[] = L"BrandPackageInfo::GetInfo";
  brand_package_path_ = temp_dir_ + brand_package::kBrandFileName;
  LI_LOG(kLogInfo, kFunction, L"Brand package path: ", brand_package_path_);
  partner_package_path_ = temp_dir_ + brand_package::kPartnerFileName;
  LI_LOG(kLogInfo, kFunction, L"Partner package path: ", partner_package_path_);
  GetInfoFromResources(brand_name);
}

void BrandPackageInfo::GetInfoFromResources(const std::string& brand_name) {
  constexpr const wchar_t* kFunction = kResourcesFunction;

  std::string partner = ReadBinResource(brand_package::kPartnerResource);
  if (!partner.empty()) {
    ExtractPackage(L"Extract Partner package: ", partner_package_path_, partner,
                   brand_package::kPartnerConfigName, &partner_package_loaded_, this);
  } else {
    LI_LOG(kLogWarning, kFunction, L"Partner package is empty.");
  }

  std::string package;
  if (brand_name == brand_package::kAutodetectBrandName) {
    std::string detected = UpperAscii(AutodetectBrandName());
    LI_LOG(kLogInfo, kFunction, L"Fetching autodetected ", detected, L" package");
    package = ReadBinResource(brand_package::kNamedBrandResourcePrefix + detected);
  } else if (!brand_name.empty()) {
    LI_LOG(kLogInfo, kFunction, L"Fetching defined", brand_name, L" package");
    package = ReadBinResource(brand_package::kNamedBrandResourcePrefix + UpperAscii(brand_name));
  }
  if (package.empty()) {
    LI_LOG(kLogInfo, kFunction, L"Fetching default package");
    package = ReadBinResource(brand_package::kDefaultBrandResource);
    if (package.empty()) {
      LI_LOG(kLogWarning, kFunction, L"Brand package is empty.");
      return;
    }
  }
  ExtractPackage(L"Extract Brand package: ", brand_package_path_, package,
                 brand_package::kBrandConfigName, &brand_package_loaded_, this);
}

bool BrandPackageInfo::GetInfoFromRegistry() {
  brand_package_path_ = ReadFilePathFromRegistry(registry_values::kBrandFile);
  partner_package_path_ = ReadFilePathFromRegistry(registry_values::kPartnerFile);
  if (!brand_package_path_.empty() || !partner_package_path_.empty()) {
    ReadStoredPackage(partner_package_path_, brand_package::kPartnerConfigName,
                      &partner_package_loaded_, this);
    ReadStoredPackage(brand_package_path_, brand_package::kBrandConfigName,
                      &brand_package_loaded_, this);
    if (!brand_id_.empty()) return true;
  }
  brand_name_ = Narrow(ReadStringFromRegistry(registry_values::kBrand));
  interface_language_ = Narrow(ReadStringFromRegistry(registry_values::kLang));
  if (brand_name_.empty() || interface_language_.empty()) return false;
  language_id_ = LanguageIdFromCode(interface_language_);
  return true;
}

void BrandPackageInfo::StoreInRegistry() const {
  StoreValueInRegistry(registry_values::kBrand, Widen(brand_name_));
  StoreValueInRegistry(registry_values::kBrandFile, brand_package_path_);
  if (partner_package_loaded_)
    StoreValueInRegistry(registry_values::kPartnerFile, partner_package_path_);
}

void BrandPackageInfo::RemoveFromRegistry() const {
  RemoveValueFromRegistry(registry_values::kBrand);
  RemoveValueFromRegistry(registry_values::kBrandFile);
  RemoveValueFromRegistry(registry_values::kPartnerFile);
}

}  // namespace lite_installer
