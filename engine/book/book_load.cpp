// Loading book files into a chain of nodes, one node per file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "book/book.h"

OpeningBook Book = {nullptr, 0, nullptr};
Position BookStartPosition;

namespace {

// Reads the records of one file into node. Any failure leaves node empty or
// holding the records read so far; nothing is thrown.
void LoadBookFile(OpeningBook* node, const char* name) {
  node->records = nullptr;
  node->count = 0;
  std::FILE* f = std::fopen(name, "rb");
  if (!f) return;

  uint8_t piece[BOOK_RECORD_BYTES];
  long count = 0;
  while (std::fread(piece, 1, sizeof piece, f) > 0) {
    // The record count is an int; a file this large is refused like
    // memory that cannot be had.
    if (++count > 1000000) {
      std::fclose(f);
      return;
    }
  }
  if (count == 0 || std::fseek(f, 0, SEEK_SET) != 0) {
    std::fclose(f);
    return;
  }
  // Zero-filled, so a short final piece reads as a line that ends where
  // the file ends.
  auto* records = static_cast<uint8_t(*)[BOOK_RECORD_BYTES]>(std::calloc(count, BOOK_RECORD_BYTES));
  if (!records) {
    std::fclose(f);
    return;
  }
  int read = 0;
  while (read < count && std::fread(records[read], 1, BOOK_RECORD_BYTES, f) > 0) ++read;
  std::fclose(f);
  if (read == 0) {
    std::free(records);
    return;
  }
  node->records = records;
  node->count = read;
}

}  // namespace

void LoadBook(OpeningBook* node, const char* names) {
  // One node per comma-separated name, in order. The chain is built in a
  // loop, so a list of any length needs no deeper stack.
  for (;;) {
    node->next = nullptr;
    node->records = nullptr;
    node->count = 0;
    const char* end = names;
    while (*end != '\0' && *end != ',') ++end;
    size_t length = static_cast<size_t>(end - names);
    // The name, cut at the comma; without memory for it the node stays
    // empty like an unreadable file.
    char* first = static_cast<char*>(std::malloc(length + 1));
    if (first) {
      std::memcpy(first, names, length);
      first[length] = '\0';
      LoadBookFile(node, first);
      std::free(first);
    }
    if (*end == '\0') return;
    // Without memory for the next node the chain ends here.
    OpeningBook* next = new (std::nothrow) OpeningBook{nullptr, 0, nullptr};
    if (!next) return;
    node->next = next;
    node = next;
    names = end + 1;
  }
}
