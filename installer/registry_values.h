// The few string values the installer keeps under
// HKEY_CURRENT_USER\Software\Tavrix\TavrixBrowser while an installation is
// under way. Every access opens (and if missing creates) the key and logs;
// no failure here ever stops an installation.
#pragma once

#include <string>

namespace lite_installer {

constexpr wchar_t kRegistryKeyPath[] = L"Software\\Tavrix\\TavrixBrowser";

namespace registry_values {
constexpr wchar_t kLang[] = L"lang";
constexpr wchar_t kInstallerData[] = L"InstallerData";
constexpr wchar_t kClidsFile[] = L"ClidsFile";
constexpr wchar_t kDistribInfoParams[] = L"DistribInfoParams";
constexpr wchar_t kBrand[] = L"brand";
constexpr wchar_t kBrandFile[] = L"BrandFile";
constexpr wchar_t kPartnerFile[] = L"PartnerFile";
}  // namespace registry_values

// Stores a REG_SZ; returns the Windows error code (callers ignore it).
long StoreValueInRegistry(const std::wstring& name, const std::wstring& text);
void RemoveValueFromRegistry(const std::wstring& name);
// Empty when absent or unreadable; non-REG_SZ data is expanded as
// environment strings.
std::wstring ReadStringFromRegistry(const std::wstring& name);
// As ReadStringFromRegistry, but empty when nothing exists at the path.
std::wstring ReadFilePathFromRegistry(const std::wstring& name);

}  // namespace lite_installer
