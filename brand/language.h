// The interface-language tables: the user's language id to a code, a code to
// the language id that selects the dialog's string tables, and a brand's
// default language. All comparisons are exact and case-sensitive.
#pragma once

#include <cstdint>
#include <string>

namespace lite_installer {

constexpr uint32_t kDefaultLanguageId = 1033;

// The user's language id → code, or empty for a language outside the table.
std::string LanguageCodeFromId(uint32_t language_id);
// Code → language id; 1033 for anything outside the table ("en" and "" too).
uint32_t LanguageIdFromCode(const std::string& code);
// Whether `code` can be a language tag ("uk", "pt-BR", "zh-Hans-CN"): a
// letter, then letters, digits and single hyphens, at most 16 characters,
// not ending in a hyphen. Nothing else can reach a URL, the registry or the
// setup as the interface language.
bool IsLanguageTag(const std::string& code);
// Brand id → the language the brand speaks when nothing else decides.
std::string DefaultLanguageOfBrand(const std::string& brand_id);

// The user's interface language code (from the system's user language id),
// or empty.
std::string GetUserLanguageCode();

}  // namespace lite_installer
