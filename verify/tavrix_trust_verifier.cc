// Portable half of the signer check: the trusted-info reader and the decision
// over an Authenticode verdict. The Windows verdict is in
// win_verify_trust_check_win.cc.
#include "verify/tavrix_trust_verifier.h"

#include <jansson.h>

#include "installer/log.h"
#include "verify/base64_decode.h"

namespace lite_installer {
namespace {

constexpr char kTrustedInfoKey[] = "trusted_info";
constexpr char kCertificatesKey[] = "certificates";
constexpr char kIdKey[] = "id";

// Owns a parsed document.
class JsonRef {
 public:
  explicit JsonRef(json_t* json) : json_(json) {}
  ~JsonRef() {
    if (json_) json_decref(json_);
  }
  JsonRef(const JsonRef&) = delete;
  JsonRef& operator=(const JsonRef&) = delete;
  json_t* get() const { return json_; }

 private:
  json_t* json_;
};

}  // namespace

TavrixTrustVerifier::TavrixTrustVerifier(const std::string& trusted_info) {
  // The parser reads up to the first NUL, and with flags 0 it rejects anything
  // but white space after the value: a document with a tail is unusable.
  JsonRef root(json_loads(trusted_info.c_str(), 0, nullptr));
  if (!json_is_object(root.get())) return;
  json_t* info = json_object_get(root.get(), kTrustedInfoKey);
  if (!json_is_object(info)) return;
  json_t* certificates = json_object_get(info, kCertificatesKey);
  if (!json_is_array(certificates)) return;
  for (size_t i = 0; i < json_array_size(certificates); ++i) {
    json_t* element = json_array_get(certificates, i);
    if (!json_is_object(element)) continue;
    json_t* id = json_object_get(element, kIdKey);
    if (!json_is_string(id)) continue;
    std::string text = json_string_value(id);
    if (text.empty()) continue;
    std::vector<uint8_t> bytes(text.size());
    size_t length = bytes.size();
    if (!LenientBase64Decode(text.data(), text.size(), bytes.data(), &length)) continue;
    bytes.resize(length);
    // An identity of no bytes ("====") can never equal a signer's, which
    // always holds two serial numbers; it is not kept.
    if (bytes.empty()) continue;
    certificate_ids_.insert(bytes);
  }
}

bool TavrixTrustVerifier::VerifyModuleWith(AuthenticodeCheck* check, const std::wstring& path,
                                           bool offline) const {
  LI_LOG(kLogInfo, L"TavrixTrustVerifier::VerifyModule", "Verify module.");
  const int32_t verdict = check->Verify(path, offline);
  bool found = false;
  if (verdict == 0) {
    SignerChain chain;
    std::vector<uint8_t> id;
    if (check->GetSignerChain(&chain) && SignerCertificateIdFromChain(chain, &id) &&
        !certificate_ids_.empty()) {
      found = certificate_ids_.count(id) != 0;
    }
  }
  // The state of the verification is released whatever the verdict was.
  check->Close();
  return verdict == 0 && found;
}

}  // namespace lite_installer
