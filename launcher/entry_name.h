// The rules for the names stored in a package, shared by the unpacker and
// the packer: a name must name a file inside the destination folder, the
// same file on every system, and never a device.
#pragma once

#include <cstddef>
#include <string>

#include "sjis_path.h"

// The name field of a package entry, terminator included.
const size_t kEntryNameSize = 260;

namespace entry_name {

inline char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Windows opens a device for these whatever the extension ("con.txt",
// "NUL .sav") and whatever the letter case.
inline bool IsDeviceName(const std::string& component) {
  std::string base = component.substr(0, component.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = Upper(c);
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
      base == "CONOUT$")
    return true;
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '0' && base[3] <= '9';
}

// One folder level or the file name: not empty, not "." or "..", no
// trailing "." or " " (which Windows drops, so that two names would meet),
// no device. Neither byte can be a Shift-JIS trail byte, so the last byte
// decides.
inline bool IsSafeComponent(const std::string& component) {
  if (component.empty()) return false;
  char last = component.back();
  return last != '.' && last != ' ' && !IsDeviceName(component);
}

// What may follow a lead byte as the second byte of its character. A lead
// byte before anything else makes no character, and a file system reads
// the next byte as itself ("/" or ":" included).
inline bool IsTrailByte(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// A byte that may not stand outside a double-byte character: separators of
// other systems, drive and stream marks, wildcards and redirections, and
// control characters.
inline bool IsRefusedByte(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == '/' || c == ':' || c == '<' || c == '>' || c == '"' ||
         c == '|' || c == '?' || c == '*';
}

}  // namespace entry_name

// An entry name begins with "\", is NUL-terminated within its field, and
// every component passes IsSafeComponent. Shift-JIS trail bytes (0x5C,
// 0x7C among them) are parts of characters, not separators or bars.
inline bool IsSafeEntryName(const char* field, size_t fieldSize) {
  size_t length = 0;
  while (length < fieldSize && field[length] != '\0') ++length;
  if (length == fieldSize || length == 0 || field[0] != '\\') return false;
  std::string component;
  for (size_t i = 1; i <= length; ++i) {
    unsigned char c = i < length ? static_cast<unsigned char>(field[i]) : '\\';
    if (i < length && IsSjisLeadByte(c) && i + 1 < length &&
        entry_name::IsTrailByte(static_cast<unsigned char>(field[i + 1]))) {
      component += field[i];
      component += field[++i];
      continue;
    }
    if (entry_name::IsRefusedByte(c)) return false;
    if (c == '\\') {
      if (!entry_name::IsSafeComponent(component)) return false;
      component.clear();
    } else {
      component += static_cast<char>(c);
    }
  }
  return true;
}

inline bool IsSafeEntryName(const std::string& name) {
  return name.size() < kEntryNameSize && IsSafeEntryName(name.c_str(), name.size() + 1);
}

// The name as Windows compares names: letters in one case, the full-width
// Latin, Greek and Cyrillic letters of Shift-JIS included. Two entries
// with the same folded name are one file there.
inline std::string FoldedEntryName(const std::string& name) {
  std::string folded;
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (!IsSjisLeadByte(c) || i + 1 == name.size()) {
      folded += entry_name::Upper(name[i]);
      continue;
    }
    unsigned char t = static_cast<unsigned char>(name[++i]);
    if (c == 0x82 && t >= 0x81 && t <= 0x9A)
      t = static_cast<unsigned char>(t - 0x21);  // Ａ..Ｚ
    else if (c == 0x83 && t >= 0xBF && t <= 0xD6)
      t = static_cast<unsigned char>(t - 0x20);  // Α..Ω
    else if (c == 0x84 && t >= 0x70 && t <= 0x7E)
      t = static_cast<unsigned char>(t - 0x30);  // А..О
    else if (c == 0x84 && t >= 0x80 && t <= 0x91)
      t = static_cast<unsigned char>(t - 0x31);  // П..Я
    folded += static_cast<char>(c);
    folded += static_cast<char>(t);
  }
  return folded;
}
