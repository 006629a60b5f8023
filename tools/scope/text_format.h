#pragma once
// printf-style formatting into a string, for the tool's fixed-width text output.

#include <cstdio>
#include <string>

namespace zanvo::scope {

template <typename... Args>
std::string Format(const char* format, Args... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, args...);
  text.pop_back();
  return text;
}

}  // namespace zanvo::scope
