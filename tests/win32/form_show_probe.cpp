// Shows a form file as the dialogs do and reports what it made of it.
// Usage: form_show_probe FORM.dfm [--dpi N] [--rescale N] [--report FILE]
// --rescale sends the shown form WM_DPICHANGED for N pixels per inch (without
// a suggested rectangle) before the report is written.
// The report (UTF-8, key=value lines) gives the form's caption and client
// size and, per control in file order, its name, class, text and the window's
// bounds in its parent's client area as measured on the live window, and
// what it shows of pictures: the form's icon (icon=WxH, or none), a control's
// picture (picture=WxH) and a button's glyph images (glyph=WxH*N). The
// program ends when the form is closed; a form file that cannot be loaded
// ends it with exit code 1 and "error=<message>" on stdout.
#include <windows.h>
#include <shellapi.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "dialogs/form_runtime.h"
#include "dialogs/form_stream.h"
#include "dialogs/win32/form_window.h"

namespace {

using vantrell::ControlView;

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
  std::string text(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                      nullptr, nullptr);
  return text;
}

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return Narrow(text);
}

std::string Escaped(std::string text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string IconSize(HICON icon) {
  ICONINFO info{};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return "none";
  BITMAP bitmap{};
  GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  return std::to_string(bitmap.bmWidth) + "x" + std::to_string(bitmap.bmHeight);
}

void Report(const vantrell::FormWindow& form, std::ostream& out) {
  RECT client;
  GetClientRect(form.Handle(), &client);
  out << "form=" << WindowText(form.Handle()) << "\n";
  out << "client=" << client.right << "," << client.bottom << "\n";
  out << "dpi=" << form.Dpi() << "\n";
  out << "icon="
      << IconSize(reinterpret_cast<HICON>(SendMessageW(form.Handle(), WM_GETICON, ICON_BIG, 0)))
      << "\n";
  for (const auto& view : form.Views()) {
    const vantrell::FormControl& c = *view->control;
    std::string text;
    for (const char* property : {"Caption", "Text", "Lines.Strings"}) {
      if (c.Has(property)) {
        text = c.Get(property).value_or("");
        break;
      }
    }
    out << "control=" << c.Name() << " class=" << c.ClassName() << " text=" << Escaped(text);
    if (view->window != nullptr) {
      RECT r;
      GetWindowRect(view->window, &r);
      MapWindowPoints(nullptr, GetParent(view->window), reinterpret_cast<POINT*>(&r), 2);
      // A combo box's window reaches down over its list; report the box as drawn.
      if (c.Has("DropDownCount")) {
        RECT box;
        if (SendMessageW(view->window, CB_GETDROPPEDCONTROLRECT, 0,
                         reinterpret_cast<LPARAM>(&box))) {
          r.bottom = r.top + view->bounds.height;
        }
      }
      out << " bounds=" << r.left << "," << r.top << "," << r.right - r.left << ","
          << r.bottom - r.top << " visible=" << (IsWindowVisible(view->window) ? 1 : 0)
          << " enabled=" << (IsWindowEnabled(view->window) ? 1 : 0);
      BUTTON_IMAGELIST glyphs{};
      int w = 0;
      int h = 0;
      if (c.Has("Glyph.Data") &&
          SendMessageW(view->window, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&glyphs)) &&
          glyphs.himl != nullptr && ImageList_GetIconSize(glyphs.himl, &w, &h)) {
        out << " glyph=" << w << "x" << h << "*" << ImageList_GetImageCount(glyphs.himl);
      }
    }
    if (view->picture) out << " picture=" << view->picture->width << "x" << view->picture->height;
    out << "\n";
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 2) return 2;
  std::wstring file = argv[1];
  std::wstring reportFile;
  int dpi = 0;
  int rescale = 0;
  for (int i = 2; i + 1 < argc; i += 2) {
    std::wstring option = argv[i];
    if (option == L"--dpi") dpi = _wtoi(argv[i + 1]);
    if (option == L"--report") reportFile = argv[i + 1];
    if (option == L"--rescale") rescale = _wtoi(argv[i + 1]);
  }
  if (dpi <= 0) {
    HDC screen = GetDC(nullptr);
    dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::ifstream in(file.c_str(), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  try {
    vantrell::FormResource resource = vantrell::ReadFormResource(bytes.str());
    vantrell::Form form(resource.root);
    vantrell::FormWindow window(form, dpi);
    ShowWindow(window.Handle(), SW_SHOW);
    UpdateWindow(window.Handle());
    if (rescale > 0) {
      constexpr UINT kDpiChanged = 0x02E0;
      SendMessageW(window.Handle(), kDpiChanged, MAKEWPARAM(rescale, rescale), 0);
    }
    if (!reportFile.empty()) {
      std::ofstream out(reportFile.c_str(), std::ios::binary);
      Report(window, out);
    }
    MSG message;
    while (IsWindow(window.Handle()) && GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (!IsDialogMessageW(window.Handle(), &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  } catch (const std::exception& e) {
    std::printf("error=%s\n", e.what());
    std::fflush(stdout);
    return 1;
  }
  return 0;
}
