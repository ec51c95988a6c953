// The windows of a live form: a top-level window for the form and a child
// window per control, placed and sized as designed and scaled to the
// monitor's resolution, with the controls' fonts, texts, colours, pictures,
// visibility and enabled state. Controls with a window of their own become the
// common controls (buttons, edits, statics, list and combo boxes, group
// boxes, progress and track bars, up-downs, tab controls, tree and list
// views); painted controls (labels, shapes, bevels, images, gauges) and
// panels and tab sheets are windows of the form's own classes, painted with
// GDI. The window is created hidden; the caller shows it and runs messages.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dialogs/form_runtime.h"
#include "dialogs/form_scaling.h"
#include "dialogs/win32/gdi_object.h"
#include "dialogs/win32/picture_decoder.h"

namespace vantrell {

class FormWindow;

// What the window side keeps for one control (and the form).
struct ControlView {
  FormWindow* owner = nullptr;
  FormControl* control = nullptr;
  ControlView* parent = nullptr;
  HWND window = nullptr;
  Bounds bounds;             // scaled, in the parent window's client area
  bool painted = false;      // a window of the painted-control class
  bool transparent = false;  // shows what lies below it
  GdiObject<HFONT> ownFont;  // when the control does not take its parent's font
  HFONT font = nullptr;      // the font it shows with (own or an ancestor's)
  COLORREF textColor = 0;
  COLORREF backColor = 0;
  GdiObject<HBRUSH> backBrush;
  std::optional<DecodedPicture> picture;
};

class FormWindow {
 public:
  // Creates the windows (hidden) for form at dpi pixels per inch. Throws
  // EngineError when the top-level window cannot be created.
  FormWindow(Form& form, int dpi);
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;
  ~FormWindow();

  HWND Handle() const { return root_->window; }
  // The window of a control by Name (nullptr when none or not windowed).
  HWND ControlWindow(std::string_view name) const;
  const ControlView* View(std::string_view name) const;
  const std::vector<std::unique_ptr<ControlView>>& Views() const { return views_; }
  int Dpi() const { return dpi_; }
  // Places, sizes and fonts everything anew for dpi (the form's answer to
  // WM_DPICHANGED, which passes the window rectangle the system suggests;
  // without one the window keeps its top-left corner).
  void Rescale(int dpi, const RECT* suggested = nullptr);

  // Called for a click on a button control (buttons, bit buttons, speed
  // buttons, check boxes and radio buttons) with its control.
  void SetClickHandler(std::function<void(FormControl&)> handler) { onClick_ = std::move(handler); }
  // Shows the control's (or the form's) current Caption: its window text
  // for a windowed control, a repaint for a painted one.
  void ShowCaption(const FormControl& control);
  // While not closable a close request (title-bar button, Alt+F4) is refused.
  void SetClosable(bool closable) { closable_ = closable; }

 private:
  static LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PaintedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ForwardingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data);

  void CreateRoot();
  void CreateChildren(ControlView& parent);
  void CreateControl(ControlView& view);
  void ApplyAppearance(ControlView& view);
  void FitLabel(ControlView& view);
  int Place(ControlView& view);  // sets bounds; returns the window's height
  void Fill(ControlView& view);
  void OrderSiblings(ControlView& parent);
  void ShowActiveSheet(ControlView& pageControl);
  LRESULT ColorMessage(HWND child, HDC dc);
  ControlView* ViewOf(HWND window) const;

  Form& form_;
  int dpi_;
  Scale scale_;
  std::unique_ptr<ControlView> root_;
  std::vector<std::unique_ptr<ControlView>> views_;  // file order, depth first
  std::unordered_map<HWND, ControlView*> byWindow_;
  std::function<void(FormControl&)> onClick_;
  bool closable_ = true;
};

// Paints a painted control into dc, its top-left corner at 0, 0 (labels, shapes,
// bevels, images, gauges); also used to paint what lies below a transparent one.
void PaintControl(const ControlView& view, HDC dc);

}  // namespace vantrell
