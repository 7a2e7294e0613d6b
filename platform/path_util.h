// Path helpers: the directory part of a path (portable), existence, the
// current directory, the program's path and the temporary directory
// (Windows).
#pragma once

#include <string>

namespace lite_installer {

// Directory of a path; "\" and "/" both separate. Keeps roots ("C:/", "/",
// "//"), gives "C:" for "C:file" and "." when nothing is left.
std::wstring GetDirectoryPart(const std::wstring& path);

bool PathExists(const std::wstring& path);

// The running program's full path (GetModuleFileNameW); empty when the
// call fails or the path needs 260 characters or more.
std::wstring GetProgramPath();

// The user's temporary directory as GetTempPathW gives it, ending in a
// backslash; empty when the call fails or needs 260 characters or more (the
// files placed there are then named relative to the current drive's root).
std::wstring GetTemporaryDirectoryPath();

}  // namespace lite_installer
