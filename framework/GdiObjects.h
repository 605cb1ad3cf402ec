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
