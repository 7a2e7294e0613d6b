// Test tool: trusts or untrusts a test CA certificate (DER file) in the
// current user's Root store of the Wine prefix it runs in, so HTTPS test
// servers verify inside the prefix and nowhere else. Wine asks no question
// when a root is added.
//   trust_test_ca.exe add|remove CERT.der   -> prints "added"/"removed"
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool ReadFileBytes(const wchar_t* path, std::vector<BYTE>* bytes) {
  HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD size = ::GetFileSize(file, nullptr);
  bytes->resize(size);
  DWORD read = 0;
  BOOL ok = size != INVALID_FILE_SIZE && ::ReadFile(file, bytes->data(), size, &read, nullptr) &&
            read == size;
  ::CloseHandle(file);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  std::wstring command = argv[1];
  std::vector<BYTE> der;
  if (!ReadFileBytes(argv[2], &der)) {
    std::printf("cannot read certificate\n");
    return 3;
  }
  HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                     CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
  if (!store) {
    std::printf("cannot open store: %lu\n", ::GetLastError());
    return 4;
  }
  int code = 0;
  if (command == L"add") {
    if (::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(),
                                           static_cast<DWORD>(der.size()),
                                           CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
      std::printf("added\n");
    } else {
      std::printf("add failed: %lu\n", ::GetLastError());
      code = 5;
    }
  } else if (command == L"remove") {
    PCCERT_CONTEXT wanted = ::CertCreateCertificateContext(X509_ASN_ENCODING, der.data(),
                                                           static_cast<DWORD>(der.size()));
    PCCERT_CONTEXT found =
        wanted ? ::CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING,
                                              wanted, nullptr)
               : nullptr;
    // CertDeleteCertificateFromStore frees the context it is given.
    if (found && ::CertDeleteCertificateFromStore(found)) {
      std::printf("removed\n");
    } else {
      std::printf("not removed: %lu\n", ::GetLastError());
      code = 6;
    }
    if (wanted) ::CertFreeCertificateContext(wanted);
  } else {
    code = 2;
  }
  ::CertCloseStore(store, 0);
  std::fflush(stdout);
  return code;
}
