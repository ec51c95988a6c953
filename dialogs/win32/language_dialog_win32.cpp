// The language dialog (contract in language_dialog_win32.h).
#include "dialogs/win32/language_dialog_win32.h"

#include <windows.h>

#include "common/engine_error.h"
#include "common/shown_window.h"
#include "dialogs/form_runtime.h"
#include "dialogs/form_stream.h"
#include "dialogs/win32/form_window.h"
#include "lang/engine_texts.h"
#include "lang/language_table.h"

namespace vantrell {
namespace {

// Slots of the engine texts the dialog shows.
constexpr int kCaptionText = 89;
constexpr int kPromptText = 90;
constexpr int kOkText = 38;
constexpr int kCancelText = 39;

void SetText(Form& form, const char* control, const std::string& text) {
  if (FormControl* c = form.Find(control)) c->Set("Caption", text);
}

}  // namespace

std::optional<size_t> ShowLanguageDialog(const std::vector<std::string>& languages,
                                         size_t preselected) {
  Form form(ReadFormResource(EngineFormBytes(L"SELECTLANGUAGE")).root);
  form.Root().Set("Caption", EngineText(kCaptionText));
  SetText(form, "Prompt", EngineText(kPromptText));
  SetText(form, "OK", EngineText(kOkText));
  SetText(form, "Cancel", EngineText(kCancelText));
  FormControl* list = form.Find("Languages");
  if (list == nullptr) throw EngineError("Language dialog without its list");
  std::string items;
  for (const std::string& language : languages) items += language + "\r\n";
  list->Set("Items", items);
  list->Set("ItemIndex", std::to_string(preselected < languages.size() ? preselected : 0));

  FormWindow window(form, ScreenDpi());
  window.SetRightToLeft(preselected < languages.size() &&
                        IsRightToLeftLanguage(languages[preselected]));
  enum class Answer { kNone, kOk, kCancel } answer = Answer::kNone;
  window.SetEventHandler([&answer](FormControl& control, FormEvent event) {
    if (event != FormEvent::kClick) return;
    if (control.Name() == "OK") answer = Answer::kOk;
    if (control.Name() == "Cancel") answer = Answer::kCancel;
  });
  // Closing the window (title-bar button, Alt+F4) cancels.
  window.SetClosable(false);
  window.SetSystemCommandHandler([&answer](WPARAM command) {
    if ((command & 0xFFF0) != SC_CLOSE) return false;
    answer = Answer::kCancel;
    return true;
  });

  HWND handle = window.Handle();
  ShowWindow(handle, SW_SHOW);
  SetForegroundWindow(handle);
  if (HWND combo = window.ControlWindow("Languages")) SetFocus(combo);
  SetShownWindow(reinterpret_cast<uintptr_t>(handle));
  MSG message;
  while (answer == Answer::kNone && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(handle, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  SetShownWindow(0);
  std::optional<size_t> chosen;
  if (answer == Answer::kOk) {
    const LRESULT index = SendMessageW(window.ControlWindow("Languages"), CB_GETCURSEL, 0, 0);
    chosen = index >= 0 && static_cast<size_t>(index) < languages.size()
                 ? static_cast<size_t>(index)
                 : (preselected < languages.size() ? preselected : 0);
  }
  ShowWindow(handle, SW_HIDE);
  return chosen;
}

}  // namespace vantrell
