// The user's region and language as the system reports them. The Windows
// build asks the system; the host build reports values that tests set.
#pragma once

#include <cstdint>
#include <string>

namespace lite_installer {

// Two-letter country code of the user's region (GetUserGeoID/GetGeoInfoW),
// or empty when the system has none.
std::string GetUserRegion();
// GetUserDefaultLangID.
uint32_t GetUserDefaultLanguageId();

#if !defined(_WIN32)
// Host build only: what the two functions above report.
void SetUserLocaleForTesting(const std::string& region, uint32_t language_id);
#endif

}  // namespace lite_installer
