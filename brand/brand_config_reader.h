// Reads configuration keys out of a parsed brand or partner configuration
// (jansson). A key with dots is a path of nested objects; "install." keys fall
// back to the same key at the top level. Members are filled only while unset,
// so the first source read wins.
#pragma once

#include <cstdint>
#include <string>

typedef struct json_t json_t;

namespace lite_installer {

// The value at a dotted path, or null when the root, a part or an
// intermediate object is missing.
json_t* LookupPath(json_t* root, const std::string& key);

// Fills an empty member from a JSON string (an empty string counts too).
void ReadStringKey(json_t* root, const std::string& key, std::string* member);
// Fills an unset tri-state switch (0) from JSON true (1) or false (2); any
// other JSON type leaves it unset.
void ReadSwitchKey(json_t* root, const std::string& key, int32_t* member);

}  // namespace lite_installer
