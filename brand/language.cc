// Language tables; the user's language id comes from user_locale.h.
#include "brand/language.h"

#include "platform/user_locale.h"

namespace lite_installer {
namespace {

struct IdCode {
  uint32_t id;
  const char* code;
};

// The user's language ids that the installer recognises.
constexpr IdCode kUserLanguages[] = {
    {1028, "zh-TW"}, {1029, "cs"}, {1031, "de"},    {1033, "en"},    {1036, "fr"},
    {1040, "it"},    {1041, "ja"}, {1046, "pt-BR"}, {1049, "ru"},    {1055, "tr"},
    {1058, "uk"},    {1087, "kk"}, {2052, "zh-CN"}, {2070, "pt-PT"}, {3082, "es"},
};

// The fifteen string-table languages of the program, in lookup order
// (1033 is what everything else gives).
constexpr IdCode kInterfaceLanguages[] = {
    {1049, "ru"},    {1058, "uk"},    {1055, "tr"},    {1031, "de"},    {3082, "es"},
    {1036, "fr"},    {1040, "it"},    {1041, "ja"},    {2070, "pt-PT"}, {1046, "pt-BR"},
    {2052, "zh-CN"}, {1028, "zh-TW"}, {1087, "kk"},    {1029, "cs"},
};

struct BrandLanguage {
  const char* brand_id;
  const char* code;
};

constexpr BrandLanguage kBrandLanguages[] = {
    {"tavrix", "ru"}, {"by", "ru"}, {"kz", "ru"}, {"ua", "uk"}, {"tb", "tr"},
};
constexpr char kFallbackBrandLanguage[] = "en";
constexpr size_t kLongestLanguageTag = 16;

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

bool IsLanguageTag(const std::string& code) {
  if (code.empty() || code.size() > kLongestLanguageTag || !IsAsciiLetter(code[0]) ||
      code.back() == '-')
    return false;
  for (size_t i = 1; i < code.size(); ++i) {
    const char c = code[i];
    if (c == '-') {
      if (code[i - 1] == '-') return false;
    } else if (!IsAsciiLetter(c) && !(c >= '0' && c <= '9')) {
      return false;
    }
  }
  return true;
}

std::string LanguageCodeFromId(uint32_t language_id) {
  for (const IdCode& entry : kUserLanguages) {
    if (entry.id == language_id) return entry.code;
  }
  return std::string();
}

uint32_t LanguageIdFromCode(const std::string& code) {
  for (const IdCode& entry : kInterfaceLanguages) {
    if (code == entry.code) return entry.id;
  }
  return kDefaultLanguageId;
}

std::string DefaultLanguageOfBrand(const std::string& brand_id) {
  for (const BrandLanguage& entry : kBrandLanguages) {
    if (brand_id == entry.brand_id) return entry.code;
  }
  return kFallbackBrandLanguage;
}

std::string GetUserLanguageCode() { return LanguageCodeFromId(GetUserDefaultLanguageId()); }

}  // namespace lite_installer
