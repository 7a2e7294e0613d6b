// The run's private folder: a random name from advapi32's generator, made
// with CreateDirectoryW (which fails for a name that exists, so a folder
// someone prepared is never taken over), with the user as owner and an access
// list that does not inherit the temporary directory's.
#include "platform/run_folder.h"

#include <windows.h>
#include <ntsecapi.h>
#include <sddl.h>

#include <vector>

#include "platform/scoped_handle.h"

namespace lite_installer {
namespace {

constexpr wchar_t kNamePrefix[] = L"li-";
constexpr size_t kRandomBytes = 12;  // 96 bits: not guessed, short in a long temporary path
constexpr int kAttempts = 16;
constexpr wchar_t kHexDigits[] = L"0123456789abcdef";
// Protected (no inherited entries): the user and the system full control,
// administrators read and execute (an elevated setup run as another
// administrator can still read its files); inherited by every file made
// inside. The owner is the user, also when an elevated token would make the
// administrators group the default owner.
constexpr wchar_t kOwnerPrefix[] = L"O:";
constexpr wchar_t kUserEntryPrefix[] = L"D:P(A;OICI;FA;;;";
constexpr wchar_t kOtherEntries[] = L")(A;OICI;FA;;;SY)(A;OICI;FRFX;;;BA)";

std::wstring RandomName() {
  unsigned char random[kRandomBytes];
  if (!::RtlGenRandom(random, sizeof(random))) return std::wstring();
  std::wstring name = kNamePrefix;
  for (unsigned char byte : random) {
    name += kHexDigits[byte >> 4];
    name += kHexDigits[byte & 0xF];
  }
  return name;
}

// The SDDL text of the user's SID; empty on failure.
std::wstring UserSidText() {
  HANDLE token_handle = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token_handle)) return {};
  ScopedHandle token(token_handle);
  DWORD size = 0;
  ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  // Pointer-aligned: TOKEN_USER starts with a pointer.
  std::vector<void*> buffer((size + sizeof(void*) - 1) / sizeof(void*));
  auto* user = reinterpret_cast<TOKEN_USER*>(buffer.data());
  if (!::GetTokenInformation(token.Get(), TokenUser, user, size, &size)) return {};
  wchar_t* text = nullptr;
  if (!::ConvertSidToStringSidW(user->User.Sid, &text)) return {};
  ScopedLocalMemory owned(text);
  return text;
}

// The folder's security descriptor (LocalFree'd by the holder); null when it
// cannot be built, and the folder then takes the temporary directory's.
void* MakeSecurityDescriptor() {
  const std::wstring sid = UserSidText();
  if (sid.empty()) return nullptr;
  const std::wstring sddl = kOwnerPrefix + sid + kUserEntryPrefix + sid + kOtherEntries;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr))
    return nullptr;
  return descriptor;
}

}  // namespace

RunFolder::~RunFolder() { RemoveUnlessKept(); }

bool RunFolder::Create(const std::wstring& temp_dir) {
  if (temp_dir.empty()) return false;
  ScopedLocalMemory descriptor(MakeSecurityDescriptor());
  SECURITY_ATTRIBUTES attributes = {};
  attributes.nLength = sizeof(attributes);
  attributes.lpSecurityDescriptor = descriptor.Get();
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::wstring name = RandomName();
    if (name.empty()) return false;
    const std::wstring folder = temp_dir + name;
    if (::CreateDirectoryW(folder.c_str(), descriptor.IsValid() ? &attributes : nullptr)) {
      path_ = folder + L'\\';
      return true;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

void RunFolder::RemoveUnlessKept() {
  if (path_.empty()) return;
  if (!kept_.load()) {
    WIN32_FIND_DATAW found;
    ScopedFindHandle search(::FindFirstFileW((path_ + L'*').c_str(), &found));
    if (search.IsValid()) {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
          ::DeleteFileW((path_ + found.cFileName).c_str());
      } while (::FindNextFileW(search.Get(), &found));
    }
  }
  // Fails while anything is left in it.
  ::RemoveDirectoryW(path_.c_str());
}

}  // namespace lite_installer
