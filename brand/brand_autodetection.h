// Picks the brand for the brand name "auto" from the user's region and
// interface language: eight fixed rows, first match wins, "tavrix" otherwise.
#pragma once

#include <string>

namespace lite_installer {

// The row lookup alone (region and locale as given; empty matches only rows
// that accept anything). Never empty.
std::string DetectBrandName(const std::string& region, const std::string& locale);

// Reads the user's region and language, logs them and the outcome.
std::string AutodetectBrandName();

}  // namespace lite_installer
