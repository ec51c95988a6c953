// The dialog pool's windows (see dialog_windows_win32.h).
#include "dialogs/win32/dialog_windows_win32.h"

#include "common/ascii.h"
#include "common/engine_error.h"
#include "common/line_reader.h"
#include "common/shown_window.h"
#include "dialogs/dialog_rules.h"
#include "dialogs/form_stream.h"
#include "lang/caption.h"

namespace vantrell {
namespace {

// Delphi's modal results of buttons: OK and Yes move on, No goes back.
constexpr int64_t kModalOk = 1;

std::optional<std::string> ReadBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  LARGE_INTEGER size{};
  // Form files are small; anything past a few megabytes is no form of ours.
  constexpr LONGLONG kMostBytes = LONGLONG{64} << 20;
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 && size.QuadPart <= kMostBytes;
  if (ok) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ok = bytes.empty() ||
         (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
          read == bytes.size());
  }
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return bytes;
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

SIZE WindowSize(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

// The rules read and write the live form; a written caption shows at once.
class FormProperties final : public DialogProperties {
 public:
  FormProperties(Form& form, FormWindow& window) : form_(form), window_(window) {}
  std::optional<std::string> Property(const std::string& control,
                                      const std::string& property) const override {
    const FormControl* found = form_.Find(control);
    return found != nullptr ? found->Get(property) : std::nullopt;
  }
  void SetProperty(const std::string& control, const std::string& property,
                   const std::string& value) override {
    FormControl* found = form_.Find(control);
    if (found == nullptr || found->Set(property, value) != SetResult::kDone) return;
    if (EqualsIgnoreCase(property, "Caption")) window_.ShowCaption(*found);
  }

 private:
  Form& form_;
  FormWindow& window_;
};

}  // namespace

Win32DialogWindows::Win32DialogWindows() = default;

Win32DialogWindows::~Win32DialogWindows() {
  SetShownWindow(0);
}

void Win32DialogWindows::Load(const std::string& key, const std::string& formPath) {
  const std::optional<std::string> bytes = ReadBytes(formPath);
  if (!bytes) throw EngineError("Dialog file not found: " + formPath);
  const std::optional<std::string> rules = ReadBytes(formPath + ".zebf");
  if (!rules) throw EngineError("Dialog rules not found: " + formPath + ".zebf");
  auto dialog = std::make_unique<Dialog>();
  dialog->form = std::make_unique<Form>(ReadFormResource(*bytes).root);
  const size_t slash = formPath.find_last_of("\\/");
  dialog->form->Root().Set("Hint",
                           slash == std::string::npos ? formPath : formPath.substr(slash + 1));
  dialog->rules = SplitLines(*rules);
  dialog->window = std::make_unique<FormWindow>(*dialog->form, ScreenDpi());
  Dialog* raw = dialog.get();
  dialog->window->SetClickHandler([raw](FormControl& control) {
    const int64_t result = control.Integer("ModalResult");
    if (result == kModalOk) {
      raw->modalResult = kDialogNext;
    } else if (result == kDialogCancel || result == kDialogNext || result == kDialogBack) {
      raw->modalResult = static_cast<int>(result);
    }
  });
  // Two statements naming the same file get two forms; a key loaded again replaces its form.
  if (auto old = pool_.find(key); old != pool_.end()) {
    if (shown_ == old->second.get()) shown_ = nullptr;
    if (current_ == old->second.get()) current_ = nullptr;
  }
  pool_[key] = std::move(dialog);
}

Win32DialogWindows::Dialog& Win32DialogWindows::Find(const std::string& key) {
  auto found = pool_.find(key);
  if (found == pool_.end()) throw EngineError("Dialog not loaded: " + key);
  return *found->second;
}

void Win32DialogWindows::Present(Dialog& dialog) {
  HWND window = dialog.window->Handle();
  const SIZE size = WindowSize(window);
  if (firstDisplay_ || size.cx != lastSize_.cx || size.cy != lastSize_.cy) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    lastPosition_ = {work.left + (work.right - work.left - size.cx) / 2,
                     work.top + (work.bottom - work.top - size.cy) / 2};
    lastSize_ = size;
  }
  firstDisplay_ = false;
  SetWindowPos(window, nullptr, lastPosition_.x, lastPosition_.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  dialog.window->SetClosable(false);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetShownWindow(reinterpret_cast<uintptr_t>(window));
  if (shown_ != nullptr && shown_ != &dialog) Hide(*shown_);
  shown_ = &dialog;
  current_ = &dialog;
}

void Win32DialogWindows::Hide(Dialog& dialog) {
  HWND window = dialog.window->Handle();
  RECT r{};
  if (GetWindowRect(window, &r)) lastPosition_ = {r.left, r.top};
  dialog.window->SetClosable(true);
  ShowWindow(window, SW_HIDE);
}

void Win32DialogWindows::Prepare(const std::string& key, const TVariableManager& vars) {
  Dialog& dialog = Find(key);
  std::vector<FormControl*> controls = dialog.form->Controls();
  controls.insert(controls.begin(), &dialog.form->Root());
  for (FormControl* control : controls) {
    if (!control->Has("Caption")) continue;
    auto [design, first] = dialog.designCaptions.try_emplace(control, "");
    if (first) design->second = control->Get("Caption").value_or("");
    std::string text = vars.ExpandVariables(design->second);
    if (control == &dialog.form->Root()) text = DialogCaption(text);
    control->Set("Caption", text);
    dialog.window->ShowCaption(*control);
  }
  FormProperties properties(*dialog.form, *dialog.window);
  EvaluateDialogRules(dialog.rules, properties);
}

DialogOutcome Win32DialogWindows::ShowModal(const std::string& key) {
  Dialog& dialog = Find(key);
  Present(dialog);
  dialog.modalResult = -1;
  MSG message;
  while (dialog.modalResult == -1 && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(dialog.window->Handle(), &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  RECT r{};
  if (GetWindowRect(dialog.window->Handle(), &r)) lastPosition_ = {r.left, r.top};
  current_ = nullptr;
  DialogOutcome outcome;
  outcome.code = dialog.modalResult == -1 ? kDialogCancel : dialog.modalResult;
  return outcome;
}

DialogOutcome Win32DialogWindows::ShowModeless(const std::string& key) {
  Dialog& dialog = Find(key);
  Present(dialog);
  DialogOutcome outcome;
  outcome.code = kDialogNotModal;
  outcome.window = reinterpret_cast<uintptr_t>(dialog.window->Handle());
  return outcome;
}

void Win32DialogWindows::HideCurrent() {
  if (current_ == nullptr) return;
  Hide(*current_);
  if (shown_ == current_) shown_ = nullptr;
  current_ = nullptr;
  SetShownWindow(0);
}

}  // namespace vantrell
