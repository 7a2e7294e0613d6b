// libFuzzer target: a brand configuration text merged the way a package's is
// (it may come from the package copy an earlier run left in the temporary
// folder). Invariant: the first value read wins, so merging the same text a
// second time changes nothing; a text that is no JSON sets nothing.
#include <jansson.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>

#include "brand/brand_package_info.h"

namespace {

auto State(const lite_installer::BrandPackageInfo& info) {
  return std::make_tuple(info.setup_url(), info.brand_id(), info.brand_name(),
                         info.interface_language(), info.language_id(), info.license_url(),
                         info.privacy_url(), info.background_url(),
                         info.UseAlternateInstallerTitle(), info.SendStatistics(),
                         info.MakeBrowserDefault(), info.AutodetectLanguage());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  lite_installer::BrandPackageInfo info(L"C:\\temp\\");
  const auto unset = State(info);
  info.MergeConfig(text);
  const auto once = State(info);
  info.MergeConfig(text);
  if (State(info) != once) __builtin_trap();
  json_t* root = json_loads(text.c_str(), 0, nullptr);
  if (!root && once != unset) __builtin_trap();
  if (root) json_decref(root);
  return 0;
}
