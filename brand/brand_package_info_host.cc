// Host build: there are no resources and no registry, so the configuration
// only ever comes from MergeConfig and SetDefaults.
#include "brand/brand_package_info.h"

namespace lite_installer {

void BrandPackageInfo::GetInfo(const std::string&) { Clear(); }
void BrandPackageInfo::GetInfoFromResources(const std::string&) {}
bool BrandPackageInfo::GetInfoFromRegistry() { return false; }
void BrandPackageInfo::StoreInRegistry() const {}
void BrandPackageInfo::RemoveFromRegistry() const {}

}  // namespace lite_installer
