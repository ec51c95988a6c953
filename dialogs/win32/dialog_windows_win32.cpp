// The dialog pool's windows (see dialog_windows_win32.h).
#include "dialogs/win32/dialog_windows_win32.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "common/ascii.h"
#include "common/engine_error.h"
#include "common/line_reader.h"
#include "common/shown_window.h"
#include "common/win32/folder_browser.h"
#include "components/component_table.h"
#include "dialogs/form_stream.h"
#include "dialogs/win32/flash_frame_win32.h"
#include "dialogs/win32/gdi_object.h"
#include "dialogs/win32/win32_text.h"
#include "lang/caption.h"
#include "lang/engine_texts.h"
#include "lang/translations.h"
#include "lang/win32/reading_order_win32.h"
#include "script/background.h"

namespace vantrell {
namespace {

// Form files are small; anything past a few megabytes is no form of ours.
std::optional<std::string> ReadBytes(const std::string& path) {
  return ReadFileBytes(path, LONGLONG{64} << 20);
}

SIZE WindowSize(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

// The binding's view of a dialog's windows.
class WindowSurface final : public DialogSurface {
 public:
  explicit WindowSurface(FormWindow& window) : window_(window) {}
  void Show(FormControl& control, std::string_view property) override {
    window_.Show(control, property);
  }
  std::vector<bool> Marks(const FormControl& control) const override {
    return window_.Marks(control);
  }
  void SetMarks(FormControl& control, const std::vector<bool>& marks) override {
    window_.SetMarks(control, marks);
  }
  void Focus(FormControl& control) override {
    if (HWND w = window_.WindowOf(control)) SetFocus(w);
  }
  bool HasSelectedText(const FormControl& control) const override {
    return window_.HasSelectedText(control);
  }
  bool CanScrollVertically(const FormControl& control) const override {
    return window_.CanScrollVertically(control);
  }
  void LoadRichText(FormControl& control, const std::string& rtf) override {
    window_.LoadRichText(control, rtf);
  }
  std::optional<std::string> BrowseForFolder() override {
    return vantrell::BrowseForFolder(window_.Handle());
  }
  void ShowTree(FormControl& control, const std::vector<ComponentTreeNode>& roots) override {
    window_.ShowTree(control, roots);
  }
  std::vector<size_t> SelectedNode(const FormControl& control) const override {
    return window_.SelectedNode(control);
  }
  void SelectNode(FormControl& control, const std::vector<size_t>& path) override {
    window_.SelectNode(control, path);
  }
  int PopupMenu(FormControl& control, const std::vector<std::string>& items,
                bool atCursor) override {
    return window_.PopupMenu(control, items, atCursor);
  }
  void ShowHtmlPage(FormControl& control, const std::string& supportFolder, const std::string& page,
                    const std::string& text) override {
    window_.ShowHtml(control, supportFolder, page, text);
  }
  void ShowFolder(FormControl& control, const std::string& path) override {
    window_.ShowFolder(control, path);
  }
  std::string FolderPath(const FormControl& control) const override {
    return window_.FolderPath(control);
  }
  void PlayMovie(FormControl& control, const std::string& player, const std::string& movie,
                 const std::string& text) override {
    movies_.Play(window_.WindowOf(control), player, movie, text);
  }
  bool AskYesNo(const std::string& title, const std::string& text) override {
    const int answer = MessageBoxA(
        window_.Handle(), text.c_str(), title.c_str(),
        MessageBoxReadingOrder(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND));
    return answer == IDYES;
  }

 private:
  FormWindow& window_;
  FlashFrames movies_;
};

// The system menu's item that tells which engine runs the setup.
constexpr UINT kAboutCommand = 1025;

// The About item's small picture: the program's icon on the menu's colour,
// made once and kept for the process (every page's menu shows it).
HBITMAP AboutPicture() {
  static HBITMAP picture = [] {
    const int size = GetSystemMetrics(SM_CXSMICON);
    auto icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
    if (icon == nullptr) return HBITMAP{};
    HBITMAP bitmap = PaintedBitmap(size, size, COLOR_MENU, [&](HDC dc) {
      DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    });
    DestroyIcon(icon);
    return bitmap;
  }();
  return picture;
}

// The system menu as the pages have it: reset, Close greyed (a page is
// never closed that way), then the About item with its picture below a
// separator.
void PrepareSystemMenu(HWND window) {
  GetSystemMenu(window, TRUE);
  HMENU menu = GetSystemMenu(window, FALSE);
  if (menu == nullptr) return;
  EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kAboutCommand, L"About Vantrell Wizard...");
  if (HBITMAP picture = AboutPicture()) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_BITMAP;
    item.hbmpItem = picture;
    SetMenuItemInfoW(menu, kAboutCommand, FALSE, &item);
  }
}

void ShowAbout(HWND owner) {
  MessageBoxW(owner,
              L"Vantrell Wizard\r\n\r\nThe setup engine that runs this setup: its wizard, the "
              L"Windows Installer package and the product's registration.",
              L"Vantrell Wizard", MB_OK | MB_ICONINFORMATION);
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Free bytes for the user on the drive that holds the folder, which need not
// exist yet: asked of the drive's root ("C:\", "\\server\share\").
std::optional<int64_t> FreeBytes(const std::string& folder) {
  std::string root;
  if (folder.size() >= 2 && folder[1] == ':') {
    root = folder.substr(0, 2) + "\\";
  } else if (folder.starts_with("\\\\")) {
    const size_t server = folder.find('\\', 2);
    const size_t share = server == std::string::npos ? server : folder.find('\\', server + 1);
    root = share == std::string::npos ? folder + "\\" : folder.substr(0, share + 1);
  } else {
    return std::nullopt;
  }
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExA(root.c_str(), &available, nullptr, nullptr)) return std::nullopt;
  return static_cast<int64_t>(std::min<ULONGLONG>(available.QuadPart, INT64_MAX));
}

// Text files with a byte order mark (UTF-8, UTF-16) into the system code
// page; others are taken as they are.
std::string DecodeTextFile(const std::string& bytes) {
  std::wstring wide;
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data() + 3,
                                           static_cast<int>(bytes.size() - 3), nullptr, 0);
    wide.resize(static_cast<size_t>(std::max(length, 0)));
    if (length > 0) {
      MultiByteToWideChar(CP_UTF8, 0, bytes.data() + 3, static_cast<int>(bytes.size() - 3),
                          wide.data(), length);
    }
  } else if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) {
    wide.resize((bytes.size() - 2) / 2);
    std::memcpy(wide.data(), bytes.data() + 2, wide.size() * sizeof(wchar_t));
  } else {
    return bytes;
  }
  const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(std::max(length, 0)), '\0');
  if (length > 0) {
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                        nullptr, nullptr);
  }
  return text;
}

}  // namespace

namespace {

Win32DialogWindows* progressWindows = nullptr;

}  // namespace

Win32DialogWindows::Win32DialogWindows() = default;

Win32DialogWindows::~Win32DialogWindows() {
  if (progressTimer_ != 0) KillTimer(nullptr, progressTimer_);
  if (progressWindows == this) {
    progressWindows = nullptr;
    SetProgressRefresh(nullptr);
  }
  SetShownWindow(0);
}

// The dialogs' one-second progress timer, from the first form loaded to the
// end of the run: while a worker runs it shows the progress variables and
// publishes a confirmed Cancel. The timer stops while it works.
void CALLBACK Win32DialogWindows::ProgressTimer(HWND /*window*/, UINT /*message*/, UINT_PTR timer,
                                                DWORD /*time*/) {
  Win32DialogWindows* self = progressWindows;
  if (self == nullptr || timer != self->progressTimer_) return;
  KillTimer(nullptr, self->progressTimer_);
  self->progressTimer_ = 0;
  ProgressTimerTick(Variables(), self);
  if (progressWindows == self) self->progressTimer_ = SetTimer(nullptr, 0, 1000, ProgressTimer);
}

void Win32DialogWindows::RefreshProgress(const ProgressFigures& figures) {
  if (current_ == nullptr || !current_->binding->Prepared()) return;
  current_->binding->RefreshProgress(figures);
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
  dialog->rules = *rules;
  dialog->supportFolder =
      slash == std::string::npos ? std::string() : formPath.substr(0, slash + 1);
  // Two statements naming the same file get two forms; a key loaded again replaces its form.
  if (auto old = pool_.find(key); old != pool_.end()) {
    if (shown_ == old->second.get()) shown_ = nullptr;
    if (current_ == old->second.get()) current_ = nullptr;
    if (prepared_ == old->second.get()) prepared_ = nullptr;
  }
  pool_[key] = std::move(dialog);
  if (progressTimer_ == 0) {
    progressWindows = this;
    progressTimer_ = SetTimer(nullptr, 0, 1000, ProgressTimer);
    SetProgressRefresh([this] { ProgressTimerTick(Variables(), this); });
  }
}

// A loaded dialog gets its windows and its binding when it is first used:
// a run that never shows a dialog (a silent one, say) makes none.
void Win32DialogWindows::Realize(Dialog& dialog) {
  dialog.window = std::make_unique<FormWindow>(*dialog.form, ScreenDpi());
  dialog.surface = std::make_unique<WindowSurface>(*dialog.window);
  dialog.window->SetCloseRefusedHandler([this] {
    if (tray_ != nullptr) tray_->CloseRefused();
  });
  FormWindow* shownWindow = dialog.window.get();
  dialog.window->SetSystemCommandHandler([this, shownWindow](WPARAM command) {
    // With the icon visible a minimised page goes into the tray instead.
    if ((command & 0xFFF0) == SC_MINIMIZE) return tray_ != nullptr && tray_->Minimising();
    if (command != kAboutCommand) return false;
    ShowAbout(shownWindow->Handle());
    return true;
  });
  dialog.binding = std::make_unique<DialogBinding>(*dialog.form, *dialog.surface, Variables(),
                                                   Components(), SplitLines(dialog.rules));
  DialogBinding* binding = dialog.binding.get();
  dialog.window->SetEventHandler([binding](FormControl& control, FormEvent event) {
    switch (event) {
      case FormEvent::kClick:
        binding->Clicked(control);
        break;
      case FormEvent::kChange:
        binding->Changed(control);
        break;
      case FormEvent::kItemCheck:
        binding->ItemChecked(control);
        break;
      case FormEvent::kKeyUp:
        binding->KeyReleased(control);
        break;
      case FormEvent::kMouseUp:
        binding->MouseReleased(control);
        break;
      case FormEvent::kScrolledToEnd:
        binding->ScrolledToEnd(control);
        break;
      case FormEvent::kTreeChange:
        binding->TreeChanged(control);
        break;
      case FormEvent::kMenuAtCursor:
      case FormEvent::kMenuAtNode:
        binding->TreeMenuRequested(control, event == FormEvent::kMenuAtCursor);
        break;
    }
  });
}

Win32DialogWindows::Dialog& Win32DialogWindows::Find(const std::string& key) {
  auto found = pool_.find(key);
  if (found == pool_.end()) throw EngineError("Dialog not loaded: " + key);
  if (!found->second->window) Realize(*found->second);
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
  dialog.window->SetRightToLeft(RightToLeftNow());
  dialog.window->SetClosable(false);
  PrepareSystemMenu(window);
  SetCancelRequested(false);
  // In tray mode the page only becomes the one the icon's click shows.
  if (tray_ == nullptr || !tray_->HoldBack(reinterpret_cast<uintptr_t>(window))) {
    ShowWindow(window, SW_SHOW);
    // A page shown without waiting has no message loop until the next one
    // that waits: it is painted now, not when the statements after it end.
    UpdateWindow(window);
    SetForegroundWindow(window);
    // The keyboard starts at the first control in tab order.
    if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE)) SetFocus(first);
    SetShownWindow(reinterpret_cast<uintptr_t>(window));
  }
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

void Win32DialogWindows::Prepare(const std::string& key, const TVariableManager& /*vars*/) {
  Dialog& dialog = Find(key);
  if (prepared_ != nullptr) prepared_->binding->Release();
  prepared_ = nullptr;
  services_.folderExists = FolderExists;
  services_.fileExists = FileExists;
  const std::string folder = dialog.supportFolder;
  services_.supportFolder = folder;
  services_.readSupportFile = [folder](const std::string& name) {
    return ReadBytes(folder + name);
  };
  services_.supportFileExists = [folder](const std::string& name) {
    return FileExists(folder + name);
  };
  services_.freeSpace = FreeBytes;
  services_.decodeText = DecodeTextFile;
  services_.language = Translations().Current();
  services_.translate = [](const std::string& form, const std::string& control) {
    return DialogTranslation(Translations().Files(), form, control);
  };
  services_.wizardCaption = WizardCaption();
  services_.cancelQuestion = EngineText(40);
  services_.movieFailure = EngineText(112);
  services_.componentMenu = {EngineText(113), EngineText(114), EngineText(115)};
  // Drawing waits until every control holds its value. Only a page on
  // screen is held: redraw is the window's visible bit, so switching it back
  // on would show a hidden page (one held back in tray mode, say).
  HWND window = dialog.window->Handle();
  const bool onScreen = (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
  if (onScreen) SendMessageW(window, WM_SETREDRAW, FALSE, 0);
  try {
    dialog.binding->Prepare(services_);
  } catch (...) {
    if (onScreen) SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    throw;
  }
  if (onScreen) {
    SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
  for (FormControl* watched : {dialog.binding->WatchedMemo(), dialog.binding->WatchedRichEdit()}) {
    if (watched != nullptr) dialog.window->WatchScrolling(*watched);
  }
  prepared_ = &dialog;
}

DialogOutcome Win32DialogWindows::ShowModal(const std::string& key) {
  Dialog& dialog = Find(key);
  Present(dialog);
  dialog.binding->SetModalResult(-1);
  MSG message;
  while (dialog.binding->ModalResult() == -1 && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(dialog.window->Handle(), &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  RECT r{};
  if (GetWindowRect(dialog.window->Handle(), &r)) lastPosition_ = {r.left, r.top};
  current_ = nullptr;
  DialogOutcome outcome;
  const int result = dialog.binding->ModalResult();
  outcome.code = result == -1 ? kDialogCancel : result;
  if (result == kDialogCustom) outcome.custom = dialog.binding->CustomResult();
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
