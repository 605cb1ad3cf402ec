// What a fuzz target does when a property breaks: says which, and stops so
// that the fuzzer keeps the input.
#pragma once
#include <cstdio>
#include <cstdlib>

inline void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}
