// Resources of the custom type "BIN" in the program's own module: the brand
// and partner packages and the installer data files.
#pragma once

#include <string>

namespace lite_installer {

// The bytes of "BIN" resource `id`; empty when absent or empty.
std::string ReadBinResource(int id);
// The bytes of the "BIN" resource named `name` (each byte widened; the system
// compares resource names without regard to case); empty when absent.
std::string ReadBinResource(const std::string& name);
// Writes "BIN" resource `id` to `path` (create or overwrite). False when the
// resource is absent or empty or the file could not be written completely.
bool WriteBinResourceToFile(int id, const std::wstring& path);

}  // namespace lite_installer
