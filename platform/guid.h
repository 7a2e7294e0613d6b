// A fresh GUID as 36 upper-case hexadecimal characters in groups 8-4-4-4-12,
// without braces; empty when none could be made. Identifies one installation.
#pragma once

#include <string>

namespace lite_installer {

std::string GenerateGuidString();

}  // namespace lite_installer
