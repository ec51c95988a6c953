// The HTML viewer window (see html_view_win32.h). Pages are laid out for the
// client width less nothing: the vertical bar always stays, so the width does
// not change when a page starts or stops needing it.
#include "dialogs/win32/html_view_win32.h"

#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "common/ascii.h"
#include "common/win32/system_library.h"
#include "dialogs/html_document.h"
#include "dialogs/html_layout.h"
#include "dialogs/win32/gdi_object.h"
#include "dialogs/win32/picture_decoder.h"
#include "dialogs/win32/win32_text.h"

namespace vantrell {
namespace {

constexpr wchar_t kHtmlViewClass[] = L"VantrellHtmlView";
constexpr UINT_PTR kRefreshTimer = 1;
constexpr int kLineStep = 20;  // pixels per arrow key; the wheel scrolls three
constexpr COLORREF kHoverColor = RGB(255, 0, 0);

COLORREF ToColorRef(uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

uint32_t FromColorRef(COLORREF color) {
  return (static_cast<uint32_t>(GetRValue(color)) << 16) |
         (static_cast<uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
}

// Pages and their pictures.
std::optional<std::string> ReadWholeFile(const std::string& path) {
  return ReadFileBytes(path, LONGLONG{32} << 20);
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path, CP_ACP).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '\n') {
      out += "<br>";
    } else if (c != '\r') {
      out += c;
    }
  }
  return out;
}

void FillColor(HDC dc, const RECT& r, COLORREF color) {
  GdiObject<HBRUSH> brush(CreateSolidBrush(color));
  FillRect(dc, &r, brush.Get());
}

// A frame `width` pixels wide inside r.
void Frame(HDC dc, const RECT& r, int width, COLORREF color) {
  if (width <= 0) return;
  GdiObject<HBRUSH> brush(CreateSolidBrush(color));
  const RECT sides[] = {{r.left, r.top, r.right, r.top + width},
                        {r.left, r.bottom - width, r.right, r.bottom},
                        {r.left, r.top, r.left + width, r.bottom},
                        {r.right - width, r.top, r.right, r.bottom}};
  for (const RECT& side : sides) FillRect(dc, &side, brush.Get());
}

RECT RectOf(const HtmlRect& r) {
  return {r.x, r.y, r.x + r.width, r.y + r.height};
}

// Fonts of the page on a memory device context of the screen's kind.
class GdiMeasurer final : public TextMeasurer {
 public:
  GdiMeasurer() : dc_(CreateCompatibleDC(nullptr)) {}
  ~GdiMeasurer() override {
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  GdiMeasurer(const GdiMeasurer&) = delete;
  GdiMeasurer& operator=(const GdiMeasurer&) = delete;

  void Reset(int dpi, UINT codePage) {
    dpi_ = dpi;
    codePage_ = codePage;
    fonts_.clear();
  }
  UINT CodePage() const { return codePage_; }

  HFONT Font(const HtmlFont& font) const {
    std::string key = font.face + '|' + std::to_string(font.sizePoints) + '|' +
                      static_cast<char>('0' + font.bold) + static_cast<char>('0' + font.italic) +
                      static_cast<char>('0' + font.underline) +
                      static_cast<char>('0' + font.strikeout);
    auto found = fonts_.find(key);
    if (found != fonts_.end()) return found->second.Get();
    LOGFONTW log{};
    log.lfHeight = -MulDiv(font.sizePoints, dpi_, 72);
    log.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    log.lfItalic = font.italic ? TRUE : FALSE;
    log.lfUnderline = font.underline ? TRUE : FALSE;
    log.lfStrikeOut = font.strikeout ? TRUE : FALSE;
    log.lfCharSet = DEFAULT_CHARSET;
    log.lfQuality = DEFAULT_QUALITY;
    const std::wstring face = Widen(font.face, CP_ACP).substr(0, LF_FACESIZE - 1);
    std::copy(face.begin(), face.end(), log.lfFaceName);
    return fonts_.emplace(std::move(key), GdiObject<HFONT>(CreateFontIndirectW(&log)))
        .first->second.Get();
  }

  int Width(const HtmlFont& font, std::string_view text) const override {
    return WideWidth(font, Widen(text, codePage_));
  }

  int WideWidth(const HtmlFont& font, std::wstring_view text) const {
    if (text.empty() || dc_ == nullptr) return 0;
    SelectedObject selected(dc_, Font(font));
    SIZE size{};
    GetTextExtentPoint32W(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }

  // The character whose left half holds x (pixels from the text's left).
  int OffsetAt(const HtmlFont& font, std::wstring_view text, int x) const {
    if (text.empty() || dc_ == nullptr || x <= 0) return 0;
    SelectedObject selected(dc_, Font(font));
    std::vector<int> ends(text.size());
    SIZE size{};
    int fit = 0;
    GetTextExtentExPointW(dc_, text.data(), static_cast<int>(text.size()), INT_MAX, &fit,
                          ends.data(), &size);
    for (size_t i = 0; i < text.size(); ++i) {
      const int start = i == 0 ? 0 : ends[i - 1];
      if (x < (start + ends[i]) / 2) return static_cast<int>(i);
    }
    return static_cast<int>(text.size());
  }

  HtmlFontMetrics Metrics(const HtmlFont& font) const override {
    HtmlFontMetrics metrics;
    if (dc_ == nullptr) return metrics;
    SelectedObject selected(dc_, Font(font));
    TEXTMETRICW tm{};
    if (GetTextMetricsW(dc_, &tm)) {
      metrics.height = tm.tmHeight;
      metrics.ascent = tm.tmAscent;
    }
    return metrics;
  }

 private:
  HDC dc_;
  int dpi_ = 96;
  UINT codePage_ = CP_ACP;
  mutable std::map<std::string, GdiObject<HFONT>> fonts_;
};

// The pictures of a page, read from files beside it and decoded once.
class FileImages final : public ImageSizer {
 public:
  void Reset(std::string base, UINT codePage) {
    base_ = std::move(base);
    codePage_ = codePage;
    pictures_.clear();
  }

  const DecodedPicture* Picture(std::string_view src) const {
    auto found = pictures_.find(std::string(src));
    if (found == pictures_.end()) {
      std::optional<DecodedPicture> picture;
      const std::string name =
          codePage_ == CP_ACP ? std::string(src) : Narrow(Widen(src, codePage_), CP_ACP);
      if (std::optional<std::string> bytes = ReadWholeFile(HtmlFilePath(name, base_))) {
        picture = DecodeImageFile(*bytes);
      }
      found = pictures_.emplace(std::string(src), std::move(picture)).first;
    }
    return found->second ? &*found->second : nullptr;
  }

  std::optional<HtmlSize> Size(std::string_view src) const override {
    const DecodedPicture* picture = Picture(src);
    if (picture == nullptr) return std::nullopt;
    return HtmlSize{picture->width, picture->height};
  }

 private:
  std::string base_;
  UINT codePage_ = CP_ACP;
  mutable std::map<std::string, std::optional<DecodedPicture>> pictures_;
};

void DrawPicture(HDC dc, const DecodedPicture& picture, const RECT& to) {
  HDC memory = CreateCompatibleDC(dc);
  if (memory == nullptr) return;
  {
    SelectedObject selected(memory, picture.bitmap.Get());
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, memory, 0, 0,
                  picture.width, picture.height, blend);
  }
  DeleteDC(memory);
}

// The system's sounds, programs and shell.
class SystemLinkActions final : public HtmlLinkActions {
 public:
  explicit SystemLinkActions(HWND owner) : owner_(owner) {}
  void PlaySoundFile(const std::string& path) override {
    static const auto play = SystemFunction<decltype(&PlaySoundW)>(L"winmm.dll", "PlaySoundW");
    if (play != nullptr) {
      play(Widen(path, CP_ACP).c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
    }
  }
  void RunProgram(const std::string& path, const std::string& arguments) override {
    // The program named by itself too, so that folders with blanks work.
    std::wstring commandLine = L"\"" + Widen(path, CP_ACP) + L"\" " + Widen(arguments, CP_ACP);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(Widen(path, CP_ACP).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                       nullptr, nullptr, &startup, &process)) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }
  void OpenWithShell(const std::string& target) override {
    ShellExecuteW(owner_, L"open", Widen(target, CP_ACP).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }

 private:
  HWND owner_;
};

LRESULT CALLBACK HtmlViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    const auto* settings = static_cast<const HtmlViewSettings*>(create->lpCreateParams);
    auto* view = new HtmlView(window, settings != nullptr ? *settings : HtmlViewSettings{});
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
  }
  HtmlView* view = HtmlViewOf(window);
  if (view == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    delete view;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return view->Message(message, wParam, lParam);
}

void RegisterViewClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpfnWndProc = HtmlViewProc;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kHtmlViewClass;
    wc.style = CS_DBLCLKS;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

// A place in the page's text: a text box (by its rank among the text boxes)
// and a character in it.
struct TextPosition {
  size_t box = 0;
  int offset = 0;
  auto operator<=>(const TextPosition&) const = default;
};

}  // namespace

struct HtmlView::State {
  explicit State(HWND window) : systemActions(window) {}
  HtmlViewSettings settings;
  std::string base;  // the page's folder
  HtmlDocument document;
  HtmlLayout layout;
  GdiMeasurer measurer;
  FileImages images;
  std::vector<size_t> textBoxes;    // the layout's text boxes, in order
  std::vector<std::wstring> texts;  // their texts
  int scroll = 0;
  int laidOutWidth = -1;
  std::string hovered;  // the link under the mouse
  std::string pressed;  // the link under the button when it went down
  POINT down{};
  bool dragging = false;
  bool selecting = false;
  TextPosition anchor;
  TextPosition focus;
  SystemLinkActions systemActions;
  HtmlLinkActions* actions = &systemActions;
  std::string refreshTarget;
  std::string refreshFrom;

  TextPosition SelectionStart() const { return std::min(anchor, focus); }
  TextPosition SelectionEnd() const { return std::max(anchor, focus); }
  bool HasSelection() const { return anchor != focus; }
};

HWND CreateHtmlView(HWND parent, const RECT& bounds, DWORD style, DWORD exStyle,
                    const HtmlViewSettings& settings) {
  RegisterViewClass();
  HtmlViewSettings copy = settings;
  return CreateWindowExW(exStyle, kHtmlViewClass, L"", style, bounds.left, bounds.top,
                         bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr,
                         GetModuleHandleW(nullptr), &copy);
}

HtmlView* HtmlViewOf(HWND window) {
  wchar_t name[32] = {};
  if (window == nullptr || GetClassNameW(window, name, 32) == 0 ||
      lstrcmpW(name, kHtmlViewClass) != 0) {
    return nullptr;
  }
  return reinterpret_cast<HtmlView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HtmlView::HtmlView(HWND window, HtmlViewSettings settings)
    : window_(window), state_(std::make_unique<State>(window)) {
  state_->settings = std::move(settings);
  state_->document = ParseHtml("");  // laid out when the window gets its size
}

HtmlView::~HtmlView() = default;

void HtmlView::SetLinkActions(HtmlLinkActions* actions) {
  state_->actions = actions != nullptr ? actions : &state_->systemActions;
}

void HtmlView::SetSettings(const HtmlViewSettings& settings) {
  state_->settings = settings;
  state_->laidOutWidth = -1;
  Relayout();
}

const std::string& HtmlView::Title() const {
  return state_->layout.title;
}

bool HtmlView::LoadFile(const std::string& path) {
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return false;
  Show(*bytes, path, FolderOf(path));
  return true;
}

void HtmlView::ShowText(const std::string& text) {
  Show("<html><body>" + Escaped(text) + "</body></html>", "", supportFolder_);
}

void HtmlView::Show(const std::string& html, const std::string& page, const std::string& base) {
  State& s = *state_;
  s.document = ParseHtml(html);
  page_ = page;
  s.base = base;
  s.images.Reset(base, s.document.utf8 ? CP_UTF8 : CP_ACP);
  s.scroll = 0;
  s.anchor = s.focus = {};
  s.hovered.clear();
  s.pressed.clear();
  s.laidOutWidth = -1;
  Relayout();
  StartRefresh();
}

void HtmlView::Relayout() {
  State& s = *state_;
  RECT client{};
  GetClientRect(window_, &client);
  const int width = std::max<int>(client.right, 1);
  HtmlLayoutOptions options;
  options.face = s.settings.face;
  options.monospaceFace = s.settings.monospaceFace;
  options.sizePoints = std::max(s.settings.sizePoints, 1);
  options.monospaceSizePoints = std::max(options.sizePoints * 5 / 6, 1);
  options.pixelsPerInch = s.settings.dpi;
  options.textColor = FromColorRef(s.settings.textColor);
  options.background = FromColorRef(s.settings.background);
  options.linkColor = FromColorRef(s.settings.linkColor);
  s.measurer.Reset(s.settings.dpi, s.document.utf8 ? CP_UTF8 : CP_ACP);
  s.layout = LayoutHtml(s.document, width, s.measurer, s.images, options);
  s.laidOutWidth = width;
  s.textBoxes.clear();
  s.texts.clear();
  for (size_t i = 0; i < s.layout.boxes.size(); ++i) {
    if (s.layout.boxes[i].kind != HtmlBoxKind::kText) continue;
    s.textBoxes.push_back(i);
    s.texts.push_back(Widen(s.layout.boxes[i].text, s.measurer.CodePage()));
  }
  s.anchor = s.focus = {};
  ScrollTo(s.scroll);
  InvalidateRect(window_, nullptr, FALSE);
}

void HtmlView::ScrollTo(int y) {
  State& s = *state_;
  RECT client{};
  GetClientRect(window_, &client);
  const int page = std::max<int>(client.bottom, 1);
  const int most = std::max(s.layout.height - page, 0);
  const int next = std::clamp(y, 0, most);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = std::max(s.layout.height - 1, 0);
  info.nPage = static_cast<UINT>(page);
  info.nPos = next;
  // Without its bar (ScrollBars ssNone) the page still scrolls by wheel and keys.
  if ((GetWindowLongW(window_, GWL_STYLE) & WS_VSCROLL) != 0) {
    SetScrollInfo(window_, SB_VERT, &info, TRUE);
  }
  if (next != s.scroll) {
    s.scroll = next;
    InvalidateRect(window_, nullptr, FALSE);
  }
}

void HtmlView::StartRefresh() {
  State& s = *state_;
  KillTimer(window_, kRefreshTimer);
  s.refreshTarget.clear();
  if (!s.document.refresh || page_.empty()) return;
  const std::string folder = supportFolder_.empty() ? s.base : supportFolder_;
  const std::string url = s.document.utf8 ? Narrow(Widen(s.document.refresh->url, CP_UTF8), CP_ACP)
                                          : s.document.refresh->url;
  std::optional<HtmlRefreshPlan> plan =
      PlanHtmlRefresh(s.document.refresh->seconds, url, folder, IsFile);
  if (!plan) return;
  s.refreshTarget = plan->target;
  s.refreshFrom = page_;
  SetTimer(window_, kRefreshTimer, static_cast<UINT>(std::max(plan->delayMs, 10)), nullptr);
}

void HtmlView::FollowLink(const std::string& target) {
  State& s = *state_;
  const std::string link =
      s.document.utf8 ? Narrow(Widen(target, CP_UTF8), CP_ACP) : std::string(target);
  const HtmlLinkDecision decision = DecideHtmlLink(link, s.base);
  if (PerformHtmlLink(decision, *s.actions)) return;
  if (decision.kind == HtmlLinkKind::kShowFile) {
    const std::string extension = AsciiLower(
        decision.path.substr(std::min(decision.path.find_last_of('.'), decision.path.size())));
    if (extension == ".htm" || extension == ".html") LoadFile(decision.path);
  } else if (decision.path == "#" || AsciiLower(decision.path) == "#top") {
    ScrollTo(0);
  }
}

std::wstring HtmlView::SelectedText() const {
  const State& s = *state_;
  if (!s.HasSelection()) return {};
  const TextPosition start = s.SelectionStart();
  const TextPosition end = s.SelectionEnd();
  std::wstring out;
  for (size_t k = start.box; k <= end.box && k < s.textBoxes.size(); ++k) {
    const std::wstring& text = s.texts[k];
    const size_t from = k == start.box ? static_cast<size_t>(start.offset) : 0;
    const size_t to = k == end.box ? static_cast<size_t>(end.offset) : text.size();
    if (k > start.box) {
      const HtmlRect& previous = s.layout.boxes[s.textBoxes[k - 1]].rect;
      const HtmlRect& current = s.layout.boxes[s.textBoxes[k]].rect;
      if (current.y >= previous.y + previous.height / 2 + 1) {
        out += L"\r\n";
      } else if (current.x > previous.x + previous.width) {
        out += L' ';
      }
    }
    if (from < to) out += text.substr(from, to - from);
  }
  return out;
}

void HtmlView::CopySelection() const {
  const std::wstring text = SelectedText();
  if (text.empty() || !OpenClipboard(window_)) return;
  EmptyClipboard();
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* data = GlobalLock(memory)) {
      std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<wchar_t*>(data));
      GlobalUnlock(memory);
      if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

void HtmlView::Paint(HDC dc, const RECT& client) {
  State& s = *state_;
  const HtmlLayout& layout = s.layout;
  FillColor(dc, client, ToColorRef(layout.background));
  const int top = s.scroll;
  const int bottom = s.scroll + client.bottom;
  if (!layout.backgroundImage.empty()) {
    if (const DecodedPicture* tile = s.images.Picture(layout.backgroundImage)) {
      const int firstRow = top - top % std::max(tile->height, 1);
      for (int y = firstRow; y < bottom; y += std::max(tile->height, 1)) {
        for (int x = 0; x < client.right; x += std::max(tile->width, 1)) {
          DrawPicture(dc, *tile, {x, y - top, x + tile->width, y - top + tile->height});
        }
      }
    }
  }
  POINT origin{};
  SetViewportOrgEx(dc, 0, -top, &origin);
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  const TextPosition selectionStart = s.SelectionStart();
  const TextPosition selectionEnd = s.SelectionEnd();
  size_t textRank = 0;
  for (size_t i = 0; i < layout.boxes.size(); ++i) {
    const HtmlBox& box = layout.boxes[i];
    const bool isText = box.kind == HtmlBoxKind::kText;
    const size_t rank = textRank;
    if (isText) ++textRank;
    if (box.rect.y > bottom || box.rect.y + box.rect.height < top) continue;
    const RECT r = RectOf(box.rect);
    switch (box.kind) {
      case HtmlBoxKind::kFill:
        if (box.background) FillColor(dc, r, ToColorRef(*box.background));
        Frame(dc, r, box.border, ToColorRef(box.color));
        break;
      case HtmlBoxKind::kRule:
        if (box.background) {
          Frame(dc, r, 1, ToColorRef(box.color));
        } else {
          FillColor(dc, r, ToColorRef(box.color));
        }
        break;
      case HtmlBoxKind::kImage: {
        const RECT inner{r.left + box.border, r.top + box.border, r.right - box.border,
                         r.bottom - box.border};
        if (const DecodedPicture* picture = s.images.Picture(box.src)) {
          DrawPicture(dc, *picture, inner);
        } else {
          Frame(dc, inner, 1, RGB(160, 160, 160));
          if (!box.text.empty()) {
            SetTextColor(dc, ToColorRef(box.color));
            RECT label = inner;
            const std::wstring alt = Widen(box.text, s.measurer.CodePage());
            DrawTextW(dc, alt.c_str(), static_cast<int>(alt.size()), &label,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
          }
        }
        Frame(dc, r, box.border, ToColorRef(box.color));
        break;
      }
      case HtmlBoxKind::kText:
      case HtmlBoxKind::kListMarker: {
        const std::wstring marker =
            isText ? std::wstring() : Widen(box.text, s.measurer.CodePage());
        const std::wstring& text = isText ? s.texts[rank] : marker;
        if (box.background) FillColor(dc, r, ToColorRef(*box.background));
        SelectedObject font(dc, s.measurer.Font(box.font));
        const bool hover = !box.href.empty() && box.href == s.hovered;
        SetTextColor(dc, hover ? kHoverColor : ToColorRef(box.color));
        ExtTextOutW(dc, r.left, r.top, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()),
                    nullptr);
        if (isText && s.HasSelection() && rank >= selectionStart.box && rank <= selectionEnd.box) {
          const int from = rank == selectionStart.box ? selectionStart.offset : 0;
          const int to =
              rank == selectionEnd.box ? selectionEnd.offset : static_cast<int>(text.size());
          if (from < to) {
            const std::wstring_view all(text);
            const int left = r.left + s.measurer.WideWidth(box.font, all.substr(0, from));
            const std::wstring_view part = all.substr(from, to - from);
            const RECT mark{left, r.top, left + s.measurer.WideWidth(box.font, part), r.bottom};
            FillColor(dc, mark, GetSysColor(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
            ExtTextOutW(dc, left, r.top, 0, nullptr, part.data(), static_cast<UINT>(part.size()),
                        nullptr);
          }
        }
        break;
      }
      case HtmlBoxKind::kLink:
        break;
    }
  }
  SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
}

LRESULT HtmlView::Message(UINT message, WPARAM wParam, LPARAM lParam) {
  State& s = *state_;
  // The document point of a client point.
  auto documentPoint = [&](LPARAM at) {
    return POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at)) + s.scroll};
  };
  // The text position nearest a document point: in the box on its line
  // nearest it, else before the first box below it.
  auto positionAt = [&](POINT p) {
    TextPosition best;
    long bestScore = LONG_MAX;
    for (size_t k = 0; k < s.textBoxes.size(); ++k) {
      const HtmlBox& box = s.layout.boxes[s.textBoxes[k]];
      long score = 0;
      if (p.y >= box.rect.y && p.y < box.rect.y + box.rect.height) {
        score =
            p.x < box.rect.x ? box.rect.x - p.x : std::max(p.x - (box.rect.x + box.rect.width), 0L);
      } else {
        score =
            100000L + (p.y < box.rect.y ? box.rect.y - p.y : p.y - box.rect.y - box.rect.height);
      }
      if (score < bestScore) {
        bestScore = score;
        best.box = k;
        if (p.y < box.rect.y) {
          best.offset = 0;
        } else if (p.y >= box.rect.y + box.rect.height) {
          best.offset = static_cast<int>(s.texts[k].size());
        } else {
          best.offset = s.measurer.OffsetAt(box.font, s.texts[k], p.x - box.rect.x);
        }
      }
    }
    return best;
  };
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window_, &ps);
      RECT client{};
      GetClientRect(window_, &client);
      // Drawn off screen and copied in one go: no flicker.
      HDC memory = CreateCompatibleDC(dc);
      GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, std::max<int>(client.right, 1),
                                                       std::max<int>(client.bottom, 1)));
      if (memory != nullptr && bitmap) {
        {
          SelectedObject selected(memory, bitmap.Get());
          Paint(memory, client);
          BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        }
      } else {
        Paint(dc, client);
      }
      if (memory != nullptr) DeleteDC(memory);
      EndPaint(window_, &ps);
      return 0;
    }
    case WM_SIZE: {
      RECT client{};
      GetClientRect(window_, &client);
      if (client.right != s.laidOutWidth) {
        Relayout();
      } else {
        ScrollTo(s.scroll);
      }
      return 0;
    }
    case WM_VSCROLL: {
      RECT client{};
      GetClientRect(window_, &client);
      int y = s.scroll;
      switch (LOWORD(wParam)) {
        case SB_LINEUP:
          y -= kLineStep;
          break;
        case SB_LINEDOWN:
          y += kLineStep;
          break;
        case SB_PAGEUP:
          y -= client.bottom;
          break;
        case SB_PAGEDOWN:
          y += client.bottom;
          break;
        case SB_TOP:
          y = 0;
          break;
        case SB_BOTTOM:
          y = s.layout.height;
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
          SCROLLINFO info{};
          info.cbSize = sizeof info;
          info.fMask = SIF_TRACKPOS;
          GetScrollInfo(window_, SB_VERT, &info);
          y = info.nTrackPos;
          break;
        }
        default:
          break;
      }
      ScrollTo(y);
      return 0;
    }
    case WM_MOUSEWHEEL: {
      const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
      ScrollTo(s.scroll - delta * 3 * kLineStep / WHEEL_DELTA);
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN: {
      RECT client{};
      GetClientRect(window_, &client);
      const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
      switch (wParam) {
        case VK_UP:
          ScrollTo(s.scroll - kLineStep);
          return 0;
        case VK_DOWN:
          ScrollTo(s.scroll + kLineStep);
          return 0;
        case VK_PRIOR:
          ScrollTo(s.scroll - client.bottom);
          return 0;
        case VK_NEXT:
          ScrollTo(s.scroll + client.bottom);
          return 0;
        case VK_HOME:
          ScrollTo(0);
          return 0;
        case VK_END:
          ScrollTo(s.layout.height);
          return 0;
        case 'C':
        case VK_INSERT:
          if (control) CopySelection();
          return 0;
        case 'A':
          if (control && !s.textBoxes.empty()) {
            s.anchor = {};
            s.focus = {s.textBoxes.size() - 1, static_cast<int>(s.texts.back().size())};
            InvalidateRect(window_, nullptr, FALSE);
          }
          return 0;
        default:
          break;
      }
      break;
    }
    case WM_CHAR:
      return 0;  // Ctrl+C and the like are taken as keys
    case WM_LBUTTONDOWN: {
      SetFocus(window_);
      SetCapture(window_);
      const POINT p = documentPoint(lParam);
      const std::string* link = s.layout.LinkAt(p.x, p.y);
      s.pressed = link != nullptr ? *link : std::string();
      s.down = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      s.dragging = false;
      s.selecting = true;
      const bool hadSelection = s.HasSelection();
      s.anchor = s.focus = positionAt(p);
      if (hadSelection) InvalidateRect(window_, nullptr, FALSE);
      return 0;
    }
    case WM_MOUSEMOVE: {
      const POINT p = documentPoint(lParam);
      if (s.selecting && (wParam & MK_LBUTTON) != 0) {
        const int dx = static_cast<short>(LOWORD(lParam)) - s.down.x;
        const int dy = static_cast<short>(HIWORD(lParam)) - s.down.y;
        if (std::abs(dx) > GetSystemMetrics(SM_CXDRAG) ||
            std::abs(dy) > GetSystemMetrics(SM_CYDRAG)) {
          s.dragging = true;
        }
        if (s.dragging) {
          RECT client{};
          GetClientRect(window_, &client);
          const int y = static_cast<short>(HIWORD(lParam));
          if (y < 0) ScrollTo(s.scroll - kLineStep);
          if (y > client.bottom) ScrollTo(s.scroll + kLineStep);
          const TextPosition focus = positionAt(documentPoint(lParam));
          if (focus != s.focus) {
            s.focus = focus;
            InvalidateRect(window_, nullptr, FALSE);
          }
        }
      }
      const std::string* link = s.layout.LinkAt(p.x, p.y);
      const std::string hovered = link != nullptr ? *link : std::string();
      if (hovered != s.hovered) {
        s.hovered = hovered;
        InvalidateRect(window_, nullptr, FALSE);
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
        TrackMouseEvent(&track);
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      if (!s.hovered.empty()) {
        s.hovered.clear();
        InvalidateRect(window_, nullptr, FALSE);
      }
      return 0;
    case WM_LBUTTONUP: {
      // Before the release, whose WM_CAPTURECHANGED ends the selecting.
      const bool wasSelecting = s.selecting;
      s.selecting = false;
      if (GetCapture() == window_) ReleaseCapture();
      if (!wasSelecting || s.dragging || s.pressed.empty()) return 0;
      const POINT p = documentPoint(lParam);
      const std::string* link = s.layout.LinkAt(p.x, p.y);
      if (link != nullptr && *link == s.pressed) {
        const std::string target = s.pressed;
        s.pressed.clear();
        FollowLink(target);
      }
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      return 0;
    case WM_CAPTURECHANGED:
      s.selecting = false;
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        POINT p{};
        GetCursorPos(&p);
        ScreenToClient(window_, &p);
        const bool onLink = s.layout.LinkAt(p.x, p.y + s.scroll) != nullptr;
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(onLink ? IDC_HAND : IDC_ARROW)));
        return TRUE;
      }
      break;
    case WM_TIMER:
      if (wParam == kRefreshTimer) {
        KillTimer(window_, kRefreshTimer);
        // Only when the page that asked is still shown.
        if (!s.refreshTarget.empty() && page_ == s.refreshFrom) {
          const std::string target = s.refreshTarget;
          if (LoadFile(target) && onRefresh_) onRefresh_(Title());
        }
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace vantrell
