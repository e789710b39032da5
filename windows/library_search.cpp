// Linked into every Windows program: a library loaded by name comes from the
// system folder only, never from the program's own folder or the current
// one, where a downloaded file of the same name may sit (a message box alone
// makes the system load libraries on demand).
#include <windows.h>

namespace {

// 101 is the first priority open to programs, so this runs before every
// other initialiser of the image (the engine reads its book in one) and
// after only the C runtime's start-up, which loads no library. The libraries
// in the import table come earlier still, but those are known system ones.
__attribute__((constructor(101))) void SearchSystemFolderOnly() {
  // The one flag is valid wherever the call exists; a failure leaves nothing
  // better to do than to go on.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace
