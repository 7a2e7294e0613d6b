// The way through a proxy that asks for credentials (status 407). In an
// interactive run the download asks the dialog, whose thread shows the
// system's own prompt for the request (InternetErrorDlg, owned by the dialog)
// while the asking thread waits for the answer or for a stop; the dialog
// thread never waits on the network. The credentials given are kept in this
// process's memory only, for every later request of the run (attempts and
// reports), and never reach the log, the registry or a report. A silent run
// never asks: its 407 answer fails the attempt ("final_query_info-407-...").
//
// Measured under Wine 8 against squid with Basic authentication, the proxy
// taken from the user's Internet Settings (ProxyEnable, ProxyServer), which
// Wine applies to loopback addresses too when no ProxyOverride is set:
// - HttpSendRequestW succeeds and the status is 407, for a plain GET and for
//   the CONNECT of an https URL alike; WinINet answers nothing by itself.
// - InternetErrorDlg (ERROR_INTERNET_INCORRECT_PASSWORD, filter for errors)
//   shows "Enter Network Password" with the proxy, the realm, user, password
//   and an unticked "Save this password"; OK returns ERROR_INTERNET_FORCE_-
//   RETRY (12032), Cancel returns 0 (Windows documents ERROR_CANCELLED), so
//   only 12032 counts as given. The typed values can be read back from the
//   request with INTERNET_OPTION_PROXY_USERNAME / _PASSWORD.
// - Set on a new request with those two options, the credentials carry it
//   through: squid logged 407, then 200 (GET) or TCP_TUNNEL/200 (CONNECT)
//   for the user. Sent again on the same request after its 407, a plain GET
//   passed too, but an https request went to the proxy as a bare
//   "GET /path" (squid: 400). So the attempt goes on with a new request.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#include <wininet.h>
#endif

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#if defined(_WIN32)
#include "platform/scoped_handle.h"
#endif

namespace lite_installer {

// Proxy Authentication Required.
constexpr uint32_t kStatusProxyAuthRequired = 407;

#if defined(_WIN32)

class InstallerObserver;

// Keeps the credentials of the run for every later request; the password is
// wiped when replaced. Any thread.
void StoreProxyCredentials(const std::wstring& user, const std::wstring& password);
// Puts the stored credentials (if any) on a request before it is sent.
void ApplyProxyCredentials(HINTERNET request);

// One question for the proxy's credentials, shared by the asking thread and
// the dialog's thread. It keeps the request (and, through `owner`, the
// handles it belongs to) open until both have let it go, so a stop while the
// prompt is shown frees nothing the prompt uses.
class ProxyCredentialQuestion {
 public:
  ProxyCredentialQuestion(std::shared_ptr<void> owner, HINTERNET request);
  ProxyCredentialQuestion(const ProxyCredentialQuestion&) = delete;
  ProxyCredentialQuestion& operator=(const ProxyCredentialQuestion&) = delete;

  // Dialog thread: shows the system's prompt owned by `window` (unless the
  // asker has stopped waiting), keeps what was typed and answers.
  void AnswerWithSystemPrompt(HWND window);
  // Dialog thread, when no prompt can be shown: a refusal.
  void Refuse() { Answer(false); }

  // Asking thread: hands the question to the observer (null: refused at
  // once) and waits for the answer or the stop event.
  enum Outcome { kGiven, kRefused, kStopped };
  static Outcome Ask(const std::shared_ptr<ProxyCredentialQuestion>& question,
                     InstallerObserver* observer, HANDLE stop_event);

 private:
  void Answer(bool given);

  std::shared_ptr<void> owner_;
  HINTERNET request_;
  ScopedHandle answered_;
  std::atomic<bool> given_{false};
  std::atomic<bool> abandoned_{false};
};

#endif  // defined(_WIN32)

}  // namespace lite_installer
