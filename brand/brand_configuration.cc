// The brand steps of start-up, in their one order. Portable; the parameters
// and packages themselves come from the program's file and resources.
#include "brand/brand_configuration.h"

namespace lite_installer {

void SettleBrandConfiguration(const CommandLine& command_line, const std::string& brand_name,
                              DistribInfoParams* distrib_params, BrandPackageInfo* brand_info) {
  distrib_params->Load(command_line);
  brand_info->GetInfo(brand_name);
  brand_info->SetInterfaceLanguage(distrib_params->language());
  brand_info->SetDefaults();
}

}  // namespace lite_installer
