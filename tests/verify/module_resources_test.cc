// Loading a downloaded file as data only: which load modes are asked for, the
// fallback for systems that do not know LOAD_LIBRARY_AS_IMAGE_RESOURCE, and
// that a file is never loaded as code. Runs under Wine.
#include "verify/module_resources.h"

#include <gtest/gtest.h>

#include <vector>

namespace lite_installer {
namespace {

std::vector<DWORD> g_flags;
DWORD g_refuse_error = 0;     // error of a refused combined load; 0: accept it
HMODULE const kFakeModule = reinterpret_cast<HMODULE>(0x10002);

HMODULE WINAPI FakeLoad(LPCWSTR, HANDLE file, DWORD flags) {
  g_flags.push_back(flags);
  if (file) return nullptr;
  if (g_refuse_error && (flags & LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {
    ::SetLastError(g_refuse_error);
    return nullptr;
  }
  return kFakeModule;
}

class DataImageLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    g_flags.clear();
    g_refuse_error = 0;
  }
};

TEST_F(DataImageLoad, AsksForADataImageOnly) {
  EXPECT_EQ(kFakeModule, LoadAsDataImage(L"C:\\t\\setup.exe", &FakeLoad));
  ASSERT_EQ(1u, g_flags.size());
  EXPECT_EQ(static_cast<DWORD>(LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE),
            g_flags[0]);
}

TEST_F(DataImageLoad, FallsBackToDataFileWhereTheImageFlagIsRefused) {
  g_refuse_error = ERROR_INVALID_PARAMETER;  // what Windows XP answers
  EXPECT_EQ(kFakeModule, LoadAsDataImage(L"C:\\t\\setup.exe", &FakeLoad));
  ASSERT_EQ(2u, g_flags.size());
  EXPECT_EQ(static_cast<DWORD>(LOAD_LIBRARY_AS_DATAFILE), g_flags[1]);
}

TEST_F(DataImageLoad, OtherFailuresAreNotRetried) {
  g_refuse_error = ERROR_BAD_EXE_FORMAT;
  EXPECT_EQ(nullptr, LoadAsDataImage(L"C:\\t\\setup.exe", &FakeLoad));
  EXPECT_EQ(1u, g_flags.size());
  EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_EXE_FORMAT), ::GetLastError());
}

TEST_F(DataImageLoad, NoModeEverLoadsCode) {
  g_refuse_error = ERROR_INVALID_PARAMETER;
  LoadAsDataImage(L"C:\\t\\setup.exe", &FakeLoad);
  for (DWORD flags : g_flags) EXPECT_NE(0u, flags & LOAD_LIBRARY_AS_DATAFILE) << flags;
}

TEST(LoadModuleLibrary, ReportsTheLoadErrorAndRestoresTheCurrentDirectory) {
  wchar_t before[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, before);
  DWORD error = 0;
  EXPECT_EQ(nullptr, LoadModuleLibrary(L"C:\\windows\\no such folder\\setup.exe", &error));
  EXPECT_NE(0u, error);
  EXPECT_EQ(error, ::GetLastError());
  wchar_t after[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_STREQ(before, after);
}

TEST(LoadModuleLibrary, ReadsResourcesOfASystemImageWithoutRunningIt) {
  // Any image with a version resource; loaded as data, its entry point never runs.
  wchar_t system[MAX_PATH];
  ::GetSystemDirectoryW(system, MAX_PATH);
  HMODULE module = LoadModuleLibrary(std::wstring(system) + L"\\kernel32.dll");
  ASSERT_NE(nullptr, module);
  EXPECT_FALSE(ReadResourceBytes(module, MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1)).empty());
  EXPECT_TRUE(ReadResourceBytes(module, L"TRUSTED_JSON", L"TRUSTED.JSON").empty());
  ::FreeLibrary(module);
}

}  // namespace
}  // namespace lite_installer
