// The installer dialog: screens, controls, the user's actions, progress and
// the setup's messages.
#include "ui/installer_dialog.h"

#include <shellapi.h>

#include "platform/string_conversion.h"
#include "resources/ui_resource_ids.h"
#include "ui/dialog_layout.h"
#include "ui/license_statics.h"
#include "ui/message_dialog.h"
#include "ui/progress_values.h"
#include "ui/ui_environment.h"

namespace lite_installer {
namespace {

// Worker → dialog: the installation asks to close; an installation error
// (wParam: its code).
constexpr UINT WM_CLOSE_REQUEST = WM_APP + 4;
constexpr UINT WM_INSTALL_ERROR = WM_APP + 5;
// Worker → dialog: a proxy asks for credentials (the question waits in
// pending_question_).
constexpr UINT WM_PROXY_CREDENTIALS = WM_APP + 6;

constexpr int kPlainTextId = -1;
constexpr int kPercentRange = 100;

constexpr COLORREF kDarkText = RGB(0x33, 0x33, 0x33);
constexpr COLORREF kTimeLeftText = RGB(0x8C, 0x8C, 0x8C);
constexpr COLORREF kPrivacyLinkText = RGB(0x66, 0x66, 0x66);

constexpr wchar_t kOpenVerb[] = L"open";
constexpr wchar_t kChosenCheckBox[] = L"choosen_checkbox";
constexpr wchar_t kClickedLink[] = L"clicked_link";
constexpr wchar_t kInstallValue[] = L"install";
constexpr wchar_t kCancelValue[] = L"cancel";
constexpr wchar_t kMakeDefaultValue[] = L"default";
constexpr wchar_t kSendStatisticsValue[] = L"sendstat";

// The welcome screen's controls, destroyed at Install; 1020 twice, so that a
// licence link cut into several runs goes whole.
constexpr int kWelcomeControls[] = {IDOK,           IDC_CANCEL,       IDC_TITLE,
                                    IDC_LICENSE_LINK, IDC_MAKE_DEFAULT, IDC_SEND_STATISTICS,
                                    IDC_PRIVACY_LINK, IDC_LICENSE_LINK, kPlainTextId};

ImageButtonStyle WelcomeButtonStyle(int strip_id, COLORREF text) {
  return ImageButtonStyle{strip_id, text, {0, -2, 0, 2}, {0, 1},
                          {kInstallerShadowMargins.left, kInstallerShadowMargins.top}};
}

Box WindowBox(HWND window) {
  RECT rect = {};
  ::GetWindowRect(window, &rect);
  return Box{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

InstallerDialog::InstallerDialog(const BrandPackageInfo& brand,
                                 const DistribInfoParams& distrib_info,
                                 const CommandLine& command_line, RunFolder* run_folder)
    : ImageDialog(brand.language_id(), kInstallerShadowMargins),
      brand_(brand),
      distrib_info_(distrib_info),
      messages_(RegisterSetupMessages()) {
  installer_.reset(new Installer(this, &brand_, &distrib_info_, command_line, run_folder));
  installer_->Start();
}

InstallerDialog::~InstallerDialog() {
  make_default_.reset();
  send_statistics_.reset();
  taskbar_.Release();
  license_link_cursor_.Detach();
  privacy_link_cursor_.Detach();
  shadow_.reset();
  install_button_.reset();
  cancel_button_.reset();
  installer_.reset();  // stops the worker first
  progress_bar_.reset();
}

INT_PTR InstallerDialog::Run(HWND owner) { return RunModal(owner, IDD_INSTALLER); }

// --- observer (worker thread) ---

void InstallerDialog::Post(UINT message, WPARAM wparam, LPARAM lparam) {
  HWND window = published_window_.load();
  if (window) ::PostMessageW(window, message, wparam, lparam);
}

void InstallerDialog::CloseWindow() { Post(WM_CLOSE_REQUEST, 0, 0); }

void InstallerDialog::SetProgress(int32_t percent) {
  Post(WM_SET_PROGRESS, static_cast<WPARAM>(percent), 0);
}

void InstallerDialog::EnableTimeLeft() { show_time_left_.store(true); }

void InstallerDialog::SetTimeLeft(int32_t seconds, TimeLeftKind kind) {
  Post(WM_SET_TIME_LEFT, static_cast<WPARAM>(seconds), static_cast<LPARAM>(kind));
}

void InstallerDialog::OnInstallError(int32_t code) {
  pending_error_.store(code);
  Post(WM_INSTALL_ERROR, static_cast<WPARAM>(code), 0);
}

HWND InstallerDialog::GetProgressWindow() { return published_window_.load(); }

bool InstallerDialog::AskProxyCredentials(
    const std::shared_ptr<ProxyCredentialQuestion>& question) {
  {
    SpinLockHolder hold(&question_lock_);
    pending_question_ = question;
  }
  // Before the window exists the post is dropped; the end of WM_INITDIALOG
  // looks for a waiting question itself.
  Post(WM_PROXY_CREDENTIALS, 0, 0);
  return true;
}

// --- dialog thread ---

void InstallerDialog::OnWindowCreated() { published_window_.store(window()); }

void InstallerDialog::OnWindowDestroyed() { published_window_.store(nullptr); }

void InstallerDialog::Initialize() {
  HWND window = this->window();
  UiEnvironment::Initialize();
  UiEnvironment::LoadRichEdit();

  background_.Load(IDB_INSTALLER_BACKGROUND);
  ::SetWindowTextW(window, String(IDS_WINDOW_TITLE).c_str());
  SetControlText(IDOK, IDS_INSTALL);
  SetControlText(IDC_CANCEL, IDS_CANCEL);
  SetControlText(IDC_MAKE_DEFAULT, IDS_MAKE_DEFAULT);
  SetControlText(IDC_SEND_STATISTICS, IDS_SEND_STATISTICS);
  SetControlText(IDC_PRIVACY_LINK, IDS_PRIVACY_POLICY);
  SetControlText(IDC_TITLE, brand_.UseAlternateInstallerTitle() ? IDS_ALTERNATE_TITLE : IDS_TITLE);

  HMODULE module = ::GetModuleHandleW(nullptr);
  large_icon_.Reset(static_cast<HICON>(::LoadImageW(
      module, MAKEINTRESOURCEW(IDI_INSTALLER), IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
      ::GetSystemMetrics(SM_CYICON), 0)));
  small_icon_.Reset(static_cast<HICON>(::LoadImageW(
      module, MAKEINTRESOURCEW(IDI_INSTALLER), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
      ::GetSystemMetrics(SM_CYSMICON), 0)));
  ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large_icon_.Get()));
  ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_.Get()));

  title_font_.Reset(CreateArialFont(17, FW_BOLD, false));
  small_font_.Reset(CreateArialFont(12, FW_NORMAL, false));
  small_link_font_.Reset(CreateArialFont(12, FW_NORMAL, true));
  link_font_.Reset(CreateArialFont(14, FW_NORMAL, true));
  body_font_.Reset(CreateArialFont(14, FW_NORMAL, false));
  HFONT body = static_cast<HFONT>(body_font_.Get());
  HFONT small = static_cast<HFONT>(small_font_.Get());

  {
    ScopedWindowDc dc(window);
    const std::vector<LicenseRun> runs =
        LicenseSentenceLayout(String(IDS_LICENSE_SENTENCE), dc.Get(), body);
    license_link_cursor_.Attach(CreateLicenseStatics(window, runs));
  }
  // The statics also get their fonts as their own: some static controls
  // (Wine's, measured) select their font after asking for their colours.
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (HGDIOBJ font = StaticFont(::GetDlgCtrlID(child)))
      ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }

  install_button_.reset(new ImageButton(WelcomeButtonStyle(IDB_INSTALL_BUTTON, RGB(0x66, 0x33, 0x00)),
                                        body, Control(IDOK), &background_));
  cancel_button_.reset(new ImageButton(WelcomeButtonStyle(IDB_CANCEL_BUTTON, RGB(0x66, 0x66, 0x66)),
                                       body, Control(IDC_CANCEL), &background_));
  const bool can_make_default = Installer::CanMakeDefault();
  make_default_.reset(new ImageCheckBox(small, Control(IDC_MAKE_DEFAULT), &background_,
                                        can_make_default && brand_.MakeBrowserDefault()));
  if (!can_make_default) ::ShowWindow(Control(IDC_MAKE_DEFAULT), SW_HIDE);
  send_statistics_.reset(new ImageCheckBox(small, Control(IDC_SEND_STATISTICS), &background_,
                                           brand_.SendStatistics()));
  progress_fill_.Load(IDB_PROGRESS_FILL);
  progress_track_.Load(IDB_PROGRESS_TRACK);
  progress_bar_.reset(new ImageProgressBar(Control(IDC_PROGRESS), &progress_fill_, &progress_track_));
  ::SendDlgItemMessageW(window, IDC_PROGRESS, PBM_SETRANGE32, 0, kPercentRange);
  ::SendDlgItemMessageW(window, IDC_PROGRESS, PBM_SETPOS, 0, 0);
  privacy_link_cursor_.Attach(Control(IDC_PRIVACY_LINK));

  const SIZE image = background_.GetLogicalSize();
  SizeAndCentre(::GetWindow(window, GW_OWNER),
                image.cx - kInstallerShadowMargins.left - kInstallerShadowMargins.right,
                image.cy - kInstallerShadowMargins.top - kInstallerShadowMargins.bottom);
  shadow_.reset(new ShadowWindow(window, background_, kInstallerShadowMargins));
  PlaceControls();
  ::PostMessageW(window, WM_PROXY_CREDENTIALS, 0, 0);
}

void InstallerDialog::OnProxyCredentials() {
  std::shared_ptr<ProxyCredentialQuestion> question;
  {
    SpinLockHolder hold(&question_lock_);
    question.swap(pending_question_);
  }
  if (!question) return;
  if (outcome_shown_) return question->Refuse();
  // Asked before the dialog manager has shown the window (it does when the
  // queue first runs empty): the prompt comes over the shown dialog.
  if (!::IsWindowVisible(window())) {
    ::ShowWindow(window(), SW_SHOWNORMAL);
    ::UpdateWindow(window());
  }
  // The system's prompt, owned by this window and modal to it.
  question->AnswerWithSystemPrompt(window());
}

void InstallerDialog::PlaceControls() {
  using namespace installer_layout;
  Place(IDC_TITLE, kTitle);
  const SIZE install = install_button_->GetFrameSize();
  const SIZE cancel = cancel_button_->GetFrameSize();
  Place(IDOK, Box{kInstallLeft, kButtonsTop, install.cx, install.cy});
  Place(IDC_CANCEL, Box{kCancelLeft, kButtonsTop, cancel.cx, cancel.cy});
  Place(IDC_MAKE_DEFAULT, kMakeDefault);
  const int statistics_height = send_statistics_->GetLayoutHeight(kInstallLeft, kStatisticsTextRight);
  Place(IDC_SEND_STATISTICS, StatisticsBox(statistics_height));
  Place(IDC_PRIVACY_LINK, PrivacyLinkBox(statistics_height));
  const int background_height = background_.GetLogicalSize().cy;
  const SIZE fill = progress_fill_.GetLogicalSize();
  Place(IDC_PROGRESS, ProgressBarBox(background_height, fill.cx, fill.cy));
  Place(IDC_TIME_LEFT, TimeLeftBox(background_height));
}

INT_PTR InstallerDialog::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialize();
      // The keyboard starts on Install, the default button, so that Enter
      // installs as before; Tab then walks the reading order (Cancel, the
      // licence link, the check boxes, the privacy link). The dialog
      // manager's own choice would be the first tab stop, the licence link.
      ::SetFocus(Control(IDOK));
      return FALSE;
    case WM_CTLCOLORSTATIC:
      return OnStaticColor(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      ImageCheckBox* box = item->CtlID == IDC_MAKE_DEFAULT      ? make_default_.get()
                           : item->CtlID == IDC_SEND_STATISTICS ? send_statistics_.get()
                                                                : nullptr;
      if (!box) return FALSE;
      box->OnDrawItem(*item);
      return TRUE;
    }
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lparam), lparam);
    case WM_COMMAND:
      if (HIWORD(wparam) != BN_CLICKED) return FALSE;  // notification 0 only
      return OnCommand(static_cast<int16_t>(LOWORD(wparam)));
    case WM_SYSCOMMAND:
      // Closing from the system menu or with Alt+F4 cancels without a
      // statistic; every other system command is swallowed.
      if ((wparam & 0xFFF0) == SC_CLOSE) End(IDCANCEL);
      return TRUE;
    case WM_SET_PROGRESS:
      ::SendDlgItemMessageW(window(), IDC_PROGRESS, PBM_SETPOS, wparam, 0);
      taskbar_.SetValue(window(), static_cast<int>(wparam));
      return Answer(0);
    case WM_SET_TIME_LEFT:
      if (!show_time_left_.load()) return FALSE;
      OnTimeLeft(static_cast<int32_t>(wparam), static_cast<int32_t>(lparam));
      return Answer(0);
    case WM_CLOSE_REQUEST:
      if (install_started_) End(1);
      return TRUE;
    case WM_INSTALL_ERROR:
      if (install_started_) ShowErrorOutcome();
      return TRUE;
    case WM_PROXY_CREDENTIALS:
      OnProxyCredentials();
      return TRUE;
  }
  if (OnSetupMessage(message, wparam, lparam)) return Answer(0);
  return FALSE;
}

HGDIOBJ InstallerDialog::StaticFont(int id) const {
  switch (id) {
    case IDC_TITLE: return title_font_.Get();
    case IDC_TIME_LEFT: return small_font_.Get();
    case IDC_LICENSE_LINK: return link_font_.Get();
    case IDC_PRIVACY_LINK: return small_link_font_.Get();
    case kPlainTextId: return body_font_.Get();
  }
  return nullptr;
}

INT_PTR InstallerDialog::OnStaticColor(HDC dc, HWND control) {
  const int id = ::GetDlgCtrlID(control);
  HGDIOBJ font = StaticFont(id);
  const COLORREF color = id == IDC_TIME_LEFT      ? kTimeLeftText
                         : id == IDC_PRIVACY_LINK ? kPrivacyLinkText
                                                  : kDarkText;
  // The static draws with this context right after the answer: the font
  // stays selected for that paint.
  if (font) ::SelectObject(dc, font);
  ::SetTextColor(dc, color);
  ::SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
}

INT_PTR InstallerDialog::OnNotify(const NMHDR& header, LPARAM lparam) {
  if (header.code != NM_CUSTOMDRAW) return FALSE;
  const auto& draw = *reinterpret_cast<const NMCUSTOMDRAW*>(lparam);
  switch (header.idFrom) {
    case IDOK:
      if (install_button_) install_button_->OnCustomDraw(draw);
      return Answer(CDRF_SKIPDEFAULT);
    case IDC_CANCEL:
      if (cancel_button_) cancel_button_->OnCustomDraw(draw);
      return Answer(CDRF_SKIPDEFAULT);
    case IDC_MAKE_DEFAULT:
    case IDC_SEND_STATISTICS: {
      ImageCheckBox* box =
          header.idFrom == IDC_MAKE_DEFAULT ? make_default_.get() : send_statistics_.get();
      return Answer(box && box->OnCustomDraw(draw) ? CDRF_SKIPDEFAULT : CDRF_DODEFAULT);
    }
  }
  return FALSE;
}

INT_PTR InstallerDialog::OnCommand(int id) {
  switch (id) {
    case IDOK:
      if (!install_started_) OnInstall();
      return TRUE;
    case IDC_CANCEL:
      OnCancel();
      return TRUE;
    case IDCANCEL:
      // Escape: only the statistic; the window stays.
      SendButtonClick(kCancelValue);
      return TRUE;
    case IDC_MAKE_DEFAULT:
    case IDC_SEND_STATISTICS: {
      ImageCheckBox* box = id == IDC_MAKE_DEFAULT ? make_default_.get() : send_statistics_.get();
      if (box && box->self_drawn()) box->Toggle();
      Installer::SendClickStat(kChosenCheckBox,
                               id == IDC_MAKE_DEFAULT ? kMakeDefaultValue : kSendStatisticsValue);
      return TRUE;
    }
    case IDC_LICENSE_LINK:
    case IDC_PRIVACY_LINK: {
      const std::wstring link = id == IDC_LICENSE_LINK ? brand_.LicenseLink() : brand_.PrivacyLink();
      ::ShellExecuteW(nullptr, kOpenVerb, link.c_str(), nullptr, nullptr, SW_SHOW);
      Installer::SendClickStat(kClickedLink, link);
      return TRUE;
    }
  }
  return FALSE;
}

void InstallerDialog::OnInstall() {
  installer_->SetChoices(make_default_->IsChecked(), send_statistics_->IsChecked());
  SendButtonClick(kInstallValue);

  const Box narrow = NarrowedWindow(WindowBox(window()));
  ::SetWindowPos(window(), nullptr, narrow.x, narrow.y, narrow.width, narrow.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  if (shadow_) shadow_->Update();
  taskbar_.Create(window());

  license_link_cursor_.Detach();
  privacy_link_cursor_.Detach();
  for (int id : kWelcomeControls) {
    while (HWND control = Control(id)) ::DestroyWindow(control);
  }
  ::SendDlgItemMessageW(window(), IDC_PROGRESS, PBM_SETRANGE32, 0, kPercentRange);
  ::SendDlgItemMessageW(window(), IDC_PROGRESS, PBM_SETPOS, 0, 0);
  ::ShowWindow(Control(IDC_PROGRESS), SW_SHOW);
  ::ShowWindow(Control(IDC_TIME_LEFT), SW_SHOW);
  ::InvalidateRect(window(), nullptr, TRUE);

  install_started_ = true;
  if (pending_error_.load() != 0) {
    ShowErrorOutcome();
  } else {
    installer_->AllowInstall();
  }
}

void InstallerDialog::OnCancel() {
  installer_->Cancel();
  End(IDC_CANCEL);
  SendButtonClick(kCancelValue);
}

void InstallerDialog::OnTimeLeft(int32_t seconds, int32_t kind) {
  // The text is drawn transparently: the background under it has to be
  // painted again, or the old text stays under the new.
  HWND line = Control(IDC_TIME_LEFT);
  RECT rect;
  if (line && ::GetWindowRect(line, &rect)) {
    ::MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&rect), 2);
    ::InvalidateRect(window(), &rect, TRUE);
  }
  const TimeLeftLine choice = ChooseTimeLeftLine(seconds, kind);
  const std::wstring text =
      choice.string_id ? FormatTimeLeft(String(choice.string_id), choice.number) : std::wstring();
  ::SetDlgItemTextW(window(), IDC_TIME_LEFT, text.c_str());
}

bool InstallerDialog::OnSetupMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == 0) return false;
  if (message == messages_.import_progress) {
    int32_t percent = 0;
    if (ImportProgressFromMessage(wparam, &percent)) SetProgress(percent);
    int32_t seconds = 0;
    if (ImportStageSecondsLeft(static_cast<int32_t>(lparam), &seconds))
      SetTimeLeft(seconds, kTimeLeftUpperBound);
    return true;
  }
  if (message == messages_.close_window) {
    installer_->Stop();
    End(1);
    return true;
  }
  if (message == messages_.install_progress) {
    if (static_cast<int32_t>(wparam) == kInstallStepStarted) {
      SetProgress(kInstallStartedPercent);
    } else if (static_cast<int32_t>(wparam) == kInstallStepFinishing) {
      SetProgress(kInstallFinishingPercent);
      SetTimeLeft(kInstallFinishingSecondsLeft, kTimeLeftUpperBound);
    }
    return true;
  }
  if (message == messages_.higher_version) {
    ShowNewerVersionOutcome();
    return true;
  }
  return false;
}

template <typename Outcome>
void InstallerDialog::ShowOutcome() {
  // Once: an error that arrives while an outcome is shown (its dialog runs
  // its own message loop) is not shown again.
  if (outcome_shown_) return;
  outcome_shown_ = true;
  HideWithShadow();
  Outcome outcome(Widen(brand_.brand_id() + "/" + brand_.interface_language()), language_id_);
  outcome.Run(::GetActiveWindow());
  End(1);
}

void InstallerDialog::ShowErrorOutcome() { ShowOutcome<ErrorMessageDialog>(); }

void InstallerDialog::ShowNewerVersionOutcome() { ShowOutcome<NewerVersionDialog>(); }

}  // namespace lite_installer
