// POSIX implementation of the Win32 stand-in declared in win32.h.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <iconv.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/posix_internal.h"
#include "platform/win32.h"

namespace posix_stand_in {

thread_local DWORD g_lastError = ERROR_SUCCESS;

Object* AsObject(HANDLE h, Kind kind) {
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return nullptr;
  Object* o = static_cast<Object*>(h);
  return o->kind == kind ? o : nullptr;
}

namespace {

bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

bool ParentExists(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  size_t cut = p.find_last_of('/');
  if (cut == std::string::npos) return true;
  std::string parent = cut == 0 ? "/" : p.substr(0, cut);
  struct stat st;
  return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string ToPosix(LPCSTR path) {
  std::string out;
  if (path == nullptr) return out;
  for (size_t i = 0; path[i] != '\0'; ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsLeadByte(c) && path[i + 1] != '\0') {
      out += path[i];
      out += path[++i];
    } else {
      out += c == '\\' ? '/' : path[i];
    }
  }
  return out;
}

std::string ToWindows(const std::string& path) {
  std::string out = path;
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

DWORD FromErrno(int err, const std::string& path) {
  switch (err) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return path.empty() || ParentExists(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_ALREADY_EXISTS;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case EBUSY:
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    case ENOEXEC:
      return ERROR_BAD_EXE_FORMAT;
    case ELOOP:
      return ERROR_CANT_RESOLVE_FILENAME;
    case ENXIO:
      return ERROR_ACCESS_DENIED;
    case EIO:
      return ERROR_IO_DEVICE;
    default:
      return ERROR_GEN_FAILURE;
  }
}

BOOL Fail(DWORD error) {
  g_lastError = error;
  return FALSE;
}

void DeleteObject(Object* o) {
  if (o->fd >= 0) close(o->fd);
  if (o->dir != nullptr) closedir(o->dir);
  delete o;
}

}  // namespace posix_stand_in

using namespace posix_stand_in;

namespace {

// Transfers at most count bytes at offset (or at the descriptor's own
// position when offset < 0); short counts happen only at the end of file.
bool Transfer(int fd, char* buffer, DWORD count, long long offset, bool write, DWORD* done) {
  DWORD total = 0;
  while (total < count) {
    ssize_t n;
    if (offset >= 0)
      n = write ? pwrite(fd, buffer + total, count - total, offset + total)
                : pread(fd, buffer + total, count - total, offset + total);
    else
      n = write ? ::write(fd, buffer + total, count - total)
                : ::read(fd, buffer + total, count - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      *done = total;
      return false;
    }
    if (n == 0) break;
    total += static_cast<DWORD>(n);
  }
  *done = total;
  return true;
}

// A write that does not fit on its disk writes what fits and fails.
bool WriteFitting(int fd, const std::string& path, char* buffer, DWORD count, long long offset,
                  DWORD* done) {
  DWORD fits = static_cast<DWORD>(FitsOnDisk(path, count));
  if (!Transfer(fd, buffer, fits, offset, true, done)) return false;
  if (fits == count) return true;
  errno = ENOSPC;
  return false;
}

BOOL TransferFile(HANDLE hFile, void* buffer, DWORD count, LPDWORD done, LPOVERLAPPED ov,
                  bool write) {
  Object* o = AsObject(hFile, Kind::File);
  if (done != nullptr) *done = 0;
  if (o == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (buffer == nullptr && count > 0) return Fail(ERROR_INVALID_PARAMETER);
  long long offset = -1;
  if (ov != nullptr) offset = (static_cast<long long>(ov->OffsetHigh) << 32) | ov->Offset;
  DWORD n = 0;
  DWORD error = ERROR_SUCCESS;
  bool moved = write ? WriteFitting(o->fd, o->path, static_cast<char*>(buffer), count, offset, &n)
                     : Transfer(o->fd, static_cast<char*>(buffer), count, offset, false, &n);
  if (!moved)
    error = FromErrno(errno);
  else if (!write && count > 0 && n == 0 && o->overlapped)
    error = ERROR_HANDLE_EOF;  // an overlapped read at the end fails, as on Windows
  if (ov != nullptr && o->overlapped) {
    ov->Internal = error;
    ov->InternalHigh = n;
    if (ov->hEvent != nullptr) SetEvent(ov->hEvent);
    return Fail(ERROR_IO_PENDING);
  }
  if (done != nullptr) *done = n;
  if (error != ERROR_SUCCESS) return Fail(error);
  return TRUE;
}

// 100 ns steps since 1601, as Windows counts file times.
FILETIME ToFileTime(const struct timespec& t) {
  unsigned long long ticks =
      (static_cast<unsigned long long>(t.tv_sec) + 11644473600ull) * 10000000ull +
      static_cast<unsigned long long>(t.tv_nsec) / 100;
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(ticks);
  time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return time;
}

// A plain file only: a folder is refused as Windows does; a link is not
// followed (O_NOFOLLOW) and a pipe or device is refused, opened without
// waiting (O_NONBLOCK) for another end that may never come.
int OpenPlain(const std::string& path, int flags, mode_t mode) {
  int fd = open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
  if (fd < 0) return -1;
  struct stat st;
  int error = fstat(fd, &st) != 0   ? errno
              : S_ISREG(st.st_mode) ? 0
              : S_ISDIR(st.st_mode) ? EISDIR
                                    : ENXIO;
  if (error != 0) {
    close(fd);
    errno = error;
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

// A file written here that begins as a program does becomes executable
// for whoever may read it, as Windows runs any .exe; other files do not.
void MarkProgram(int fd, const std::string& path) {
  char head[4] = {};
  int reader = OpenPlain(path, O_RDONLY, 0);  // fd may be open for writing only
  ssize_t n = reader >= 0 ? pread(reader, head, sizeof(head), 0) : 0;
  if (reader >= 0) close(reader);
  const char elf[4] = {0x7f, 'E', 'L', 'F'};
  bool program =
      (n == 4 && std::memcmp(head, elf, 4) == 0) || (n >= 2 && head[0] == '#' && head[1] == '!');
  struct stat st;
  if (!program || fstat(fd, &st) != 0) return;
  fchmod(fd, (st.st_mode & 07777) | ((st.st_mode & 0444) >> 2));
}

// Fills a find record for the entry name inside folder (POSIX form).
void Describe(const std::string& folder, const char* name, LPWIN32_FIND_DATAA data) {
  std::memset(data, 0, sizeof(*data));
  std::snprintf(data->cFileName, sizeof(data->cFileName), "%s", name);
  std::string full = folder;
  if (full.empty() || full.back() != '/') full += '/';
  full += name;
  struct stat lst;
  if (lstat(full.c_str(), &lst) != 0) {
    data->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    return;
  }
  struct stat st = lst;
  DWORD attributes = 0;
  if (S_ISLNK(lst.st_mode)) {
    attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    if (stat(full.c_str(), &st) != 0) st = lst;
  }
  if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (attributes == 0) attributes = FILE_ATTRIBUTE_ARCHIVE;
  data->dwFileAttributes = attributes;
  data->ftLastWriteTime = ToFileTime(st.st_mtim);
  unsigned long long size = S_ISDIR(st.st_mode) ? 0 : static_cast<unsigned long long>(st.st_size);
  data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(size);
}

bool PatternMatches(const std::string& pattern, const char* name) {
  if (pattern == "*" || pattern == "*.*") return true;
  return fnmatch(pattern.c_str(), name, FNM_NOESCAPE) == 0;
}

bool NextListed(Object* o, LPWIN32_FIND_DATAA data) {
  for (;;) {
    errno = 0;
    struct dirent* entry = readdir(o->dir);
    if (entry == nullptr) {
      g_lastError = errno != 0 ? FromErrno(errno) : ERROR_NO_MORE_FILES;
      return false;
    }
    if (PatternMatches(o->pattern, entry->d_name)) {
      Describe(o->folder, entry->d_name, data);
      return true;
    }
  }
}

struct MessageText {
  DWORD code;
  const char* text;
};

const MessageText kMessages[] = {
    {ERROR_SUCCESS, "The operation completed successfully.\r\n"},
    {ERROR_INVALID_FUNCTION, "Incorrect function.\r\n"},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified.\r\n"},
    {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file.\r\n"},
    {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
    {ERROR_INVALID_HANDLE, "The handle is invalid.\r\n"},
    {ERROR_NOT_ENOUGH_MEMORY,
     "Not enough memory resources are available to process this command.\r\n"},
    {ERROR_NO_MORE_FILES, "There are no more files.\r\n"},
    {ERROR_GEN_FAILURE, "A device attached to the system is not functioning.\r\n"},
    {ERROR_SHARING_VIOLATION,
     "The process cannot access the file because it is being used by another process.\r\n"},
    {ERROR_HANDLE_EOF, "Reached the end of the file.\r\n"},
    {ERROR_FILE_EXISTS, "The file exists.\r\n"},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect.\r\n"},
    {ERROR_DISK_FULL, "There is not enough space on the disk.\r\n"},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small.\r\n"},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {ERROR_NEGATIVE_SEEK,
     "An attempt was made to move the file pointer before the beginning of the file.\r\n"},
    {ERROR_DIR_NOT_EMPTY, "The directory is not empty.\r\n"},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists.\r\n"},
    {ERROR_BAD_EXE_FORMAT, "%1 is not a valid Win32 application.\r\n"},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long.\r\n"},
    {ERROR_DIRECTORY, "The directory name is invalid.\r\n"},
    {ERROR_IO_PENDING, "Overlapped I/O operation is in progress.\r\n"},
    {ERROR_IO_DEVICE, "The request could not be performed because of an I/O device error.\r\n"},
    {ERROR_CANT_RESOLVE_FILENAME, "The name of the file cannot be resolved by the system.\r\n"},
};

std::string FromCodePage932(LPCSTR text) {
  std::string in = text != nullptr ? text : "";
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return in;
  std::string out(in.size() * 4 + 4, '\0');
  char* src = &in[0];
  size_t srcLeft = in.size();
  char* dst = &out[0];
  size_t dstLeft = out.size();
  size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) return in;
  out.resize(out.size() - dstLeft);
  return out;
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
  std::string path = ToPosix(lpFileName);
  if (path.empty()) {
    g_lastError = ERROR_PATH_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  bool read = (dwDesiredAccess & GENERIC_READ) != 0;
  bool write = (dwDesiredAccess & GENERIC_WRITE) != 0;
  int flags = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  struct stat before;
  bool existed = lstat(path.c_str(), &before) == 0;
  switch (dwCreationDisposition) {
    case CREATE_NEW:
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
      flags |= O_CREAT | O_TRUNC;
      break;
    case OPEN_EXISTING:
      break;
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case TRUNCATE_EXISTING:
      flags |= O_TRUNC;
      break;
    default:
      g_lastError = ERROR_INVALID_PARAMETER;
      return INVALID_HANDLE_VALUE;
  }
  // Windows refuses to open a folder as a file.
  if (existed && S_ISDIR(before.st_mode)) {
    g_lastError = ERROR_ACCESS_DENIED;
    return INVALID_HANDLE_VALUE;
  }
  int fd = OpenPlain(path, flags, 0666);
  if (fd < 0) {
    g_lastError = errno == EEXIST ? ERROR_FILE_EXISTS : FromErrno(errno, path);
    return INVALID_HANDLE_VALUE;
  }
  Object* o = new Object(Kind::File);
  o->fd = fd;
  o->path = path;
  o->fresh = (flags & O_TRUNC) != 0 || ((flags & O_CREAT) != 0 && !existed);
  o->overlapped = (dwFlagsAndAttributes & FILE_FLAG_OVERLAPPED) != 0;
  bool reports = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
  g_lastError = reports && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
  return o;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
  return TransferFile(hFile, lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead, lpOverlapped,
                      false);
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
  return TransferFile(hFile, const_cast<void*>(lpBuffer), nNumberOfBytesToWrite,
                      lpNumberOfBytesWritten, lpOverlapped, true);
}

BOOL WINAPI GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped,
                                LPDWORD lpNumberOfBytesTransferred, BOOL) {
  if (AsObject(hFile, Kind::File) == nullptr || lpOverlapped == nullptr)
    return Fail(ERROR_INVALID_HANDLE);
  if (lpNumberOfBytesTransferred != nullptr)
    *lpNumberOfBytesTransferred = static_cast<DWORD>(lpOverlapped->InternalHigh);
  if (lpOverlapped->Internal != ERROR_SUCCESS)
    return Fail(static_cast<DWORD>(lpOverlapped->Internal));
  return TRUE;
}

BOOL WINAPI SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove,
                             PLARGE_INTEGER lpNewFilePointer, DWORD dwMoveMethod) {
  Object* o = AsObject(hFile, Kind::File);
  if (o == nullptr) return Fail(ERROR_INVALID_HANDLE);
  long long base = 0;
  if (dwMoveMethod == FILE_CURRENT) {
    base = lseek(o->fd, 0, SEEK_CUR);
  } else if (dwMoveMethod == FILE_END) {
    struct stat st;
    base = fstat(o->fd, &st) == 0 ? st.st_size : -1;
  } else if (dwMoveMethod != FILE_BEGIN) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (base < 0) return Fail(FromErrno(errno));
  long long target = base + liDistanceToMove.QuadPart;
  if (target < 0) return Fail(ERROR_NEGATIVE_SEEK);
  if (lseek(o->fd, target, SEEK_SET) < 0) return Fail(FromErrno(errno));
  if (lpNewFilePointer != nullptr) lpNewFilePointer->QuadPart = target;
  return TRUE;
}

BOOL WINAPI GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize) {
  Object* o = AsObject(hFile, Kind::File);
  if (o == nullptr) return Fail(ERROR_INVALID_HANDLE);
  struct stat st;
  if (fstat(o->fd, &st) != 0) return Fail(FromErrno(errno));
  lpFileSize->QuadPart = st.st_size;
  return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
  Object* o = AsObject(hFile, Kind::File);
  if (o == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (fsync(o->fd) != 0) return Fail(FromErrno(errno));
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
  if (hObject == nullptr || hObject == INVALID_HANDLE_VALUE) return Fail(ERROR_INVALID_HANDLE);
  Object* o = static_cast<Object*>(hObject);
  if (o->kind == Kind::Find) return Fail(ERROR_INVALID_HANDLE);
  if (o->kind == Kind::File && o->fresh) MarkProgram(o->fd, o->path);
  DeleteObject(o);
  return TRUE;
}

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL, BOOL bInitialState, LPCSTR) {
  Object* o = new Object(Kind::Event);
  o->signalled = bInitialState != FALSE;
  g_lastError = ERROR_SUCCESS;
  return o;
}

BOOL WINAPI SetEvent(HANDLE hEvent) {
  Object* o = AsObject(hEvent, Kind::Event);
  if (o == nullptr) return Fail(ERROR_INVALID_HANDLE);
  o->signalled = true;
  return TRUE;
}

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  std::string path = ToPosix(lpFileName);
  size_t cut = path.find_last_of('/');
  std::string folder = cut == std::string::npos ? "." : cut == 0 ? "/" : path.substr(0, cut);
  std::string pattern = cut == std::string::npos ? path : path.substr(cut + 1);
  if (pattern.empty()) {
    g_lastError = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
  }
  Object* o = new Object(Kind::Find);
  o->folder = folder;
  o->pattern = pattern;
  if (pattern.find_first_of("*?") == std::string::npos) {
    // A plain name looks up that one entry, a link as itself.
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
      g_lastError = FromErrno(errno, path);
      delete o;
      return INVALID_HANDLE_VALUE;
    }
    Describe(folder, pattern.c_str(), lpFindFileData);
    o->single = true;
    g_lastError = ERROR_SUCCESS;
    return o;
  }
  o->dir = opendir(folder.c_str());
  if (o->dir == nullptr) {
    DWORD error = errno == ENOENT ? ERROR_PATH_NOT_FOUND : FromErrno(errno, folder);
    delete o;
    g_lastError = error;
    return INVALID_HANDLE_VALUE;
  }
  if (!NextListed(o, lpFindFileData)) {
    if (g_lastError == ERROR_NO_MORE_FILES) g_lastError = ERROR_FILE_NOT_FOUND;
    DWORD error = g_lastError;
    DeleteObject(o);
    g_lastError = error;
    return INVALID_HANDLE_VALUE;
  }
  g_lastError = ERROR_SUCCESS;
  return o;
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  Object* o = AsObject(hFindFile, Kind::Find);
  if (o == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (o->single) return Fail(ERROR_NO_MORE_FILES);
  if (!NextListed(o, lpFindFileData)) return FALSE;
  return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
  Object* o = AsObject(hFindFile, Kind::Find);
  if (o == nullptr) return Fail(ERROR_INVALID_HANDLE);
  DeleteObject(o);
  return TRUE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
  std::string path = ToPosix(lpPathName);
  // The empty text in front of the first separator of an absolute path is
  // the root, which exists, as a drive does on Windows.
  if (path.empty())
    return Fail(lpPathName != nullptr ? ERROR_ALREADY_EXISTS : ERROR_PATH_NOT_FOUND);
  if (mkdir(path.c_str(), 0777) != 0)
    return Fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : FromErrno(errno, path));
  g_lastError = ERROR_SUCCESS;
  return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
  std::string path = ToPosix(lpPathName);
  struct stat lst;
  if (lstat(path.c_str(), &lst) != 0) return Fail(FromErrno(errno, path));
  if (S_ISLNK(lst.st_mode)) {
    // A link to a folder is removed as the link, never the folder behind it.
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
    if (unlink(path.c_str()) != 0) return Fail(FromErrno(errno, path));
  } else if (!S_ISDIR(lst.st_mode)) {
    return Fail(ERROR_DIRECTORY);
  } else if (rmdir(path.c_str()) != 0) {
    return Fail(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : FromErrno(errno, path));
  }
  g_lastError = ERROR_SUCCESS;
  return TRUE;
}

BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
  std::string from = ToPosix(lpExistingFileName);
  std::string to = ToPosix(lpNewFileName);
  int in = OpenPlain(from, O_RDONLY, 0);
  if (in < 0) return Fail(FromErrno(errno, from));
  struct stat st;
  if (fstat(in, &st) != 0) {
    close(in);
    return Fail(FromErrno(errno));
  }
  int out =
      OpenPlain(to, O_WRONLY | O_CREAT | (bFailIfExists ? O_EXCL : O_TRUNC), st.st_mode & 0777);
  if (out < 0) {
    DWORD error = errno == EEXIST ? ERROR_FILE_EXISTS : FromErrno(errno, to);
    close(in);
    return Fail(error);
  }
  char buffer[1 << 16];
  DWORD error = ERROR_SUCCESS;
  for (;;) {
    DWORD got = 0;
    if (!Transfer(in, buffer, sizeof(buffer), -1, false, &got)) {
      error = FromErrno(errno);
      break;
    }
    if (got == 0) break;
    DWORD put = 0;
    if (!WriteFitting(out, to, buffer, got, -1, &put) || put != got) {
      error = put != got && errno == 0 ? ERROR_DISK_FULL : FromErrno(errno);
      break;
    }
  }
  // The copy is the source as Windows copies it: same permissions (the
  // umask does not apply) and the same last-write time.
  if (error == ERROR_SUCCESS) {
    fchmod(out, st.st_mode & 0777);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(out, times);
  }
  close(in);
  if (close(out) != 0 && error == ERROR_SUCCESS) error = FromErrno(errno);
  if (error != ERROR_SUCCESS) {
    unlink(to.c_str());  // no half-copied file is left behind
    return Fail(error);
  }
  g_lastError = ERROR_SUCCESS;
  return TRUE;
}

BOOL WINAPI MoveFileExA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
  std::string from = ToPosix(lpExistingFileName);
  std::string to = ToPosix(lpNewFileName);
  struct stat st;
  if (lstat(from.c_str(), &st) != 0) return Fail(FromErrno(errno, from));
  if (lstat(to.c_str(), &st) == 0) {
    if ((dwFlags & MOVEFILE_REPLACE_EXISTING) == 0) return Fail(ERROR_ALREADY_EXISTS);
    if (S_ISDIR(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  }
  if (rename(from.c_str(), to.c_str()) != 0) return Fail(FromErrno(errno, to));
  if (dwFlags & MOVEFILE_WRITE_THROUGH) {
    // The new name reaches the disk with the folder that holds it.
    size_t cut = to.find_last_of('/');
    std::string folder = cut == std::string::npos ? "." : cut == 0 ? "/" : to.substr(0, cut);
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      fsync(dir);
      close(dir);
    }
  }
  g_lastError = ERROR_SUCCESS;
  return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
  std::string path = ToPosix(lpFileName);
  struct stat lst;
  if (lstat(path.c_str(), &lst) != 0) return Fail(FromErrno(errno, path));
  if (S_ISDIR(lst.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  if (unlink(path.c_str()) != 0) return Fail(FromErrno(errno, path));
  g_lastError = ERROR_SUCCESS;
  return TRUE;
}

DWORD WINAPI GetLastError() {
  return g_lastError;
}

void WINAPI SetLastError(DWORD dwErrCode) {
  g_lastError = dwErrCode;
}

DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID, DWORD dwMessageId, DWORD, LPSTR lpBuffer,
                            DWORD nSize, void*) {
  const char* text = nullptr;
  for (const MessageText& m : kMessages)
    if (m.code == dwMessageId) text = m.text;
  if (text == nullptr || (dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) == 0) {
    g_lastError = ERROR_MR_MID_NOT_FOUND;
    return 0;
  }
  size_t length = std::strlen(text);
  if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy == nullptr) {
      g_lastError = ERROR_NOT_ENOUGH_MEMORY;
      return 0;
    }
    std::memcpy(copy, text, length + 1);
    *reinterpret_cast<char**>(lpBuffer) = copy;
  } else {
    if (lpBuffer == nullptr || nSize <= length) {
      g_lastError = ERROR_INSUFFICIENT_BUFFER;
      return 0;
    }
    std::memcpy(lpBuffer, text, length + 1);
  }
  return static_cast<DWORD>(length);
}

HLOCAL WINAPI LocalFree(HLOCAL hMem) {
  std::free(hMem);
  return nullptr;
}

int WINAPI lstrlenA(LPCSTR lpString) {
  return lpString == nullptr ? 0 : static_cast<int>(std::strlen(lpString));
}

int WINAPI MessageBoxA(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT) {
  std::string line = FromCodePage932(lpCaption) + ": " + FromCodePage932(lpText) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  return IDOK;
}
