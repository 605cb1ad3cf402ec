// Scoped GDI helpers: every selection is undone and every temporary object
// released on every path.
#pragma once
#include <windows.h>

// BeginPaint / EndPaint.
class PaintDC {
public:
  explicit PaintDC(HWND hwnd) : hwnd_(hwnd) { hdc_ = ::BeginPaint(hwnd, &ps_); }
  ~PaintDC() { ::EndPaint(hwnd_, &ps_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC hdc() const { return hdc_; }
  operator HDC() const { return hdc_; }
  const PAINTSTRUCT& paintStruct() const { return ps_; }

private:
  HWND hwnd_;
  PAINTSTRUCT ps_ = {};
  HDC hdc_;
};

// A memory DC compatible with `reference`, with `bitmap` selected while it
// lives.
class MemoryDC {
public:
  MemoryDC(HDC reference, HBITMAP bitmap) : hdc_(::CreateCompatibleDC(reference)) {
    old_ = ::SelectObject(hdc_, bitmap);
  }
  ~MemoryDC() {
    ::SelectObject(hdc_, old_);
    ::DeleteDC(hdc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  operator HDC() const { return hdc_; }

private:
  HDC hdc_;
  HGDIOBJ old_;
};

// Selects a GDI object into a DC for the scope.
class ScopedSelect {
public:
  ScopedSelect(HDC hdc, HGDIOBJ object) : hdc_(hdc), old_(::SelectObject(hdc, object)) {}
  ~ScopedSelect() { ::SelectObject(hdc_, old_); }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
  HDC hdc_;
  HGDIOBJ old_;
};

// Restores everything drawing changed in a DC it was lent (selections, modes,
// colours).
class SavedDC {
public:
  explicit SavedDC(HDC hdc) : hdc_(hdc), saved_(::SaveDC(hdc)) {}
  ~SavedDC() { ::RestoreDC(hdc_, saved_); }
  SavedDC(const SavedDC&) = delete;
  SavedDC& operator=(const SavedDC&) = delete;

private:
  HDC hdc_;
  int saved_;
};

// Owns a GDI object (bitmap, pen, brush, region) and deletes it.
template <typename Handle>
class GdiObject {
public:
  explicit GdiObject(Handle handle = nullptr) : handle_(handle) {}
  ~GdiObject() {
    if (handle_) ::DeleteObject(handle_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  operator Handle() const { return handle_; }
  Handle get() const { return handle_; }
  Handle release() {
    Handle h = handle_;
    handle_ = nullptr;
    return h;
  }
  void reset(Handle handle) {
    if (handle_) ::DeleteObject(handle_);
    handle_ = handle;
  }

private:
  Handle handle_;
};

// An off-screen 32-bit image with its own memory DC, for painting a window
// whole and copying it to the screen in one go.
class OffscreenImage {
public:
  OffscreenImage(HDC reference, int width, int height)
      : width_(width), height_(height), bitmap_(createBitmap(reference, width, height)), dc_(reference, bitmap_) {}
  OffscreenImage(const OffscreenImage&) = delete;
  OffscreenImage& operator=(const OffscreenImage&) = delete;
  operator HDC() const { return dc_; }
  void copyTo(HDC target, int x = 0, int y = 0) const { ::BitBlt(target, x, y, width_, height_, dc_, 0, 0, SRCCOPY); }

private:
  static HBITMAP createBitmap(HDC reference, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width > 0 ? width : 1;
    info.bmiHeader.biHeight = -(height > 0 ? height : 1);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return ::CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  }

  int width_, height_;
  GdiObject<HBITMAP> bitmap_;  // declared before the DC: deleted after it lets go
  MemoryDC dc_;
};
