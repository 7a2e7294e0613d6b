// Configuration key lookup with the "install." fallback; portable.
#include "brand/brand_config_reader.h"

#include <jansson.h>

namespace lite_installer {
namespace {

constexpr char kInstallPrefix[] = "install.";
constexpr size_t kInstallPrefixLength = sizeof(kInstallPrefix) - 1;

bool HasInstallPrefix(const std::string& key) {
  return key.compare(0, kInstallPrefixLength, kInstallPrefix) == 0;
}

bool CopyString(json_t* root, const std::string& key, std::string* member) {
  json_t* value = LookupPath(root, key);
  if (!json_is_string(value)) return false;
  const char* text = json_string_value(value);
  member->assign(text ? text : "");
  return true;
}

bool CopySwitch(json_t* root, const std::string& key, int32_t* member) {
  json_t* value = LookupPath(root, key);
  if (json_is_true(value)) {
    *member = 1;
  } else if (json_is_false(value)) {
    *member = 2;
  } else {
    return false;
  }
  return true;
}

}  // namespace

json_t* LookupPath(json_t* root, const std::string& key) {
  json_t* current = root;
  size_t start = 0;
  while (current) {
    size_t dot = key.find('.', start);
    std::string part = key.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    if (!json_is_object(current)) return nullptr;
    current = json_object_get(current, part.c_str());
    if (dot == std::string::npos) return current;
    start = dot + 1;
  }
  return nullptr;
}

void ReadStringKey(json_t* root, const std::string& key, std::string* member) {
  if (!member->empty()) return;
  if (CopyString(root, key, member)) return;
  if (HasInstallPrefix(key)) CopyString(root, key.substr(kInstallPrefixLength), member);
}

void ReadSwitchKey(json_t* root, const std::string& key, int32_t* member) {
  if (*member != 0) return;
  if (CopySwitch(root, key, member)) return;
  if (HasInstallPrefix(key)) CopySwitch(root, key.substr(kInstallPrefixLength), member);
}

}  // namespace lite_installer
