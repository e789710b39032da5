// One launcher per working tree: a second start while a game runs in the
// tree must change nothing in it. Different games packed with this
// launcher share the tree, so the lock is named after the tree, not after
// the launcher's folder.
#pragma once

#include <string>

#include "platform/win32.h"

class CTreeLock {
 public:
  CTreeLock() = default;
  ~CTreeLock();
  CTreeLock(const CTreeLock&) = delete;
  CTreeLock& operator=(const CTreeLock&) = delete;

  // True when this run now holds the tree; false when another run does
  // (or the lock cannot be made). Held until the object ends.
  bool Acquire(const std::string& extractDir);

 private:
  HANDLE m_mutex = nullptr;
};

// The mutex name for a tree: the session's namespace and a checksum of the
// path, whose letter case Windows ignores.
std::string TreeLockName(const std::string& extractDir);
