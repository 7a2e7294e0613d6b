// Whole-file reads and writes of the package copies and "distrib_info".
#pragma once

#include <string>

namespace lite_installer {

// Writes `bytes` to `path` (create or overwrite, no sharing); false on failure.
bool WriteBytesToFile(const std::wstring& path, const std::string& bytes);
// The whole content of the file at `path`; empty when it cannot be read or is
// larger than any package (64 MiB).
std::string ReadFileBytes(const std::wstring& path);

}  // namespace lite_installer
