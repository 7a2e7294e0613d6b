// Parsing the installer log's lines for the tests; portable.
#include "tests/support/log_reader.h"

#include <cstddef>
#include <cstdlib>

namespace lite_installer {
namespace {

constexpr wchar_t kLastError[] = L" Last error: ";
// "2015-10-08 17:34:40 <": 'd' stands for a digit.
constexpr wchar_t kStampPattern[] = L"dddd-dd-dd dd:dd:dd <";
constexpr size_t kStampLength = sizeof(kStampPattern) / sizeof(wchar_t) - 1;
constexpr const wchar_t* kLevels[] = {L"INFO", L"ERROR", L"WARNING"};

std::vector<LogEntry> g_entries;  // since StartTestLog
size_t g_taken = 0;               // of g_entries, handed out by TakeLogEntries

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool AllDigits(const std::wstring& text, size_t begin, size_t end) {
  if (begin >= end) return false;
  for (size_t i = begin; i < end; ++i)
    if (!IsDigit(text[i])) return false;
  return true;
}

// When `line` starts an entry: fills level, function and source line, and
// returns where the message starts; else 0.
size_t ParseEntryStart(const std::wstring& line, LogEntry* entry) {
  if (line.size() < kStampLength) return 0;
  for (size_t i = 0; i < kStampLength; ++i) {
    if (kStampPattern[i] == L'd' ? !IsDigit(line[i]) : line[i] != kStampPattern[i]) return 0;
  }
  const size_t thread_end = line.find(L"> ", kStampLength);
  if (thread_end == std::wstring::npos || !AllDigits(line, kStampLength, thread_end)) return 0;
  const size_t level_start = thread_end + 2;
  const size_t level_end = line.find(L": ", level_start);
  if (level_end == std::wstring::npos) return 0;
  const std::wstring level = line.substr(level_start, level_end - level_start);
  bool known = false;
  for (const wchar_t* name : kLevels) known = known || level == name;
  if (!known) return 0;
  const size_t function_end = line.find(L" (", level_end + 2);
  if (function_end == std::wstring::npos) return 0;
  const size_t number_start = function_end + 2;
  const size_t number_end = line.find(L"): ", number_start);
  if (number_end == std::wstring::npos) return 0;
  const size_t digits = number_start + (line[number_start] == L'-' ? 1 : 0);
  if (!AllDigits(line, digits, number_end)) return 0;
  entry->level = level;
  entry->function = line.substr(level_end + 2, function_end - level_end - 2);
  entry->source_line = std::wcstol(line.c_str() + number_start, nullptr, 10);
  return number_end + 3;
}

std::wstring WithoutLineEnds(std::wstring text) {
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
  return text;
}

// The message part of an entry (continuation lines included) into message
// and, for ERROR, last_error.
void FinishEntry(const std::wstring& rest, LogEntry* entry) {
  const size_t at = entry->level == L"ERROR" ? rest.rfind(kLastError) : std::wstring::npos;
  if (at == std::wstring::npos) {
    entry->message = WithoutLineEnds(rest);
    return;
  }
  entry->message = WithoutLineEnds(rest.substr(0, at));
  entry->last_error = WithoutLineEnds(rest.substr(at + (sizeof(kLastError) / sizeof(wchar_t) - 1)));
}

void ReadNewEntries() {
  std::vector<LogEntry> added = ParseLogText(TakeNewLogText());
  g_entries.insert(g_entries.end(), added.begin(), added.end());
}

}  // namespace

std::vector<LogEntry> ParseLogText(const std::wstring& text) {
  std::vector<LogEntry> entries;
  std::wstring rest;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find(L'\n', start);
    end = end == std::wstring::npos ? text.size() : end + 1;
    const std::wstring line = text.substr(start, end - start);
    start = end;
    LogEntry entry;
    const size_t message_start = ParseEntryStart(line, &entry);
    if (message_start != 0) {
      if (!entries.empty()) FinishEntry(rest, &entries.back());
      entries.push_back(entry);
      rest = line.substr(message_start);
    } else if (!entries.empty()) {
      rest += line;
    }
  }
  if (!entries.empty()) FinishEntry(rest, &entries.back());
  return entries;
}

void StartTestLog(const std::wstring& name) {
  ResetLogSource(name);
  g_entries.clear();
  g_taken = 0;
}

std::vector<LogEntry> TakeLogEntries() {
  ReadNewEntries();
  std::vector<LogEntry> out(g_entries.begin() + static_cast<std::ptrdiff_t>(g_taken),
                            g_entries.end());
  g_taken = g_entries.size();
  return out;
}

std::vector<LogEntry> LogEntriesSinceStart() {
  ReadNewEntries();
  return g_entries;
}

std::vector<std::wstring> MessagesOf(const std::vector<LogEntry>& entries,
                                     const std::wstring& function) {
  std::vector<std::wstring> out;
  for (const LogEntry& entry : entries)
    if (entry.function == function) out.push_back(entry.message);
  return out;
}

std::vector<std::wstring> BriefLines(const std::vector<LogEntry>& entries) {
  std::vector<std::wstring> out;
  for (const LogEntry& entry : entries)
    out.push_back(entry.level + L" " + entry.function + L": " + entry.message);
  return out;
}

}  // namespace lite_installer
