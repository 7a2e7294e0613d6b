// Parsing, querying and writing back the switches; portable.
#include "installer/command_line.h"

#include "installer/log.h"
#include "platform/string_conversion.h"

namespace lite_installer {
namespace {

constexpr const wchar_t* kSwitchPrefixes[] = {L"--", L"-", L"/"};
constexpr wchar_t kSeparator = L'=';
constexpr wchar_t kForceQuoting[] = L" \t\\\"";
constexpr char kPlainNamePunctuation[] = "-_.";
constexpr wchar_t kToString[] = L"CommandLine::ToString";

// The 27 units trimmed around arguments. U+200B is deliberately absent.
constexpr wchar_t kWhitespace[] = {
    0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x0020, 0x0085, 0x00A0, 0x1680,
    0x180E, 0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2007,
    0x2008, 0x2009, 0x200A, 0x200C, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};

bool IsWhitespace(wchar_t c) {
  for (wchar_t w : kWhitespace)
    if (c == w) return true;
  return false;
}

std::string LowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

std::wstring CommandLine::TrimWhitespace(const std::wstring& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsWhitespace(text[begin])) ++begin;
  while (end > begin && IsWhitespace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

size_t CommandLine::SwitchPrefixLength(const std::wstring& text) {
  for (const wchar_t* prefix : kSwitchPrefixes) {
    std::wstring p(prefix);
    if (text.compare(0, p.size(), p) == 0) return p.size();
  }
  return 0;
}

void CommandLine::ParseArguments(int count, const wchar_t* const* arguments) {
  program_ = count > 0 ? TrimWhitespace(arguments[0]) : std::wstring();
  for (int i = 1; i < count; ++i) {
    std::wstring arg = TrimWhitespace(arguments[i]);
    if (SwitchPrefixLength(arg) == 0) continue;  // not a switch: dropped
    size_t eq = arg.find(kSeparator);
    std::wstring name = eq == std::wstring::npos ? arg : arg.substr(0, eq);
    std::wstring value = eq == std::wstring::npos ? std::wstring() : arg.substr(eq + 1);
    std::string key = Narrow(name);
    // Any unit whose low byte is 0 (U+3000, say) narrows to a NUL: written
    // back, it would end the setup's command line there, cutting off every
    // switch after it. No switch is named so: dropped like a plain argument.
    if (key.find('\0') != std::string::npos) continue;
    Set(key, value);
  }
}

bool CommandLine::Has(const std::string& name) const {
  return switches_.count(LowerAscii(name)) != 0;
}

std::wstring CommandLine::Value(const std::string& name) const {
  auto it = switches_.find(LowerAscii(name));
  return it == switches_.end() ? std::wstring() : it->second;
}

std::string CommandLine::AsciiValue(const std::string& name) const {
  return Narrow(Value(name));
}

void CommandLine::Set(const std::string& name, const std::wstring& value) {
  std::string key = LowerAscii(name);
  key.erase(0, SwitchPrefixLength(Widen(key)));
  switches_[key] = value;
}

void CommandLine::SetAscii(const std::string& name, const std::string& value) {
  Set(name, Widen(value));
}

void CommandLine::SetFlag(const std::string& name) { Set(name, std::wstring()); }

void CommandLine::Remove(const std::string& name) { switches_.erase(name); }

void CommandLine::SetProgram(const std::wstring& path) { program_ = TrimWhitespace(path); }

bool CommandLine::IsPlainSwitchName(const std::string& name) {
  // The empty name (an argument "-" or "--=v") would be written as a lone
  // "--", which many parsers read as the end of the switches.
  if (name.empty()) return false;
  for (char c : name) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !digit && std::string(kPlainNamePunctuation).find(c) == std::string::npos)
      return false;
  }
  return true;
}

std::wstring CommandLine::ToString() const {
  std::wstring text = QuoteArgument(program_);
  for (const auto& entry : switches_) {
    if (!IsPlainSwitchName(entry.first)) {
      LI_LOG(kLogWarning, kToString, L"Switch not passed on, its name is not plain: ",
             Widen(entry.first));
      continue;
    }
    text += L" --";
    text += Widen(entry.first);
    if (!entry.second.empty()) {
      text += kSeparator;
      text += QuoteArgument(entry.second);
    }
  }
  return text;
}

std::wstring CommandLine::QuoteArgument(const std::wstring& text) {
  // The tab is quoted too: CommandLineToArgvW splits at tabs as at blanks, so
  // an unquoted tab would cut a value in two on its way to the setup.
  if (text.find_first_of(kForceQuoting) == std::wstring::npos) return text;
  std::wstring out(1, L'"');
  for (size_t i = 0; i < text.size();) {
    if (text[i] == L'\\') {
      size_t run = 0;
      while (i < text.size() && text[i] == L'\\') { ++run; ++i; }
      // Backslashes are doubled only where a quote follows them: the one we
      // escape inside, or the closing one at the end.
      bool before_quote = i == text.size() || text[i] == L'"';
      out.append(before_quote ? run * 2 : run, L'\\');
    } else if (text[i] == L'"') {
      out += L"\\\"";
      ++i;
    } else {
      out += text[i++];
    }
  }
  out += L'"';
  return out;
}

}  // namespace lite_installer
