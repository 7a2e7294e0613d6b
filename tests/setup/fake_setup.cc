// Test tool: a stand-in for the browser setup. It records what the installer
// handed it (its command line and its own file, the switches, path + size
// of every file a switch names with the bytes of the small ones in
// hexadecimal and the text of "distr-info-file", and the installer's registry
// values as they stand while it runs), can post
// the registered setup messages to the "progress-window" handle, can leave a
// message-only window of the installed browser's class behind for a while,
// and exits with a chosen code. Everything is chosen by environment
// variables, which the installer passes on to the setup unchanged:
//   FAKE_SETUP_RESULT     where the JSON record goes (default: next to the
//                         program, "<program>.result.json")
//   FAKE_SETUP_EXIT_CODE  exit code in decimal (default 0)
//   FAKE_SETUP_POST       comma list of messages to post, in order:
//                         "install:<step>", "import:<percent>:<stage>",
//                         "close", "higher", and "wait:<ms>" to pause there
//                         (a long pause keeps the setup running)
//   FAKE_SETUP_BROWSER_WINDOW_MS  a helper process keeps a message-only window
//                         "TavrixBrowser_MessageWindow" for this long; the
//                         setup exits only once that window exists (or after
//                         10 s without it), so whoever waits for the setup
//                         finds the window. The helper says so through the
//                         manual-reset event "fake_setup_window_<process id of
//                         the setup>", whose name it is handed in the switch
//                         "--fake-setup-window-event="; "browser_window_started"
//                         in the record tells whether it came.
#include <windows.h>

#include <jansson.h>
#include <shellapi.h>

#include <winver.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/scoped_handle.h"
#include "platform/string_conversion.h"

namespace {

constexpr wchar_t kHoldWindowSwitch[] = L"--fake-setup-hold-window=";
constexpr wchar_t kWindowEventSwitch[] = L"--fake-setup-window-event=";
constexpr wchar_t kWindowEventPrefix[] = L"fake_setup_window_";
constexpr DWORD kWindowWaitMs = 10000;
constexpr wchar_t kBrowserWindowClass[] = L"TavrixBrowser_MessageWindow";
// Switches whose value is a file the setup is meant to read.
constexpr const char* kFileSwitches[] = {"installerdata", "clids-file", "brand-package",
                                         "partner-package", "distr-info-file",
                                         "browser-setup"};

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[4096];
  DWORD n = ::GetEnvironmentVariableW(name, buffer, 4096);
  return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

std::string Utf8(const std::wstring& text) { return lite_installer::WideToUtf8(text); }

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 0xF];
  }
  return hex;
}

// The installer's registry values (strings) as the setup finds them.
json_t* InstallerRegistryValues() {
  json_t* values = json_object();
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tavrix\\TavrixBrowser", 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
    return values;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    wchar_t data[2049];
    DWORD name_length = 256, data_size = 2048 * sizeof(wchar_t), type = 0;
    const LONG result = ::RegEnumValueW(key, i, name, &name_length, nullptr, &type,
                                        reinterpret_cast<BYTE*>(data), &data_size);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ) continue;
    data[data_size / sizeof(wchar_t)] = L'\0';
    json_object_set_new(values, Utf8(name).c_str(), json_string(Utf8(data).c_str()));
  }
  ::RegCloseKey(key);
  return values;
}

std::wstring ProgramPath() {
  wchar_t buffer[MAX_PATH];
  DWORD n = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return std::wstring(buffer, n);
}

std::string ReadSmallFile(const std::wstring& path, LONGLONG* size) {
  *size = -1;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  LARGE_INTEGER length = {};
  std::string bytes;
  if (::GetFileSizeEx(file, &length)) {
    *size = length.QuadPart;
    if (length.QuadPart <= 65536) {
      bytes.resize(static_cast<size_t>(length.QuadPart));
      DWORD read = 0;
      if (!bytes.empty()) ::ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
      bytes.resize(read);
    }
  }
  ::CloseHandle(file);
  return bytes;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, wcslen(prefix), prefix) == 0;
}

// The helper process: a message-only window of the browser's class for a
// while, so the installer sees it after the setup has ended; `ready_event`
// is set once the window exists.
int HoldBrowserWindow(DWORD milliseconds, const std::wstring& ready_event) {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = ::DefWindowProcW;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.lpszClassName = kBrowserWindowClass;
  ::RegisterClassW(&window_class);
  HWND window = ::CreateWindowExW(0, kBrowserWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, window_class.hInstance, nullptr);
  if (window) {
    lite_installer::ScopedHandle ready(
        ::OpenEventW(EVENT_MODIFY_STATE, FALSE, ready_event.c_str()));
    if (ready.IsValid()) ::SetEvent(ready.Get());
  }
  const DWORD end = ::GetTickCount() + milliseconds;
  while (static_cast<LONG>(end - ::GetTickCount()) > 0) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    ::Sleep(20);
  }
  if (window) ::DestroyWindow(window);
  return 0;
}

// Starts the helper and returns once its window exists: true then, false when
// the helper could not start, ended first or took longer than kWindowWaitMs.
bool StartWindowHolder(const std::wstring& milliseconds) {
  const std::wstring event_name = kWindowEventPrefix + std::to_wstring(::GetCurrentProcessId());
  lite_installer::ScopedHandle ready(::CreateEventW(nullptr, TRUE, FALSE, event_name.c_str()));
  if (!ready.IsValid()) return false;
  std::wstring line = L"\"" + ProgramPath() + L"\" " + kHoldWindowSwitch + milliseconds + L" " +
                      kWindowEventSwitch + event_name;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return false;
  lite_installer::ScopedHandle thread(process.hThread);
  lite_installer::ScopedHandle helper(process.hProcess);
  const HANDLE waits[] = {ready.Get(), helper.Get()};
  return ::WaitForMultipleObjects(2, waits, FALSE, kWindowWaitMs) == WAIT_OBJECT_0;
}

// Posts one "name[:w[:l]]" message; returns a record of what was posted.
json_t* PostOne(HWND window, const std::wstring& entry) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (;;) {
    size_t colon = entry.find(L':', start);
    parts.push_back(entry.substr(start, colon - start));
    if (colon == std::wstring::npos) break;
    start = colon + 1;
  }
  const std::wstring& kind = parts[0];
  const wchar_t* name = kind == L"install"  ? L"tavrix.lite.set_install_progress"
                        : kind == L"import" ? L"tavrix.lite.set_import_progress"
                        : kind == L"close"  ? L"tavrix.lite.close_window"
                        : kind == L"higher" ? L"tavrix.higher_version_exist"
                                            : nullptr;
  WPARAM w = parts.size() > 1 ? static_cast<WPARAM>(_wtoi(parts[1].c_str())) : 0;
  LPARAM l = parts.size() > 2 ? static_cast<LPARAM>(_wtoi(parts[2].c_str())) : 0;
  json_t* record = json_object();
  json_object_set_new(record, "message", json_string(Utf8(entry).c_str()));
  if (kind == L"wait") {
    ::Sleep(static_cast<DWORD>(w));
    return record;
  }
  BOOL posted = FALSE;
  if (name) posted = ::PostMessageW(window, ::RegisterWindowMessageW(name), w, l);
  json_object_set_new(record, "posted", posted ? json_true() : json_false());
  return record;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::wstring hold_ms, window_event;
  for (int i = 1; args && i < count; ++i) {
    std::wstring arg = args[i];
    if (StartsWith(arg, kHoldWindowSwitch)) hold_ms = arg.substr(wcslen(kHoldWindowSwitch));
    if (StartsWith(arg, kWindowEventSwitch)) window_event = arg.substr(wcslen(kWindowEventSwitch));
  }
  if (!hold_ms.empty())
    return HoldBrowserWindow(static_cast<DWORD>(_wtoi(hold_ms.c_str())), window_event);

  json_t* record = json_object();
  json_object_set_new(record, "command_line", json_string(Utf8(::GetCommandLineW()).c_str()));
  json_object_set_new(record, "module", json_string(Utf8(ProgramPath()).c_str()));
  json_t* arguments = json_array();
  json_t* switches = json_object();
  std::map<std::string, std::wstring> values;  // the switches' wide values
  for (int i = 0; args && i < count; ++i) {
    std::wstring arg = args[i];
    json_array_append_new(arguments, json_string(Utf8(arg).c_str()));
    if (i == 0 || arg.compare(0, 2, L"--") != 0) continue;
    size_t eq = arg.find(L'=');
    std::wstring name = arg.substr(2, eq == std::wstring::npos ? std::wstring::npos : eq - 2);
    std::wstring value = eq == std::wstring::npos ? std::wstring() : arg.substr(eq + 1);
    json_object_set_new(switches, Utf8(name).c_str(), json_string(Utf8(value).c_str()));
    values[Utf8(name)] = value;
  }
  json_object_set_new(record, "arguments", arguments);
  json_object_set_new(record, "switches", switches);

  json_t* files = json_object();
  for (const char* name : kFileSwitches) {
    auto value = values.find(name);
    if (value == values.end()) continue;
    LONGLONG size = -1;
    std::string content = ReadSmallFile(value->second, &size);
    json_t* file = json_object();
    json_object_set_new(file, "path", json_string(Utf8(value->second).c_str()));
    json_object_set_new(file, "size", json_integer(size));
    if (size >= 0 && static_cast<size_t>(size) == content.size())
      json_object_set_new(file, "hex", json_string(Hex(content).c_str()));
    if (std::string(name) == "distr-info-file")
      json_object_set_new(file, "content", json_stringn(content.data(), content.size()));
    json_object_set_new(files, name, file);
  }
  json_object_set_new(record, "files", files);
  json_object_set_new(record, "registry", InstallerRegistryValues());
  // An import of version.dll, a library that is no KnownDLL: the loader
  // looks for it in the setup's own folder first.
  DWORD ignored = 0;
  json_object_set_new(record, "version_info_size",
                      json_integer(::GetFileVersionInfoSizeW(ProgramPath().c_str(), &ignored)));

  HWND progress_window = nullptr;
  if (values.count("progress-window"))
    progress_window = reinterpret_cast<HWND>(
        static_cast<uintptr_t>(_wcstoui64(values["progress-window"].c_str(), nullptr, 10)));
  json_t* posts = json_array();
  std::wstring post_list = Env(L"FAKE_SETUP_POST");
  for (size_t start = 0; !post_list.empty() && start <= post_list.size();) {
    size_t comma = post_list.find(L',', start);
    std::wstring item = post_list.substr(start, comma - start);
    if (!item.empty()) json_array_append_new(posts, PostOne(progress_window, item));
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  json_object_set_new(record, "posts", posts);

  std::wstring hold = Env(L"FAKE_SETUP_BROWSER_WINDOW_MS");
  if (!hold.empty())
    json_object_set_new(record, "browser_window_started",
                        StartWindowHolder(hold) ? json_true() : json_false());

  std::wstring exit_text = Env(L"FAKE_SETUP_EXIT_CODE");
  int exit_code = exit_text.empty() ? 0 : _wtoi(exit_text.c_str());
  json_object_set_new(record, "exit_code", json_integer(exit_code));

  std::wstring result_path = Env(L"FAKE_SETUP_RESULT");
  if (result_path.empty()) result_path = ProgramPath() + L".result.json";
  char* text = json_dumps(record, JSON_INDENT(2));
  HANDLE file = ::CreateFileW(result_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE && text) {
    DWORD written = 0;
    ::WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
    ::CloseHandle(file);
  }
  free(text);
  json_decref(record);
  if (args) ::LocalFree(args);
  return exit_code;
}
