// The distribution parameter text (key=value&key=value, no unescaping) and
// the "distrib_info" JSON document that the setup receives.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace lite_installer {

using DistribParam = std::pair<std::string, std::string>;

// Splits the text into pairs in order. A piece without "=" is a key with an
// empty value; a value may hold "="; an empty piece between two "&" is a pair
// of empty texts; a trailing "&" adds nothing.
std::vector<DistribParam> SplitDistribParams(const std::string& text);

struct DistribInfoDocument {
  bool has_params = false;  // the text held at least one pair
  std::string json;         // indented by 2; empty when serialising failed
  std::string language;     // the first non-empty "lang", else empty
};

// One JSON string member per pair (a later pair replaces an earlier one of the
// same key; pairs that are not valid UTF-8 are left out).
DistribInfoDocument MakeDistribInfoDocument(const std::string& text);

}  // namespace lite_installer
