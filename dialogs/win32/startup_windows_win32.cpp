// Start-up's splash and preparing windows (contract in startup_windows_win32.h).
#include "dialogs/win32/startup_windows_win32.h"

#include "common/engine_error.h"
#include "dialogs/form_runtime.h"
#include "dialogs/form_stream.h"
#include "dialogs/startup_placement.h"
#include "dialogs/win32/form_window.h"
#include "dialogs/win32/win32_text.h"
#include "lang/engine_texts.h"

namespace vantrell {
namespace {

// A splash is a picture; anything larger is no picture of ours.
constexpr LONGLONG kMostSplashBytes = LONGLONG{64} << 20;

Bounds WindowBounds(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void ShowAt(HWND window, ScreenPoint place) {
  SetWindowPos(window, HWND_TOP, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  UpdateWindow(window);
}

FormControl& Control(Form& form, const char* name) {
  FormControl* control = form.Find(name);
  if (control == nullptr) throw EngineError(std::string("Start-up form without ") + name);
  return *control;
}

}  // namespace

StartupWindows::StartupWindows(const std::string& exeFolder) {
  preparingForm_ = std::make_unique<Form>(ReadFormResource(EngineFormBytes(L"SETUPINIT")).root);
  splashForm_ = std::make_unique<Form>(ReadFormResource(EngineFormBytes(L"SETUPSPLASH")).root);

  const DWORD version = GetVersion();
  const bool newer = ShowsNewerIcon(LOBYTE(LOWORD(version)), HIBYTE(LOWORD(version)));
  Control(*preparingForm_, "Image1").Set("Visible", newer ? "True" : "False");
  Control(*preparingForm_, "Image2").Set("Visible", newer ? "False" : "True");
  preparingForm_->Root().Set("Caption", EngineText(kTextWizardCaption));
  Control(*preparingForm_, "Label1").Set("Caption", EngineText(kTextPreparing));

  // The picture goes in as a bitmap's file image; the decoder reads any format.
  std::optional<std::string> picture = ReadFileBytes(exeFolder + "setup.bmp", kMostSplashBytes);
  if (picture) Control(*splashForm_, "Image").Set("Picture.Data", "\x07TBitmap" + *picture);

  const int dpi = ScreenDpi();
  splash_ = std::make_unique<FormWindow>(*splashForm_, dpi);
  preparing_ = std::make_unique<FormWindow>(*preparingForm_, dpi);

  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const ControlView* image = splash_->View("Image");
  std::optional<Bounds> splashBounds;
  if (image != nullptr && image->picture) {
    Bounds size = WindowBounds(splash_->Handle());
    ScreenPoint place = CentredOnScreen(screenWidth, screenHeight, size.width, size.height);
    ShowAt(splash_->Handle(), place);
    splashShown_ = true;
    splashBounds = Bounds{place.x, place.y, size.width, size.height};
  }
  Bounds size = WindowBounds(preparing_->Handle());
  ShowAt(preparing_->Handle(),
         PreparingWindowPlace(screenWidth, screenHeight, size.width, size.height,
                              splashBounds ? &*splashBounds : nullptr));
}

StartupWindows::~StartupWindows() {
  ShowWindow(preparing_->Handle(), SW_HIDE);
  preparing_.reset();
  if (splashShown_) ShowWindow(splash_->Handle(), SW_HIDE);
  splash_.reset();
}

HWND StartupWindows::Preparing() const {
  return preparing_->Handle();
}

void StartupWindows::SetProgress(int minimum, int maximum, int position) {
  FormControl& bar = Control(*preparingForm_, "ProgressBar");
  bar.Set("Min", std::to_string(minimum));
  bar.Set("Max", std::to_string(maximum));
  bar.Set("Position", std::to_string(position));
  preparing_->Show(bar, "Max");
  preparing_->Show(bar, "Position");
  Repaint();
}

void StartupWindows::Step() {
  FormControl& bar = Control(*preparingForm_, "ProgressBar");
  SetProgress(static_cast<int>(bar.Integer("Min")), static_cast<int>(bar.Integer("Max", 100)),
              static_cast<int>(bar.Integer("Position")) + 1);
}

void StartupWindows::Repaint() {
  RedrawWindow(preparing_->Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  if (splashShown_) UpdateWindow(splash_->Handle());
}

}  // namespace vantrell
