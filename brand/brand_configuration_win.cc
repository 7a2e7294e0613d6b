// The brand steps of start-up (Windows: the parameters and packages come
// from the installer's own file and resources).
#include "brand/brand_configuration.h"

namespace lite_installer {

void SettleBrandConfiguration(const std::string& brand_name, DistribInfoParams* distrib_params,
                              BrandPackageInfo* brand_info) {
  distrib_params->Load();
  brand_info->GetInfo(brand_name);
  brand_info->SetInterfaceLanguage(distrib_params->language());
  brand_info->SetDefaults();
}

}  // namespace lite_installer
