// The wizard's place in the notification area: the platform's message boxes,
// notification icon and window operations behind one interface, and the tray
// state of the run (icon visible, tray mode, the page to restore) with what a
// click on the icon, a refused close and a minimised page do to the shown
// window. Windows are numbers here (common/shown_window.h); 0 is none.
#pragma once

#include <cstdint>
#include <string>

namespace vantrell {

enum class MessageIcon { kInformation, kQuestion, kWarning, kError, kNone };
enum class MessageButtons { kAbortRetryIgnore, kOk, kOkCancel, kRetryCancel, kYesNo, kYesNoCancel };
enum class MessageAnswer { kOk, kCancel, kAbort, kRetry, kIgnore, kYes, kNo };
enum class BalloonIcon { kInformation, kWarning, kError, kNone };

struct Balloon {
  std::string title;
  std::string text;
  BalloonIcon icon = BalloonIcon::kInformation;
  int timeoutMs = 10000;
};

// The platform side. Texts are in the system code page.
class UserNotifications {
 public:
  virtual ~UserNotifications() = default;
  // A message box owned by owner (0: none); the button that closed it
  // (Escape and the close button give Cancel where there is one).
  virtual MessageAnswer ShowMessageBox(uintptr_t owner, const std::string& title,
                                       const std::string& text, MessageIcon icon,
                                       MessageButtons buttons) = 0;
  // Adds the notification icon, or gives the one shown the hint.
  virtual void ShowIcon(const std::string& hint) = 0;
  virtual void HideIcon() = 0;
  // The balloon at the icon, which ShowIcon has made visible.
  virtual void ShowBalloon(const Balloon& balloon) = 0;

  virtual void ShowWindow(uintptr_t window) = 0;
  virtual void HideWindow(uintptr_t window) = 0;
  virtual void BringToTop(uintptr_t window) = 0;
  virtual void Restore(uintptr_t window) = 0;  // out of the minimised state
  virtual void SetForeground(uintptr_t window) = 0;
  virtual void Focus(uintptr_t window) = 0;
};

class NotificationTray {
 public:
  explicit NotificationTray(UserNotifications& platform) : platform_(platform) {}

  UserNotifications& Platform() { return platform_; }
  bool IconVisible() const { return iconVisible_; }
  bool TrayMode() const { return trayMode_; }

  void ShowIcon(const std::string& hint);
  void HideIcon();
  // The icon with its hint, then the balloon.
  void ShowBalloon(const Balloon& balloon, const std::string& hint);
  // Hides the shown window and sets tray mode (the icon is the caller's).
  void HideWizard();
  // Shows the shown window, brings it to the top, restores it and puts it
  // in the foreground; clears tray mode.
  void BringBackWizard();

  // A click or double-click on the icon.
  void IconClicked();
  // A page about to be made visible: in tray mode it is only recorded as the
  // page to restore and true is returned; the caller then leaves it hidden.
  bool HoldBack(uintptr_t page);
  // A page's close request, which is refused.
  void CloseRefused();
  // A page is minimised: with the icon visible the shown window goes into
  // the tray (true); otherwise the caller minimises it (false).
  bool Minimising();
  // A page's window goes away: it is no longer the page to restore.
  void Forget(uintptr_t page);

 private:
  UserNotifications& platform_;
  bool iconVisible_ = false;
  bool trayMode_ = false;
  uintptr_t pageToRestore_ = 0;
};

}  // namespace vantrell
