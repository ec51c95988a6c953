// Finding and reading windows of other processes; see window_query.h.
#include "window_query.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "capture.h"
#include "robot_io.h"

namespace vantrell::robot {
namespace {

constexpr UINT kMessageTimeoutMs = 2000;
// Mean per-channel difference under which a captured icon counts as the same image.
constexpr double kIconMatchLimit = 12.0;

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(  // NOLINT(performance-no-int-to-ptr)
      window);
  return TRUE;
}

// The four stock message-box icons, looked up by image where handles differ per process.
struct StockIcon {
  const wchar_t* id;
  const char* kind;
};
const StockIcon kStockIcons[] = {
    {IDI_HAND, "error"},
    {IDI_EXCLAMATION, "warning"},
    {IDI_ASTERISK, "information"},
    {IDI_QUESTION, "question"},
};

HWND IconStatic(HWND window) {
  for (HWND child : Children(window)) {
    if (IsClass(child, L"Static") && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      return child;
    }
  }
  return nullptr;
}

// Compares the icon as painted on screen with each stock icon drawn locally.
std::string IconKindByImage(HWND window, HWND iconStatic) {
  RECT client{};
  if (!GetClientRect(iconStatic, &client)) return "other";
  POINT origin{0, 0};
  if (!ClientToScreen(iconStatic, &origin)) return "other";
  RECT onScreen{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  if (client.right <= 0 || client.bottom <= 0) return "other";

  SetForegroundWindow(window);
  BringWindowToTop(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(150);
  Image shown = CaptureScreen(onScreen);
  COLORREF background = shown.At(0, 0);

  std::string best = "other";
  double bestDifference = kIconMatchLimit;
  for (const StockIcon& stock : kStockIcons) {
    HICON icon = LoadIconW(nullptr, stock.id);
    if (icon == nullptr) continue;
    double difference =
        MeanDifference(shown, RenderIcon(icon, client.right, client.bottom, background));
    if (difference < bestDifference) {
      bestDifference = difference;
      best = stock.kind;
    }
  }
  return best;
}

}  // namespace

bool WindowSelector::Empty() const {
  return title.empty() && titleContains.empty() && className.empty() && withControl.empty() &&
         pid == 0 && hwnd == nullptr;
}

bool WindowSelector::Matches(HWND window) const {
  if (Empty()) return false;
  if (hwnd != nullptr && window != hwnd) return false;
  if (pid != 0 && ProcessOf(window) != pid) return false;
  if (!className.empty() && !IsClass(window, className)) return false;
  if (!title.empty() || !titleContains.empty()) {
    std::wstring text = WindowText(window);
    if (!title.empty() && text != title) return false;
    if (!titleContains.empty() && text.find(titleContains) == std::wstring::npos) return false;
  }
  if (!withControl.empty()) {
    const std::vector<HWND> children = Children(window);
    return std::any_of(children.begin(), children.end(), [this](HWND child) {
      return IsWindowVisible(child) && IsClass(child, withControl);
    });
  }
  return true;
}

std::vector<HWND> VisibleTopLevelWindows() {
  std::vector<HWND> all;
  if (!EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all))) {
    throw RobotError(Win32Failure("EnumWindows"));
  }
  std::vector<HWND> visible;
  for (HWND window : all) {
    if (IsWindowVisible(window)) visible.push_back(window);
  }
  return visible;
}

HWND FindWindowBy(const WindowSelector& selector) {
  if (selector.hwnd != nullptr) {
    return IsWindow(selector.hwnd) && selector.Matches(selector.hwnd) ? selector.hwnd : nullptr;
  }
  for (HWND window : VisibleTopLevelWindows()) {
    if (selector.Matches(window)) return window;
  }
  return nullptr;
}

std::wstring WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                          &length)) {
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                            SMTO_ABORTIFHUNG, kMessageTimeoutMs, &copied)) {
      text.resize(copied < length ? copied : length);
      return text;
    }
  }
  // A hung window still has the caption the system keeps for it.
  wchar_t buffer[1024];
  int copied = InternalGetWindowText(window, buffer, static_cast<int>(std::size(buffer)));
  return std::wstring(buffer, copied > 0 ? static_cast<size_t>(copied) : 0);
}

std::wstring ClassOf(HWND window) {
  wchar_t buffer[256];
  int length = GetClassNameW(window, buffer, static_cast<int>(std::size(buffer)));
  return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

std::vector<HWND> Children(HWND window) {
  std::vector<HWND> children;
  // EnumChildWindows reports FALSE both for "no children" and failure; nothing to check.
  EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&children));
  return children;
}

bool IsClass(HWND window, std::wstring_view name) {
  std::wstring actual = ClassOf(window);
  return CompareStringOrdinal(actual.data(), static_cast<int>(actual.size()), name.data(),
                              static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

bool IsTextStatic(HWND control) {
  if (!IsClass(control, L"Static")) return false;
  LONG type = GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK;
  return type != SS_ICON && type != SS_BITMAP && type != SS_ENHMETAFILE && type != SS_BLACKRECT &&
         type != SS_GRAYRECT && type != SS_WHITERECT && type != SS_BLACKFRAME &&
         type != SS_GRAYFRAME && type != SS_WHITEFRAME && type != SS_ETCHEDHORZ &&
         type != SS_ETCHEDVERT && type != SS_ETCHEDFRAME && type != SS_OWNERDRAW;
}

bool IsButton(HWND control) {
  return IsClass(control, L"Button");
}

std::wstring StripAccelerators(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&') {
      if (i + 1 < text.size() && text[i + 1] == L'&') {
        out += L'&';
        ++i;
      }
      continue;
    }
    out += text[i];
  }
  return out;
}

HWND FindButton(HWND window, std::wstring_view text) {
  std::wstring wanted = StripAccelerators(text);
  for (HWND child : Children(window)) {
    if (IsButton(child) && StripAccelerators(WindowText(child)) == wanted) return child;
  }
  return nullptr;
}

HWND DefaultButton(HWND window) {
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(window, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                          &result) &&
      HIWORD(result) == DC_HASDEFID) {
    HWND button = GetDlgItem(window, LOWORD(result));
    if (button != nullptr) return button;
  }
  for (HWND child : Children(window)) {
    if (IsButton(child) && (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      return child;
    }
  }
  return nullptr;
}

std::string IconKind(HWND window, std::string* method) {
  method->clear();
  HWND iconStatic = IconStatic(window);
  if (iconStatic == nullptr) return "none";
  DWORD_PTR handle = 0;
  if (!SendMessageTimeoutW(iconStatic, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                           &handle)) {
    return "other";
  }
  if (handle == 0) return "none";
  // Stock icons share one handle across processes on Windows, not under Wine.
  for (const StockIcon& stock : kStockIcons) {
    // STM_GETICON answers with the handle as an integer.
    if (reinterpret_cast<HICON>(handle) ==  // NOLINT(performance-no-int-to-ptr)
        LoadIconW(nullptr, stock.id)) {
      *method = "handle";
      return stock.kind;
    }
  }
  std::string kind = IconKindByImage(window, iconStatic);
  if (kind != "other") *method = "image";
  return kind;
}

std::string FormatHwnd(HWND window) {
  char buffer[32];
  std::snprintf(buffer, sizeof(buffer), "0x%08lx",
                static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
  return buffer;
}

}  // namespace vantrell::robot
