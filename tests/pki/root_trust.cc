// Test tool: makes a test root certificate trusted for the current user of
// the Wine prefix it runs in (never the host's store), or takes that trust
// back so that the prefix is left as it was found.
//   pki_root_trust.exe [--remove] <root.der>
// Prints "ok" or the failing step and its error.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "tests/pki/whole_file.h"

int wmain(int argc, wchar_t** argv) {
  const bool remove = argc == 3 && wcscmp(argv[1], L"--remove") == 0;
  if (argc != 2 && !remove) {
    std::fwprintf(stderr, L"usage: %ls [--remove] <root.der>\n", argv[0]);
    return 2;
  }
  std::vector<BYTE> der;
  if (!ReadWholeFile(argv[argc - 1], &der)) {
    std::wprintf(L"read %ls error=%lu\n", argv[argc - 1], ::GetLastError());
    return 1;
  }
  HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                     CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
  if (!store) {
    std::wprintf(L"CertOpenStore error=%lu\n", ::GetLastError());
    return 1;
  }
  BOOL ok = FALSE;
  if (remove) {
    PCCERT_CONTEXT wanted = ::CertCreateCertificateContext(X509_ASN_ENCODING, der.data(),
                                                           static_cast<DWORD>(der.size()));
    PCCERT_CONTEXT found =
        wanted ? ::CertFindCertificateInStore(store, X509_ASN_ENCODING, 0,
                                              CERT_FIND_EXISTING, wanted, nullptr)
               : nullptr;
    // Deleting frees the found context; a root that is not there is fine.
    ok = !found || ::CertDeleteCertificateFromStore(found);
    if (wanted) ::CertFreeCertificateContext(wanted);
  } else {
    ok = ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(),
                                            static_cast<DWORD>(der.size()),
                                            CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  }
  DWORD error = ::GetLastError();
  ::CertCloseStore(store, 0);
  if (!ok) {
    std::wprintf(L"%ls error=%lu\n", remove ? L"CertDeleteCertificateFromStore"
                                            : L"CertAddEncodedCertificateToStore", error);
    return 1;
  }
  std::wprintf(L"ok\n");
  return 0;
}
