// Message boxes, the tray form's notification icon and the window
// operations (see notifications_win32.h).
#include "dialogs/win32/notifications_win32.h"

#include <algorithm>
#include <cwchar>

#include "common/engine_error.h"
#include "dialogs/win32/win32_text.h"

namespace vantrell {
namespace {

constexpr UINT kIconId = 1;

// Copies as much as fits, always terminated.
template <size_t N>
void CopyInto(wchar_t (&field)[N], const std::wstring& text) {
  const size_t count = std::min(text.size(), N - 1);
  std::wmemcpy(field, text.data(), count);
  field[count] = L'\0';
}

HWND AsWindow(uintptr_t window) {
  return reinterpret_cast<HWND>(window);  // NOLINT(performance-no-int-to-ptr)
}

UINT IconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation:
      return MB_ICONINFORMATION;
    case MessageIcon::kQuestion:
      return MB_ICONQUESTION;
    case MessageIcon::kWarning:
      return MB_ICONWARNING;
    case MessageIcon::kError:
      return MB_ICONERROR;
    case MessageIcon::kNone:
      break;
  }
  return 0;
}

UINT ButtonStyle(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::kAbortRetryIgnore:
      return MB_ABORTRETRYIGNORE;
    case MessageButtons::kOk:
      return MB_OK;
    case MessageButtons::kOkCancel:
      return MB_OKCANCEL;
    case MessageButtons::kRetryCancel:
      return MB_RETRYCANCEL;
    case MessageButtons::kYesNo:
      return MB_YESNO;
    case MessageButtons::kYesNoCancel:
      return MB_YESNOCANCEL;
  }
  return MB_OK;
}

MessageAnswer AnswerOf(int id) {
  switch (id) {
    case IDOK:
      return MessageAnswer::kOk;
    case IDABORT:
      return MessageAnswer::kAbort;
    case IDRETRY:
      return MessageAnswer::kRetry;
    case IDIGNORE:
      return MessageAnswer::kIgnore;
    case IDYES:
      return MessageAnswer::kYes;
    case IDNO:
      return MessageAnswer::kNo;
    default:
      return MessageAnswer::kCancel;
  }
}

DWORD BalloonFlags(BalloonIcon icon) {
  switch (icon) {
    case BalloonIcon::kInformation:
      return NIIF_INFO;
    case BalloonIcon::kWarning:
      return NIIF_WARNING;
    case BalloonIcon::kError:
      return NIIF_ERROR;
    case BalloonIcon::kNone:
      break;
  }
  return NIIF_NONE;
}

// The engine's own icon: the first icon group of its image, small size.
BOOL CALLBACK FirstIconGroup(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
  *reinterpret_cast<LPWSTR*>(found) = name;
  return FALSE;
}

HICON EngineIcon(bool& own) {
  HMODULE self = GetModuleHandleW(nullptr);
  LPWSTR group = nullptr;
  EnumResourceNamesW(self, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, FirstIconGroup,
                     reinterpret_cast<LONG_PTR>(&group));
  if (group != nullptr) {
    auto icon = static_cast<HICON>(LoadImageW(
        self, group, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    if (icon != nullptr) {
      own = true;
      return icon;
    }
  }
  own = false;
  return LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));  // NOLINT
}

}  // namespace

Win32UserNotifications::Win32UserNotifications() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.lpfnWndProc = WindowProc;
  wc.lpszClassName = kTrayFormClass;
  RegisterClassExW(&wc);  // fails harmlessly when already registered
  callbackMessage_ = RegisterWindowMessageW(kTrayIconMessageName);
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kTrayFormClass, kTrayFormClass, WS_POPUP, 0, 0, 0, 0,
                            nullptr, nullptr, instance, this);
  if (window_ == nullptr) throw EngineError("Cannot create the tray form", GetLastError());
  icon_ = EngineIcon(ownIcon_);
}

Win32UserNotifications::~Win32UserNotifications() {
  HideIcon();
  if (window_ != nullptr) DestroyWindow(window_);
  if (ownIcon_ && icon_ != nullptr) DestroyIcon(icon_);
}

LRESULT CALLBACK Win32UserNotifications::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                    LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32UserNotifications*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr && message != 0) {
    if (message == self->callbackMessage_) {
      const UINT event = LOWORD(lParam);
      if ((event == WM_LBUTTONUP || event == WM_LBUTTONDBLCLK) && self->onClick_) self->onClick_();
      return 0;
    }
    // A restarted shell has forgotten the icon.
    if (message == self->taskbarCreated_ && self->iconAdded_) {
      self->iconAdded_ = false;
      self->AddIcon();
      return 0;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

NOTIFYICONDATAW Win32UserNotifications::IconData(UINT flags) const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = kIconId;
  data.uFlags = flags;
  data.uCallbackMessage = callbackMessage_;
  data.hIcon = icon_;
  CopyInto(data.szTip, hint_);
  return data;
}

bool Win32UserNotifications::AddIcon() {
  NOTIFYICONDATAW data = IconData(NIF_ICON | NIF_MESSAGE | NIF_TIP);
  iconAdded_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  return iconAdded_;
}

MessageAnswer Win32UserNotifications::ShowMessageBox(uintptr_t owner, const std::string& title,
                                                     const std::string& text, MessageIcon icon,
                                                     MessageButtons buttons) {
  const std::wstring wideTitle = Widen(title);
  const std::wstring wideText = Widen(text);
  const UINT style = IconStyle(icon) | ButtonStyle(buttons);
  SetLastError(0);
  int id = MessageBoxW(AsWindow(owner), wideText.c_str(), wideTitle.c_str(), style);
  if (id == 0 && owner != 0) {
    // The owner has gone (invalid window handle) or could not be used.
    const DWORD error = GetLastError();
    if (error == ERROR_INVALID_WINDOW_HANDLE || error == ERROR_PROC_NOT_FOUND) {
      id = MessageBoxW(nullptr, wideText.c_str(), wideTitle.c_str(), style);
    }
  }
  return AnswerOf(id);
}

void Win32UserNotifications::ShowIcon(const std::string& hint) {
  hint_ = Widen(hint);
  if (iconAdded_) {
    NOTIFYICONDATAW data = IconData(NIF_ICON | NIF_MESSAGE | NIF_TIP);
    Shell_NotifyIconW(NIM_MODIFY, &data);
    return;
  }
  AddIcon();
}

void Win32UserNotifications::HideIcon() {
  if (!iconAdded_) return;
  NOTIFYICONDATAW data = IconData(0);
  Shell_NotifyIconW(NIM_DELETE, &data);
  iconAdded_ = false;
}

void Win32UserNotifications::ShowBalloon(const Balloon& balloon) {
  if (!iconAdded_ && !AddIcon()) return;
  NOTIFYICONDATAW data = IconData(NIF_INFO);
  CopyInto(data.szInfo, Widen(balloon.text));
  CopyInto(data.szInfoTitle, Widen(balloon.title));
  data.dwInfoFlags = BalloonFlags(balloon.icon);
  data.uTimeout = static_cast<UINT>(balloon.timeoutMs);
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

void Win32UserNotifications::ShowWindow(uintptr_t window) {
  ::ShowWindow(AsWindow(window), SW_SHOW);
}

void Win32UserNotifications::HideWindow(uintptr_t window) {
  ::ShowWindow(AsWindow(window), SW_HIDE);
}

void Win32UserNotifications::BringToTop(uintptr_t window) {
  BringWindowToTop(AsWindow(window));
}

void Win32UserNotifications::Restore(uintptr_t window) {
  if (IsIconic(AsWindow(window))) ::ShowWindow(AsWindow(window), SW_RESTORE);
}

void Win32UserNotifications::SetForeground(uintptr_t window) {
  SetForegroundWindow(AsWindow(window));
}

void Win32UserNotifications::Focus(uintptr_t window) {
  // The keyboard goes to the page's first control in tab order, as when it was shown.
  HWND page = AsWindow(window);
  HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
  SetFocus(first != nullptr ? first : page);
}

}  // namespace vantrell
