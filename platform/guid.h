// A fresh GUID as 36 upper-case hexadecimal characters in groups 8-4-4-4-12,
// without braces; empty when none could be made. Identifies one installation.
#pragma once

#include <cstdint>
#include <string>

namespace lite_installer {

std::string GenerateGuidString();

// The text of the version-4 GUID made of 16 random bytes (its version and
// variant bits set), as StringFromGUID2 writes it without the braces.
std::string RandomGuidText(const uint8_t random[16]);

}  // namespace lite_installer
