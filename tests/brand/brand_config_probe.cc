// Test tool: settles the brand configuration with the installer's own start-up
// steps (distribution parameters, packages, distribution language, defaults) from
// this program's test packages and the prefix's region and language, then
// prints the outcome as key=value lines. The log goes to the installer's log.
#include <windows.h>

#include <cstdio>
#include <string>

#include "brand/brand_configuration.h"
#include "platform/user_locale.h"
#include "installer/command_line.h"
#include "installer/log.h"
#include "platform/path_util.h"

int wmain() {
  using namespace lite_installer;
  const std::wstring temp_dir = GetTemporaryDirectoryPath();
  SetLogPath(temp_dir + L"lite_installer.log");

  DistribInfoParams distrib_params;
  BrandPackageInfo info(temp_dir);
  const CommandLine& command_line = CommandLine::Current();
  SettleBrandConfiguration(command_line, command_line.AsciiValue(switches::kBrandName),
                           &distrib_params, &info);

  std::printf("region=%s\n", GetUserRegion().c_str());
  std::printf("user_language_id=%u\n", GetUserDefaultLanguageId());
  std::printf("brand_id=%s\n", info.brand_id().c_str());
  std::printf("brand_name=%s\n", info.brand_name().c_str());
  std::printf("language=%s\n", info.interface_language().c_str());
  std::printf("language_id=%u\n", info.language_id());
  std::printf("setup_url=%s\n", info.setup_url().c_str());
  return 0;
}
