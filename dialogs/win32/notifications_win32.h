// The platform's message boxes, notification icon and window operations for
// the tray state (dialogs/notification_tray.h). The icon belongs to a hidden
// window of the class "TImageListPool", the tray form, created with this
// object; the icon reports to it with the registered window message
// kTrayIconMessageName, whose left-button release or double-click calls the
// click handler.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <functional>
#include <string>

#include "dialogs/notification_tray.h"

namespace vantrell {

inline constexpr wchar_t kTrayFormClass[] = L"TImageListPool";
inline constexpr wchar_t kTrayIconMessageName[] = L"VantrellTrayIcon";

class Win32UserNotifications final : public UserNotifications {
 public:
  Win32UserNotifications();
  Win32UserNotifications(const Win32UserNotifications&) = delete;
  Win32UserNotifications& operator=(const Win32UserNotifications&) = delete;
  ~Win32UserNotifications() override;  // removes the icon

  void SetClickHandler(std::function<void()> handler) { onClick_ = std::move(handler); }
  HWND Handle() const { return window_; }

  MessageAnswer ShowMessageBox(uintptr_t owner, const std::string& title, const std::string& text,
                               MessageIcon icon, MessageButtons buttons) override;
  void ShowIcon(const std::string& hint) override;
  void HideIcon() override;
  void ShowBalloon(const Balloon& balloon) override;

  void ShowWindow(uintptr_t window) override;
  void HideWindow(uintptr_t window) override;
  void BringToTop(uintptr_t window) override;
  void Restore(uintptr_t window) override;
  void SetForeground(uintptr_t window) override;
  void Focus(uintptr_t window) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  NOTIFYICONDATAW IconData(UINT flags) const;
  bool AddIcon();

  HWND window_ = nullptr;
  HICON icon_ = nullptr;
  bool ownIcon_ = false;
  UINT callbackMessage_ = 0;
  UINT taskbarCreated_ = 0;
  bool iconAdded_ = false;
  std::wstring hint_;
  std::function<void()> onClick_;
};

}  // namespace vantrell
