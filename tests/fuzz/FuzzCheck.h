#pragma once
// A property every input must keep; a violation stops the fuzzer with the input saved.

#include <cstdio>
#include <cstdlib>
#include <string_view>

inline void FuzzCheck(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz property violated: %s\n", what);
  std::abort();
}

inline std::string_view FuzzText(const unsigned char* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}
