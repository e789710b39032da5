// Giving back what LoadBook allocated. The engine keeps its book for the
// whole run; only programs that load many books in one process (the fuzz
// targets) release them.
#include <cstdlib>

#include "book/book.h"

void ReleaseBook(OpeningBook* node) {
  std::free(node->records);
  OpeningBook* next = node->next;
  node->records = nullptr;
  node->count = 0;
  node->next = nullptr;
  // The chained nodes were created by LoadBook with new.
  while (next) {
    OpeningBook* after = next->next;
    std::free(next->records);
    delete next;
    next = after;
  }
}
