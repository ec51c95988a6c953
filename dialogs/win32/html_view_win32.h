// The HTML viewer control of the dialogs: a child window of our own class
// that shows a page of the support folder laid out by html_layout and painted
// with GDI (double-buffered): text runs in their fonts and colours, fills,
// table borders, rules, list markers, pictures decoded by the picture
// decoder, the body's colour and tiled picture. It scrolls vertically (bar,
// wheel, arrow and page keys, Home, End), shows links with a hand cursor
// and their hover colour, carries out a clicked link (html_links.h) and a
// page's meta refresh, and selects text with the mouse for Ctrl+C (Ctrl+A
// selects all). The window owns its viewer and deletes it with itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "dialogs/html_links.h"

namespace vantrell {

struct HtmlViewSettings {
  std::string face = "Times New Roman";
  std::string monospaceFace = "Courier New";
  int sizePoints = 12;
  COLORREF textColor = RGB(0, 0, 0);
  COLORREF background = RGB(255, 255, 255);
  COLORREF linkColor = RGB(0, 0, 255);
  int dpi = 96;
};

class HtmlView;

// Creates the viewer's window (hidden unless style has WS_VISIBLE; with a vertical
// scroll bar when it has WS_VSCROLL).
HWND CreateHtmlView(HWND parent, const RECT& bounds, DWORD style, DWORD exStyle,
                    const HtmlViewSettings& settings);
// The viewer of such a window; nullptr for any other window.
HtmlView* HtmlViewOf(HWND window);

class HtmlView {
 public:
  HtmlView(HWND window, HtmlViewSettings settings);
  ~HtmlView();
  HtmlView(const HtmlView&) = delete;
  HtmlView& operator=(const HtmlView&) = delete;

  // The folder (ending in "\") where meta refreshes lead.
  void SetSupportFolder(std::string folder) { supportFolder_ = std::move(folder); }
  // Receives the title of a page a meta refresh brought up.
  void SetRefreshHandler(std::function<void(const std::string& title)> handler) {
    onRefresh_ = std::move(handler);
  }
  // Replaces the system calls of links (the real ones by default).
  void SetLinkActions(HtmlLinkActions* actions);
  void SetSettings(const HtmlViewSettings& settings);

  // Shows the page file; false when it cannot be read (the view is kept).
  bool LoadFile(const std::string& path);
  // Shows plain text as a page of its own.
  void ShowText(const std::string& text);
  // Carries out a link as a click on it does.
  void FollowLink(const std::string& target);

  const std::string& Page() const { return page_; }
  const std::string& Title() const;
  std::wstring SelectedText() const;

  LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  struct State;
  void Show(const std::string& html, const std::string& page, const std::string& base);
  void Relayout();
  void ScrollTo(int y);
  void Paint(HDC dc, const RECT& client);
  void StartRefresh();
  void CopySelection() const;

  HWND window_;
  std::string supportFolder_;
  std::string page_;
  std::function<void(const std::string&)> onRefresh_;
  std::unique_ptr<State> state_;
};

}  // namespace vantrell
