// Scoped GDI helpers: every selection is undone and every temporary object
// released on every path.
#pragma once
#include <windows.h>

#include <type_traits>

// BeginPaint / EndPaint.
class PaintDC {
public:
  explicit PaintDC(HWND hwnd) : m_hwnd(hwnd) { m_hdc = ::BeginPaint(hwnd, &m_ps); }
  ~PaintDC() { ::EndPaint(m_hwnd, &m_ps); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC hdc() const { return m_hdc; }
  operator HDC() const { return m_hdc; }
  const PAINTSTRUCT& paintStruct() const { return m_ps; }

private:
  HWND m_hwnd;
  PAINTSTRUCT m_ps = {};
  HDC m_hdc;
};

// GetDC / ReleaseDC: a window's DC, or the screen's for a null window.
class WindowDC {
public:
  explicit WindowDC(HWND hwnd) : m_hwnd(hwnd), m_hdc(::GetDC(hwnd)) {}
  ~WindowDC() {
    if (m_hdc) ::ReleaseDC(m_hwnd, m_hdc);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  operator HDC() const { return m_hdc; }

private:
  HWND m_hwnd;
  HDC m_hdc;
};

// A memory DC compatible with `reference`, with `bitmap` selected while it
// lives.
class MemoryDC {
public:
  MemoryDC(HDC reference, HBITMAP bitmap) : m_hdc(::CreateCompatibleDC(reference)) {
    m_old = ::SelectObject(m_hdc, bitmap);
  }
  ~MemoryDC() {
    ::SelectObject(m_hdc, m_old);
    ::DeleteDC(m_hdc);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  operator HDC() const { return m_hdc; }

private:
  HDC m_hdc;
  HGDIOBJ m_old;
};

// Selects a GDI object into a DC for the scope.
class ScopedSelect {
public:
  ScopedSelect(HDC hdc, HGDIOBJ object) : m_hdc(hdc), m_old(::SelectObject(hdc, object)) {}
  ~ScopedSelect() { ::SelectObject(m_hdc, m_old); }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
  HDC m_hdc;
  HGDIOBJ m_old;
};

// Restores everything drawing changed in a DC it was lent (selections, modes,
// colours).
class SavedDC {
public:
  explicit SavedDC(HDC hdc) : m_hdc(hdc), m_saved(::SaveDC(hdc)) {}
  ~SavedDC() { ::RestoreDC(m_hdc, m_saved); }
  SavedDC(const SavedDC&) = delete;
  SavedDC& operator=(const SavedDC&) = delete;

private:
  HDC m_hdc;
  int m_saved;
};

// Owns a GDI object that the code created (bitmap, pen, brush, region, or a
// memory DC) and deletes it. Handles the code only borrows (a window's DC, a
// skin bitmap it is handed) stay raw. Fonts are CFont's.
template <typename Handle>
class GdiObject {
  static_assert(!std::is_same_v<Handle, HFONT>, "a font is owned by a CFont");

public:
  explicit GdiObject(Handle handle = nullptr) : m_handle(handle) {}
  ~GdiObject() { destroy(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : m_handle(other.release()) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  operator Handle() const { return m_handle; }
  Handle get() const { return m_handle; }
  Handle release() {
    Handle h = m_handle;
    m_handle = nullptr;
    return h;
  }
  void reset(Handle handle) {
    destroy();
    m_handle = handle;
  }

private:
  void destroy() {
    if (!m_handle) return;
    if constexpr (std::is_same_v<Handle, HDC>)
      ::DeleteDC(m_handle);
    else
      ::DeleteObject(m_handle);
  }
  Handle m_handle;
};

// A 32-bit top-down DIB section of `width` x `height` (BI_RGB), or null when
// the system could not make it: an image to draw into that stays the
// caller's (a menu's picture, say).
inline GdiObject<HBITMAP> createDibSection(HDC reference, int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  return GdiObject<HBITMAP>(::CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

// An off-screen 32-bit image (at least 1 x 1) with its own memory DC, for
// composing a picture and copying it to the screen in one go.
class OffscreenImage {
public:
  OffscreenImage(HDC reference, int width, int height)
      : m_width(width > 0 ? width : 1),
        m_height(height > 0 ? height : 1),
        m_bitmap(createDibSection(reference, m_width, m_height)),
        m_dc(reference, m_bitmap) {}
  OffscreenImage(const OffscreenImage&) = delete;
  OffscreenImage& operator=(const OffscreenImage&) = delete;
  operator HDC() const { return m_dc; }
  // False when the system could not make the image.
  bool valid() const { return m_bitmap.get() != nullptr && static_cast<HDC>(m_dc) != nullptr; }
  int width() const { return m_width; }
  int height() const { return m_height; }
  void copyTo(HDC target, int x = 0, int y = 0) const {
    ::BitBlt(target, x, y, m_width, m_height, m_dc, 0, 0, SRCCOPY);
  }

private:
  int m_width, m_height;
  GdiObject<HBITMAP> m_bitmap;  // declared before the DC: deleted after it lets go
  MemoryDC m_dc;
};
