// Brand autodetection; portable (the system values come from user_locale.h).
#include "brand/brand_autodetection.h"

#include "brand/language.h"
#include "platform/user_locale.h"
#include "installer/log.h"

namespace lite_installer {
namespace {

constexpr wchar_t kFunction[] = L"`anonymous-namespace'::AutodetectBrandName";
constexpr char kDefaultBrandName[] = "tavrix";

struct Row {
  const char* region;  // "" matches any region
  const char* locale;  // "" matches any locale
  const char* brand_name;
};

constexpr Row kRows[] = {
    {"RU", "uk", "ua_uk"}, {"RU", "", "tavrix"}, {"UA", "ru", "ua_ru"}, {"UA", "", "ua_uk"},
    {"TR", "", "tb"},      {"", "ru", "tavrix"}, {"", "uk", "ua_uk"},   {"", "tr", "tb"},
};

bool Matches(const char* cell, const std::string& value) {
  return *cell == '\0' || value == cell;
}

const char* FindRow(const std::string& region, const std::string& locale) {
  for (const Row& row : kRows) {
    if (Matches(row.region, region) && Matches(row.locale, locale)) return row.brand_name;
  }
  return nullptr;
}

}  // namespace

std::string DetectBrandName(const std::string& region, const std::string& locale) {
  const char* found = FindRow(region, locale);
  return found ? found : kDefaultBrandName;
}

std::string AutodetectBrandName() {
  const std::string region = GetUserRegion();
  LI_LOG(kLogInfo, kFunction, L"User region: ", region);
  const std::string locale = GetUserLanguageCode();
  LI_LOG(kLogInfo, kFunction, L"User locale: ", locale);
  if (const char* found = FindRow(region, locale)) {
    LI_LOG(kLogInfo, kFunction, L"Detected brand-name: ", found);
    return found;
  }
  LI_LOG(kLogInfo, kFunction, L"Didn't found brand-name. Use default: ", kDefaultBrandName);
  return kDefaultBrandName;
}

}  // namespace lite_installer
