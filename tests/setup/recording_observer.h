// An InstallerObserver that records every call as text ("SetProgress(22)"),
// so tests compare whole call sequences.
#pragma once

#include <string>
#include <vector>

#include "setup/installer_observer.h"

namespace lite_installer {

class RecordingObserver : public InstallerObserver {
 public:
  void CloseWindow() override { calls.push_back("CloseWindow"); }
  void SetProgress(int32_t percent) override {
    calls.push_back("SetProgress(" + std::to_string(percent) + ")");
  }
  void EnableTimeLeft() override { calls.push_back("EnableTimeLeft"); }
  void SetTimeLeft(int32_t seconds, TimeLeftKind kind) override {
    calls.push_back("SetTimeLeft(" + std::to_string(seconds) + "," +
                    std::to_string(static_cast<int>(kind)) + ")");
  }
  void OnInstallError(int32_t code) override {
    calls.push_back("OnInstallError(" + std::to_string(code) + ")");
  }
  HWND GetProgressWindow() override { return nullptr; }

  std::vector<std::string> calls;
};

}  // namespace lite_installer
