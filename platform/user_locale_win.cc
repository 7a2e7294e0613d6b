// The user's region and language from the system. Under Wine the language
// follows the LC_ALL environment variable of the process and the region the
// value "Nation" of HKCU\Control Panel\International\Geo (Wine rewrites that
// value whenever it starts under a different locale than the last time).
#include "platform/user_locale.h"

#include <windows.h>

namespace lite_installer {
namespace {
constexpr int kIso2BufferUnits = 3;  // two letters and the terminator
}  // namespace

std::string GetUserRegion() {
  GEOID geo = ::GetUserGeoID(GEOCLASS_NATION);
  if (geo == GEOID_NOT_AVAILABLE) return std::string();
  wchar_t buffer[kIso2BufferUnits] = {};
  if (::GetGeoInfoW(geo, GEO_ISO2, buffer, kIso2BufferUnits, 0) != kIso2BufferUnits)
    return std::string();
  std::string region;
  region.push_back(static_cast<char>(buffer[0] & 0xFF));
  region.push_back(static_cast<char>(buffer[1] & 0xFF));
  return region;
}

uint32_t GetUserDefaultLanguageId() { return ::GetUserDefaultLangID(); }

}  // namespace lite_installer
