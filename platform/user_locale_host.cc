// Host build: the user's region and language are whatever a test set.
#include "platform/user_locale.h"

namespace lite_installer {
namespace {
std::string g_region;
uint32_t g_language_id = 1033;
}  // namespace

std::string GetUserRegion() { return g_region; }
uint32_t GetUserDefaultLanguageId() { return g_language_id; }

void SetUserLocaleForTesting(const std::string& region, uint32_t language_id) {
  g_region = region;
  g_language_id = language_id;
}

}  // namespace lite_installer
