// The tray state of the run (contract in notification_tray.h).
#include "dialogs/notification_tray.h"

#include "common/shown_window.h"

namespace vantrell {

void NotificationTray::ShowIcon(const std::string& hint) {
  platform_.ShowIcon(hint);
  iconVisible_ = true;
}

void NotificationTray::HideIcon() {
  if (!iconVisible_) return;
  platform_.HideIcon();
  iconVisible_ = false;
}

void NotificationTray::ShowBalloon(const Balloon& balloon, const std::string& hint) {
  ShowIcon(hint);
  platform_.ShowBalloon(balloon);
}

void NotificationTray::HideWizard() {
  if (const uintptr_t shown = ShownWindow()) platform_.HideWindow(shown);
  trayMode_ = true;
}

void NotificationTray::BringBackWizard() {
  if (const uintptr_t shown = ShownWindow()) {
    platform_.ShowWindow(shown);
    platform_.BringToTop(shown);
    platform_.Restore(shown);
    platform_.SetForeground(shown);
  }
  trayMode_ = false;
}

void NotificationTray::IconClicked() {
  if (trayMode_) {
    trayMode_ = false;
    if (pageToRestore_ != 0) {
      platform_.ShowWindow(pageToRestore_);
      platform_.Focus(pageToRestore_);
      SetShownWindow(pageToRestore_);
      pageToRestore_ = 0;
    }
    if (const uintptr_t shown = ShownWindow()) {
      platform_.ShowWindow(shown);
      platform_.BringToTop(shown);
      platform_.Restore(shown);
    }
  } else if (const uintptr_t shown = ShownWindow()) {
    platform_.ShowWindow(shown);
    platform_.BringToTop(shown);
  }
  if (const uintptr_t shown = ShownWindow()) platform_.SetForeground(shown);
}

bool NotificationTray::HoldBack(uintptr_t page) {
  if (!trayMode_) return false;
  pageToRestore_ = page;
  return true;
}

void NotificationTray::CloseRefused() {
  if (iconVisible_) {
    IconClicked();
    return;
  }
  if (const uintptr_t shown = ShownWindow()) {
    platform_.ShowWindow(shown);
    platform_.BringToTop(shown);
    platform_.Restore(shown);
    platform_.SetForeground(shown);
  }
}

bool NotificationTray::Minimising() {
  if (!iconVisible_) return false;
  HideWizard();
  return true;
}

void NotificationTray::Forget(uintptr_t page) {
  if (pageToRestore_ == page) pageToRestore_ = 0;
}

}  // namespace vantrell
