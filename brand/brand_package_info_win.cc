// The Windows part of the brand configuration: choosing the partner and brand
// packages among the program's resources, copying them to the temporary
// directory for the setup, and the registry values that name them.
#include "brand/brand_package_info.h"

#include "brand/bin_resource.h"
#include "brand/brand_autodetection.h"
#include "brand/file_bytes.h"
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
  constexpr wchar_t kFunction[] = L"BrandPackageInfo::GetInfoFromResources";

  std::string partner = ReadBinResource(brand_package::kPartnerResource);
  if (!partner.empty()) {
    LI_LOG(kLogInfo, kFunction, L"Extract Partner package: ", partner_package_path_, L" [",
           partner.size(), L"B]");
    WriteBytesToFile(partner_package_path_, partner);
    partner_package_loaded_ = true;
    GetBrandInfo(partner, brand_package::kPartnerConfigName);
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
  LI_LOG(kLogInfo, kFunction, L"Extract Brand package: ", brand_package_path_, L" [",
         package.size(), L"B]");
  WriteBytesToFile(brand_package_path_, package);
  brand_package_loaded_ = true;
  GetBrandInfo(package, brand_package::kBrandConfigName);
}

bool BrandPackageInfo::GetInfoFromRegistry() {
  brand_package_path_ = ReadFilePathFromRegistry(registry_values::kBrandFile);
  partner_package_path_ = ReadFilePathFromRegistry(registry_values::kPartnerFile);
  if (!brand_package_path_.empty() || !partner_package_path_.empty()) {
    std::string partner = partner_package_path_.empty() ? std::string()
                                                         : ReadFileBytes(partner_package_path_);
    if (!partner.empty()) {
      partner_package_loaded_ = true;
      GetBrandInfo(partner, brand_package::kPartnerConfigName);
    }
    std::string brand =
        brand_package_path_.empty() ? std::string() : ReadFileBytes(brand_package_path_);
    if (!brand.empty()) {
      brand_package_loaded_ = true;
      GetBrandInfo(brand, brand_package::kBrandConfigName);
    }
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
