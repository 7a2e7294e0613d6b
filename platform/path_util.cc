// Directory part of a path; portable.
#include "platform/path_util.h"

namespace lite_installer {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// Removes trailing separators, never the one at the root, and never the second
// of a pair that begins at the root unless more than two begin there.
void StripTrailing(size_t root, size_t root_run, std::wstring* path) {
  while (!path->empty() && IsSeparator(path->back())) {
    size_t i = path->size() - 1;
    if (i == root) break;
    if (i == root + 1 && root_run == 2) break;
    path->pop_back();
  }
}

}  // namespace

std::wstring GetDirectoryPart(const std::wstring& input) {
  std::wstring path = input.substr(0, input.find(L'\0'));
  size_t root = path.size() >= 2 && IsLetter(path[0]) && path[1] == L':' ? 2 : 0;
  size_t root_run = 0;
  while (root + root_run < path.size() && IsSeparator(path[root + root_run])) ++root_run;

  StripTrailing(root, root_run, &path);
  size_t last = path.find_last_of(L"\\/");
  if (last == std::wstring::npos) {
    path.resize(root);  // the drive letter and colon, or nothing
  } else if (last == root) {
    path.resize(root + 1);
  } else if (last == root + 1 && root_run == 2) {
    path.resize(root + 2);  // an alternate root such as "//"
  } else if (last != 0) {
    path.resize(last);
  }
  StripTrailing(root, root_run, &path);
  return path.empty() ? L"." : path;
}

}  // namespace lite_installer
