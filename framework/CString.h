// An 8-bit string in the system's code page, with the few operations the
// program uses. Byte-wise comparison; no locale.
#pragma once
#include <cstddef>
#include <string>

class CString {
public:
  CString() = default;
  CString(const char* text) : text_(text ? text : "") {}
  CString(const char* text, size_t length) : text_(text, length) {}
  CString(std::string text) : text_(std::move(text)) {}

  int GetLength() const { return static_cast<int>(text_.size()); }
  bool IsEmpty() const { return text_.empty(); }
  void Empty() { text_.clear(); }
  const char* c_str() const { return text_.c_str(); }
  operator const char*() const { return text_.c_str(); }
  const std::string& str() const { return text_; }

  CString& operator+=(const CString& other) { text_ += other.text_; return *this; }
  CString& operator+=(char ch) { text_ += ch; return *this; }
  friend CString operator+(const CString& a, const CString& b) { return CString(a.text_ + b.text_); }
  friend CString operator+(const CString& a, const char* b) { return CString(a.text_ + (b ? b : "")); }
  friend bool operator==(const CString& a, const CString& b) { return a.text_ == b.text_; }
  friend bool operator!=(const CString& a, const CString& b) { return a.text_ != b.text_; }
  friend bool operator==(const CString& a, const char* b) { return a.text_ == (b ? b : ""); }
  friend bool operator!=(const CString& a, const char* b) { return !(a == b); }

  // printf-style formatting; replaces the contents.
  void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Lower-cases ASCII letters in place.
  CString& MakeLower();
  // Position of the first occurrence at or after `start`, or -1.
  int Find(const char* sub, int start = 0) const;
  int Find(char ch, int start = 0) const;
  int ReverseFind(char ch) const;
  CString Left(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;

private:
  std::string text_;
};
