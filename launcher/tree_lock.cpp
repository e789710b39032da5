#include "tree_lock.h"

#include <cstdint>
#include <cstdio>

CTreeLock::~CTreeLock() {
  if (m_mutex == nullptr) return;
  ReleaseMutex(m_mutex);
  CloseHandle(m_mutex);
}

bool CTreeLock::Acquire(const std::string& extractDir) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, TreeLockName(extractDir).c_str());
  if (mutex == nullptr) return false;
  // An abandoned mutex is one whose holder died: the tree is free again.
  DWORD state = WaitForSingleObject(mutex, 0);
  if (state != WAIT_OBJECT_0 && state != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return false;
  }
  m_mutex = mutex;
  return true;
}

std::string TreeLockName(const std::string& extractDir) {
  uint64_t hash = 0xCBF29CE484222325ull;
  for (char c : extractDir) {
    unsigned char u = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    hash = (hash ^ u) * 0x100000001B3ull;
  }
  char name[48];
  std::snprintf(name, sizeof(name), "Local\\MirqgateTree-%016llx",
                static_cast<unsigned long long>(hash));
  return name;
}
