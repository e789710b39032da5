// Byte-wise path handling for Shift-JIS names: the second byte of a
// double-byte character may be 0x5C, which is then not a separator.
#pragma once

#include <cstddef>
#include <string>

inline bool IsSjisLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Index of the last "\" that is a separator, or npos.
inline size_t FindLastSeparator(const std::string& path) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsSjisLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size())
      ++i;
    else if (path[i] == '\\')
      last = i;
  }
  return last;
}

inline bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && FindLastSeparator(path) == path.size() - 1;
}
