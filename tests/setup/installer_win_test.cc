// The parts of Installer that a silent run cannot show, on the real platform
// (run under Wine): the setup process run, the wait for the installed
// browser's message window and its stop, the window handle handed to the
// setup, and what the reports and click statistics send, read back from the
// log lines of the requests (no server listens, so each request also logs
// its failure).
#include "setup/install_flow.h"

#include <windows.h>
#include <process.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "build_config.h"
#include "installer/registry_values.h"
#include "platform/scoped_handle.h"
#include "platform/string_conversion.h"
#include "setup/background_sender.h"
#include "setup/request_bounds.h"
#include "tests/setup/recording_observer.h"
#include "tests/support/log_reader.h"

namespace lite_installer {

// The flow's private steps and events, opened for these tests.
class InstallerTestAccess : public Installer {
 public:
  using Installer::Installer;
  using Installer::BuildSetupCommandLine;
  using Installer::DownloadModuleTo;
  using Installer::installation_id;
  using Installer::ReportInstallationFinished;
  using Installer::ReportStatus;
  using Installer::RunProcessAndWait;
  using Installer::SetWorkerThread;
  using Installer::WaitForMessageWindow;
  HANDLE stop_event() const { return stop_event_.Get(); }
  const std::wstring& installer_data_path() const { return installer_data_path_; }
  const std::wstring& clids_file_path() const { return clids_file_path_; }
};

namespace {

// Every Installer of these tests is one with its steps opened.
using Installer = InstallerTestAccess;

constexpr wchar_t kBrowserWindowClass[] = L"TavrixBrowser_MessageWindow";

std::wstring TempDir() {
  wchar_t buffer[MAX_PATH];
  DWORD n = ::GetTempPathW(MAX_PATH, buffer);
  return std::wstring(buffer, n);
}

// One function's messages among all the current test wrote so far.
std::vector<std::wstring> Messages(const std::wstring& function) {
  return MessagesOf(LogEntriesSinceStart(), function);
}

bool HasEntry(const std::wstring& level, const std::wstring& function,
              const std::wstring& message_start) {
  for (const LogEntry& e : LogEntriesSinceStart())
    if (e.level == level && e.function == function && e.message.find(message_start) == 0)
      return true;
  return false;
}

// An observer whose progress window is a fixed handle value.
class WindowObserver : public RecordingObserver {
 public:
  HWND GetProgressWindow() override { return reinterpret_cast<HWND>(0x0002031A); }
};

// A message-only window of the installed browser's class, owned by a thread
// of its own (windows are destroyed by the thread that made them).
class BrowserWindow {
 public:
  BrowserWindow() {
    ready_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Thread, this, 0, nullptr));
    ::WaitForSingleObject(ready_, 5000);
  }
  ~BrowserWindow() {
    Destroy();
    ::CloseHandle(thread_);
    ::CloseHandle(ready_);
  }
  void Destroy() {
    if (window_) ::PostMessageW(window_, WM_CLOSE, 0, 0);
    ::WaitForSingleObject(thread_, 5000);
    window_ = nullptr;
  }
  bool exists() const { return window_ != nullptr; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CLOSE) {
      ::DestroyWindow(window);
      ::PostQuitMessage(0);
      return 0;
    }
    return ::DefWindowProcW(window, message, w, l);
  }
  static unsigned __stdcall Thread(void* self_pointer) {
    BrowserWindow* self = static_cast<BrowserWindow*>(self_pointer);
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = &Procedure;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = kBrowserWindowClass;
    ::RegisterClassW(&window_class);
    self->window_ = ::CreateWindowExW(0, kBrowserWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, window_class.hInstance, nullptr);
    ::SetEvent(self->ready_);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
  }

  HANDLE ready_ = nullptr;
  HANDLE thread_ = nullptr;
  HWND volatile window_ = nullptr;
};

// An observer whose progress window is a real window of this thread.
class RealWindowObserver : public RecordingObserver {
 public:
  RealWindowObserver() {
    window_ = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr);
  }
  ~RealWindowObserver() override { ::DestroyWindow(window_); }
  HWND GetProgressWindow() override { return window_; }
  // Registered messages that reached the window, as "name(w,l)".
  std::vector<std::string> TakeSetupMessages() {
    const std::pair<const wchar_t*, const char*> names[] = {
        {L"tavrix.lite.set_import_progress", "import"},
        {L"tavrix.lite.close_window", "close"},
        {L"tavrix.lite.set_install_progress", "install"},
        {L"tavrix.higher_version_exist", "higher"}};
    std::vector<std::string> out;
    MSG message;
    while (::PeekMessageW(&message, window_, 0, 0, PM_REMOVE)) {
      for (const auto& name : names)
        if (message.message == ::RegisterWindowMessageW(name.first))
          out.push_back(std::string(name.second) + "(" + std::to_string(message.wParam) + "," +
                        std::to_string(message.lParam) + ")");
    }
    return out;
  }

 private:
  HWND window_;
};

std::wstring FakeSetupPath() {
  wchar_t buffer[MAX_PATH];
  DWORD n = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  std::wstring path(buffer, n);
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"fake_setup.exe";
}

// Sets an environment variable for the processes started while it lives.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const wchar_t* value) : name_(name) {
    ::SetEnvironmentVariableW(name, value);
  }
  ~ScopedEnvironment() { ::SetEnvironmentVariableW(name_, nullptr); }

 private:
  const wchar_t* name_;
};

unsigned __stdcall WaitForBrowserThread(void* installer) {
  static_cast<Installer*>(installer)->WaitForMessageWindow();
  return 0;
}

// A brand configuration with a chosen setup URL.
class TestBrand : public BrandPackageInfo {
 public:
  TestBrand(const std::wstring& temp_dir, const std::string& setup_url)
      : BrandPackageInfo(temp_dir) {
    setup_url_ = setup_url;
    interface_language_ = "ru";
  }
};

// Sets the stop event after a moment, from another thread.
unsigned __stdcall StopSoon(void* installer) {
  ::Sleep(500);
  ::SetEvent(static_cast<Installer*>(installer)->stop_event());
  return 0;
}

// Run() stores its values under the installer's key; the key goes again
// when it was not there before.
class ScopedRegistryKey {
 public:
  ScopedRegistryKey() {
    HKEY key = nullptr;
    existed_ = ::RegOpenKeyExW(HKEY_CURRENT_USER, kRegistryKeyPath, 0, KEY_READ, &key) ==
               ERROR_SUCCESS;
    if (key) ::RegCloseKey(key);
  }
  ~ScopedRegistryKey() {
    if (!existed_) ::RegDeleteKeyW(HKEY_CURRENT_USER, kRegistryKeyPath);
  }

 private:
  bool existed_ = false;
};

size_t CountStarting(const std::vector<std::wstring>& lines, const std::wstring& start) {
  size_t n = 0;
  for (const std::wstring& line : lines)
    if (line.find(start) == 0) ++n;
  return n;
}

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartTestLog(L"li_installer_win_test");
  }
  BrandPackageInfo brand{TempDir()};
  DistribInfoParams distrib_info;
  WindowObserver observer;
};

TEST_F(InstallerTest, SetupExitCodeIsReadAndTheStartShowsForty) {
  Installer installer(&observer, &brand, &distrib_info, CommandLine::Current());
  int32_t exit_code = 0;
  EXPECT_TRUE(installer.RunProcessAndWait(L"cmd.exe /c exit 7", &exit_code));
  EXPECT_EQ(exit_code, 7);
  EXPECT_EQ(observer.calls, std::vector<std::string>{"SetProgress(40)"});
  std::vector<std::wstring> lines = Messages(L"Installer::RunProcessAndWait");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], L"Run: cmd.exe /c exit 7");
  EXPECT_EQ(lines[1].find(L"Process created: "), 0u);
  EXPECT_EQ(lines[2], L"Wait for process finish.");
  EXPECT_EQ(lines[3], L"Setup process exit with code: 7");
}

TEST_F(InstallerTest, SetupThatCannotBeCreatedLeaves400AndNoProgress) {
  Installer installer(&observer, &brand, &distrib_info, CommandLine::Current());
  int32_t exit_code = 0;
  EXPECT_FALSE(installer.RunProcessAndWait(L"\"C:\\no\\such\\setup.exe\" --silent", &exit_code));
  EXPECT_EQ(exit_code, 400);
  EXPECT_TRUE(observer.calls.empty());
  EXPECT_TRUE(HasEntry(L"ERROR", L"Installer::RunProcessAndWait", L"Create process failed."));
}

TEST_F(InstallerTest, WithoutAnExitCodeOutTheCodeIsNotRead) {
  Installer installer(nullptr, &brand, &distrib_info, CommandLine::Current());
  EXPECT_TRUE(installer.RunProcessAndWait(L"cmd.exe /c exit 3", nullptr));
  std::vector<std::wstring> lines = Messages(L"Installer::RunProcessAndWait");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], L"Wait for process finish.");
}

TEST_F(InstallerTest, StopDuringThePauseEndsTheDownloadAfterOneAttempt) {
  // Nothing listens on port 1: every attempt fails at once, so the loop
  // would otherwise pause 15 s four times.
  TestBrand unreachable(TempDir(), "http://127.0.0.1:1/browser/tavrix/browser-setup.arc");
  Installer installer(nullptr, &unreachable, &distrib_info, CommandLine::Current());
  const std::wstring file = TempDir() + L"li_installer_test_download.tmp";
  HANDLE stopper =
      reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &StopSoon, &installer, 0, nullptr));
  EXPECT_EQ(installer.DownloadModuleTo(file), kInstallNotDownloaded);
  ::WaitForSingleObject(stopper, INFINITE);
  ::CloseHandle(stopper);
  ::DeleteFileW(file.c_str());
  const std::wstring report =
      L"Attempt to download module: " + Widen(LI_STATUS_ENDPOINT) + L"?status=failed&attempt=";
  EXPECT_EQ(CountStarting(Messages(L"Installer::Download"), report), 1u);
  EXPECT_EQ(Messages(L"Installer::DownloadModuleTo"),
            (std::vector<std::wstring>{L"Try to download module:" + file,
                                       L"Max download attempts failed (5)"}));
}

TEST_F(InstallerTest, EmptySetupUrlFailsWithoutAnyReport) {
  TestBrand no_url(TempDir(), "");
  Installer installer(nullptr, &no_url, &distrib_info, CommandLine::Current());
  const std::wstring file = TempDir() + L"li_installer_test_download.tmp";
  EXPECT_EQ(installer.DownloadModuleTo(file), kInstallNotDownloaded);
  ::DeleteFileW(file.c_str());
  EXPECT_TRUE(HasEntry(L"ERROR", L"Installer::DownloadModuleTo", L"Setup url is empty."));
  EXPECT_TRUE(Messages(L"Installer::Download").empty());
}

TEST_F(InstallerTest, OutputFileThatCannotBeCreatedFailsWithCodeOne) {
  Installer installer(nullptr, &brand, &distrib_info, CommandLine::Current());
  EXPECT_EQ(installer.DownloadModuleTo(L"C:\\no\\such\\folder\\setup.tmp"), kInstallFailed);
  EXPECT_TRUE(HasEntry(L"ERROR", L"Installer::DownloadModuleTo",
                       L"Cannot create file:C:\\no\\such\\folder\\setup.tmp"));
}

TEST_F(InstallerTest, FailureIsShownThenTheDialogClosesWithoutBrowserAndReportsFailed) {
  ScopedRegistryKey key;
  TestBrand no_url(TempDir(), "");
  Installer installer(&observer, &no_url, &distrib_info, CommandLine::Current());
  installer.Run();
  EXPECT_EQ(observer.calls, (std::vector<std::string>{"OnInstallError(2)", "CloseWindow"}));
  EXPECT_EQ(installer.result(), 400);
  ASSERT_EQ(installer.installation_id().size(), 36u);
  std::vector<std::wstring> sent = Messages(L"Installer::Download");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].find(L"Attempt to download module: " + Widen(LI_STATUS_ENDPOINT) + L"?ui=" +
                         installer.installation_id() + L"&result=failed&time=0"),
            0u);
}

TEST_F(InstallerTest, AfterAStopNoErrorIsShownAndNothingWaitsForTheBrowser) {
  ScopedRegistryKey key;
  TestBrand no_url(TempDir(), "");
  Installer installer(&observer, &no_url, &distrib_info, CommandLine::Current());
  ::SetEvent(installer.stop_event());
  installer.Cancel();
  installer.Run();
  EXPECT_TRUE(observer.calls.empty());
  std::vector<std::wstring> sent = Messages(L"Installer::Download");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_NE(sent[0].find(L"&result=cancelled&time=0"), std::wstring::npos);
}

TEST_F(InstallerTest, SetupIsToldTheProgressWindowAsAPlainNumber) {
  Installer with_window(&observer, &brand, &distrib_info, CommandLine::Current());
  EXPECT_EQ(with_window.BuildSetupCommandLine(L"C:\\s.exe").Value("progress-window"),
            L"131866");
  Installer silent(nullptr, &brand, &distrib_info, CommandLine::Current());
  EXPECT_EQ(silent.BuildSetupCommandLine(L"C:\\s.exe").Value("progress-window"), L"0");
}

TEST_F(InstallerTest, BuiltInDataFilesGoToTheTemporaryDirectory) {
  Installer installer(nullptr, &brand, &distrib_info, CommandLine::Current());
  EXPECT_EQ(installer.installer_data_path(), TempDir() + L"master_preferences");
  EXPECT_EQ(installer.clids_file_path(), TempDir() + L"clids.xml");
}

TEST_F(InstallerTest, DialogStaysWhileTheBrowserWindowExistsAndClosesAfterIt) {
  Installer installer(&observer, &brand, &distrib_info, CommandLine::Current());
  BrowserWindow browser;
  ASSERT_TRUE(browser.exists());
  HANDLE waiter =
      reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &WaitForBrowserThread, &installer, 0,
                                              nullptr));
  // Two looks at the window happen within this time; neither may close.
  EXPECT_EQ(::WaitForSingleObject(waiter, 2500), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(observer.calls.empty());
  browser.Destroy();
  EXPECT_EQ(::WaitForSingleObject(waiter, 10000), WAIT_OBJECT_0);
  ::CloseHandle(waiter);
  EXPECT_EQ(observer.calls, std::vector<std::string>{"CloseWindow"});
}

TEST_F(InstallerTest, SetupMessagesReachTheProgressWindowTheSetupIsGiven) {
  RealWindowObserver window_observer;
  Installer installer(&window_observer, &brand, &distrib_info, CommandLine::Current());
  ScopedEnvironment post(L"FAKE_SETUP_POST", L"install:5,install:6,import:50:2,close,higher");
  ScopedEnvironment record(L"FAKE_SETUP_RESULT", (TempDir() + L"fake_setup_record.json").c_str());
  int32_t exit_code = 0;
  ASSERT_TRUE(installer.RunProcessAndWait(
      installer.BuildSetupCommandLine(FakeSetupPath()).ToString(), &exit_code));
  EXPECT_EQ(exit_code, 0);
  EXPECT_EQ(window_observer.TakeSetupMessages(),
            (std::vector<std::string>{"install(5,0)", "install(6,0)", "import(50,2)",
                                      "close(0,0)", "higher(0,0)"}));
}

TEST_F(InstallerTest, DialogClosesOnlyAfterTheBrowserLeftByTheSetupIsGone) {
  Installer installer(&observer, &brand, &distrib_info, CommandLine::Current());
  ScopedEnvironment hold(L"FAKE_SETUP_BROWSER_WINDOW_MS", L"2500");
  ScopedEnvironment record(L"FAKE_SETUP_RESULT", (TempDir() + L"fake_setup_record.json").c_str());
  ASSERT_TRUE(installer.RunProcessAndWait(L"\"" + FakeSetupPath() + L"\"", nullptr));
  EXPECT_NE(::FindWindowExW(HWND_MESSAGE, nullptr, kBrowserWindowClass, nullptr), nullptr);
  installer.WaitForMessageWindow();
  EXPECT_EQ(::FindWindowExW(HWND_MESSAGE, nullptr, kBrowserWindowClass, nullptr), nullptr);
  EXPECT_EQ(observer.calls, (std::vector<std::string>{"SetProgress(40)", "CloseWindow"}));
}

TEST_F(InstallerTest, StopEndsTheWaitForTheBrowserWithoutClosing) {
  Installer installer(&observer, &brand, &distrib_info, CommandLine::Current());
  BrowserWindow browser;
  ASSERT_TRUE(browser.exists());
  HANDLE worker = reinterpret_cast<HANDLE>(
      _beginthreadex(nullptr, 0, &WaitForBrowserThread, &installer, 0, nullptr));
  ASSERT_NE(worker, nullptr);
  // The installer closes the handle it is given; this one stays ours.
  HANDLE copy = nullptr;
  ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), worker, ::GetCurrentProcess(), &copy, 0,
                                FALSE, DUPLICATE_SAME_ACCESS));
  ScopedHandle watched(copy);
  installer.SetWorkerThread(worker);
  // While the window exists the worker keeps waiting.
  EXPECT_EQ(::WaitForSingleObject(watched.Get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
  const DWORD start = ::GetTickCount();
  installer.Stop();
  // Stop returns after its wait either way: the worker must have ended, and
  // long before the wait's 10 s bound.
  EXPECT_EQ(::WaitForSingleObject(watched.Get(), 0), WAIT_OBJECT_0);
  DWORD exit_code = STILL_ACTIVE;
  EXPECT_TRUE(::GetExitCodeThread(watched.Get(), &exit_code));
  EXPECT_EQ(exit_code, 0u);
  EXPECT_LT(::GetTickCount() - start, 5000u);
  EXPECT_EQ(::WaitForSingleObject(installer.stop_event(), 0), WAIT_OBJECT_0);
  EXPECT_TRUE(observer.calls.empty());
}

TEST_F(InstallerTest, StopWithoutWorkerThreadDoesNothing) {
  Installer installer(nullptr, &brand, &distrib_info, CommandLine::Current());
  installer.Stop();
  EXPECT_EQ(::WaitForSingleObject(installer.stop_event(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(InstallerTest, AttemptReportCarriesEscapedUrlRedirectHostAndError) {
  Installer installer(nullptr, &brand, &distrib_info, CommandLine::Current());
  installer.ReportStatus(false, L"http://127.0.0.1:18080/browser/tavrix/browser-setup.arc", 1,
                         5000, L"internet_read-12002", L"http://mirror.example:8080/x/y?z=1");
  std::vector<std::wstring> sent = Messages(L"Installer::Download");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], L"Attempt to download module: " + Widen(LI_STATUS_ENDPOINT) +
                         L"?status=failed&attempt=1&downloaded=5000&ui=" +
                         installer.installation_id() +
                         L"&url=http:%2F%2F127.0.0.1:18080%2Fbrowser%2Ftavrix%2Fbrowser-setup.arc"
                         L"&redirect=mirror.example&error=internet_read-12002");
  // Nothing listens: the failure is logged with the request's own error text.
  EXPECT_TRUE(HasEntry(L"ERROR", L"Installer::ReportStatus",
                       L"Cannot report download status: internet_open_url-"));
}

TEST_F(InstallerTest, CancelStopsAttemptReportsAndTheFinalOneSaysCancelled) {
  Installer installer(nullptr, &brand, &distrib_info, CommandLine::Current());
  installer.Cancel();
  installer.ReportStatus(false, L"http://127.0.0.1/", 2, 10, L"internet_read-1", L"");
  installer.ReportInstallationFinished(false);
  std::vector<std::wstring> sent = Messages(L"Installer::Download");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], L"Attempt to download module: " + Widen(LI_STATUS_ENDPOINT) + L"?ui=" +
                         installer.installation_id() + L"&result=cancelled&time=0");
  EXPECT_TRUE(HasEntry(L"ERROR", L"Installer::ReportInstallationFinished",
                       L"Cannot report installation status: "));
}

TEST_F(InstallerTest, FinalReportOfAFailureWithoutDownloadHasOnlyTheTime) {
  Installer installer(nullptr, &brand, &distrib_info, CommandLine::Current());
  installer.ReportInstallationFinished(false);
  std::vector<std::wstring> sent = Messages(L"Installer::Download");
  ASSERT_EQ(sent.size(), 1u);
  // The id is made by the first report, once for the whole run.
  ASSERT_EQ(installer.installation_id().size(), 36u);
  EXPECT_EQ(sent[0], L"Attempt to download module: " + Widen(LI_STATUS_ENDPOINT) + L"?ui=" +
                         installer.installation_id() + L"&result=failed&time=0");
}

TEST_F(InstallerTest, ClickStatisticsAppendNameAndValueEscaped) {
  const std::wstring prefix =
      L"Attempt to download module: " + Widen(LI_CLICK_BASE) +
      L"/redir/dtype=stred/pid=457/cid=72696/path=txbrowser_reinstall_dialog"
      L"&dialog_window=liteinstall&";
  Installer::SendClickStat(L"clicked_link", L"http://legal.example/browser_agreement/?lang=ru");
  SendButtonClick(L"install");
  // Sent by the background sender, in order; the end of the process waits
  // for them within one report bound. After that nothing more is queued.
  EXPECT_TRUE(FinishBackgroundRequests(ReportBounds().total_ms));
  std::vector<std::wstring> sent = Messages(L"Installer::Download");
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0], prefix + L"clicked_link=http%3A%2F%2Flegal.example%2Fbrowser_agreement%2F"
                              L"%3Flang%3Dru");
  EXPECT_EQ(sent[1], prefix + L"clicked_button=install");
  EXPECT_TRUE(HasEntry(L"ERROR", L"Installer::SendClickStat", L"Cannot send click stat: "));
  SendButtonClick(L"cancel");
  EXPECT_EQ(Messages(L"Installer::Download").size(), 2u);
  EXPECT_TRUE(HasEntry(L"ERROR", L"Installer::SendClickStat",
                       L"Cannot send click stat: not sent, the process is ending: "));
}

TEST_F(InstallerTest, DownloadWithoutSinkFailsAfterItsLineAndSendsNothing) {
  std::wstring error, redirect;
  EXPECT_FALSE(Installer::Download(L"http://127.0.0.1:1/", nullptr, &error, &redirect));
  EXPECT_EQ(Messages(L"Installer::Download"),
            std::vector<std::wstring>{L"Attempt to download module: http://127.0.0.1:1/"});
  EXPECT_TRUE(Messages(L"lite_installer::Downloader::OpenDownload").empty());
}

}  // namespace
}  // namespace lite_installer
