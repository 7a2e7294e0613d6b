// Test tool: reads the installer's windows from outside, through Win32, and
// prints them as one JSON object: every top-level dialog (class "#32770")
// and shadow window of the desktop, with rectangles, visibility, texts and,
// for each dialog, its child controls (id, class, text, visibility,
// rectangle in the dialog's client area) and the progress bar's position and
// range, and the control that has the keyboard focus of the dialog's thread
// (GetGUIThreadInfo). `dialog_probe [--wait <title> <ms>]` first waits until
// a visible dialog with that title exists; `dialog_probe --post <title>
// <message> <wparam> <lparam>` (numbers in decimal, or a registered
// message's name) posts a message to it instead; `dialog_probe --ping
// <title> <count> <interval ms>` asks the window for an answer (WM_NULL,
// SMTO_ABORTIFHUNG) that many times, until the window is gone, and prints the
// asks, the longest wait and the asks that got none. `dialog_probe --measure
// <file>` measures texts as the controls draw them: each UTF-8 line of the
// file is "<font height> <weight> <underline 0|1> <width> <wrap 0|1>
// <text>" (a "\n" in the text is a line break), and the answer is the
// rectangle [0, 0, width, height] of each from DrawText with DT_CALCRECT in
// that "Arial" (the dialogs' font handles are of no use in another process).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size,
                        nullptr, nullptr);
  return out;
}

std::string Json(const std::wstring& text) {
  std::string out = "\"";
  for (char c : Utf8(text)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof(escape), "\\u%04x", c);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::wstring Text(HWND window) {
  wchar_t buffer[4096];
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 2000, &length))
    return std::wstring();
  return std::wstring(buffer, length);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256];
  const int length = ::GetClassNameW(window, name, 256);
  return std::wstring(name, length > 0 ? length : 0);
}

std::string Rect(const RECT& r) {
  char text[96];
  std::snprintf(text, sizeof(text), "[%ld, %ld, %ld, %ld]", r.left, r.top, r.right, r.bottom);
  return text;
}

// The id of the control that has the keyboard focus on the dialog's thread,
// read from outside; 0 for none.
int FocusedControl(HWND dialog) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info)) return 0;
  if (!info.hwndFocus || ::GetParent(info.hwndFocus) != dialog)
    return 0;
  return static_cast<short>(::GetDlgCtrlID(info.hwndFocus));
}

std::string Describe(HWND dialog) {
  RECT window_rect, client;
  ::GetWindowRect(dialog, &window_rect);
  ::GetClientRect(dialog, &client);
  char head[256];
  std::snprintf(head, sizeof(head), "{\"hwnd\": %lu, \"visible\": %s, \"owner\": %lu, ",
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(dialog)),
                ::IsWindowVisible(dialog) ? "true" : "false",
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(::GetWindow(dialog, GW_OWNER))));
  std::string out = head;
  out += "\"title\": " + Json(Text(dialog)) + ", \"rect\": " + Rect(window_rect) +
         ", \"client\": " + Rect(client) +
         ", \"focus\": " + std::to_string(FocusedControl(dialog)) + ", \"controls\": [";
  bool first = true;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    const std::wstring class_name = ClassOf(child);
    char fields[256];
    std::snprintf(fields, sizeof(fields), "{\"id\": %d, \"visible\": %s, \"style\": %lu, ",
                  static_cast<int>(static_cast<short>(::GetDlgCtrlID(child))),
                  ::IsWindowVisible(child) ? "true" : "false",
                  static_cast<unsigned long>(::GetWindowLongW(child, GWL_STYLE)));
    out += first ? "" : ", ";
    first = false;
    out += fields;
    out += "\"class\": " + Json(class_name) + ", \"text\": " + Json(Text(child)) +
           ", \"rect\": " + Rect(r);
    if (::lstrcmpiW(class_name.c_str(), L"msctls_progress32") == 0) {
      char progress[96];
      std::snprintf(progress, sizeof(progress), ", \"position\": %d, \"low\": %d, \"high\": %d",
                    static_cast<int>(::SendMessageW(child, PBM_GETPOS, 0, 0)),
                    static_cast<int>(::SendMessageW(child, PBM_GETRANGE, TRUE, 0)),
                    static_cast<int>(::SendMessageW(child, PBM_GETRANGE, FALSE, 0)));
      out += progress;
    }
    if (::lstrcmpiW(class_name.c_str(), L"Button") == 0) {
      char check[48];
      std::snprintf(check, sizeof(check), ", \"checked\": %d",
                    static_cast<int>(::SendMessageW(child, BM_GETCHECK, 0, 0)));
      out += check;
    }
    out += "}";
  }
  return out + "]}";
}

struct Found {
  std::vector<HWND> dialogs;
  std::vector<HWND> shadows;
};

BOOL CALLBACK Collect(HWND window, LPARAM found_pointer) {
  auto* found = reinterpret_cast<Found*>(found_pointer);
  const std::wstring class_name = ClassOf(window);
  if (class_name == L"#32770") found->dialogs.push_back(window);
  if (class_name.rfind(L"LiteInstallerShadow_", 0) == 0) found->shadows.push_back(window);
  return TRUE;
}

Found CollectWindows() {
  Found found;
  ::EnumWindows(&Collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool HasVisibleDialog(const std::wstring& title) {
  for (HWND dialog : CollectWindows().dialogs)
    if (::IsWindowVisible(dialog) && Text(dialog) == title) return true;
  return false;
}

}  // namespace

HWND VisibleDialog(const std::wstring& title) {
  for (HWND dialog : CollectWindows().dialogs)
    if (::IsWindowVisible(dialog) && Text(dialog) == title) return dialog;
  return nullptr;
}

int Measure(const wchar_t* path) {
  FILE* file = _wfopen(path, L"rb");
  if (!file) return 1;
  HDC dc = ::CreateCompatibleDC(nullptr);
  std::string out;
  char line[8192];
  int height, weight, underline, width, wrap, used;
  while (std::fgets(line, sizeof(line), file) &&
         std::sscanf(line, "%d %d %d %d %d %n", &height, &weight, &underline, &width, &wrap,
                     &used) >= 5) {
    std::string text(line + used, std::strlen(line + used) - 1);  // without its "\n"
    for (size_t at; (at = text.find("\\n")) != std::string::npos;) text.replace(at, 2, "\n");
    wchar_t wide[4096];
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(),
                                             static_cast<int>(text.size()), wide, 4096);
    HGDIOBJ old = ::SelectObject(dc, ::CreateFontW(-height, 0, 0, 0, weight, FALSE, underline,
                                                   FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                                   DEFAULT_PITCH, L"Arial"));
    RECT rect = {0, 0, width, 0};
    ::DrawTextW(dc, wide, length, &rect, DT_CALCRECT | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
    ::DeleteObject(::SelectObject(dc, old));
    out += (out.empty() ? "[" : ", ") + Rect(rect);
  }
  std::fclose(file);
  ::DeleteDC(dc);
  out += out.empty() ? "[]\n" : "]\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && std::wstring(argv[1]) == L"--measure") return Measure(argv[2]);
  if (argc >= 6 && std::wstring(argv[1]) == L"--post") {
    HWND dialog = VisibleDialog(argv[2]);
    const UINT message = iswdigit(argv[3][0]) ? static_cast<UINT>(_wtoi(argv[3]))
                                              : ::RegisterWindowMessageW(argv[3]);
    const BOOL posted = dialog && ::PostMessageW(dialog, message,
                                                 static_cast<WPARAM>(_wtoi(argv[4])),
                                                 static_cast<LPARAM>(_wtoi(argv[5])));
    std::printf("{\"posted\": %s}\n", posted ? "true" : "false");
    return posted ? 0 : 1;
  }
  if (argc >= 5 && std::wstring(argv[1]) == L"--ping") {
    HWND dialog = VisibleDialog(argv[2]);
    DWORD longest = 0;
    int unanswered = dialog ? 0 : -1;
    int asked = 0;
    for (; dialog && asked < _wtoi(argv[3]) && ::IsWindow(dialog); ++asked) {
      const DWORD start = ::GetTickCount();
      DWORD_PTR result = 0;
      if (!::SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result)) {
        // A window closed between the check and the question (the run ended)
        // has not failed to answer.
        if (!::IsWindow(dialog)) break;
        ++unanswered;
      }
      const DWORD took = ::GetTickCount() - start;
      if (took > longest) longest = took;
      ::Sleep(static_cast<DWORD>(_wtoi(argv[4])));
    }
    std::printf("{\"asked\": %d, \"longest_ms\": %lu, \"unanswered\": %d}\n", asked, longest,
                unanswered);
    return unanswered == 0 ? 0 : 1;
  }
  if (argc >= 4 && std::wstring(argv[1]) == L"--wait") {
    const DWORD deadline = ::GetTickCount() + static_cast<DWORD>(_wtoi(argv[3]));
    while (!HasVisibleDialog(argv[2]) && static_cast<int>(deadline - ::GetTickCount()) > 0)
      ::Sleep(50);
  }
  const Found found = CollectWindows();
  std::string out = "{\"dialogs\": [";
  for (size_t i = 0; i < found.dialogs.size(); ++i)
    out += (i ? ", " : "") + Describe(found.dialogs[i]);
  out += "], \"shadows\": [";
  for (size_t i = 0; i < found.shadows.size(); ++i) {
    RECT r;
    ::GetWindowRect(found.shadows[i], &r);
    char shadow[160];
    std::snprintf(shadow, sizeof(shadow), "%s{\"visible\": %s, \"owner\": %lu, \"rect\": %s}",
                  i ? ", " : "", ::IsWindowVisible(found.shadows[i]) ? "true" : "false",
                  static_cast<unsigned long>(
                      reinterpret_cast<uintptr_t>(::GetWindow(found.shadows[i], GW_OWNER))),
                  Rect(r).c_str());
    out += shadow;
  }
  out += "]}\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
