// The outcome dialogs: image 315 with its 5/3/5/7 shadow, a title, a body
// text and two image buttons.
#include "ui/message_dialog.h"

#include <shellapi.h>

#include "build_config.h"
#include "platform/string_conversion.h"
#include "resources/ui_resource_ids.h"
#include "ui/ui_environment.h"

namespace lite_installer {
namespace {

constexpr COLORREF kTextColor = RGB(0x46, 0x46, 0x46);
constexpr int kTitleFontHeight = 16;
constexpr int kBodyFontHeight = 13;
constexpr int kButtonFontHeight = 14;
constexpr int kBodyId = -1;
constexpr wchar_t kSetupFileName[] = L"/Tavrix.exe";
constexpr wchar_t kOpenVerb[] = L"open";

ImageButtonStyle MessageButtonStyle(int strip_id) {
  return ImageButtonStyle{strip_id, kTextColor, {0, 0, 0, 0}, {0, 0},
                          {kMessageShadowMargins.left, kMessageShadowMargins.top}};
}

}  // namespace

MessageDialog::MessageDialog(const Texts& texts, const std::wstring& brand_and_language,
                             uint32_t language_id)
    : ImageDialog(language_id, kMessageShadowMargins), texts_(texts), brand_and_language_(brand_and_language) {}

INT_PTR MessageDialog::Run(HWND owner) { return RunModal(owner, IDD_MESSAGE); }

void MessageDialog::Initialize() {
  UiEnvironment::Initialize();
  background_.Load(IDB_MESSAGE_BACKGROUND);
  ::SetWindowTextW(window(), String(IDS_WINDOW_TITLE).c_str());
  SetControlText(IDC_TITLE, texts_.title);
  SetControlText(kBodyId, texts_.body);
  SetControlText(IDOK, texts_.first_button);
  if (texts_.second_button) SetControlText(IDC_CANCEL, texts_.second_button);
  title_font_.Reset(CreateArialFont(kTitleFontHeight, FW_NORMAL, false));
  body_font_.Reset(CreateArialFont(kBodyFontHeight, FW_NORMAL, false));
  button_font_.Reset(CreateArialFont(kButtonFontHeight, FW_NORMAL, false));
  HFONT button_font = static_cast<HFONT>(button_font_.Get());
  ::SendMessageW(Control(IDC_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(title_font_.Get()), FALSE);
  ::SendMessageW(Control(kBodyId), WM_SETFONT, reinterpret_cast<WPARAM>(body_font_.Get()), FALSE);
  first_button_.reset(new ImageButton(MessageButtonStyle(IDB_MESSAGE_FIRST_BUTTON), button_font,
                                      Control(IDOK), &background_));
  second_button_.reset(new ImageButton(MessageButtonStyle(IDB_MESSAGE_SECOND_BUTTON),
                                       button_font, Control(IDC_CANCEL), &background_));

  const SIZE image = background_.GetLogicalSize();
  const int width = image.cx - kMessageShadowMargins.left - kMessageShadowMargins.right;
  const int height = image.cy - kMessageShadowMargins.top - kMessageShadowMargins.bottom;
  SizeAndCentre(::GetWindow(window(), GW_OWNER), width, height);
  shadow_.reset(new ShadowWindow(window(), background_, kMessageShadowMargins));

  RECT client;
  ::GetClientRect(window(), &client);
  const SIZE first = first_button_->GetFrameSize();
  MessageLayout layout = LayOutMessageDialog(client.right, client.bottom, first.cx, first.cy);
  const SIZE second = second_button_->GetFrameSize();
  layout.second_button.width = second.cx;
  layout.second_button.height = second.cy;
  Place(IDOK, layout.first_button);
  Place(IDC_CANCEL, layout.second_button);
  Place(kBodyId, layout.body);
  Place(IDC_TITLE, layout.title);
  if (!texts_.second_button) ::ShowWindow(Control(IDC_CANCEL), SW_HIDE);
}

INT_PTR MessageDialog::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialize();
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
      ::SelectObject(dc, id == IDC_TITLE ? title_font_.Get() : body_font_.Get());
      ::SetTextColor(dc, kTextColor);
      ::SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->code != NM_CUSTOMDRAW) return FALSE;
      const auto* draw = reinterpret_cast<const NMCUSTOMDRAW*>(lparam);
      if (header->idFrom == IDOK && first_button_) first_button_->OnCustomDraw(*draw);
      else if (header->idFrom == IDC_CANCEL && second_button_) second_button_->OnCustomDraw(*draw);
      else return FALSE;
      return Answer(CDRF_SKIPDEFAULT);
    }
    case WM_COMMAND:
      if (HIWORD(wparam) != BN_CLICKED) return FALSE;
      switch (LOWORD(wparam)) {
        case IDOK:
          OnFirstButton();
          End(IDOK);
          return TRUE;
        case IDC_CANCEL:
          End(IDC_CANCEL);
          return TRUE;
        case IDCANCEL:  // Escape closes the notice
          End(IDCANCEL);
          return TRUE;
      }
      return FALSE;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_CLOSE) End(IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

ErrorMessageDialog::ErrorMessageDialog(const std::wstring& brand_and_language,
                                       uint32_t language_id)
    : MessageDialog(Texts{IDS_ERROR_TITLE, IDS_ERROR_BODY, IDS_DOWNLOAD, IDS_ERROR_CANCEL},
                    brand_and_language, language_id) {}

std::wstring ErrorMessageDialog::FallbackDownloadAddress() const {
  return Widen(LI_DOWNLOAD_BASE) + brand_and_language() + kSetupFileName;
}

void ErrorMessageDialog::OnFirstButton() {
  ::ShellExecuteW(nullptr, kOpenVerb, FallbackDownloadAddress().c_str(), nullptr, nullptr,
                  SW_SHOW);
}

NewerVersionDialog::NewerVersionDialog(const std::wstring& brand_and_language,
                                       uint32_t language_id)
    : MessageDialog(Texts{IDS_NEWER_VERSION_TITLE, IDS_NEWER_VERSION_BODY, IDS_OK, 0},
                    brand_and_language, language_id) {}

}  // namespace lite_installer
