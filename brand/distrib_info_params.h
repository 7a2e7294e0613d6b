// Distribution parameters (key=value&...): from the switch
// "distr-info-params", else from the block after the installer's own
// Authenticode signature. Saved for the setup as the JSON file "distrib_info"
// and in the registry until the installation succeeds; "lang" sets the
// interface language. Every failure is silent and yields fewer parameters.
#pragma once

#include <string>

#include "installer/command_line.h"

namespace lite_installer {

class DistribInfoParams {
 public:
  // "distrib_info" is written into `folder` (ending in a backslash; the
  // run's own folder), or into the temporary directory when it is empty.
  explicit DistribInfoParams(const std::wstring& folder = std::wstring()) : folder_(folder) {}

  // The three virtual operations keep these first three slots of the table;
  // the destructor comes after them.
  // Whether the registry value "DistribInfoParams" is read first (no).
  virtual bool ReadsStoredParams() const { return false; }
  // Stores the text in the registry value "DistribInfoParams".
  virtual void StoreParams(const std::string& params);
  // The installer's own file; empty when it does not fit in 260 characters.
  virtual std::wstring ModulePath() const;
  virtual ~DistribInfoParams() = default;

  // Fills both members from the stored text, the switch "distr-info-params"
  // of `command_line` or the block after the program's signature; true when
  // a distribution file was written.
  bool Load(const CommandLine& command_line);

  const std::wstring& distrib_file_path() const { return distrib_file_path_; }
  const std::string& language() const { return language_; }

 private:
  std::wstring folder_;
  std::wstring distrib_file_path_;
  std::string language_;
};

}  // namespace lite_installer
