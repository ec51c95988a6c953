// Owning wrappers for GDI objects and COM interfaces of the dialog windows.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace vantrell {

// A font, brush, pen or bitmap, deleted with the wrapper.
template <typename Handle>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle h) : h_(h) {}
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = std::exchange(other.h_, nullptr);
    }
    return *this;
  }
  ~GdiObject() { Reset(); }

  Handle Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void Reset(Handle h = nullptr) {
    if (h_ != nullptr) DeleteObject(h_);
    h_ = h;
  }

 private:
  Handle h_ = nullptr;
};

// Selects an object into a device context for one scope.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() { SelectObject(dc_, previous_); }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A bitmap of width by height pixels compatible with the screen, filled with
// the system colour `ground`, then drawn on by paint(dc) (nullptr when it
// cannot be made). The caller deletes it.
template <typename Paint>
HBITMAP PaintedBitmap(int width, int height, int ground, Paint paint) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  if (dc != nullptr && bitmap != nullptr) {
    SelectedObject selected(dc, bitmap);
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, GetSysColorBrush(ground));
    paint(dc);
  }
  if (dc != nullptr) DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

// One reference to a COM interface.
template <typename Interface>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (p_ != nullptr) p_->Release();
  }
  Interface* operator->() const { return p_; }
  Interface* Get() const { return p_; }
  Interface** Out() { return &p_; }

 private:
  Interface* p_ = nullptr;
};

}  // namespace vantrell
