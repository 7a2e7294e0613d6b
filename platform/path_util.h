// Path helpers: the directory part of a path (portable), existence and the
// current directory (Windows).
#pragma once

#include <string>

namespace lite_installer {

// Directory of a path; "\" and "/" both separate. Keeps roots ("C:/", "/",
// "//"), gives "C:" for "C:file" and "." when nothing is left.
std::wstring GetDirectoryPart(const std::wstring& path);

bool PathExists(const std::wstring& path);

// The current directory without trailing separators; false when the system
// call fails or needs more than 260 characters.
bool GetCurrentDirectoryPath(std::wstring* directory);

}  // namespace lite_installer
