// An InstallerObserver for the test tools: prints every call as one line
// "observer=SetProgress(40)" on stdout, flushed at once, so the Python tests
// read the calls in order. Its progress window is the one it is given.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "setup/installer_observer.h"

namespace lite_installer {

class PrintingObserver : public InstallerObserver {
 public:
  explicit PrintingObserver(HWND window = nullptr) : window_(window) {}

  void CloseWindow() override { Print("CloseWindow"); }
  void SetProgress(int32_t percent) override {
    Print("SetProgress(" + std::to_string(percent) + ")");
  }
  void EnableTimeLeft() override { Print("EnableTimeLeft"); }
  void SetTimeLeft(int32_t seconds, TimeLeftKind kind) override {
    Print("SetTimeLeft(" + std::to_string(seconds) + "," + std::to_string(static_cast<int>(kind)) +
          ")");
  }
  void OnInstallError(int32_t code) override {
    Print("OnInstallError(" + std::to_string(code) + ")");
  }
  HWND GetProgressWindow() override { return window_; }

 private:
  static void Print(const std::string& call) {
    std::printf("observer=%s\n", call.c_str());
    std::fflush(stdout);
  }
  HWND window_;
};

}  // namespace lite_installer
