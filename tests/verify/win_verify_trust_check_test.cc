// What the signer check asks of WinVerifyTrust: the generic verify action, no
// user interface, the revocation policy chosen by offline, and a closing call
// on the same state whatever the verdict was. A recorder stands in for the
// system, because Wine ignores the revocation fields (see the wine notes) and
// a wrong value would pass every test with real files. Runs under Wine.
#include "verify/win_verify_trust_check.h"

#include <gtest/gtest.h>
#include <softpub.h>

#include <string>
#include <vector>

#include "verify/tavrix_trust_verifier.h"

namespace lite_installer {
namespace {

struct Call {
  HWND window;
  GUID action;
  const WINTRUST_DATA* data;  // where the caller keeps it
  WINTRUST_DATA copy;         // as it was at the call
  WINTRUST_FILE_INFO file;
  std::wstring path;
};

std::vector<Call> g_calls;
LONG g_verdict = 0;  // of the verifying call
HANDLE const kState = reinterpret_cast<HANDLE>(0x5A7E);
// What the recorder leaves as the state. After a verdict of 0 the real signer
// helpers read it, so a passing verdict gets none (they then find no signer).
HANDLE g_state = kState;

LONG WINAPI RecordWinVerifyTrust(HWND window, GUID* action, LPVOID data) {
  Call call = {};
  call.window = window;
  call.action = *action;
  call.data = static_cast<WINTRUST_DATA*>(data);
  call.copy = *call.data;
  if (call.copy.pFile) {
    call.file = *call.copy.pFile;
    if (call.file.pcwszFilePath) call.path = call.file.pcwszFilePath;
  }
  g_calls.push_back(call);
  // The system keeps its state in the caller's data until the closing call.
  if (call.copy.dwStateAction == WTD_STATEACTION_VERIFY)
    static_cast<WINTRUST_DATA*>(data)->hWVTStateData = g_state;
  return call.copy.dwStateAction == WTD_STATEACTION_VERIFY ? g_verdict : 0;
}

const wchar_t kPath[] = L"C:\\downloads\\setup.exe";

class WinVerifyTrustRequest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls.clear();
    g_verdict = static_cast<LONG>(0x800B0100);  // TRUST_E_NOSIGNATURE
    g_state = kState;
  }
  // One whole check through the decision, as VerifyModule makes it.
  bool Check(bool offline) {
    WinVerifyTrustCheck check(&RecordWinVerifyTrust);
    TavrixTrustVerifier verifier("");
    return verifier.VerifyModuleWith(&check, kPath, offline);
  }
};

TEST_F(WinVerifyTrustRequest, OnlineCheckAsksForRevocationOfTheWholeChainWithoutUserInterface) {
  Check(false);
  ASSERT_EQ(2u, g_calls.size());
  const Call& verify = g_calls[0];
  EXPECT_EQ(static_cast<HWND>(INVALID_HANDLE_VALUE), verify.window);
  GUID generic = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  EXPECT_TRUE(IsEqualGUID(generic, verify.action));
  // Thirteen 4-byte fields, up to and with pSignatureSettings.
  EXPECT_EQ(52u, verify.copy.cbStruct);
  EXPECT_EQ(static_cast<DWORD>(WTD_UI_NONE), verify.copy.dwUIChoice);
  EXPECT_EQ(static_cast<DWORD>(WTD_REVOKE_WHOLECHAIN), verify.copy.fdwRevocationChecks);
  EXPECT_EQ(static_cast<DWORD>(WTD_CHOICE_FILE), verify.copy.dwUnionChoice);
  EXPECT_EQ(static_cast<DWORD>(WTD_STATEACTION_VERIFY), verify.copy.dwStateAction);
  EXPECT_EQ(static_cast<DWORD>(WTD_REVOCATION_CHECK_CHAIN), verify.copy.dwProvFlags);
  EXPECT_EQ(static_cast<DWORD>(WTD_UICONTEXT_INSTALL), verify.copy.dwUIContext);
  EXPECT_EQ(nullptr, verify.copy.pPolicyCallbackData);
  EXPECT_EQ(nullptr, verify.copy.pSIPClientData);
  EXPECT_EQ(nullptr, verify.copy.hWVTStateData);
  EXPECT_EQ(nullptr, verify.copy.pwszURLReference);
}

TEST_F(WinVerifyTrustRequest, OfflineCheckSkipsRevocationAndKeepsToTheCache) {
  Check(true);
  ASSERT_EQ(2u, g_calls.size());
  EXPECT_EQ(static_cast<DWORD>(WTD_REVOKE_NONE), g_calls[0].copy.fdwRevocationChecks);
  EXPECT_EQ(static_cast<DWORD>(WTD_CACHE_ONLY_URL_RETRIEVAL), g_calls[0].copy.dwProvFlags);
  EXPECT_EQ(static_cast<DWORD>(WTD_UICONTEXT_INSTALL), g_calls[0].copy.dwUIContext);
}

TEST_F(WinVerifyTrustRequest, FileIsNamedByPathAlone) {
  Check(false);
  ASSERT_FALSE(g_calls.empty());
  const Call& verify = g_calls[0];
  EXPECT_EQ(sizeof(WINTRUST_FILE_INFO), verify.file.cbStruct);
  EXPECT_EQ(kPath, verify.path);
  EXPECT_EQ(nullptr, verify.file.hFile);
  EXPECT_EQ(nullptr, verify.file.pgKnownSubject);
}

TEST_F(WinVerifyTrustRequest, ClosingCallReleasesTheSameStateWhateverTheVerdict) {
  const LONG kVerdicts[] = {0, static_cast<LONG>(0x800B010C) /* CERT_E_REVOKED */,
                            static_cast<LONG>(0x800B0100) /* TRUST_E_NOSIGNATURE */};
  for (LONG verdict : kVerdicts) {
    g_calls.clear();
    g_verdict = verdict;
    g_state = verdict == 0 ? nullptr : kState;
    EXPECT_FALSE(Check(false));  // nothing is listed
    ASSERT_EQ(2u, g_calls.size()) << std::hex << verdict;
    const Call& close = g_calls[1];
    EXPECT_EQ(static_cast<DWORD>(WTD_STATEACTION_CLOSE), close.copy.dwStateAction);
    EXPECT_EQ(g_calls[0].data, close.data);
    EXPECT_EQ(g_state, close.copy.hWVTStateData);
    EXPECT_EQ(static_cast<HWND>(INVALID_HANDLE_VALUE), close.window);
    GUID generic = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    EXPECT_TRUE(IsEqualGUID(generic, close.action));
    EXPECT_EQ(static_cast<DWORD>(WTD_REVOKE_WHOLECHAIN), close.copy.fdwRevocationChecks);
  }
}

TEST_F(WinVerifyTrustRequest, AnOpenVerificationIsClosedOnceEvenWhenLeftOpen) {
  {
    WinVerifyTrustCheck check(&RecordWinVerifyTrust);
    check.Verify(kPath, false);
  }
  ASSERT_EQ(2u, g_calls.size());
  EXPECT_EQ(static_cast<DWORD>(WTD_STATEACTION_CLOSE), g_calls[1].copy.dwStateAction);
  g_calls.clear();
  {
    WinVerifyTrustCheck check(&RecordWinVerifyTrust);
    check.Verify(kPath, false);
    check.Close();
    check.Close();
  }
  EXPECT_EQ(2u, g_calls.size());
}

}  // namespace
}  // namespace lite_installer
