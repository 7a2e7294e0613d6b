// The one verdict the install flow asks for before it runs a downloaded file:
// trusted info read and its RSA signature checked, then the file's Authenticode
// signer checked against the identities the trusted info lists.
#pragma once

#include <string>

namespace lite_installer {

// True only when the file may be run. Writes no log line of its own.
bool VerifyDownloadedModule(const std::wstring& path);

}  // namespace lite_installer
