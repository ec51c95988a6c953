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
// After windows.h, which it needs.
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "components/component_display.h"
#include "dialogs/form_runtime.h"
#include "dialogs/form_scaling.h"
#include "dialogs/win32/gdi_object.h"
#include "dialogs/win32/picture_decoder.h"

namespace vantrell {

class FormWindow;

// What a control reports; the control's properties already hold the new state.
enum class FormEvent {
  kClick,          // buttons, check and radio boxes, labels, images; a list's selection
  kChange,         // text of edits, memos and combo boxes; a track bar's position
  kItemCheck,      // a check list box's check mark
  kKeyUp,          // a key released in a mask edit
  kMouseUp,        // the mouse released over a shape
  kScrolledToEnd,  // a watched memo or rich edit shows its end
  kTreeChange,     // a tree view\'s selection changed
  kMenuAtCursor,   // a tree view\'s node picture clicked (or the node right-clicked)
  kMenuAtNode,     // the context-menu key released in a tree view
};

// What the window side keeps for one control (and the form).
struct ControlView {
  FormWindow* owner = nullptr;
  FormControl* control = nullptr;
  ControlView* parent = nullptr;
  HWND window = nullptr;
  Bounds bounds;             // scaled, in the parent window's client area
  bool painted = false;      // a window of the painted-control class
  bool watched = false;      // reports when scrolled to its end
  bool transparent = false;  // shows what lies below it
  GdiObject<HFONT> ownFont;  // when the control does not take its parent's font
  HFONT font = nullptr;      // the font it shows with (own or an ancestor's)
  COLORREF textColor = 0;
  COLORREF backColor = 0;
  GdiObject<HBRUSH> backBrush;
  std::optional<DecodedPicture> picture;   // images, form shapes; a bitmap button's Up
  std::optional<DecodedPicture> pressed;   // a bitmap button's Down picture
  std::optional<DecodedPicture> disabled;  // a bitmap button's Disabled picture
  HIMAGELIST glyphs = nullptr;             // a button's glyph, one image per state

  ControlView() = default;
  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;
  ~ControlView() {
    if (glyphs != nullptr) ImageList_Destroy(glyphs);
  }
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

  // Receives what the controls report; nothing is reported while Show runs.
  void SetEventHandler(std::function<void(FormControl&, FormEvent)> handler) {
    onEvent_ = std::move(handler);
  }
  // Receives the form's system-menu commands; true when handled.
  void SetSystemCommandHandler(std::function<bool(WPARAM)> handler) {
    onSystemCommand_ = std::move(handler);
  }
  // Watches a memo or rich edit: once scrolled to its end it reports kScrolledToEnd.
  void WatchScrolling(const FormControl& control);
  // Shows the control's (or the form's) current Caption: its window text
  // for a windowed control, a repaint for a painted one.
  void ShowCaption(const FormControl& control);
  // HTML viewers: shows the page file (a full path; the text when it is
  // empty or cannot be read); meta refreshes lead into the support folder.
  void ShowHtml(const FormControl& control, const std::string& supportFolder,
                const std::string& page, const std::string& text);
  // Shows a property's current value in the control's window (Caption,
  // Text, Lines, Items, ItemIndex, Checked, Position, Progress, MaxLength,
  // Enabled, Visible, ReadOnly; anything else repaints).
  void Show(const FormControl& control, std::string_view property);
  // Selected items of a list box, checked items of a check list box.
  std::vector<bool> Marks(const FormControl& control) const;
  void SetMarks(const FormControl& control, const std::vector<bool>& marks);
  bool HasSelectedText(const FormControl& control) const;
  bool CanScrollVertically(const FormControl& control) const;
  // Rich text into a rich edit; its Lines then hold the plain text.
  void LoadRichText(FormControl& control, const std::string& rtf);
  // Folder controls: moves one to a path, and where it stands (see
  // folder_controls_win32.h).
  void ShowFolder(const FormControl& control, const std::string& path);
  std::string FolderPath(const FormControl& control) const;
  HWND WindowOf(const FormControl& control) const;
  // Tree views: nodes (texts, the pictures "not selected" 0 and "selected"
  // 1, all expanded), the selected node's path of child indices.
  void ShowTree(const FormControl& control, const std::vector<ComponentTreeNode>& roots);
  std::vector<size_t> SelectedNode(const FormControl& control) const;
  void SelectNode(const FormControl& control, const std::vector<size_t>& path);
  int PopupMenu(const FormControl& control, const std::vector<std::string>& items, bool atCursor);
  // Mirrors the form and its controls for a right-to-left language (or
  // undoes it): every window's layout flips and the controls are placed anew
  // from the right edge.
  void SetRightToLeft(bool rightToLeft);
  bool RightToLeft() const { return rightToLeft_; }
  // While not closable a close request (title-bar button, Alt+F4) is refused
  // and reported to the handler.
  void SetClosable(bool closable) { closable_ = closable; }
  void SetCloseRefusedHandler(std::function<void()> handler) {
    onCloseRefused_ = std::move(handler);
  }

 private:
  static LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PaintedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ForwardingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR data);
  static LRESULT CALLBACK InputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR data);

  void CreateRoot();
  void CreateChildren(ControlView& parent);
  void CreateControl(ControlView& view);
  void ApplyAppearance(ControlView& view);
  // Shows a TBitBtn's or TSpeedButton's glyph (view.picture) on its button.
  void ShowGlyph(ControlView& view);
  void FitLabel(ControlView& view);
  int Place(ControlView& view);  // sets bounds; returns the window's height
  // An auto-sized form takes the size its visible controls cover.
  void FitToContents();
  void Fill(ControlView& view);
  void OrderSiblings(ControlView& parent);
  void ShowActiveSheet(ControlView& pageControl);
  LRESULT ColorMessage(HWND child, HDC dc);
  ControlView* ViewOf(HWND window) const;
  ControlView* ViewOfControl(const FormControl& control) const;
  // Copies the window's state into the control's properties, then reports.
  void Report(ControlView& view, FormEvent event);
  bool Command(HWND from, UINT code, UINT id);
  // Commands, notifications and scroll messages of child controls, which
  // reach their parent window; true when handled.
  bool ChildMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void PressButton(std::string_view flag);
  void CheckScrolledToEnd(ControlView& view);
  void FillItems(ControlView& view);
  // The form's window takes the outline of a form shape's picture.
  void ApplyFormShape(const ControlView& shape);
  // A glass frame extended into the client area where the system composes.
  void ApplyGlass(const FormControl& glass);
  bool DrawBitmapButton(const DRAWITEMSTRUCT& item);

  Form& form_;
  int dpi_;
  Scale scale_;
  std::unique_ptr<ControlView> root_;
  std::vector<std::unique_ptr<ControlView>> views_;  // file order, depth first
  std::unordered_map<HWND, ControlView*> byWindow_;
  std::function<void(FormControl&, FormEvent)> onEvent_;
  std::function<bool(WPARAM)> onSystemCommand_;
  std::function<void()> onCloseRefused_;
  bool closable_ = true;
  bool rightToLeft_ = false;
  bool showing_ = false;             // a Show in progress: the windows' notifications are ours
  HIMAGELIST treeImages_ = nullptr;  // the component trees' two node pictures
  HICON bigIcon_ = nullptr;          // the form's own icon, when it has one
  HICON smallIcon_ = nullptr;
};

// Paints a painted control into dc, its top-left corner at 0, 0 (labels, shapes,
// bevels, images, gauges); also used to paint what lies below a transparent one.
void PaintControl(const ControlView& view, HDC dc);

// The screen's resolution, at which the engine creates its forms (96 when unknown).
int ScreenDpi();

// The form file that the executable carries as the RCDATA resource of that name.
std::string EngineFormBytes(const wchar_t* resourceName);

}  // namespace vantrell
