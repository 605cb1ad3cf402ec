// An 8-bit string in the system's code page, with the few operations the
// program uses. Byte-wise comparison; no locale.
#pragma once
#include <cstddef>
#include <string>

class CString {
public:
  CString() = default;
  CString(const char* text) : m_text(text ? text : "") {}
  CString(const char* text, size_t length) : m_text(text, length) {}
  CString(std::string text) : m_text(std::move(text)) {}

  int GetLength() const { return static_cast<int>(m_text.size()); }
  bool IsEmpty() const { return m_text.empty(); }
  void Empty() { m_text.clear(); }
  const char* c_str() const { return m_text.c_str(); }
  operator const char*() const { return m_text.c_str(); }
  const std::string& str() const { return m_text; }

  CString& operator+=(const CString& other) { m_text += other.m_text; return *this; }
  CString& operator+=(char ch) { m_text += ch; return *this; }
  friend CString operator+(const CString& a, const CString& b) { return CString(a.m_text + b.m_text); }
  friend CString operator+(const CString& a, const char* b) { return CString(a.m_text + (b ? b : "")); }
  friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
  friend bool operator!=(const CString& a, const CString& b) { return a.m_text != b.m_text; }
  friend bool operator==(const CString& a, const char* b) { return a.m_text == (b ? b : ""); }
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
  std::string m_text;
};
