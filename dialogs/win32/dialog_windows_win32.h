// The dialog pool's windows: one live form per "Display Dialog" statement,
// loaded hidden at start-up from the support folder's form file and rules
// file, shown modal (waiting in the message loop until a button ends it) or
// modeless, equally sized pages at one place, the first one and any other
// size centred, and refusing to be closed while on screen.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/dialog_binding.h"
#include "dialogs/dialog_statements.h"
#include "dialogs/form_runtime.h"
#include "dialogs/notification_tray.h"
#include "dialogs/win32/form_window.h"

namespace vantrell {

class Win32DialogWindows final : public DialogWindows {
 public:
  Win32DialogWindows();
  Win32DialogWindows(const Win32DialogWindows&) = delete;
  Win32DialogWindows& operator=(const Win32DialogWindows&) = delete;
  ~Win32DialogWindows() override;

  // Loads FORM (N + ".dfm") and its rules (FORM + ".zebf") under the key;
  // throws EngineError when either is missing or the form cannot be read.
  void Load(const std::string& key, const std::string& formPath);

  void Prepare(const std::string& key, const TVariableManager& vars) override;
  DialogOutcome ShowModal(const std::string& key) override;
  DialogOutcome ShowModeless(const std::string& key) override;
  void HideCurrent() override;
  void RefreshProgress(const ProgressFigures& figures) override;

  // The run's tray: in tray mode a page is kept hidden until the icon is
  // clicked; a refused close and a minimised page go to it.
  void SetTray(NotificationTray* tray) { tray_ = tray; }

 private:
  struct Dialog {
    std::unique_ptr<Form> form;
    std::unique_ptr<FormWindow> window;
    std::unique_ptr<DialogSurface> surface;
    std::unique_ptr<DialogBinding> binding;
    std::string rules;  // the rules file, for the binding
    std::string supportFolder;
  };

  void Realize(Dialog& dialog);
  // The dialog loaded under key, realized; throws when none is.
  Dialog& Find(const std::string& key);
  void Present(Dialog& dialog);
  void Hide(Dialog& dialog);

  static void CALLBACK ProgressTimer(HWND, UINT, UINT_PTR, DWORD);

  std::map<std::string, std::unique_ptr<Dialog>> pool_;
  UINT_PTR progressTimer_ = 0;
  Dialog* shown_ = nullptr;
  Dialog* current_ = nullptr;
  Dialog* prepared_ = nullptr;  // released before the next preparation
  DialogServices services_;
  NotificationTray* tray_ = nullptr;
  bool firstDisplay_ = true;
  POINT lastPosition_{};
  SIZE lastSize_{};
};

}  // namespace vantrell
