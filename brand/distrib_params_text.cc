// Splitting distribution parameters and building "distrib_info"; portable,
// host-tested and fuzzed.
#include "brand/distrib_params_text.h"

#include <jansson.h>

#include <cstdlib>

namespace lite_installer {
namespace {
constexpr char kLanguageKey[] = "lang";
constexpr size_t kJsonIndent = 2;
}  // namespace

std::vector<DistribParam> SplitDistribParams(const std::string& text) {
  std::vector<DistribParam> pairs;
  size_t position = 0;
  while (position < text.size()) {
    size_t key_end = text.find_first_of("&=", position);
    if (key_end == std::string::npos) key_end = text.size();
    size_t value_start = key_end;
    if (key_end < text.size() && text[key_end] == '=') value_start = key_end + 1;
    size_t value_end = text.find('&', value_start);
    if (value_end == std::string::npos) value_end = text.size();
    pairs.emplace_back(text.substr(position, key_end - position),
                       text.substr(value_start, value_end - value_start));
    position = value_end;
    if (position < text.size() && text[position] == '&') ++position;
  }
  return pairs;
}

DistribInfoDocument MakeDistribInfoDocument(const std::string& text) {
  DistribInfoDocument document;
  const std::vector<DistribParam> pairs = SplitDistribParams(text);
  if (pairs.empty()) return document;
  document.has_params = true;

  json_t* object = json_object();
  for (const DistribParam& pair : pairs) {
    json_t* value = json_string(pair.second.c_str());  // null for text that is not UTF-8
    if (value) json_object_set_new(object, pair.first.c_str(), value);  // frees value on refusal
    if (document.language.empty() && pair.first == kLanguageKey) document.language = pair.second;
  }
  if (object) {
    if (char* dumped = json_dumps(object, JSON_INDENT(kJsonIndent))) {
      document.json = dumped;
      std::free(dumped);
    }
    json_decref(object);
  }
  return document;
}

}  // namespace lite_installer
