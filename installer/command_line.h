// The installer's switches: a program path and an ordered map of lower-case
// switch names to values, parsed from the process command line and written
// back as the setup's command line. Portable apart from ParseText/Current.
#pragma once

#include <map>
#include <string>

namespace lite_installer {

class CommandLine {
 public:
  using SwitchMap = std::map<std::string, std::wstring>;  // byte order of names

  // The process-wide instance, parsed from GetCommandLineW on first use
  // (which happens on the main thread before any other thread exists).
  static const CommandLine& Current();

  // Trims the text and splits it with CommandLineToArgvW (Windows only).
  void ParseText(const std::wstring& text);
  void ParseArguments(int count, const wchar_t* const* arguments);

  bool Has(const std::string& name) const;
  std::wstring Value(const std::string& name) const;
  std::string AsciiValue(const std::string& name) const;

  void Set(const std::string& name, const std::wstring& value);
  void SetAscii(const std::string& name, const std::string& value);
  void SetFlag(const std::string& name);
  // Erases exactly this name: no lowering, no prefix stripping.
  void Remove(const std::string& name);
  void SetProgram(const std::wstring& path);

  const std::wstring& program() const { return program_; }
  const SwitchMap& switches() const { return switches_; }

  // The program and every switch whose name is plain (IsPlainSwitchName);
  // any other switch is left out, with a warning in the log.
  std::wstring ToString() const;

  // Letters and digits (ASCII), "-", "_" and "." only, at least one of them.
  // Names are narrowed unit by unit when parsed, so U+0122 arrives as a
  // double quote and U+0120 as a blank: written out, such a name would turn
  // one switch into several arguments of the setup (one of them replacing a
  // switch the installer sets).
  static bool IsPlainSwitchName(const std::string& name);

  // Quotes so that CommandLineToArgvW gives the text back unchanged.
  static std::wstring QuoteArgument(const std::wstring& text);
  static std::wstring TrimWhitespace(const std::wstring& text);
  static size_t SwitchPrefixLength(const std::wstring& text);

 private:
  std::wstring program_;
  SwitchMap switches_;
};

// Switch names the installer reads or writes.
namespace switches {
constexpr char kSilent[] = "silent";
constexpr char kBrandName[] = "brand-name";
constexpr char kDistrInfoParams[] = "distr-info-params";
constexpr char kInstallerData[] = "installerdata";
constexpr char kClidsFile[] = "clids-file";
constexpr char kBrowserSetup[] = "browser-setup";
constexpr char kDoNotLaunchBrowser[] = "do-not-launch-browser";
constexpr char kMakeBrowserDefault[] = "make-browser-default-after-import";
constexpr char kSendStatistics[] = "send-statistics";
constexpr char kProgressWindow[] = "progress-window";
constexpr char kVerboseLogging[] = "verbose-logging";
constexpr char kBrandPackage[] = "brand-package";
constexpr char kPartnerPackage[] = "partner-package";
constexpr char kDistrInfoFile[] = "distr-info-file";
}  // namespace switches

}  // namespace lite_installer
