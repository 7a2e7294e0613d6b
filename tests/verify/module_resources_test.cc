// Loading a downloaded file as data only: which load modes are asked for, the
// fallback for systems that do not know LOAD_LIBRARY_AS_IMAGE_RESOURCE, that a
// file is never loaded as code, and the current directory around the load.
// Runs under Wine.
#include "verify/module_resources.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lite_installer {
namespace {

std::vector<DWORD> g_flags;
std::vector<std::wstring> g_paths;
std::vector<std::wstring> g_directories;  // current directory during each load
DWORD g_refuse_error = 0;     // error of a refused combined load; 0: accept it
DWORD g_fail_error = 0;       // error of every load; 0: succeed
HMODULE const kFakeModule = reinterpret_cast<HMODULE>(0x10002);

std::wstring CurrentDirectory() {
  wchar_t buffer[MAX_PATH];
  DWORD n = ::GetCurrentDirectoryW(MAX_PATH, buffer);
  return std::wstring(buffer, n < MAX_PATH ? n : 0);
}

HMODULE WINAPI FakeLoad(LPCWSTR path, HANDLE file, DWORD flags) {
  g_flags.push_back(flags);
  g_paths.push_back(path);
  g_directories.push_back(CurrentDirectory());
  if (file) return nullptr;
  if (g_fail_error || (g_refuse_error && (flags & LOAD_LIBRARY_AS_IMAGE_RESOURCE))) {
    ::SetLastError(g_fail_error ? g_fail_error : g_refuse_error);
    return nullptr;
  }
  return kFakeModule;
}

class DataImageLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    g_flags.clear();
    g_paths.clear();
    g_directories.clear();
    g_refuse_error = 0;
    g_fail_error = 0;
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

// The process's current directory is put back after each case.
class LoadDirectory : public DataImageLoad {
 protected:
  void SetUp() override {
    DataImageLoad::SetUp();
    saved_ = CurrentDirectory();
    wchar_t buffer[MAX_PATH];
    UINT n = ::GetWindowsDirectoryW(buffer, MAX_PATH);
    windows_ = std::wstring(buffer, n);
    system_ = windows_ + L"\\system32";
  }
  void TearDown() override { ::SetCurrentDirectoryW(saved_.c_str()); }

  std::wstring saved_;
  std::wstring windows_;  // "C:\windows"
  std::wstring system_;   // a folder below it
};

TEST_F(LoadDirectory, LoadsWithTheFilesFolderCurrentAndPutsTheOldOneBack) {
  ASSERT_TRUE(::SetCurrentDirectoryW(windows_.c_str()));
  EXPECT_EQ(kFakeModule, LoadModuleLibraryWith(system_ + L"\\setup.exe", nullptr, &FakeLoad));
  ASSERT_EQ(1u, g_directories.size());
  EXPECT_EQ(system_, g_directories[0]);
  EXPECT_EQ(windows_, CurrentDirectory());
}

TEST_F(LoadDirectory, DriveRootAsCurrentDirectoryComesBack) {
  // Saved as "C:", which names drive C's current directory: the file's folder
  // once the load has made it current.
  const std::wstring root = windows_.substr(0, 3);
  ASSERT_TRUE(::SetCurrentDirectoryW(root.c_str()));
  LoadModuleLibraryWith(system_ + L"\\setup.exe", nullptr, &FakeLoad);
  EXPECT_EQ(system_, g_directories[0]);
  EXPECT_EQ(root, CurrentDirectory());
}

TEST_F(LoadDirectory, FailedLoadReportsItsErrorAfterTheDirectoryIsBack) {
  ASSERT_TRUE(::SetCurrentDirectoryW(windows_.c_str()));
  g_fail_error = ERROR_BAD_EXE_FORMAT;
  DWORD error = 0;
  EXPECT_EQ(nullptr, LoadModuleLibraryWith(system_ + L"\\setup.exe", &error, &FakeLoad));
  EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_EXE_FORMAT), error);
  EXPECT_EQ(static_cast<DWORD>(ERROR_BAD_EXE_FORMAT), ::GetLastError());
  EXPECT_EQ(windows_, CurrentDirectory());
}

TEST_F(LoadDirectory, MissingFolderLeavesTheDirectoryAloneAndStillLoads) {
  ASSERT_TRUE(::SetCurrentDirectoryW(windows_.c_str()));
  EXPECT_EQ(kFakeModule,
            LoadModuleLibraryWith(windows_ + L"\\no such folder\\setup.exe", nullptr, &FakeLoad));
  ASSERT_EQ(1u, g_directories.size());
  EXPECT_EQ(windows_, g_directories[0]);
  EXPECT_EQ(windows_, CurrentDirectory());
}

TEST_F(LoadDirectory, PathEndsAtItsFirstNul) {
  const std::wstring file = system_ + L"\\setup.exe";
  LoadModuleLibraryWith(file + std::wstring(1, L'\0') + L"\\..\\other.exe", nullptr, &FakeLoad);
  ASSERT_EQ(1u, g_paths.size());
  EXPECT_EQ(file, g_paths[0]);
  EXPECT_EQ(system_, g_directories[0]);
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
