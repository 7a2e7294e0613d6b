// The signer check's portable half: which identities a trusted-info document
// yields, and the decision over an Authenticode verdict. The platform's verdict
// comes through a fake here, because the test platform (Wine) neither checks
// revocation nor rejects untrusted roots; the Wine tests prove the real call
// for what Wine does enforce (signature, tampering, listed signer).
#include "verify/tavrix_trust_verifier.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/log_reader.h"

namespace lite_installer {
namespace {

using Id = std::vector<uint8_t>;
const Id kExampleId = {0x0A, 0x0B, 0x01, 0x02, 0x03};  // "CgsBAgM="

std::set<Id> Ids(const std::string& document) {
  return TavrixTrustVerifier(document).certificate_ids();
}

std::string WithCertificates(const std::string& elements) {
  return "{\"trusted_info\": {\"certificates\": [" + elements + "]}}";
}

TEST(TrustedInfoDocument, ListsEachIdOfTheCertificates) {
  EXPECT_EQ(std::set<Id>({kExampleId, {0x01}}),
            Ids(WithCertificates("{\"id\": \"CgsBAgM=\"}, {\"id\": \"AQ==\", \"name\": 5}")));
}

TEST(TrustedInfoDocument, UnusableDocumentsGiveNoIds) {
  EXPECT_TRUE(Ids("").empty());
  EXPECT_TRUE(Ids("not json").empty());
  EXPECT_TRUE(Ids("[]").empty());
  EXPECT_TRUE(Ids("{\"certificates\": [{\"id\": \"CgsBAgM=\"}]}").empty());  // no trusted_info
  EXPECT_TRUE(Ids("{\"trusted_info\": [{\"id\": \"CgsBAgM=\"}]}").empty());
  EXPECT_TRUE(Ids("{\"trusted_info\": {\"certificates\": {\"id\": \"CgsBAgM=\"}}}").empty());
  EXPECT_TRUE(Ids("{\"trusted_info\": {\"certificates\": \"CgsBAgM=\"}}").empty());
}

TEST(TrustedInfoDocument, SkipsUnusableElementsAndKeepsTheOthers) {
  EXPECT_EQ(std::set<Id>({kExampleId}),
            Ids(WithCertificates("5, \"CgsBAgM=\", [], null, {\"id\": 12}, {\"id\": null}, "
                                 "{\"id\": \"\"}, {\"ID\": \"AQ==\"}, {\"id\": \"CgsBAgM=\"}")));
}

TEST(TrustedInfoDocument, IdsWithLineBreaksBlanksAndPaddingDecodeAsWithout) {
  EXPECT_EQ(std::set<Id>({kExampleId}), Ids(WithCertificates("{\"id\": \"Cg sB\\r\\nAgM=\"}")));
  EXPECT_EQ(std::set<Id>({kExampleId}), Ids(WithCertificates("{\"id\": \"C=gsB=AgM\"}")));
}

TEST(TrustedInfoDocument, DuplicateIdsAreHeldOnce) {
  EXPECT_EQ(1u, Ids(WithCertificates("{\"id\": \"CgsBAgM=\"}, {\"id\": \"CgsBAgM\"}")).size());
}

TEST(TrustedInfoDocument, IdOfNoBytesIsNotKept) {
  EXPECT_TRUE(Ids(WithCertificates("{\"id\": \"====\"}, {\"id\": \"A\"}")).empty());
}

TEST(TrustedInfoDocument, TextAfterTheDocumentMakesItUnusable) {
  const std::string document = WithCertificates("{\"id\": \"CgsBAgM=\"}");
  EXPECT_EQ(1u, Ids(document + "\r\n \t").size());  // white space is allowed
  EXPECT_TRUE(Ids(document + "x").empty());
  EXPECT_TRUE(Ids(document + "{}").empty());
}

TEST(TrustedInfoDocument, EmbeddedNulEndsTheText) {
  const std::string document = WithCertificates("{\"id\": \"CgsBAgM=\"}");
  EXPECT_EQ(1u, Ids(document + std::string(1, '\0') + "garbage").size());
  EXPECT_TRUE(Ids(document.substr(0, 10) + std::string(1, '\0') + document.substr(10)).empty());
}

// A scripted Authenticode check that records what the decision asked of it.
class FakeCheck : public AuthenticodeCheck {
 public:
  int32_t verdict = 0;
  bool has_chain = true;
  SignerChain chain;
  std::vector<std::string> calls;

  int32_t Verify(const std::wstring& path, bool offline) override {
    calls.push_back(offline ? "verify-offline" : "verify");
    return verdict;
  }
  bool GetSignerChain(SignerChain* out) override {
    calls.push_back("chain");
    if (has_chain) *out = chain;
    return has_chain;
  }
  void Close() override { calls.push_back("close"); }
};

// Leaf serial 01 02 03 issued by serial 0A 0B, as the system hands them over
// (least significant byte first).
SignerChain ExampleChain() {
  SignerChain chain;
  chain.signer_count = 1;
  chain.chain_length = 3;
  chain.serial_blobs = {{0x03, 0x02, 0x01}, {0x0B, 0x0A}};
  return chain;
}

class VerifyModuleDecision : public ::testing::Test {
 protected:
  void SetUp() override {
    StartTestLog(L"verify_tavrix_trust_verifier_test");
    check.chain = ExampleChain();
  }
  bool Run(const std::string& document, bool offline = false) {
    TavrixTrustVerifier verifier(document);
    return verifier.VerifyModuleWith(&check, L"C:\\t\\setup.exe", offline);
  }
  FakeCheck check;
  const std::string listed = WithCertificates("{\"id\": \"CgsBAgM=\"}");
};

TEST_F(VerifyModuleDecision, ListedSignerOfAValidSignaturePasses) {
  EXPECT_TRUE(Run(listed));
  EXPECT_EQ((std::vector<std::string>{"verify", "chain", "close"}), check.calls);
  EXPECT_EQ(std::vector<std::wstring>{L"INFO TavrixTrustVerifier::VerifyModule: Verify module."},
            BriefLines(TakeLogEntries()));
}

TEST_F(VerifyModuleDecision, RevokedOrUntrustedVerdictFailsAndStillCloses) {
  const int32_t kVerdicts[] = {
      static_cast<int32_t>(0x800B010C),  // CERT_E_REVOKED
      static_cast<int32_t>(0x800B0109),  // CERT_E_UNTRUSTEDROOT
      static_cast<int32_t>(0x80092013),  // CRYPT_E_REVOCATION_OFFLINE
      static_cast<int32_t>(0x800B0100),  // TRUST_E_NOSIGNATURE
      static_cast<int32_t>(0x80096010),  // TRUST_E_BAD_DIGEST
      1};
  for (int32_t verdict : kVerdicts) {
    check.calls.clear();
    check.verdict = verdict;
    EXPECT_FALSE(Run(listed)) << std::hex << verdict;
    // The signer data of a failed verification is never consulted.
    EXPECT_EQ((std::vector<std::string>{"verify", "close"}), check.calls);
  }
  EXPECT_EQ(6u, TakeLogEntries().size());  // "Verify module." each time, nothing else
}

TEST_F(VerifyModuleDecision, OnlineRevocationIsAskedForUnlessOffline) {
  Run(listed);
  Run(listed, true);
  EXPECT_EQ("verify", check.calls[0]);
  EXPECT_EQ("verify-offline", check.calls[3]);
}

TEST_F(VerifyModuleDecision, MoreThanOneSignerFails) {
  check.chain.signer_count = 2;
  EXPECT_FALSE(Run(listed));
  check.chain.signer_count = 0;
  EXPECT_FALSE(Run(listed));
  EXPECT_EQ("close", check.calls.back());
}

TEST_F(VerifyModuleDecision, ChainShorterThanTwoFails) {
  check.chain.chain_length = 1;
  check.chain.serial_blobs.resize(1);
  EXPECT_FALSE(Run(WithCertificates("{\"id\": \"AQID\"}, {\"id\": \"CgsBAgM=\"}")));
  check.chain.chain_length = 2;  // a length the system claims without the serials
  EXPECT_FALSE(Run(listed));
}

TEST_F(VerifyModuleDecision, MissingSignerDataFails) {
  check.has_chain = false;
  EXPECT_FALSE(Run(listed));
  EXPECT_EQ((std::vector<std::string>{"verify", "chain", "close"}), check.calls);
}

TEST_F(VerifyModuleDecision, IdentityInTheWrongOrderDoesNotMatch) {
  // Signer serial first, then issuer serial: 01 02 03 0A 0B.
  EXPECT_FALSE(Run(WithCertificates("{\"id\": \"AQIDCgs=\"}")));
}

TEST_F(VerifyModuleDecision, SerialsUnreversedDoNotMatch) {
  // The blobs taken as they come (03 02 01 0B 0A order mistakes).
  EXPECT_FALSE(Run(WithCertificates("{\"id\": \"CwoDAgE=\"}, {\"id\": \"AwIBCwo=\"}")));
}

TEST_F(VerifyModuleDecision, SignerUnderAnotherIssuerWithTheSameSerialFails) {
  check.chain.serial_blobs[1] = {0x0C, 0x0A};
  EXPECT_FALSE(Run(listed));
}

TEST_F(VerifyModuleDecision, EmptyListFailsEveryFileAfterACompletePairOfCalls) {
  EXPECT_FALSE(Run(""));
  EXPECT_EQ((std::vector<std::string>{"verify", "chain", "close"}), check.calls);
  check.calls.clear();
  check.verdict = static_cast<int32_t>(0x800B0100);
  EXPECT_FALSE(Run(""));
  EXPECT_EQ((std::vector<std::string>{"verify", "close"}), check.calls);
}

TEST(SignerCertificateId, IsIssuerSerialThenSignerSerialMostSignificantFirst) {
  Id id = {0xFF};
  ASSERT_TRUE(SignerCertificateIdFromChain(ExampleChain(), &id));
  EXPECT_EQ(kExampleId, id);
  SignerChain two_signers = ExampleChain();
  two_signers.signer_count = 2;
  EXPECT_FALSE(SignerCertificateIdFromChain(two_signers, &id));
  EXPECT_TRUE(id.empty());
}

}  // namespace
}  // namespace lite_installer
