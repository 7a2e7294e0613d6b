// GetTrustJsonFromModule in process, for what a probe run cannot show: the
// path is taken up to its first NUL, and a failure is one ERROR line under the
// operation's own name. The cases with signed resources, and the release of
// the file on every path, are in module_verification_wine.py. Runs under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_bytes.h"
#include "platform/path_util.h"
#include "tests/support/log_reader.h"
#include "verify/tavrix_trust_verifier.h"

namespace lite_installer {
namespace {

// Each line written since the last call as "LEVEL Function: message".
std::vector<std::wstring> TakeLogLines() { return BriefLines(TakeLogEntries()); }

const wchar_t kFunction[] = L"TavrixTrustVerifier::GetTrustJsonFromModule";

class GetTrustJsonFromModuleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { StartTestLog(L"trust_json_from_module_test"); }
  void SetUp() override { TakeLogLines(); }
};

TEST_F(GetTrustJsonFromModuleTest, TextFileIsNoLibraryAndTheLogNamesItUpToTheFirstNul) {
  const std::wstring path = GetTemporaryDirectoryPath() + L"trust_json_not_an_image.exe";
  ASSERT_TRUE(WriteBytesToFile(path, "This is not a program.\r\n"));
  const std::wstring with_tail = path + std::wstring(1, L'\0') + L"tail.exe";
  EXPECT_EQ("", TavrixTrustVerifier::GetTrustJsonFromModule(with_tail));
  EXPECT_EQ(std::vector<std::wstring>{std::wstring(L"ERROR ") + kFunction +
                                      L": GetTrustJsonFromModule library isn't valid. " + path},
            TakeLogLines());
  ::DeleteFileW(path.c_str());
}

TEST_F(GetTrustJsonFromModuleTest, ImageWithoutTheResourcesReportsOnlyTheSignature) {
  // A copy of a system image: loadable, carries neither resource.
  wchar_t system[MAX_PATH];
  ::GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring path = GetTemporaryDirectoryPath() + L"trust_json_plain_image.dll";
  ASSERT_TRUE(::CopyFileW((std::wstring(system) + L"\\version.dll").c_str(), path.c_str(), FALSE));
  EXPECT_EQ("", TavrixTrustVerifier::GetTrustJsonFromModule(path));
  EXPECT_EQ(std::vector<std::wstring>{std::wstring(L"ERROR ") + kFunction +
                                      L": Cannot find resource SIGNATURE_DAT"},
            TakeLogLines());
  ::DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace lite_installer
