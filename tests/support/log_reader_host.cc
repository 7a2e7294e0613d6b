// Host build: the log keeps its lines in memory (installer/log_file_host.cc),
// each one whole entry.
#include "installer/log.h"
#include "installer/log_file.h"
#include "tests/support/log_reader.h"

namespace lite_installer {

void ResetLogSource(const std::wstring& name) {
  SetLogPath(name + L".log");  // lines before a path are dropped
  TakeCapturedLogLines();
}

std::wstring TakeNewLogText() {
  std::wstring text;
  for (const std::wstring& line : TakeCapturedLogLines()) text += line;
  return text;
}

}  // namespace lite_installer
