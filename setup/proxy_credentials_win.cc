// The proxy's credentials of the run and the question that asks the user for
// them through the system's prompt.
#include "setup/proxy_credentials.h"

#include "platform/spin_lock.h"
#include "setup/installer_observer.h"

namespace lite_installer {
namespace {

// The prompt's filter reads the request's status and shows the proxy's
// prompt for a 407; the two flags let it put what was typed on the request.
constexpr DWORD kPromptFlags = FLAGS_ERROR_UI_FILTER_FOR_ERRORS |
                               FLAGS_ERROR_UI_FLAGS_GENERATE_DATA |
                               FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS;

struct StoredCredentials {
  SpinLock lock;
  std::wstring user;
  std::wstring password;
};

StoredCredentials& Stored() {
  static StoredCredentials stored;
  return stored;
}

void Wipe(std::wstring* text) {
  if (!text->empty()) ::SecureZeroMemory(&(*text)[0], text->size() * sizeof(wchar_t));
  text->clear();
}

// A text option of a WinINet handle; empty when it cannot be read.
std::wstring QueryTextOption(HINTERNET handle, DWORD option) {
  DWORD size = 0;
  ::InternetQueryOptionW(handle, option, nullptr, &size);
  if (size == 0) return std::wstring();
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (!::InternetQueryOptionW(handle, option, &text[0], &size)) {
    Wipe(&text);
    return text;
  }
  text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
  return text;
}

void SetTextOption(HINTERNET handle, DWORD option, const std::wstring& text) {
  ::InternetSetOptionW(handle, option, const_cast<wchar_t*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
}

}  // namespace

void StoreProxyCredentials(const std::wstring& user, const std::wstring& password) {
  StoredCredentials& stored = Stored();
  SpinLockHolder hold(&stored.lock);
  Wipe(&stored.password);
  stored.user = user;
  stored.password = password;
}

void ApplyProxyCredentials(HINTERNET request) {
  StoredCredentials& stored = Stored();
  std::wstring user;
  std::wstring password;
  {
    SpinLockHolder hold(&stored.lock);
    user = stored.user;
    password = stored.password;
  }
  if (!user.empty()) {
    SetTextOption(request, INTERNET_OPTION_PROXY_USERNAME, user);
    SetTextOption(request, INTERNET_OPTION_PROXY_PASSWORD, password);
  }
  Wipe(&password);
}

ProxyCredentialQuestion::ProxyCredentialQuestion(std::shared_ptr<void> owner, HINTERNET request)
    : owner_(std::move(owner)),
      request_(request),
      answered_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

void ProxyCredentialQuestion::Answer(bool given) {
  given_.store(given);
  ::SetEvent(answered_.Get());
}

void ProxyCredentialQuestion::AnswerWithSystemPrompt(HWND window) {
  if (abandoned_.load()) return Answer(false);
  const DWORD result = ::InternetErrorDlg(window, request_, ERROR_INTERNET_INCORRECT_PASSWORD,
                                          kPromptFlags, nullptr);
  if (result != ERROR_INTERNET_FORCE_RETRY) return Answer(false);
  std::wstring user = QueryTextOption(request_, INTERNET_OPTION_PROXY_USERNAME);
  std::wstring password = QueryTextOption(request_, INTERNET_OPTION_PROXY_PASSWORD);
  StoreProxyCredentials(user, password);
  Wipe(&password);
  Answer(true);
}

ProxyCredentialQuestion::Outcome ProxyCredentialQuestion::Ask(
    const std::shared_ptr<ProxyCredentialQuestion>& question, InstallerObserver* observer,
    HANDLE stop_event) {
  if (!observer || !question->answered_.IsValid()) return kRefused;
  // The observer keeps its own reference until the dialog has answered.
  if (!observer->AskProxyCredentials(question)) return kRefused;
  const HANDLE handles[] = {stop_event, question->answered_.Get()};
  const DWORD count = stop_event ? 2 : 1;
  const DWORD wait = ::WaitForMultipleObjects(count, stop_event ? handles : handles + 1, FALSE,
                                              INFINITE);
  if (stop_event && wait == WAIT_OBJECT_0) {
    question->abandoned_.store(true);
    return kStopped;
  }
  return question->given_.load() ? kGiven : kRefused;
}

}  // namespace lite_installer
