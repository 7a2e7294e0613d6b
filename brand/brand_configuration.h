// The brand steps of the installer's start-up, in the one order that the
// run sequence and its tests share: the distribution parameters first (they
// may store their text in the registry), then the packages, then the
// distribution language, then the defaults.
#pragma once

#include <string>

#include "brand/brand_package_info.h"
#include "brand/distrib_info_params.h"

namespace lite_installer {

// Loads `distrib_params` (from `command_line` among others), reads the packages for `brand_name` (the value of
// the switch "brand-name", empty when absent) into `brand_info`, applies the
// distribution language and fills the defaults. Afterwards both are only
// read.
void SettleBrandConfiguration(const CommandLine& command_line, const std::string& brand_name,
                              DistribInfoParams* distrib_params, BrandPackageInfo* brand_info);

}  // namespace lite_installer
