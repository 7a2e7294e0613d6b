// The private folder of one installer run inside the user's temporary
// directory: everything the run writes for the setup goes there, and the
// setup runs from there. Two runs at once never share a file, and a file
// that another program left in the temporary directory (a DLL named like one
// the setup imports) is never beside the setup. The name is random (the
// system's generator) and the folder is made new: an existing one is never
// used. Windows only.
#pragma once

#include <atomic>
#include <string>

namespace lite_installer {

class RunFolder {
 public:
  RunFolder() = default;
  // RemoveUnlessKept.
  ~RunFolder();
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;

  // Makes a new folder in `temp_dir` (ending in a backslash), owned by the
  // user, with a protected access list: the user and the system may change
  // it, administrators may only read it, nobody else may enter. False when
  // none could be made (path() stays empty).
  bool Create(const std::wstring& temp_dir);

  // The folder, ending in a backslash; empty when none was made.
  const std::wstring& path() const { return path_; }

  // After a successful installation: what is left in the folder is the
  // browser's to read on its first run, and stays. Any thread.
  void Keep() { kept_.store(true); }

  // Unless kept: deletes every file in the folder (a file still in use
  // stays), then the folder once it is empty. After a kept run only an
  // empty folder is removed.
  void RemoveUnlessKept();

 private:
  std::wstring path_;
  std::atomic<bool> kept_{false};
};

}  // namespace lite_installer
