// The windows of a live form (form_window.h). Z order among siblings: the
// windowed controls on top in tab order, the painted ones below them, later
// ones in the file above earlier ones; a transparent painted control first
// paints its parent's colour and the painted siblings below it.
#include "dialogs/win32/form_window.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "common/ascii.h"
#include "common/engine_error.h"
#include "dialogs/edit_mask.h"
#include "dialogs/win32/folder_controls_win32.h"
#include "dialogs/win32/html_view_win32.h"
#include "dialogs/win32/win32_text.h"

namespace vantrell {
namespace {

constexpr wchar_t kContainerClass[] = L"VantrellFormContainer";
constexpr wchar_t kPaintedClass[] = L"VantrellPaintedControl";
constexpr UINT_PTR kForwardingId = 1;
constexpr UINT_PTR kInputId = 2;
// Control identifiers start above the dialog manager's IDOK and IDCANCEL.
constexpr int kFirstControlId = 1000;
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED, newer than the headers' target

bool Is(const FormControl& control, std::string_view className) {
  return EqualsIgnoreCase(control.Descriptor().name, className);
}

bool IsAny(const FormControl& control, std::initializer_list<std::string_view> names) {
  return std::any_of(names.begin(), names.end(),
                     [&](std::string_view n) { return Is(control, n); });
}

// UTF-8 and wide strings read as UTF-8 (form_runtime.h); byte strings are
// in the system code page.
std::wstring WideOf(const FormValue* value, std::string_view text) {
  bool utf8 = value != nullptr && (value->type == FormValueType::kUtf8String ||
                                   value->type == FormValueType::kWideString);
  return Widen(text, utf8 ? CP_UTF8 : CP_ACP);
}

std::wstring WideText(const FormControl& control, std::string_view property) {
  return WideOf(control.Value(property), control.Get(property).value_or(""));
}

std::vector<std::wstring> WideLines(const FormControl& control, std::string_view property) {
  std::vector<std::wstring> lines;
  const FormValue* list = control.Value(property);
  if (list == nullptr || list->type != FormValueType::kList) return lines;
  std::vector<std::string> texts = control.Lines(property);
  for (size_t i = 0; i < texts.size() && i < list->list.size(); ++i) {
    lines.push_back(WideOf(&list->list[i], texts[i]));
  }
  return lines;
}

std::string WindowTextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return Narrow(text);
}

// The mask of a mask edit with one; nullopt for other controls.
std::optional<EditMask> MaskOf(const FormControl& control) {
  if (!EqualsIgnoreCase(control.Descriptor().name, "TMaskEdit")) return std::nullopt;
  return ParseEditMask(control.Get("EditMask").value_or(""));
}

// The text a control shows for its Text: a mask edit shows its value in its mask.
std::wstring ShownText(const FormControl& control) {
  if (std::optional<EditMask> mask = MaskOf(control)) {
    return Widen(MaskedText(*mask, control.Get("Text").value_or("")), CP_ACP);
  }
  return WideText(control, "Text");
}

// The rich edit control of Rich Edit 4.1, when the system has it.
const wchar_t* RichEditClass() {
  static const bool loaded = LoadLibraryW(L"msftedit.dll") != nullptr;
  return loaded ? MSFTEDIT_CLASS : L"EDIT";
}

bool IsRichEditWindow(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  return lstrcmpiW(name, MSFTEDIT_CLASS) == 0;
}

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += L"\r\n";
    text += lines[i];
  }
  return text;
}

COLORREF ColorOf(const FormControl& control, std::string_view property, COLORREF fallback) {
  std::optional<ColorValue> c = ParseColor(control.Get(property).value_or(""));
  if (!c || c->source == ColorValue::Source::kNone) return fallback;
  if (c->source == ColorValue::Source::kSystem) return GetSysColor(static_cast<int>(c->value));
  return static_cast<COLORREF>(c->value);
}

std::string Ident(const FormControl& control, std::string_view property) {
  return control.Get(property).value_or("");
}

bool HasElement(const FormControl& control, std::string_view property, std::string_view element) {
  std::optional<std::vector<std::string>> set = ParseSetText(control.Get(property).value_or("[]"));
  return set && std::any_of(set->begin(), set->end(),
                            [&](const std::string& e) { return EqualsIgnoreCase(e, element); });
}

bool UsesOwnFont(const FormControl& control) {
  if (control.Parent() == nullptr) return true;
  if (control.IsStored("ParentFont")) return !control.Truth("ParentFont");
  for (const FormProperty& p : control.Stored()) {
    if (p.name.size() > 5 && EqualsIgnoreCase(p.name.substr(0, 5), "Font.")) return true;
  }
  return !control.Truth("ParentFont");
}

bool UsesOwnColor(const FormControl& control) {
  if (control.Parent() == nullptr) return true;
  if (control.IsStored("ParentColor")) return !control.Truth("ParentColor");
  return control.IsStored("Color") || !control.Truth("ParentColor");
}

// Controls drawn by the painted-control class.
bool IsPainted(const FormControl& control) {
  return IsAny(control,
               {"TLabel", "TShape", "TBevel", "TImage", "TGauge", "TFlashFrame", "TRzFormShape"});
}

bool IsContainer(const FormControl& control) {
  return control.Parent() == nullptr || IsAny(control, {"TPanel", "TTabSheet"});
}

void RegisterClasses(HINSTANCE instance) {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kContainerClass;
  wc.lpfnWndProc = DefWindowProcW;  // replaced per window before its first message matters
  // The program's icon, for the pages' taskbar buttons and the Alt+Tab list
  // (shared handles: the system keeps them while the module is loaded).
  wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                           GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                           LR_SHARED));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  RegisterClassExW(&wc);
  wc.hIcon = wc.hIconSm = nullptr;
  wc.lpszClassName = kPaintedClass;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  RegisterClassExW(&wc);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                           ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS |
                                           ICC_ANIMATE_CLASS | ICC_TREEVIEW_CLASSES |
                                           ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  registered = true;
}

void FillSolid(HDC dc, const RECT& r, COLORREF color) {
  GdiObject<HBRUSH> brush(CreateSolidBrush(color));
  FillRect(dc, &r, brush.Get());
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF color) {
  GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, color));
  SelectedObject selected(dc, pen.Get());
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

// A frame of width lines: top and left in one colour, bottom and right in the other.
void Frame3D(HDC dc, RECT& r, COLORREF topLeft, COLORREF bottomRight, int width) {
  for (int i = 0; i < width && r.right - r.left > 1 && r.bottom - r.top > 1; ++i) {
    Line(dc, r.left, r.bottom - 1, r.left, r.top, topLeft);
    Line(dc, r.left, r.top, r.right - 1, r.top, topLeft);
    Line(dc, r.right - 1, r.top, r.right - 1, r.bottom - 1, bottomRight);
    Line(dc, r.right - 1, r.bottom - 1, r.left - 1, r.bottom - 1, bottomRight);
    InflateRect(&r, -1, -1);
  }
}

void PanelBevel(HDC dc, RECT& r, const std::string& cut, int width) {
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  COLORREF dark = GetSysColor(COLOR_BTNSHADOW);
  if (cut == "bvRaised") Frame3D(dc, r, light, dark, width);
  if (cut == "bvLowered") Frame3D(dc, r, dark, light, width);
  if (cut == "bvSpace") InflateRect(&r, -width, -width);
}

void PaintLabel(const ControlView& view, HDC dc, const RECT& client) {
  const FormControl& c = *view.control;
  SelectedObject font(dc, view.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, c.Truth("Enabled") ? view.textColor : GetSysColor(COLOR_GRAYTEXT));
  UINT flags = DT_EXPANDTABS;
  std::string alignment = Ident(c, "Alignment");
  if (alignment == "taCenter") flags |= DT_CENTER;
  if (alignment == "taRightJustify") flags |= DT_RIGHT;
  if (c.Truth("WordWrap")) flags |= DT_WORDBREAK;
  if (!c.Truth("ShowAccelChar")) flags |= DT_NOPREFIX;
  std::wstring text = WideText(c, "Caption");
  RECT r = client;
  std::string layout = Ident(c, "Layout");
  if (layout == "tlCenter" || layout == "tlBottom") {
    RECT measure = client;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measure, flags | DT_CALCRECT);
    int height = measure.bottom - measure.top;
    r.top = layout == "tlCenter" ? (client.bottom - height) / 2 : client.bottom - height;
  }
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
}

void PaintShape(const ControlView& view, HDC dc, const RECT& client) {
  const FormControl& c = *view.control;
  int penWidth = static_cast<int>(std::max<int64_t>(c.Integer("Pen.Width", 1), 0));
  std::string penStyle = Ident(c, "Pen.Style");
  int style = penStyle == "psDash"         ? PS_DASH
              : penStyle == "psDot"        ? PS_DOT
              : penStyle == "psDashDot"    ? PS_DASHDOT
              : penStyle == "psDashDotDot" ? PS_DASHDOTDOT
              : penStyle == "psClear"      ? PS_NULL
                                           : PS_SOLID;
  GdiObject<HPEN> pen(CreatePen(style, penWidth, ColorOf(c, "Pen.Color", RGB(0, 0, 0))));
  std::string brushStyle = Ident(c, "Brush.Style");
  GdiObject<HBRUSH> brush;
  COLORREF brushColor = ColorOf(c, "Brush.Color", RGB(255, 255, 255));
  int hatch = brushStyle == "bsHorizontal"  ? HS_HORIZONTAL
              : brushStyle == "bsVertical"  ? HS_VERTICAL
              : brushStyle == "bsFDiagonal" ? HS_FDIAGONAL
              : brushStyle == "bsBDiagonal" ? HS_BDIAGONAL
              : brushStyle == "bsCross"     ? HS_CROSS
              : brushStyle == "bsDiagCross" ? HS_DIAGCROSS
                                            : -1;
  if (hatch >= 0) {
    brush.Reset(CreateHatchBrush(hatch, brushColor));
    SetBkMode(dc, TRANSPARENT);
  } else if (brushStyle != "bsClear") {
    brush.Reset(CreateSolidBrush(brushColor));
  }
  SelectedObject selectedPen(dc, pen.Get());
  SelectedObject selectedBrush(
      dc, brush ? static_cast<HGDIOBJ>(brush.Get()) : GetStockObject(NULL_BRUSH));
  int x = penWidth / 2;
  int w = client.right - penWidth + 1;
  int h = client.bottom - penWidth + 1;
  int y = x;
  std::string shape = Ident(c, "Shape");
  if (shape == "stSquare" || shape == "stRoundSquare" || shape == "stCircle") {
    int side = std::min(w, h);
    x += (w - side) / 2;
    y += (h - side) / 2;
    w = h = side;
  }
  if (shape == "stEllipse" || shape == "stCircle") {
    Ellipse(dc, x, y, x + w, y + h);
  } else if (shape == "stRoundRect" || shape == "stRoundSquare") {
    int corner = std::min(w, h) / 4;
    RoundRect(dc, x, y, x + w, y + h, corner, corner);
  } else {
    Rectangle(dc, x, y, x + w, y + h);
  }
}

void PaintBevel(const ControlView& view, HDC dc, const RECT& r) {
  const FormControl& c = *view.control;
  COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  if (Ident(c, "Style") == "bsRaised") std::swap(shadow, light);
  int w = r.right;
  int h = r.bottom;
  std::string shape = Ident(c, "Shape");
  if (shape == "bsBox") {
    RECT frame = r;
    Frame3D(dc, frame, shadow, light, 1);
  } else if (shape == "bsFrame") {
    RECT outer{0, 0, w - 1, h - 1};
    RECT inner{1, 1, w, h};
    Frame3D(dc, outer, shadow, shadow, 1);
    Frame3D(dc, inner, light, light, 1);
  } else if (shape == "bsTopLine") {
    Line(dc, 0, 0, w, 0, shadow);
    Line(dc, 0, 1, w, 1, light);
  } else if (shape == "bsBottomLine") {
    Line(dc, 0, h - 2, w, h - 2, shadow);
    Line(dc, 0, h - 1, w, h - 1, light);
  } else if (shape == "bsLeftLine") {
    Line(dc, 0, 0, 0, h, shadow);
    Line(dc, 1, 0, 1, h, light);
  } else if (shape == "bsRightLine") {
    Line(dc, w - 2, 0, w - 2, h, shadow);
    Line(dc, w - 1, 0, w - 1, h, light);
  }
}

void PaintImage(const ControlView& view, HDC dc, const RECT& client) {
  if (!view.picture) return;
  const FormControl& c = *view.control;
  const DecodedPicture& p = *view.picture;
  int w = p.width;
  int h = p.height;
  if (c.Truth("Stretch")) {
    w = client.right;
    h = client.bottom;
    if (c.Truth("Proportional") && p.width > 0 && p.height > 0) {
      if (static_cast<int64_t>(w) * p.height > static_cast<int64_t>(h) * p.width) {
        w = MulDiv(h, p.width, p.height);
      } else {
        h = MulDiv(w, p.height, p.width);
      }
    }
  }
  int x = 0;
  int y = 0;
  if (c.Truth("Center")) {
    x = (client.right - w) / 2;
    y = (client.bottom - h) / 2;
  }
  HDC memory = CreateCompatibleDC(dc);
  if (memory == nullptr) return;
  {
    SelectedObject selected(memory, p.bitmap.Get());
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, x, y, w, h, memory, 0, 0, p.width, p.height, blend);
  }
  DeleteDC(memory);
}

void PaintGauge(const ControlView& view, HDC dc, const RECT& client) {
  const FormControl& c = *view.control;
  RECT r = client;
  if (Ident(c, "BorderStyle") == "bsSingle") {
    Frame3D(dc, r, RGB(0, 0, 0), RGB(0, 0, 0), 1);
  }
  FillSolid(dc, r, ColorOf(c, "BackColor", RGB(255, 255, 255)));
  int64_t low = c.Integer("MinValue");
  int64_t high = c.Integer("MaxValue", 100);
  int64_t progress = std::clamp(c.Integer("Progress"), std::min(low, high), std::max(low, high));
  int64_t percent = high > low ? (progress - low) * 100 / (high - low) : 0;
  RECT bar = r;
  if (Ident(c, "Kind") == "gkVerticalBar") {
    bar.top = r.bottom - static_cast<LONG>((r.bottom - r.top) * percent / 100);
  } else {
    bar.right = r.left + static_cast<LONG>((r.right - r.left) * percent / 100);
  }
  FillSolid(dc, bar, ColorOf(c, "ForeColor", RGB(0, 0, 0)));
  if (c.Truth("ShowText")) {
    std::wstring text = std::to_wstring(percent) + L"%";
    SelectedObject font(dc, view.font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(128, 128, 128));
    DrawTextW(dc, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

// A Flash frame that plays nothing: its window text, centred.
void PaintFrameText(const ControlView& view, HDC dc, const RECT& client) {
  wchar_t text[512];
  const int length = GetWindowTextW(view.window, text, 512);
  if (length <= 0) return;
  SelectedObject font(dc, view.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, view.textColor);
  const UINT flags = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
  RECT r = client;
  InflateRect(&r, -4, -4);
  RECT measure = r;
  DrawTextW(dc, text, length, &measure, flags | DT_CALCRECT);
  r.top = std::max(r.top, (client.bottom - (measure.bottom - measure.top)) / 2);
  DrawTextW(dc, text, length, &r, flags);
}

void PaintPanel(const ControlView& view, HDC dc) {
  const FormControl& c = *view.control;
  RECT r;
  GetClientRect(view.window, &r);
  int bevel = static_cast<int>(std::max<int64_t>(c.Integer("BevelWidth", 1), 0));
  PanelBevel(dc, r, Ident(c, "BevelOuter"), bevel);
  InflateRect(&r, -static_cast<int>(c.Integer("BorderWidth")),
              -static_cast<int>(c.Integer("BorderWidth")));
  PanelBevel(dc, r, Ident(c, "BevelInner"), bevel);
  std::wstring caption = WideText(c, "Caption");
  if (caption.empty()) return;
  SelectedObject font(dc, view.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, c.Truth("Enabled") ? view.textColor : GetSysColor(COLOR_GRAYTEXT));
  std::string alignment = Ident(c, "Alignment");
  UINT flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
  flags |= alignment == "taLeftJustify"    ? DT_LEFT
           : alignment == "taRightJustify" ? DT_RIGHT
                                           : DT_CENTER;
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, flags);
}

// What lies below a transparent painted control: its parent's colour and
// the painted siblings that come before it in the file.
void PaintBelow(const ControlView& view, HDC dc, const std::vector<ControlView*>& siblings) {
  RECT client{0, 0, view.bounds.width, view.bounds.height};
  if (view.parent != nullptr) FillRect(dc, &client, view.parent->backBrush.Get());
  for (const ControlView* sibling : siblings) {
    if (sibling == &view) break;
    if (!sibling->painted || !sibling->control->Truth("Visible")) continue;
    RECT mine{view.bounds.left, view.bounds.top, view.bounds.left + view.bounds.width,
              view.bounds.top + view.bounds.height};
    RECT theirs{sibling->bounds.left, sibling->bounds.top,
                sibling->bounds.left + sibling->bounds.width,
                sibling->bounds.top + sibling->bounds.height};
    RECT overlap;
    if (!IntersectRect(&overlap, &mine, &theirs)) continue;
    POINT old;
    SetViewportOrgEx(dc, sibling->bounds.left - view.bounds.left,
                     sibling->bounds.top - view.bounds.top, &old);
    PaintControl(*sibling, dc);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
  }
}

}  // namespace

void PaintControl(const ControlView& view, HDC dc) {
  const FormControl& c = *view.control;
  RECT client{0, 0, view.bounds.width, view.bounds.height};
  if (!view.transparent) FillRect(dc, &client, view.backBrush.Get());
  if (Is(c, "TLabel")) PaintLabel(view, dc, client);
  if (Is(c, "TShape")) PaintShape(view, dc, client);
  if (Is(c, "TBevel")) PaintBevel(view, dc, client);
  if (Is(c, "TImage") || Is(c, "TRzFormShape")) PaintImage(view, dc, client);
  if (Is(c, "TGauge")) PaintGauge(view, dc, client);
  if (Is(c, "TFlashFrame")) PaintFrameText(view, dc, client);
}

FormWindow::FormWindow(Form& form, int dpi) : form_(form), dpi_(dpi), scale_(FormScale(form, dpi)) {
  RegisterClasses(GetModuleHandleW(nullptr));
  root_ = std::make_unique<ControlView>();
  root_->owner = this;
  root_->control = &form.Root();
  CreateRoot();
  CreateChildren(*root_);
  FitToContents();
}

FormWindow::~FormWindow() {
  if (root_->window != nullptr && IsWindow(root_->window)) DestroyWindow(root_->window);
  if (treeImages_ != nullptr) ImageList_Destroy(treeImages_);
  for (HICON icon : {bigIcon_, smallIcon_}) {
    if (icon != nullptr) DestroyIcon(icon);
  }
}

ControlView* FormWindow::ViewOf(HWND window) const {
  auto it = byWindow_.find(window);
  return it == byWindow_.end() ? nullptr : it->second;
}

const ControlView* FormWindow::View(std::string_view name) const {
  for (const auto& view : views_) {
    if (EqualsIgnoreCase(view->control->Name(), name)) return view.get();
  }
  return EqualsIgnoreCase(root_->control->Name(), name) ? root_.get() : nullptr;
}

HWND FormWindow::ControlWindow(std::string_view name) const {
  const ControlView* view = View(name);
  return view == nullptr ? nullptr : view->window;
}

void FormWindow::CreateRoot() {
  const FormControl& c = *root_->control;
  std::string border = Ident(c, "BorderStyle");
  DWORD style = WS_CLIPCHILDREN;
  DWORD exStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
  if (border == "bsNone") {
    style |= WS_POPUP;
  } else {
    style |= WS_CAPTION | WS_OVERLAPPED;
    if (HasElement(c, "BorderIcons", "biSystemMenu")) style |= WS_SYSMENU;
    bool dialog = border == "bsDialog" || border == "bsToolWindow" || border == "bsSizeToolWin";
    if (!dialog && HasElement(c, "BorderIcons", "biMinimize")) style |= WS_MINIMIZEBOX;
    if (!dialog && HasElement(c, "BorderIcons", "biMaximize")) style |= WS_MAXIMIZEBOX;
    if (border == "bsSizeable" || border == "bsSizeToolWin") style |= WS_THICKFRAME;
    if (border == "bsDialog") exStyle |= WS_EX_DLGMODALFRAME;
    if (border == "bsToolWindow" || border == "bsSizeToolWin") exStyle |= WS_EX_TOOLWINDOW;
  }
  root_->bounds = scale_.Apply(DesignBounds(c));
  RECT frame{0, 0, root_->bounds.width, root_->bounds.height};
  bool clientGiven = c.IsStored("ClientWidth") || !c.IsStored("Width");
  if (clientGiven) AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  int width = frame.right - frame.left;
  int height = frame.bottom - frame.top;
  int x = static_cast<int>(c.Integer("Left"));
  int y = static_cast<int>(c.Integer("Top"));
  std::string position = Ident(c, "Position");
  if (position == "poDefault" || position == "poDefaultPosOnly") {
    x = y = CW_USEDEFAULT;
  } else if (position != "poDesigned" && position != "poDefaultSizeOnly") {
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    x = work.left + (work.right - work.left - width) / 2;
    y = work.top + (work.bottom - work.top - height) / 2;
  }
  ApplyAppearance(*root_);
  std::wstring caption = WideText(c, "Caption");
  HWND window = CreateWindowExW(exStyle, kContainerClass, caption.c_str(), style, x, y, width,
                                height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) throw EngineError("Cannot create the dialog window", GetLastError());
  root_->window = window;
  byWindow_[window] = root_.get();
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(root_.get()));
  SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ContainerProc));
  if (!clientGiven) {
    RECT client;
    GetClientRect(window, &client);
    root_->bounds.width = client.right;
    root_->bounds.height = client.bottom;
  }
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(root_->font), FALSE);
  // The form's own icon, in its caption and on its taskbar button.
  if (std::optional<std::string> icon = c.Get("Icon.Data"); icon && !icon->empty()) {
    bigIcon_ = IconOfFile(*icon, GetSystemMetrics(SM_CXICON));
    smallIcon_ = IconOfFile(*icon, GetSystemMetrics(SM_CXSMICON));
    if (bigIcon_ != nullptr)
      SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    if (smallIcon_ != nullptr) {
      SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    }
  }
}

void FormWindow::ApplyAppearance(ControlView& view) {
  const FormControl& c = *view.control;
  if (UsesOwnFont(c) || view.parent == nullptr) {
    LOGFONTW font{};
    int32_t height = static_cast<int32_t>(c.Integer("Font.Height", -11));
    if (c.IsStored("Font.Size") && !c.IsStored("Font.Height")) {
      height =
          -MulDiv(static_cast<int32_t>(c.Integer("Font.Size", 8)), form_.DesignPixelsPerInch(), 72);
    }
    font.lfHeight = scale_.Apply(height);
    font.lfWeight = HasElement(c, "Font.Style", "fsBold") ? FW_BOLD : FW_NORMAL;
    font.lfItalic = HasElement(c, "Font.Style", "fsItalic") ? TRUE : FALSE;
    font.lfUnderline = HasElement(c, "Font.Style", "fsUnderline") ? TRUE : FALSE;
    font.lfStrikeOut = HasElement(c, "Font.Style", "fsStrikeOut") ? TRUE : FALSE;
    font.lfCharSet =
        static_cast<BYTE>(ParseCharset(c.Get("Font.Charset").value_or("")).value_or(1));
    font.lfQuality = DEFAULT_QUALITY;
    std::wstring face = WideText(c, "Font.Name");
    face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
    std::copy(face.begin(), face.end(), font.lfFaceName);
    view.ownFont.Reset(CreateFontIndirectW(&font));
    view.font = view.ownFont.Get();
    view.textColor = ColorOf(c, "Font.Color", GetSysColor(COLOR_WINDOWTEXT));
  } else {
    view.font = view.parent->font;
    view.textColor = view.parent->textColor;
  }
  if (UsesOwnColor(c) || view.parent == nullptr) {
    view.backColor = ColorOf(c, "Color", GetSysColor(COLOR_BTNFACE));
  } else {
    view.backColor = view.parent->backColor;
  }
  if (Is(c, "THTMLViewer")) view.backColor = ColorOf(c, "DefBackground", view.backColor);
  view.backBrush.Reset(CreateSolidBrush(view.backColor));
  view.transparent = IsAny(c, {"TShape", "TBevel", "TImage", "TRzFormShape"}) ||
                     (Is(c, "TLabel") && c.Truth("Transparent"));
  if (IsAny(c, {"TImage", "TRzFormShape"})) {
    std::optional<std::string> data = c.Get("Picture.Data");
    if (data && !data->empty()) view.picture = DecodePicture(*data);
  }
  // A bitmap property's data is the bitmap's size and file image, as a
  // picture of class TBitmap holds it.
  auto bitmap = [&](std::string_view property) -> std::optional<DecodedPicture> {
    std::optional<std::string> data = c.Get(property);
    if (!data || data->empty()) return std::nullopt;
    return DecodePicture(std::string("\x07TBitmap") + *data);
  };
  if (IsAny(c, {"TBitBtn", "TSpeedButton"})) view.picture = bitmap("Glyph.Data");
  if (Is(c, "TRzBmpButton")) {
    view.picture = bitmap("Bitmaps.Up.Data");
    view.pressed = bitmap("Bitmaps.Down.Data");
    view.disabled = bitmap("Bitmaps.Disabled.Data");
  }
}

void FormWindow::CreateChildren(ControlView& parent) {
  for (const auto& child : parent.control->Children()) {
    if (Is(*child, "TVistaGlass")) {  // a frame effect, no control of its own
      ApplyGlass(*child);
      continue;
    }
    auto view = std::make_unique<ControlView>();
    view->owner = this;
    view->control = child.get();
    view->parent = &parent;
    ControlView& created = *view;
    views_.push_back(std::move(view));
    ApplyAppearance(created);
    CreateControl(created);
    if (created.window != nullptr) CreateChildren(created);
    if (Is(*created.control, "TRzFormShape")) ApplyFormShape(created);
  }
  if (Is(*parent.control, "TPageControl")) ShowActiveSheet(parent);
  OrderSiblings(parent);
}

int FormWindow::Place(ControlView& view) {
  const FormControl& c = *view.control;
  view.bounds = scale_.Apply(DesignBounds(c));
  if (Is(c, "TTabSheet")) {
    // A page fills the display area of its page control.
    RECT area;
    GetClientRect(view.parent->window, &area);
    TabCtrl_AdjustRect(view.parent->window, FALSE, &area);
    view.bounds = {area.left, area.top, area.right - area.left, area.bottom - area.top};
  }
  if (Is(c, "TRzFormShape") && Ident(c, "Align") == "alClient") {
    // A form shape covers the form it gives its outline.
    RECT area;
    GetClientRect(view.parent->window, &area);
    view.bounds = {0, 0, area.right, area.bottom};
  }
  if (Is(c, "TImage") && c.Truth("AutoSize") && view.picture) {
    // An auto-sized image takes its picture's size in pixels.
    view.bounds.width = view.picture->width;
    view.bounds.height = view.picture->height;
  }
  int height = view.bounds.height;
  if (c.Has("DropDownCount") && Ident(c, "Style") != "csSimple") {
    // A combo box's window includes its dropped-down list.
    int rows = static_cast<int>(std::clamp<int64_t>(c.Integer("DropDownCount", 8), 1, 100));
    height += scale_.Apply(rows * static_cast<int32_t>(c.Integer("ItemHeight", 13))) + 2;
  }
  return height;
}

void FormWindow::SetRightToLeft(bool rightToLeft) {
  if (rightToLeft == rightToLeft_) return;
  rightToLeft_ = rightToLeft;
  auto flip = [rightToLeft](HWND window) {
    if (window == nullptr) return;
    LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
    ex = rightToLeft ? (ex | WS_EX_LAYOUTRTL) : (ex & ~static_cast<LONG_PTR>(WS_EX_LAYOUTRTL));
    SetWindowLongPtrW(window, GWL_EXSTYLE, ex);
  };
  flip(root_->window);
  for (const auto& view : views_) flip(view->window);
  // Children keep their coordinates; in a mirrored parent these count from its right edge.
  Rescale(dpi_);
}

void FormWindow::Rescale(int dpi, const RECT* suggested) {
  dpi_ = dpi;
  scale_ = FormScale(form_, dpi);
  ApplyAppearance(*root_);
  SendMessageW(root_->window, WM_SETFONT, reinterpret_cast<WPARAM>(root_->font), FALSE);
  root_->bounds = scale_.Apply(DesignBounds(*root_->control));
  RECT frame{0, 0, root_->bounds.width, root_->bounds.height};
  if (suggested != nullptr) {
    frame = *suggested;
  } else {
    RECT window;
    GetWindowRect(root_->window, &window);
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(root_->window, GWL_STYLE)),
                       FALSE, static_cast<DWORD>(GetWindowLongPtrW(root_->window, GWL_EXSTYLE)));
    OffsetRect(&frame, window.left - frame.left, window.top - frame.top);
  }
  SetWindowPos(root_->window, nullptr, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
  // Parents come before their children in views_, so each is placed in a
  // parent that already has its new size and font.
  for (const auto& view : views_) {
    ApplyAppearance(*view);
    if (view->window == nullptr) continue;
    int height = Place(*view);
    MoveWindow(view->window, view->bounds.left, view->bounds.top, view->bounds.width, height,
               FALSE);
    SendMessageW(view->window, WM_SETFONT, reinterpret_cast<WPARAM>(view->font), FALSE);
    if (Is(*view->control, "TLabel") && view->control->Truth("AutoSize")) FitLabel(*view);
  }
  FitToContents();
  RedrawWindow(root_->window, nullptr, nullptr,
               RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void FormWindow::FitToContents() {
  if (!root_->control->Truth("AutoSize")) return;
  int32_t right = 0;
  int32_t bottom = 0;
  for (const auto& view : views_) {
    if (view->parent != root_.get() || !view->control->Truth("Visible")) continue;
    right = std::max(right, view->bounds.left + view->bounds.width);
    bottom = std::max(bottom, view->bounds.top + view->bounds.height);
  }
  root_->bounds.width = right;
  root_->bounds.height = bottom;
  RECT frame{0, 0, right, bottom};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(root_->window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(root_->window, GWL_EXSTYLE)));
  SetWindowPos(root_->window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::CreateControl(ControlView& view) {
  const FormControl& c = *view.control;
  HWND parentWindow = view.parent->window;
  int height = Place(view);
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD exStyle = 0;
  if (c.Truth("Visible")) style |= WS_VISIBLE;
  if (!c.Truth("Enabled")) style |= WS_DISABLED;
  if (c.Truth("TabStop")) style |= WS_TABSTOP;
  const wchar_t* windowClass = nullptr;
  std::wstring text;
  bool singleBorder = Ident(c, "BorderStyle") == "bsSingle";
  if (Is(c, "THTMLViewer")) {
    // A window of the viewer's own class.
    if (Ident(c, "BorderStyle") != "htNone") exStyle |= WS_EX_CLIENTEDGE;
    const std::string bars = Ident(c, "ScrollBars");
    if (bars != "ssNone" && bars != "ssHorizontal") style |= WS_VSCROLL;
    HtmlViewSettings settings;
    settings.face = c.Get("DefFontName").value_or(settings.face);
    settings.monospaceFace = c.Get("DefPreFontName").value_or(settings.monospaceFace);
    settings.sizePoints = static_cast<int>(c.Integer("DefFontSize", settings.sizePoints));
    settings.textColor = ColorOf(c, "DefFontColor", GetSysColor(COLOR_BTNTEXT));
    settings.background = view.backColor;
    settings.linkColor = ColorOf(c, "DefHotSpotColor", RGB(0, 0, 255));
    settings.dpi = dpi_;
    const RECT bounds{view.bounds.left, view.bounds.top, view.bounds.left + view.bounds.width,
                      view.bounds.top + height};
    view.window = CreateHtmlView(parentWindow, bounds, style, exStyle, settings);
    if (view.window != nullptr) byWindow_[view.window] = &view;
    return;
  }
  if (IsPainted(c)) {
    windowClass = kPaintedClass;
    view.painted = true;
    // Painted from the control, but the window carries the text for assistive tools.
    if (Is(c, "TLabel")) text = WideText(c, "Caption");
  } else if (IsContainer(c)) {
    windowClass = kContainerClass;
    style |= WS_CLIPCHILDREN;
    exStyle |= WS_EX_CONTROLPARENT;
    if (Is(c, "TPanel") && singleBorder) style |= WS_BORDER;
    if (Is(c, "TTabSheet")) style &= ~WS_VISIBLE;  // ShowActiveSheet shows one
  } else if (IsAny(c, {"TEdit", "TMaskEdit", "TMemo", "TRichEdit"})) {
    windowClass = Is(c, "TRichEdit") ? RichEditClass() : L"EDIT";
    if (singleBorder) exStyle |= WS_EX_CLIENTEDGE;
    if (c.Truth("ReadOnly")) style |= ES_READONLY;
    std::string charCase = Ident(c, "CharCase");
    if (charCase == "ecUpperCase") style |= ES_UPPERCASE;
    if (charCase == "ecLowerCase") style |= ES_LOWERCASE;
    if (IsAny(c, {"TMemo", "TRichEdit"})) {
      style |= ES_MULTILINE | ES_AUTOVSCROLL;
      if (c.Truth("WantReturns")) style |= ES_WANTRETURN;
      std::string bars = Ident(c, "ScrollBars");
      if (bars == "ssVertical" || bars == "ssBoth") style |= WS_VSCROLL;
      if (bars == "ssHorizontal" || bars == "ssBoth") style |= WS_HSCROLL;
      if (!c.Truth("WordWrap")) style |= ES_AUTOHSCROLL;
      std::string alignment = Ident(c, "Alignment");
      if (alignment == "taCenter") style |= ES_CENTER;
      if (alignment == "taRightJustify") style |= ES_RIGHT;
      text = JoinLines(WideLines(c, "Lines.Strings"));
    } else {
      style |= ES_AUTOHSCROLL;
      if (!c.Get("PasswordChar").value_or("").empty()) style |= ES_PASSWORD;
      text = ShownText(c);
    }
  } else if (Is(c, "TRzBmpButton")) {
    // Drawn with its pictures for the up, down and disabled states.
    windowClass = L"BUTTON";
    style |= BS_OWNERDRAW;
    text = WideText(c, "Caption");
  } else if (IsAny(c, {"TButton", "TBitBtn", "TSpeedButton"})) {
    windowClass = L"BUTTON";
    style |= c.Truth("Default") ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if (c.Truth("WordWrap")) style |= BS_MULTILINE;
    text = WideText(c, "Caption");
  } else if (IsAny(c, {"TRzCheckBox", "TRzRadioButton"})) {
    windowClass = L"BUTTON";
    if (Is(c, "TRzRadioButton")) {
      style |= BS_AUTORADIOBUTTON;
    } else {
      style |= c.Truth("AllowGrayed") ? BS_AUTO3STATE : BS_AUTOCHECKBOX;
    }
    if (Ident(c, "Alignment") == "taLeftJustify") style |= BS_LEFTTEXT;
    if (c.Truth("WordWrap")) style |= BS_MULTILINE;
    text = WideText(c, "Caption");
  } else if (Is(c, "TGroupBox")) {
    windowClass = L"BUTTON";
    style |= BS_GROUPBOX | WS_CLIPCHILDREN;
    exStyle |= WS_EX_CONTROLPARENT;
    text = WideText(c, "Caption");
  } else if (Is(c, "TStaticText")) {
    windowClass = L"STATIC";
    style |= SS_NOTIFY;
    std::string alignment = Ident(c, "Alignment");
    style |= alignment == "taCenter"         ? SS_CENTER
             : alignment == "taRightJustify" ? SS_RIGHT
                                             : SS_LEFT;
    if (!c.Truth("ShowAccelChar")) style |= SS_NOPREFIX;
    std::string border = Ident(c, "BorderStyle");
    if (border == "sbsSingle") style |= WS_BORDER;
    if (border == "sbsSunken") style |= SS_SUNKEN;
    text = WideText(c, "Caption");
  } else if (Is(c, "TCheckListBox")) {
    // A list view with check boxes: one column, no header.
    windowClass = WC_LISTVIEWW;
    style |= LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
    if (singleBorder) exStyle |= WS_EX_CLIENTEDGE;
  } else if (IsAny(c, {"TListBox", "TFileListBox", "TDirectoryListBox"})) {
    windowClass = L"LISTBOX";
    style |= LBS_NOTIFY | WS_VSCROLL | LBS_HASSTRINGS;
    if (!c.Truth("IntegralHeight")) style |= LBS_NOINTEGRALHEIGHT;
    if (c.Truth("MultiSelect"))
      style |= c.Truth("ExtendedSelect") ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
    if (c.Truth("Sorted")) style |= LBS_SORT;
    if (c.Integer("Columns") > 0) style |= LBS_MULTICOLUMN | WS_HSCROLL;
    if (singleBorder) exStyle |= WS_EX_CLIENTEDGE;
  } else if (IsAny(c, {"TComboBox", "TDriveComboBox", "TFilterComboBox", "TPTShellCombo"})) {
    windowClass = L"COMBOBOX";
    std::string comboStyle = Ident(c, "Style");
    style |= WS_VSCROLL | CBS_AUTOHSCROLL | CBS_HASSTRINGS;
    // The folder combos offer only their own entries.
    style |= comboStyle == "csDropDownList" || !c.Has("Style") ? CBS_DROPDOWNLIST
             : comboStyle == "csSimple"                        ? CBS_SIMPLE
                                                               : CBS_DROPDOWN;
    if (c.Truth("Sorted")) style |= CBS_SORT;
    text = WideText(c, "Text");
  } else if (Is(c, "TPageControl")) {
    windowClass = WC_TABCONTROLW;
    style |= WS_CLIPCHILDREN;
    exStyle |= WS_EX_CONTROLPARENT;
    if (c.Truth("MultiLine")) style |= TCS_MULTILINE;
    if (Ident(c, "TabPosition") == "tpBottom") style |= TCS_BOTTOM;
    std::string tabStyle = Ident(c, "Style");
    if (tabStyle == "tsButtons") style |= TCS_BUTTONS;
    if (tabStyle == "tsFlatButtons") style |= TCS_BUTTONS | TCS_FLATBUTTONS;
    if (c.Truth("HotTrack")) style |= TCS_HOTTRACK;
  } else if (Is(c, "TTrackBar")) {
    windowClass = TRACKBAR_CLASSW;
    bool vertical = Ident(c, "Orientation") == "trVertical";
    if (vertical) style |= TBS_VERT;
    std::string ticks = Ident(c, "TickStyle");
    if (ticks == "tsNone") style |= TBS_NOTICKS;
    if (ticks == "tsAuto") style |= TBS_AUTOTICKS;
    std::string marks = Ident(c, "TickMarks");
    if (marks == "tmTopLeft") style |= vertical ? TBS_LEFT : TBS_TOP;
    if (marks == "tmBoth") style |= TBS_BOTH;
    if (!c.Truth("SliderVisible")) style |= TBS_NOTHUMB;
  } else if (Is(c, "TProgressBar")) {
    windowClass = PROGRESS_CLASSW;
    if (c.Truth("Smooth")) style |= PBS_SMOOTH;
    if (Ident(c, "Orientation") == "pbVertical") style |= PBS_VERTICAL;
    if (Ident(c, "Style") == "pbstMarquee") style |= PBS_MARQUEE;
  } else if (Is(c, "TUpDown")) {
    windowClass = UPDOWN_CLASSW;
    if (Ident(c, "Orientation") == "udHorizontal") style |= UDS_HORZ;
    if (c.Truth("Wrap")) style |= UDS_WRAP;
    if (c.Truth("ArrowKeys")) style |= UDS_ARROWKEYS;
    if (!c.Truth("Thousands")) style |= UDS_NOTHOUSANDS;
  } else if (Is(c, "TAnimate")) {
    windowClass = ANIMATE_CLASSW;
    if (c.Truth("Center")) style |= ACS_CENTER;
    if (c.Truth("Transparent")) style |= ACS_TRANSPARENT;
  } else if (IsAny(c, {"TTreeView", "TPTShellTree"})) {
    windowClass = WC_TREEVIEWW;
    if (c.Truth("ShowLines")) style |= TVS_HASLINES;
    if (c.Truth("ShowButtons")) style |= TVS_HASBUTTONS;
    if (c.Truth("ShowRoot")) style |= TVS_LINESATROOT;
    if (!c.Truth("HideSelection")) style |= TVS_SHOWSELALWAYS;
    if (c.Truth("RowSelect")) style |= TVS_FULLROWSELECT;
    exStyle |= WS_EX_CLIENTEDGE;
  } else if (Is(c, "TPTShellList")) {
    windowClass = WC_LISTVIEWW;
    style |= LVS_ICON;
    exStyle |= WS_EX_CLIENTEDGE;
  } else {
    return;  // registered but shown by nothing (no such class reaches here today)
  }
  const bool painted = windowClass == kPaintedClass || windowClass == kContainerClass;
  // NOLINTNEXTLINE(performance-no-int-to-ptr): a child window's menu handle is its identifier
  HMENU id = painted
                 ? nullptr
                 : reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + views_.size()));
  HWND window = CreateWindowExW(exStyle, windowClass, text.c_str(), style, view.bounds.left,
                                view.bounds.top, view.bounds.width, height, parentWindow, id,
                                GetModuleHandleW(nullptr), nullptr);
  if (window == nullptr) return;  // the form stays usable without this control
  view.window = window;
  byWindow_[window] = &view;
  if (windowClass == kContainerClass || windowClass == kPaintedClass) {
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&view));
    SetWindowLongPtrW(
        window, GWLP_WNDPROC,
        reinterpret_cast<LONG_PTR>(windowClass == kPaintedClass ? PaintedProc : ContainerProc));
  } else if (Is(c, "TGroupBox") || Is(c, "TPageControl")) {
    // Their children's colour and notification messages go to them.
    SetWindowSubclass(window, ForwardingProc, kForwardingId, reinterpret_cast<DWORD_PTR>(&view));
  } else if (IsAny(c, {"TMaskEdit", "TMemo", "TRichEdit", "TTreeView"})) {
    SetWindowSubclass(window, InputProc, kInputId, reinterpret_cast<DWORD_PTR>(&view));
  }
  if (Is(c, "TCheckListBox")) {
    SendMessageW(window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                 LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT client{};
    GetClientRect(window, &client);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = client.right - GetSystemMetrics(SM_CXVSCROLL);
    SendMessageW(window, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  }
  if (IsRichEditWindow(window)) {
    SendMessageW(window, EM_SETEVENTMASK, 0, ENM_CHANGE);
    SendMessageW(window, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(view.backColor));
  }
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(view.font), FALSE);
  if (IsAny(c, {"TBitBtn", "TSpeedButton"}) && view.picture) ShowGlyph(view);
  if (Is(c, "TLabel") && c.Truth("AutoSize")) FitLabel(view);
  Fill(view);
  if (IsFolderClass(c)) AttachFolderControl(window, c);
}

void FormWindow::ShowGlyph(ControlView& view) {
  const FormControl& c = *view.control;
  const int count = static_cast<int>(c.Integer("NumGlyphs"));
  std::optional<DecodedPicture> states = ButtonGlyphStates(*view.picture, count);
  if (!states) return;
  const int width = states->width / 6;
  view.glyphs = ImageList_Create(width, states->height, ILC_COLOR32, 6, 0);
  if (view.glyphs == nullptr) return;
  ImageList_Add(view.glyphs, states->bitmap.Get(), nullptr);
  // Beside the caption as the layout says, Margin pixels from the edge (no
  // margin, -1, keeps the glyph Spacing pixels from it).
  BUTTON_IMAGELIST images{};
  images.himl = view.glyphs;
  const std::string layout = Ident(c, "Layout");
  images.uAlign = layout == "blGlyphRight"    ? BUTTON_IMAGELIST_ALIGN_RIGHT
                  : layout == "blGlyphTop"    ? BUTTON_IMAGELIST_ALIGN_TOP
                  : layout == "blGlyphBottom" ? BUTTON_IMAGELIST_ALIGN_BOTTOM
                                              : BUTTON_IMAGELIST_ALIGN_LEFT;
  const int64_t given = c.Integer("Margin");
  const int margin =
      static_cast<int>(std::clamp<int64_t>(given >= 0 ? given : c.Integer("Spacing"), 0, 64));
  images.margin = {margin, margin, margin, margin};
  SendMessageW(view.window, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
}

void FormWindow::FitLabel(ControlView& view) {
  // An auto-sized label takes the size of its text in the font it shows
  // with (a word-wrapped one keeps its width); its left and top stay.
  const FormControl& c = *view.control;
  std::wstring text = WideText(c, "Caption");
  if (text.empty()) return;
  HDC dc = GetDC(view.window);
  if (dc == nullptr) return;
  RECT r{0, 0, view.bounds.width, 0};
  {
    SelectedObject font(dc, view.font);
    UINT flags = DT_EXPANDTABS | DT_CALCRECT;
    if (c.Truth("WordWrap")) flags |= DT_WORDBREAK;
    if (!c.Truth("ShowAccelChar")) flags |= DT_NOPREFIX;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
  }
  ReleaseDC(view.window, dc);
  if (!c.Truth("WordWrap")) view.bounds.width = r.right - r.left;
  view.bounds.height = r.bottom - r.top;
  SetWindowPos(view.window, nullptr, 0, 0, view.bounds.width, view.bounds.height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::Fill(ControlView& view) {
  const FormControl& c = *view.control;
  HWND w = view.window;
  if (IsAny(c, {"TEdit", "TMaskEdit"})) {
    SendMessageW(w, EM_LIMITTEXT, static_cast<WPARAM>(std::max<int64_t>(c.Integer("MaxLength"), 0)),
                 0);
    std::wstring password = WideText(c, "PasswordChar");
    if (!password.empty()) SendMessageW(w, EM_SETPASSWORDCHAR, password[0], 0);
  } else if (IsAny(c, {"TRzCheckBox", "TRzRadioButton"})) {
    WPARAM state = c.Truth("Checked") ? BST_CHECKED : BST_UNCHECKED;
    if (Ident(c, "State") == "cbGrayed") state = BST_INDETERMINATE;
    SendMessageW(w, BM_SETCHECK, state, 0);
  } else if (IsAny(c, {"TListBox", "TCheckListBox", "TComboBox"})) {
    FillItems(view);
  } else if (Is(c, "TPageControl")) {
    int index = 0;
    for (const auto& sheet : c.Children()) {
      if (!Is(*sheet, "TTabSheet") || !sheet->Truth("TabVisible")) continue;
      std::wstring caption = WideText(*sheet, "Caption");
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = caption.data();
      SendMessageW(w, TCM_INSERTITEMW, static_cast<WPARAM>(index++),
                   reinterpret_cast<LPARAM>(&item));
    }
    // The designed active page is the one shown first (the first tab otherwise).
    const std::string active = Ident(c, "ActivePage");
    int visible = 0;
    for (const auto& sheet : c.Children()) {
      if (!Is(*sheet, "TTabSheet") || !sheet->Truth("TabVisible")) continue;
      if (!active.empty() && EqualsIgnoreCase(active, sheet->Name())) {
        SendMessageW(w, TCM_SETCURSEL, static_cast<WPARAM>(visible), 0);
      }
      ++visible;
    }
  } else if (Is(c, "TTrackBar")) {
    SendMessageW(w, TBM_SETRANGEMIN, FALSE, static_cast<LPARAM>(c.Integer("Min")));
    SendMessageW(w, TBM_SETRANGEMAX, FALSE, static_cast<LPARAM>(c.Integer("Max", 10)));
    SendMessageW(w, TBM_SETTICFREQ, static_cast<WPARAM>(c.Integer("Frequency", 1)), 0);
    SendMessageW(w, TBM_SETLINESIZE, 0, static_cast<LPARAM>(c.Integer("LineSize", 1)));
    SendMessageW(w, TBM_SETPAGESIZE, 0, static_cast<LPARAM>(c.Integer("PageSize", 2)));
    SendMessageW(w, TBM_SETPOS, TRUE, static_cast<LPARAM>(c.Integer("Position")));
  } else if (Is(c, "TProgressBar")) {
    SendMessageW(w, PBM_SETRANGE32, static_cast<WPARAM>(c.Integer("Min")),
                 static_cast<LPARAM>(c.Integer("Max", 100)));
    SendMessageW(w, PBM_SETSTEP, static_cast<WPARAM>(c.Integer("Step", 10)), 0);
    SendMessageW(w, PBM_SETPOS, static_cast<WPARAM>(c.Integer("Position")), 0);
    if (Ident(c, "Style") == "pbstMarquee") SendMessageW(w, PBM_SETMARQUEE, TRUE, 100);
  } else if (Is(c, "TUpDown")) {
    SendMessageW(w, UDM_SETRANGE32, static_cast<WPARAM>(c.Integer("Min")),
                 static_cast<LPARAM>(c.Integer("Max", 100)));
    SendMessageW(w, UDM_SETPOS32, 0, static_cast<LPARAM>(c.Integer("Position")));
  }
}

void FormWindow::FillItems(ControlView& view) {
  const FormControl& c = *view.control;
  HWND w = view.window;
  const std::vector<std::wstring> items = WideLines(c, "Items.Strings");
  const int64_t selected = c.Integer("ItemIndex", -1);
  if (Is(c, "TCheckListBox")) {
    SendMessageW(w, LVM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < items.size(); ++i) {
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = const_cast<wchar_t*>(items[i].c_str());
      SendMessageW(w, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    if (selected >= 0) {
      LVITEMW state{};
      state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageW(w, LVM_SETITEMSTATE, static_cast<WPARAM>(selected),
                   reinterpret_cast<LPARAM>(&state));
    }
  } else if (IsAny(c, {"TListBox", "TFileListBox", "TDirectoryListBox"})) {
    SendMessageW(w, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& item : items) {
      SendMessageW(w, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    SendMessageW(w, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  } else {
    SendMessageW(w, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& item : items) {
      SendMessageW(w, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    int64_t index = selected;
    std::wstring text = WideText(c, "Text");
    if (index < 0 && !text.empty()) {
      index = SendMessageW(w, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(text.c_str()));
    }
    if (index >= 0) {
      SendMessageW(w, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    } else if (!text.empty()) {
      SetWindowTextW(w, text.c_str());
    }
  }
}

ControlView* FormWindow::ViewOfControl(const FormControl& control) const {
  if (root_->control == &control) return root_.get();
  for (const auto& view : views_) {
    if (view->control == &control) return view.get();
  }
  return nullptr;
}

HWND FormWindow::WindowOf(const FormControl& control) const {
  const ControlView* view = ViewOfControl(control);
  return view == nullptr ? nullptr : view->window;
}

void FormWindow::Show(const FormControl& control, std::string_view property) {
  ControlView* view = ViewOfControl(control);
  if (view == nullptr || view->window == nullptr) return;
  const bool was = showing_;
  showing_ = true;
  const FormControl& c = control;
  HWND w = view->window;
  auto is = [&](std::string_view name) { return EqualsIgnoreCase(property, name); };
  if (is("Caption")) {
    ShowCaption(c);
  } else if (is("Text")) {
    if (IsAny(c, {"TComboBox", "TDriveComboBox", "TFilterComboBox", "TPTShellCombo"})) {
      std::wstring text = WideText(c, "Text");
      LRESULT index = SendMessageW(w, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(text.c_str()));
      if (index >= 0) {
        SendMessageW(w, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
      } else {
        SetWindowTextW(w, text.c_str());
      }
    } else {
      SetWindowTextW(w, ShownText(c).c_str());
    }
  } else if (is("Lines") || is("Lines.Strings")) {
    SetWindowTextW(w, JoinLines(WideLines(c, "Lines.Strings")).c_str());
  } else if (is("Items") || is("Items.Strings")) {
    FillItems(*view);
  } else if (is("ItemIndex")) {
    const int64_t index = c.Integer("ItemIndex", -1);
    if (Is(c, "TCheckListBox")) {
      LVITEMW state{};
      state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageW(w, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
      state.state = state.stateMask;
      if (index >= 0) {
        SendMessageW(w, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&state));
      }
    } else if (IsAny(c, {"TListBox", "TFileListBox", "TDirectoryListBox"})) {
      if (c.Truth("MultiSelect")) {
        SendMessageW(w, LB_SETSEL, FALSE, -1);
        if (index >= 0) SendMessageW(w, LB_SETSEL, TRUE, static_cast<LPARAM>(index));
      } else {
        SendMessageW(w, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
      }
    } else {
      SendMessageW(w, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
  } else if (is("Checked")) {
    SendMessageW(w, BM_SETCHECK, c.Truth("Checked") ? BST_CHECKED : BST_UNCHECKED, 0);
  } else if (is("Position")) {
    const auto position = static_cast<LPARAM>(c.Integer("Position"));
    if (Is(c, "TTrackBar")) SendMessageW(w, TBM_SETPOS, TRUE, position);
    if (Is(c, "TProgressBar")) SendMessageW(w, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    if (Is(c, "TUpDown")) SendMessageW(w, UDM_SETPOS32, 0, position);
  } else if ((is("Min") || is("Max")) && Is(c, "TProgressBar")) {
    SendMessageW(w, PBM_SETRANGE32, static_cast<WPARAM>(c.Integer("Min")),
                 static_cast<LPARAM>(c.Integer("Max", 100)));
  } else if (is("Style") && Is(c, "TProgressBar")) {
    // A marquee bar moves on its own every 100 ms and ignores the figures.
    const bool marquee = Ident(c, "Style") == "pbstMarquee";
    const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
    SetWindowLongPtrW(w, GWL_STYLE, marquee ? style | PBS_MARQUEE : style & ~PBS_MARQUEE);
    SendMessageW(w, PBM_SETMARQUEE, marquee ? TRUE : FALSE, 100);
  } else if (is("MaxLength")) {
    const auto most =
        static_cast<LPARAM>(std::clamp<int64_t>(c.Integer("MaxLength"), 0, 0x7FFFFFFF));
    SendMessageW(w, IsRichEditWindow(w) ? EM_EXLIMITTEXT : EM_LIMITTEXT,
                 IsRichEditWindow(w) ? 0 : static_cast<WPARAM>(most), most);
  } else if (is("Enabled")) {
    EnableWindow(w, c.Truth("Enabled") ? TRUE : FALSE);
    if (view->painted) InvalidateRect(w, nullptr, TRUE);
  } else if (is("Visible")) {
    ShowWindow(w, c.Truth("Visible") ? SW_SHOWNA : SW_HIDE);
  } else if (is("Active") && Is(c, "TAnimate")) {
    // The clip: the file as designed, else one of the shell's common clips;
    // a clip that does not open or play is left as it is.
    static constexpr std::pair<std::string_view, int> kCommonClips[] = {
        {"aviFindFolder", 150},   {"aviFindFile", 151},  {"aviFindComputer", 152},
        {"aviCopyFiles", 160},    {"aviCopyFile", 161},  {"aviRecycleFile", 162},
        {"aviEmptyRecycle", 163}, {"aviDeleteFile", 164}};
    if (c.Truth("Active")) {
      const std::wstring file = WideText(c, "FileName");
      BOOL opened = FALSE;
      if (!file.empty()) {
        opened = static_cast<BOOL>(
            SendMessageW(w, ACM_OPENW, 0, reinterpret_cast<LPARAM>(file.c_str())));
      } else {
        const std::string common = Ident(c, "CommonAVI");
        for (const auto& [name, id] : kCommonClips) {
          if (name != common) continue;
          static HMODULE shell = LoadLibraryW(L"shell32.dll");
          opened = static_cast<BOOL>(
              SendMessageW(w, ACM_OPENW, reinterpret_cast<WPARAM>(shell), static_cast<LPARAM>(id)));
        }
      }
      const int64_t repetitions = c.Integer("Repetitions");
      if (opened) {
        SendMessageW(w, ACM_PLAY, static_cast<WPARAM>(repetitions > 0 ? repetitions : -1),
                     MAKELPARAM(0, 0xFFFF));
      }
    } else {
      SendMessageW(w, ACM_STOP, 0, 0);
    }
  } else if (is("ReadOnly")) {
    SendMessageW(w, EM_SETREADONLY, c.Truth("ReadOnly") ? TRUE : FALSE, 0);
  } else {
    InvalidateRect(w, nullptr, TRUE);
  }
  showing_ = was;
}

std::vector<bool> FormWindow::Marks(const FormControl& control) const {
  std::vector<bool> marks;
  HWND w = WindowOf(control);
  if (w == nullptr) return marks;
  if (Is(control, "TCheckListBox")) {
    const auto count = static_cast<int>(SendMessageW(w, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      const auto state = static_cast<UINT>(
          SendMessageW(w, LVM_GETITEMSTATE, static_cast<WPARAM>(i), LVIS_STATEIMAGEMASK));
      marks.push_back(((state & LVIS_STATEIMAGEMASK) >> 12) == 2);
    }
  } else {
    const auto count = static_cast<int>(SendMessageW(w, LB_GETCOUNT, 0, 0));
    const bool multi = control.Truth("MultiSelect");
    const LRESULT selected = multi ? -1 : SendMessageW(w, LB_GETCURSEL, 0, 0);
    for (int i = 0; i < count; ++i) {
      marks.push_back(multi ? SendMessageW(w, LB_GETSEL, static_cast<WPARAM>(i), 0) > 0
                            : i == selected);
    }
  }
  return marks;
}

void FormWindow::SetMarks(const FormControl& control, const std::vector<bool>& marks) {
  HWND w = WindowOf(control);
  if (w == nullptr) return;
  const bool was = showing_;
  showing_ = true;
  for (size_t i = 0; i < marks.size(); ++i) {
    if (Is(control, "TCheckListBox")) {
      LVITEMW state{};
      state.stateMask = LVIS_STATEIMAGEMASK;
      state.state = INDEXTOSTATEIMAGEMASK(marks[i] ? 2 : 1);
      SendMessageW(w, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
    } else if (control.Truth("MultiSelect")) {
      SendMessageW(w, LB_SETSEL, marks[i] ? TRUE : FALSE, static_cast<LPARAM>(i));
    } else if (marks[i]) {
      SendMessageW(w, LB_SETCURSEL, i, 0);
    }
  }
  showing_ = was;
}

bool FormWindow::HasSelectedText(const FormControl& control) const {
  HWND w = WindowOf(control);
  if (w == nullptr) return false;
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(w, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return end > start;
}

bool FormWindow::CanScrollVertically(const FormControl& control) const {
  HWND w = WindowOf(control);
  if (w == nullptr || (GetWindowLongW(w, GWL_STYLE) & WS_VSCROLL) == 0) return false;
  SCROLLINFO info{sizeof info, SIF_ALL};
  if (!GetScrollInfo(w, SB_VERT, &info)) return false;
  return info.nMax - info.nMin + 1 > static_cast<int>(std::max<UINT>(info.nPage, 1));
}

void FormWindow::WatchScrolling(const FormControl& control) {
  if (ControlView* view = ViewOfControl(control)) view->watched = true;
}

void FormWindow::CheckScrolledToEnd(ControlView& view) {
  if (!view.watched || view.window == nullptr) return;
  SCROLLINFO info{sizeof info, SIF_ALL};
  if (!GetScrollInfo(view.window, SB_VERT, &info)) return;
  // The last line is in view: the page reaches past the maximum.
  if (info.nPos + static_cast<int>(info.nPage) > info.nMax) Report(view, FormEvent::kScrolledToEnd);
}

namespace {

struct RichSource {
  const std::string* text;
  size_t offset;
};

DWORD CALLBACK ReadRichSource(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto* source = reinterpret_cast<RichSource*>(cookie);
  const size_t left = source->text->size() - source->offset;
  const size_t count = std::min(left, static_cast<size_t>(std::max<LONG>(wanted, 0)));
  std::copy_n(source->text->data() + source->offset, count, buffer);
  source->offset += count;
  *given = static_cast<LONG>(count);
  return 0;
}

}  // namespace

void FormWindow::ShowFolder(const FormControl& control, const std::string& path) {
  HWND w = WindowOf(control);
  if (w == nullptr) return;
  const bool was = showing_;
  showing_ = true;
  ShowFolderIn(w, path);
  showing_ = was;
}

std::string FormWindow::FolderPath(const FormControl& control) const {
  HWND w = WindowOf(control);
  return w == nullptr ? std::string() : FolderPathOf(w);
}

void FormWindow::LoadRichText(FormControl& control, const std::string& rtf) {
  HWND w = WindowOf(control);
  if (w == nullptr) return;
  const bool was = showing_;
  showing_ = true;
  if (IsRichEditWindow(w)) {
    RichSource source{&rtf, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadRichSource;
    SendMessageW(w, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  } else {
    SetWindowTextW(w, Widen(rtf, CP_ACP).c_str());
  }
  control.Set("Lines", WindowTextOf(w));
  showing_ = was;
}

void FormWindow::Report(ControlView& view, FormEvent event) {
  if (showing_ || !onEvent_) return;
  FormControl& c = *view.control;
  HWND w = view.window;
  if (IsAny(c, {"TEdit", "TMaskEdit"})) {
    const std::optional<EditMask> mask = MaskOf(c);
    c.Set("Text", mask ? MaskedValue(*mask, WindowTextOf(w)) : WindowTextOf(w));
  } else if (IsAny(c, {"TMemo", "TRichEdit"})) {
    if (event == FormEvent::kChange) c.Set("Lines", WindowTextOf(w));
  } else if (IsAny(c, {"TRzCheckBox", "TRzRadioButton"})) {
    // An automatic radio button also cleared the others of its group.
    for (const auto& other : views_) {
      if (other->window != nullptr && IsAny(*other->control, {"TRzCheckBox", "TRzRadioButton"})) {
        const LRESULT state = SendMessageW(other->window, BM_GETCHECK, 0, 0);
        other->control->Set("Checked", state == BST_CHECKED ? "True" : "False");
      }
    }
  } else if (IsAny(c, {"TListBox", "TFileListBox", "TDirectoryListBox"})) {
    const LRESULT index = c.Truth("MultiSelect") ? SendMessageW(w, LB_GETCARETINDEX, 0, 0)
                                                 : SendMessageW(w, LB_GETCURSEL, 0, 0);
    c.Set("ItemIndex", std::to_string(index));
  } else if (Is(c, "TCheckListBox")) {
    const LRESULT index = SendMessageW(w, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    c.Set("ItemIndex", std::to_string(index));
  } else if (Is(c, "TTrackBar")) {
    c.Set("Position", std::to_string(SendMessageW(w, TBM_GETPOS, 0, 0)));
  }
  onEvent_(c, event);
}

void FormWindow::PressButton(std::string_view flag) {
  for (const auto& view : views_) {
    const FormControl& c = *view->control;
    if (!IsAny(c, {"TButton", "TBitBtn"}) || !c.Truth(flag) || view->window == nullptr) continue;
    if (!IsWindowEnabled(view->window) || !IsWindowVisible(view->window)) continue;
    Report(*view, FormEvent::kClick);
    return;
  }
}

bool FormWindow::Command(HWND from, UINT code, UINT id) {
  ControlView* view = from != nullptr ? ViewOf(from) : nullptr;
  if (id == IDOK || id == IDCANCEL) {
    // The dialog manager's Enter and Escape.
    if (view == nullptr || static_cast<int>(id) < kFirstControlId) {
      PressButton(id == IDOK ? "Default" : "Cancel");
      return true;
    }
  }
  if (view == nullptr) return false;
  const FormControl& c = *view->control;
  if (IsFolderClass(c)) {
    if (FolderCommand(from, code)) Report(*view, FormEvent::kChange);
  } else if (IsAny(c, {"TButton", "TBitBtn", "TSpeedButton", "TRzBmpButton", "TRzCheckBox",
                       "TRzRadioButton"})) {
    if (code != BN_CLICKED) return false;
    Report(*view, FormEvent::kClick);
  } else if (IsAny(c, {"TEdit", "TMaskEdit", "TMemo", "TRichEdit"})) {
    if (code != EN_CHANGE) return false;
    Report(*view, FormEvent::kChange);
  } else if (IsAny(c, {"TListBox", "TFileListBox", "TDirectoryListBox"})) {
    if (code != LBN_SELCHANGE) return false;
    Report(*view, FormEvent::kClick);
  } else if (IsAny(c, {"TComboBox", "TDriveComboBox", "TFilterComboBox", "TPTShellCombo"})) {
    if (code == CBN_SELCHANGE) {
      // The edit part shows the chosen item only after this notification.
      const LRESULT index = SendMessageW(from, CB_GETCURSEL, 0, 0);
      std::wstring item;
      if (index >= 0) {
        item.resize(static_cast<size_t>(std::max<LRESULT>(
                        SendMessageW(from, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0), 0)) +
                    1);
        item.resize(static_cast<size_t>(
            std::max<LRESULT>(SendMessageW(from, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                           reinterpret_cast<LPARAM>(item.data())),
                              0)));
      }
      view->control->Set("ItemIndex", std::to_string(index));
      view->control->Set("Text", Narrow(item));
      if (onEvent_ && !showing_) {
        onEvent_(*view->control, FormEvent::kClick);
        onEvent_(*view->control, FormEvent::kChange);
      }
    } else if (code == CBN_EDITCHANGE) {
      view->control->Set("Text", WindowTextOf(from));
      if (onEvent_ && !showing_) onEvent_(*view->control, FormEvent::kChange);
    } else {
      return false;
    }
  } else {
    return false;
  }
  return true;
}

bool FormWindow::DrawBitmapButton(const DRAWITEMSTRUCT& item) {
  ControlView* view = ViewOf(item.hwndItem);
  if (view == nullptr || !Is(*view->control, "TRzBmpButton")) return false;
  const std::optional<DecodedPicture>* picture = &view->picture;
  if ((item.itemState & ODS_DISABLED) != 0 && view->disabled) picture = &view->disabled;
  if ((item.itemState & ODS_SELECTED) != 0 && view->pressed) picture = &view->pressed;
  RECT r = item.rcItem;
  if (*picture) {
    FillRect(item.hDC, &r, view->parent->backBrush.Get());
    HDC memory = CreateCompatibleDC(item.hDC);
    if (memory != nullptr) {
      {
        SelectedObject selected(memory, (*picture)->bitmap.Get());
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        GdiAlphaBlend(item.hDC, 0, 0, r.right - r.left, r.bottom - r.top, memory, 0, 0,
                      (*picture)->width, (*picture)->height, blend);
      }
      DeleteDC(memory);
    }
  } else {
    // No picture: a push button face.
    UINT state = DFCS_BUTTONPUSH;
    if ((item.itemState & ODS_SELECTED) != 0) state |= DFCS_PUSHED;
    if ((item.itemState & ODS_DISABLED) != 0) state |= DFCS_INACTIVE;
    DrawFrameControl(item.hDC, &r, DFC_BUTTON, state);
  }
  const std::wstring caption = WideText(*view->control, "Caption");
  if (!caption.empty()) {
    SelectedObject font(item.hDC, view->font);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, (item.itemState & ODS_DISABLED) != 0 ? GetSysColor(COLOR_GRAYTEXT)
                                                                : view->textColor);
    DrawTextW(item.hDC, caption.c_str(), static_cast<int>(caption.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  if ((item.itemState & ODS_FOCUS) != 0) {
    RECT focus = r;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(item.hDC, &focus);
  }
  return true;
}

void FormWindow::ApplyFormShape(const ControlView& shape) {
  // The picture's transparent pixels (no alpha, or the colour of its
  // bottom-left pixel when it has no alpha at all) are cut out of the form.
  if (!shape.picture || shape.picture->width <= 0 || shape.picture->height <= 0) return;
  const DecodedPicture& p = *shape.picture;
  DIBSECTION dib{};
  if (GetObjectW(p.bitmap.Get(), sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBits == nullptr)
    return;
  const auto* pixels = static_cast<const uint32_t*>(dib.dsBm.bmBits);
  const int width = p.width;
  const int height = p.height;
  bool hasAlpha = false;
  for (int i = 0; i < width * height && !hasAlpha; ++i) hasAlpha = (pixels[i] >> 24) != 0xFF;
  const uint32_t key = pixels[static_cast<size_t>(height - 1) * width];
  auto transparent = [&](uint32_t pixel) { return hasAlpha ? (pixel >> 24) == 0 : pixel == key; };
  GdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
  for (int y = 0; y < height; ++y) {
    int x = 0;
    while (x < width) {
      while (x < width && transparent(pixels[static_cast<size_t>(y) * width + x])) ++x;
      const int start = x;
      while (x < width && !transparent(pixels[static_cast<size_t>(y) * width + x])) ++x;
      if (x > start) {
        GdiObject<HRGN> run(CreateRectRgn(start, y, x, y + 1));
        CombineRgn(region.Get(), region.Get(), run.Get(), RGN_OR);
      }
    }
  }
  // From the picture's place in the client area (all of it for a shape
  // aligned to the client, as shapes are by default) to window coordinates.
  RECT place{shape.bounds.left, shape.bounds.top, shape.bounds.left + shape.bounds.width,
             shape.bounds.top + shape.bounds.height};
  HWND parent = shape.parent != nullptr ? shape.parent->window : root_->window;
  if (Ident(*shape.control, "Align") == "alClient" || place.right <= place.left ||
      place.bottom <= place.top) {
    GetClientRect(parent, &place);
  }
  POINT origin{place.left, place.top};
  MapWindowPoints(parent, nullptr, &origin, 1);
  RECT frame{};
  GetWindowRect(root_->window, &frame);
  XFORM scale{static_cast<FLOAT>(place.right - place.left) / static_cast<FLOAT>(width),
              0,
              0,
              static_cast<FLOAT>(place.bottom - place.top) / static_cast<FLOAT>(height),
              static_cast<FLOAT>(origin.x - frame.left),
              static_cast<FLOAT>(origin.y - frame.top)};
  const DWORD size = GetRegionData(region.Get(), 0, nullptr);
  std::vector<char> data(size);
  if (size == 0 ||
      GetRegionData(region.Get(), size, reinterpret_cast<RGNDATA*>(data.data())) == 0) {
    return;
  }
  HRGN placed = ExtCreateRegion(&scale, size, reinterpret_cast<const RGNDATA*>(data.data()));
  // The window owns the region once it is set.
  if (placed != nullptr && SetWindowRgn(root_->window, placed, FALSE) == 0) DeleteObject(placed);
}

void FormWindow::ApplyGlass(const FormControl& glass) {
  // Only where the desktop composes its windows; elsewhere nothing is drawn.
  using IsEnabled = HRESULT(WINAPI*)(BOOL*);
  struct Margins {
    int left, right, top, bottom;
  };
  using Extend = HRESULT(WINAPI*)(HWND, const Margins*);
  static HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
  if (dwm == nullptr) return;
  auto isEnabled = reinterpret_cast<IsEnabled>(
      reinterpret_cast<void*>(GetProcAddress(dwm, "DwmIsCompositionEnabled")));
  auto extend = reinterpret_cast<Extend>(
      reinterpret_cast<void*>(GetProcAddress(dwm, "DwmExtendFrameIntoClientArea")));
  BOOL composed = FALSE;
  if (isEnabled == nullptr || extend == nullptr || FAILED(isEnabled(&composed)) || !composed)
    return;
  Margins margins{scale_.Apply(static_cast<int>(glass.Integer("GlassLeft"))),
                  scale_.Apply(static_cast<int>(glass.Integer("GlassRight"))),
                  scale_.Apply(static_cast<int>(glass.Integer("GlassTop"))),
                  scale_.Apply(static_cast<int>(glass.Integer("GlassBottom")))};
  if (glass.Truth("SheetOfGlass")) margins = {-1, -1, -1, -1};
  extend(root_->window, &margins);
}

namespace {

// What a component's picture says of it: installed on the local drive, with
// its sub-components as well, or unavailable.
enum class Fate { kInstalled, kInstalledWithParts, kUnavailable };

// Draws the picture of a fate in the square r: a drive with its green light
// (and a second one behind it for the sub-components), or a red cross.
void DrawFate(HDC dc, RECT r, Fate fate) {
  const int size = r.right - r.left;
  const int unit = std::max(1, size / 8);
  if (fate == Fate::kUnavailable) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, std::max(2, size / 6), RGB(204, 0, 0)));
    SelectedObject selected(dc, pen.Get());
    InflateRect(&r, -size / 4, -size / 4);
    MoveToEx(dc, r.left, r.top, nullptr);
    LineTo(dc, r.right, r.bottom);
    MoveToEx(dc, r.right, r.top, nullptr);
    LineTo(dc, r.left, r.bottom);
    return;
  }
  GdiObject<HBRUSH> body(CreateSolidBrush(RGB(160, 160, 168)));
  GdiObject<HBRUSH> light(CreateSolidBrush(RGB(0, 170, 0)));
  RECT drive{r.left + unit, r.top + 3 * unit, r.right - unit, r.bottom - 2 * unit};
  if (fate == Fate::kInstalledWithParts) {
    RECT behind = drive;
    OffsetRect(&behind, unit, -2 * unit);
    FillRect(dc, &behind, body.Get());
    FrameRect(dc, &behind, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  FillRect(dc, &drive, body.Get());
  FrameRect(dc, &drive, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RECT lamp{drive.right - 3 * unit, drive.bottom - 2 * unit, drive.right - unit,
            drive.bottom - unit};
  FillRect(dc, &lamp, light.Get());
}

// The two pictures of component tree nodes, twice as wide as high: 0 not
// selected (an empty check box and the red cross), 1 selected (the ticked
// box and the drive), at the size the form is shown.
HIMAGELIST MakeTreeImages(int size) {
  HIMAGELIST list = ImageList_Create(2 * size, size, ILC_COLOR32, 2, 0);
  if (list == nullptr) return nullptr;
  for (bool checked : {false, true}) {
    HBITMAP bitmap = PaintedBitmap(2 * size, size, COLOR_WINDOW, [&](HDC dc) {
      RECT box{1, 1, size - 1, size - 1};
      DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0));
      DrawFate(dc, RECT{size, 0, 2 * size, size}, checked ? Fate::kInstalled : Fate::kUnavailable);
    });
    ImageList_Add(list, bitmap, nullptr);
    DeleteObject(bitmap);
  }
  return list;
}

void InsertNodes(HWND tree, HTREEITEM parent, const std::vector<ComponentTreeNode>& nodes) {
  for (const ComponentTreeNode& node : nodes) {
    std::wstring text = Widen(node.text, CP_ACP);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = text.data();
    insert.item.iImage = insert.item.iSelectedImage = node.image;
    insert.item.lParam = node.data;
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (item == nullptr) continue;
    InsertNodes(tree, item, node.children);
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  }
}

HTREEITEM Child(HWND tree, HTREEITEM parent);
HTREEITEM Next(HWND tree, HTREEITEM item);

// Sets the pictures of the nodes below parent when they are the given ones
// (same number at every level); false, changing nothing, when they are not.
bool SameShape(HWND tree, HTREEITEM parent, const std::vector<ComponentTreeNode>& nodes) {
  HTREEITEM item = Child(tree, parent);
  for (const ComponentTreeNode& node : nodes) {
    if (item == nullptr || !SameShape(tree, item, node.children)) return false;
    item = Next(tree, item);
  }
  return item == nullptr;
}

void SetNodeImages(HWND tree, HTREEITEM parent, const std::vector<ComponentTreeNode>& nodes) {
  HTREEITEM item = Child(tree, parent);
  for (const ComponentTreeNode& node : nodes) {
    TVITEMW update{};
    update.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    update.hItem = item;
    update.iImage = update.iSelectedImage = node.image;
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&update));
    SetNodeImages(tree, item, node.children);
    item = Next(tree, item);
  }
}

bool UpdateNodeImages(HWND tree, HTREEITEM parent, const std::vector<ComponentTreeNode>& nodes) {
  if (nodes.empty() || !SameShape(tree, parent, nodes)) return false;
  SetNodeImages(tree, parent, nodes);
  return true;
}

HTREEITEM Child(HWND tree, HTREEITEM parent) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM,
                                                  parent == nullptr ? TVGN_ROOT : TVGN_CHILD,
                                                  reinterpret_cast<LPARAM>(parent)));
}

HTREEITEM Next(HWND tree, HTREEITEM item) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
}

// The node at a path of child indices; nullptr when there is none.
HTREEITEM NodeAt(HWND tree, const std::vector<size_t>& path) {
  HTREEITEM item = nullptr;
  for (size_t index : path) {
    HTREEITEM child = Child(tree, item);
    for (size_t i = 0; i < index && child != nullptr; ++i) child = Next(tree, child);
    if (child == nullptr) return nullptr;
    item = child;
  }
  return item;
}

}  // namespace

void FormWindow::ShowTree(const FormControl& control, const std::vector<ComponentTreeNode>& roots) {
  HWND tree = WindowOf(control);
  if (tree == nullptr) return;
  const bool was = showing_;
  showing_ = true;
  if (treeImages_ == nullptr) treeImages_ = MakeTreeImages(scale_.Apply(16));
  SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(treeImages_));
  // The same nodes again take their new pictures in place, which keeps the
  // selection and the keyboard's place; other nodes replace them.
  if (!UpdateNodeImages(tree, nullptr, roots)) {
    SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    InsertNodes(tree, nullptr, roots);
    SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
  }
  InvalidateRect(tree, nullptr, TRUE);
  showing_ = was;
}

std::vector<size_t> FormWindow::SelectedNode(const FormControl& control) const {
  std::vector<size_t> path;
  HWND tree = WindowOf(control);
  if (tree == nullptr) return path;
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  while (item != nullptr) {
    auto parent = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
    size_t index = 0;
    for (HTREEITEM sibling = Child(tree, parent); sibling != nullptr && sibling != item;
         sibling = Next(tree, sibling)) {
      ++index;
    }
    path.insert(path.begin(), index);
    item = parent;
  }
  return path;
}

void FormWindow::SelectNode(const FormControl& control, const std::vector<size_t>& path) {
  HWND tree = WindowOf(control);
  if (tree == nullptr) return;
  const bool was = showing_;
  showing_ = true;
  HTREEITEM item = NodeAt(tree, path);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  showing_ = was;
}

int FormWindow::PopupMenu(const FormControl& control, const std::vector<std::string>& items,
                          bool atCursor) {
  HWND tree = WindowOf(control);
  if (tree == nullptr) return -1;
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return -1;
  // Each item with the picture of what it does: this component, the entire
  // feature, and (the last item, below a separator) unavailable.
  const int size = GetSystemMetrics(SM_CXMENUCHECK);
  std::vector<GdiObject<HBITMAP>> pictures;
  for (size_t i = 0; i < items.size(); ++i) {
    const bool last = i + 1 == items.size();
    if (last && i > 0) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, i + 1, Widen(items[i], CP_ACP).c_str());
    const Fate fate = last     ? Fate::kUnavailable
                      : i == 0 ? Fate::kInstalled
                               : Fate::kInstalledWithParts;
    pictures.emplace_back(PaintedBitmap(size, size, COLOR_WINDOW, [&](HDC dc) {
      DrawFate(dc, RECT{0, 0, size, size}, fate);
    }));
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    info.hbmpItem = pictures.back().Get();
    SetMenuItemInfoW(menu, static_cast<UINT>(i + 1), FALSE, &info);
  }
  POINT at{};
  GetCursorPos(&at);
  if (!atCursor) {
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
    RECT r{};
    std::memcpy(&r, &item, sizeof item);
    if (item != nullptr &&
        SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r))) {
      at = {r.right, r.bottom};
      ClientToScreen(tree, &at);
    }
  }
  const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x,
                                    at.y, 0, root_->window, nullptr);
  DestroyMenu(menu);
  return chosen - 1;
}

void FormWindow::ShowActiveSheet(ControlView& pageControl) {
  int selected = static_cast<int>(SendMessageW(pageControl.window, TCM_GETCURSEL, 0, 0));
  std::string active = Ident(*pageControl.control, "ActivePage");
  int index = 0;
  for (const auto& view : views_) {
    if (view->parent != &pageControl || !Is(*view->control, "TTabSheet")) continue;
    if (!view->control->Truth("TabVisible")) continue;
    if (selected < 0 && (active.empty() || EqualsIgnoreCase(active, view->control->Name()))) {
      selected = index;
      SendMessageW(pageControl.window, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    ShowWindow(view->window, index == selected ? SW_SHOW : SW_HIDE);
    ++index;
  }
}

void FormWindow::OrderSiblings(ControlView& parent) {
  std::vector<ControlView*> windowed;
  std::vector<ControlView*> painted;
  for (const auto& view : views_) {
    if (view->parent != &parent || view->window == nullptr) continue;
    (view->painted ? painted : windowed).push_back(view.get());
  }
  std::stable_sort(windowed.begin(), windowed.end(), [](ControlView* a, ControlView* b) {
    return a->control->Integer("TabOrder", -1) < b->control->Integer("TabOrder", -1);
  });
  std::reverse(painted.begin(), painted.end());
  // Each goes to the bottom in turn: the first is topmost at the end.
  for (const std::vector<ControlView*>* group : {&windowed, &painted}) {
    for (ControlView* view : *group) {
      SetWindowPos(view->window, HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
  }
}

LRESULT FormWindow::ColorMessage(HWND child, HDC dc) {
  ControlView* view = ViewOf(child);
  if (view == nullptr) view = ViewOf(GetParent(child));  // the edit inside a combo box
  if (view == nullptr) return 0;
  SetTextColor(dc, view->textColor);
  SetBkColor(dc, view->backColor);
  return reinterpret_cast<LRESULT>(view->backBrush.Get());
}

void FormWindow::ShowHtml(const FormControl& control, const std::string& supportFolder,
                          const std::string& page, const std::string& text) {
  ControlView* view = ViewOfControl(control);
  HtmlView* html = view != nullptr ? HtmlViewOf(view->window) : nullptr;
  if (html == nullptr) return;
  html->SetSupportFolder(supportFolder);
  // A page a meta refresh brings up gives the dialog its title.
  html->SetRefreshHandler([this](const std::string& title) {
    if (form_.Root().Set("Caption", title) == SetResult::kDone) ShowCaption(form_.Root());
  });
  if (page.empty() || !html->LoadFile(page)) html->ShowText(text);
}

void FormWindow::ShowCaption(const FormControl& control) {
  ControlView* view = ViewOfControl(control);
  if (view == nullptr || view->window == nullptr) return;
  if (view->painted) {
    // An auto-sized label follows its new text; what it covered is repainted.
    if (Is(control, "TLabel") && control.Truth("AutoSize")) {
      RECT before{};
      GetWindowRect(view->window, &before);
      FitLabel(*view);
      HWND parent = GetParent(view->window);
      MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&before), 2);
      InvalidateRect(parent, &before, TRUE);
    }
    if (Is(control, "TLabel")) SetWindowTextW(view->window, WideText(control, "Caption").c_str());
    InvalidateRect(view->window, nullptr, TRUE);
  } else {
    SetWindowTextW(view->window, WideText(control, "Caption").c_str());
  }
}

LRESULT CALLBACK FormWindow::ContainerProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  auto* view = reinterpret_cast<ControlView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (view == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(window, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, view->backBrush.Get());
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      if (Is(*view->control, "TPanel")) PaintPanel(*view, dc);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
      LRESULT brush =
          view->owner->ColorMessage(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
      if (brush != 0) return brush;
      break;
    }
    case kDpiChanged:
      if (view == view->owner->root_.get()) {
        view->owner->Rescale(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
      }
      break;
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (view->owner->ChildMessage(message, wParam, lParam)) return 0;
      break;
    case WM_DRAWITEM:
      if (view->owner->ChildMessage(message, wParam, lParam)) return TRUE;
      break;
    case WM_CLOSE:
      if (view == view->owner->root_.get() && !view->owner->closable_) {
        if (view->owner->onCloseRefused_) view->owner->onCloseRefused_();
        return 0;
      }
      break;
    case WM_SYSCOMMAND:
      if (view == view->owner->root_.get() && view->owner->onSystemCommand_ &&
          view->owner->onSystemCommand_(wParam)) {
        return 0;
      }
      break;
    case WM_NOTIFY:
      if (view->owner->ChildMessage(message, wParam, lParam)) return 0;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool FormWindow::ChildMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM) {
    return DrawBitmapButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
  }
  if (message == WM_COMMAND) {
    return Command(reinterpret_cast<HWND>(lParam), HIWORD(wParam), LOWORD(wParam));
  }
  if (message == WM_HSCROLL || message == WM_VSCROLL) {
    ControlView* bar = lParam != 0 ? ViewOf(reinterpret_cast<HWND>(lParam)) : nullptr;
    if (bar == nullptr || !Is(*bar->control, "TTrackBar")) return false;
    // Reported when the position changed, as the track bar's change event is.
    const LRESULT position = SendMessageW(bar->window, TBM_GETPOS, 0, 0);
    if (position != bar->control->Integer("Position")) Report(*bar, FormEvent::kChange);
    return true;
  }
  if (message != WM_NOTIFY) return false;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  ControlView* from = ViewOf(header->hwndFrom);
  if (from == nullptr) return false;
  if (header->code == TCN_SELCHANGE) {
    ShowActiveSheet(*from);
    return false;
  }
  if (IsFolderClass(*from->control)) {
    if (!FolderNotify(from->window, *header)) return false;
    Report(*from, FormEvent::kChange);
    return true;
  }
  if (Is(*from->control, "TTreeView")) {
    if (header->code == TVN_SELCHANGEDW) {
      Report(*from, FormEvent::kTreeChange);
      return true;
    }
    if (header->code == NM_CLICK || header->code == NM_RCLICK) {
      // A click on a node's picture, or a right click on the node, selects
      // it and asks for the menu.
      TVHITTESTINFO hit{};
      GetCursorPos(&hit.pt);
      ScreenToClient(from->window, &hit.pt);
      const auto item = reinterpret_cast<HTREEITEM>(
          SendMessageW(from->window, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      const bool onPicture = (hit.flags & (TVHT_ONITEMICON | TVHT_ONITEMSTATEICON)) != 0;
      const bool onNode = (hit.flags & TVHT_ONITEM) != 0;
      if (item != nullptr && (onPicture || (header->code == NM_RCLICK && onNode))) {
        SendMessageW(from->window, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        Report(*from, FormEvent::kMenuAtCursor);
        return true;
      }
    }
    return false;
  }
  if (header->code == LVN_ITEMCHANGED && Is(*from->control, "TCheckListBox")) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
    if ((change->uChanged & LVIF_STATE) == 0) return false;
    if (((change->uOldState ^ change->uNewState) & LVIS_STATEIMAGEMASK) != 0 &&
        (change->uOldState & LVIS_STATEIMAGEMASK) != 0) {
      Report(*from, FormEvent::kItemCheck);
    }
    if ((change->uNewState & LVIS_SELECTED) != 0 && (change->uOldState & LVIS_SELECTED) == 0) {
      Report(*from, FormEvent::kClick);
    }
    return true;
  }
  return false;
}

LRESULT CALLBACK FormWindow::PaintedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* view = reinterpret_cast<ControlView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (view == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      if (view->transparent) {
        std::vector<ControlView*> siblings;
        for (const auto& v : view->owner->views_) {
          if (v->parent == view->parent) siblings.push_back(v.get());
        }
        PaintBelow(*view, dc, siblings);
      }
      PaintControl(*view, dc);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_NCHITTEST:
      // Bevels and shapes without a role let the mouse through.
      if (Is(*view->control, "TBevel")) return HTTRANSPARENT;
      break;
    case WM_LBUTTONUP:
      if (IsAny(*view->control, {"TLabel", "TImage"})) {
        view->owner->Report(*view, FormEvent::kClick);
        return 0;
      }
      if (Is(*view->control, "TShape")) {
        view->owner->Report(*view, FormEvent::kMouseUp);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::ForwardingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR /*id*/, DWORD_PTR data) {
  auto* view = reinterpret_cast<ControlView*>(data);
  switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
      LRESULT brush =
          view->owner->ColorMessage(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
      if (brush != 0) return brush;
      break;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (view->owner->ChildMessage(message, wParam, lParam)) return 0;
      break;
    case WM_DRAWITEM:
      if (view->owner->ChildMessage(message, wParam, lParam)) return TRUE;
      break;
    case WM_ERASEBKGND:
      // A group box erases nothing itself, and its parent clips it out.
      if (Is(*view->control, "TGroupBox")) {
        RECT r;
        GetClientRect(window, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, view->backBrush.Get());
        return 1;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, ForwardingProc, kForwardingId);
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

namespace {

// Typing, deleting and pasting in a mask edit go through its mask: a typed
// character fills the place at the caret (literals are stepped over, a
// character the place does not take is refused with a beep), Delete and
// Backspace put the blank back, and the next place stays selected until the
// mask is filled to its end. True when the message was handled here.
bool MaskKey(HWND edit, const EditMask& mask, UINT message, WPARAM wParam) {
  DWORD start = 0;
  DWORD end = 0;
  auto selection = [&] {
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  };
  auto show = [&](const MaskEditResult& result) {
    SetWindowTextW(edit, Widen(result.text, CP_ACP).c_str());
    const size_t length = result.text.size();
    const auto from = static_cast<WPARAM>(std::min(result.caret, length));
    SendMessageW(edit, EM_SETSEL, from, static_cast<LPARAM>(std::min(from + 1, length)));
  };
  if (message == WM_SETFOCUS) {
    selection();
    if (start == end && start == 0) {
      SendMessageW(edit, EM_SETSEL, 0, 1);
    }
    return false;
  }
  if (message == WM_PASTE || message == WM_CUT || message == WM_CLEAR) return true;
  const bool typed = message == WM_CHAR && wParam >= 32;
  const bool erase =
      (message == WM_CHAR && wParam == VK_BACK) || (message == WM_KEYDOWN && wParam == VK_DELETE);
  if (!typed && !erase) return message == WM_CHAR && wParam == VK_BACK;
  selection();
  std::string text = WindowTextOf(edit);
  size_t caret = start;
  if (end > start + 1 || (erase && end > start)) {
    MaskEditResult cleared = EraseMaskSelection(mask, text, start, end);
    text = cleared.text;
    caret = cleared.caret;
    if (erase) {
      show(cleared);
      return true;
    }
  }
  std::optional<MaskEditResult> result;
  if (typed) {
    const std::wstring wide(1, static_cast<wchar_t>(wParam));
    const std::string narrow = Narrow(wide);
    if (narrow.size() == 1) result = TypeMaskCharacter(mask, text, caret, narrow[0]);
  } else if (message == WM_CHAR) {
    result = BackspaceMaskCharacter(mask, text, caret);
  } else {
    result = DeleteMaskCharacter(mask, text, caret);
  }
  if (result) {
    show(*result);
  } else {
    MessageBeep(MB_OK);
  }
  return true;
}

}  // namespace

LRESULT CALLBACK FormWindow::InputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR /*id*/, DWORD_PTR data) {
  auto* view = reinterpret_cast<ControlView*>(data);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, InputProc, kInputId);
    return DefSubclassProc(window, message, wParam, lParam);
  }
  if (std::optional<EditMask> mask = MaskOf(*view->control)) {
    if (MaskKey(window, *mask, message, wParam)) return 0;
  }
  if (Is(*view->control, "TTreeView")) {
    // The context-menu key opens the component menu at the node, and no
    // other menu: the system's context menu request is not passed on.
    if (message == WM_KEYUP && wParam == VK_APPS) {
      view->owner->Report(*view, FormEvent::kMenuAtNode);
      return 0;
    }
    if (message == WM_CONTEXTMENU) return 0;
  }
  const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  if (message == WM_GETDLGCODE && lParam != 0 && IsAny(*view->control, {"TMemo", "TRichEdit"})) {
    // A memo keeps Tab only when it wants tabs, Enter only when it wants
    // returns, and never Escape: the page moves the focus, presses the
    // default button or cancels.
    const auto* key = reinterpret_cast<const MSG*>(lParam);
    const FormControl& c = *view->control;
    if (key->message == WM_KEYDOWN &&
        ((key->wParam == VK_TAB && !c.Truth("WantTabs")) || key->wParam == VK_ESCAPE ||
         (key->wParam == VK_RETURN && c.Has("WantReturns") && !c.Truth("WantReturns")))) {
      return result & ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
    }
  }
  switch (message) {
    case WM_KEYUP:
      if (Is(*view->control, "TMaskEdit")) view->owner->Report(*view, FormEvent::kKeyUp);
      // Keys scroll a read-only text as well as the bar does.
      view->owner->CheckScrolledToEnd(*view);
      break;
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
      view->owner->CheckScrolledToEnd(*view);
      break;
    default:
      break;
  }
  return result;
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

std::string EngineFormBytes(const wchar_t* resourceName) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, resourceName, MAKEINTRESOURCEW(10));  // RT_RCDATA
  const std::string name = Narrow(resourceName);
  if (found == nullptr) throw EngineError("Form resource " + name + " not found", GetLastError());
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) throw EngineError("Form resource " + name + " not readable", GetLastError());
  return std::string(static_cast<const char*>(data), SizeofResource(module, found));
}

}  // namespace vantrell
