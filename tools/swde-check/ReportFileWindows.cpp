// swde — semantic checks of SWDE cadastral exchange objects.
//
// Windows: the temporary file is made beside the target with CreateFileW (CREATE_NEW, opened so
// that it may be deleted while open), written with WriteFile, flushed, then moved into place
// with MoveFileExW (replacing the old file, write-through). A console control handler (Ctrl+C,
// Ctrl+Break, the console closed, logoff, shutdown) deletes the temporary file before the
// default handler ends the process. Paths are UTF-8 and converted to UTF-16 for every call.
// There are no links to follow: a device (NUL, CON, a pipe) is written in place, a disk file is
// replaced.
#ifdef _WIN32
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <optional>
#include <stdexcept>
#include <streambuf>
#include <vector>

#include "ReportFile.hpp"
#include "WriteBuffer.hpp"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace swde::cli {
namespace {

// The temporary file to delete if the console is interrupted or closed; empty when none.
wchar_t gTemporary[32768];
volatile LONG gArmed = 0;

BOOL WINAPI deleteTemporary(DWORD /*event*/) {
  if (InterlockedCompareExchange(&gArmed, 0, 1) == 1) {
    DeleteFileW(gTemporary);
  }
  return FALSE;  // the next handler, in the end the default one, ends the process
}

std::wstring wide(const std::string& text) {
  if (text.empty()) {
    return std::wstring();
  }
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

// The reason of a failed call, as the C library words the nearest errno: the messages are
// those of the POSIX build.
int errnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DIRECTORY:
      return EISDIR;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    default:
      return EIO;
  }
}

std::runtime_error cannotWrite(const std::string& path, int error) {
  return std::runtime_error(path + ": cannot write: " + std::strerror(error));
}

HANDLE openExisting(const std::wstring& path, DWORD access) {
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

struct Identity {
  DWORD volume = 0;
  DWORD high = 0;
  DWORD low = 0;
  bool regular = false;
};

std::optional<Identity> identityOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr ||
      GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info)) {
    return std::nullopt;
  }
  return Identity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow,
                  (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0};
}

std::optional<Identity> identityOf(const std::string& path) {
  const HANDLE handle = openExisting(wide(path), 0);
  if (handle == INVALID_HANDLE_VALUE) {
    return std::nullopt;
  }
  const std::optional<Identity> identity = identityOf(handle);
  CloseHandle(handle);
  return identity;
}

}  // namespace

// Writes to a file handle.
struct HandleWrite {
  HANDLE handle;
  long long operator()(const char* data, std::size_t size, int& error) const {
    DWORD wrote = 0;
    if (!WriteFile(handle, data, static_cast<DWORD>(size), &wrote, nullptr)) {
      error = errnoOf(GetLastError());
      return -1;
    }
    return wrote;
  }
};

class ReportFile::Buffer : public WriteBuffer<HandleWrite> {
 public:
  explicit Buffer(HANDLE handle) : WriteBuffer(HandleWrite{handle}) {}
};

ReportFile::ReportFile(const std::string& path) : shown_(path), path_(path) {
  const std::wstring target = wide(path_);
  const HANDLE existing = openExisting(target, 0);
  DWORD type = FILE_TYPE_UNKNOWN;
  if (existing != INVALID_HANDLE_VALUE) {
    type = GetFileType(existing);
    CloseHandle(existing);
  }
  HANDLE handle = INVALID_HANDLE_VALUE;
  if (existing != INVALID_HANDLE_VALUE && type != FILE_TYPE_DISK) {
    // NUL, CON, a pipe: written in place, there is nothing to replace.
    handle = openExisting(target, GENERIC_WRITE);
    if (handle == INVALID_HANDLE_VALUE) {
      throw cannotWrite(shown_, errnoOf(GetLastError()));
    }
  } else {
    const std::size_t slash = path_.find_last_of("/\\:");
    const std::string directory = slash == std::string::npos ? "" : path_.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    DWORD error = ERROR_FILE_EXISTS;
    for (unsigned attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
      char suffix[32];
      std::snprintf(suffix, sizeof suffix, ".swde-check-%lx%02x",
                    static_cast<unsigned long>(GetCurrentProcessId()),
                    (static_cast<unsigned>(GetTickCount()) + attempt) & 0xffu);
      const std::string pattern = directory + "." + name + suffix;
      const std::wstring temporary = wide(pattern);
      if (temporary.size() >= sizeof gTemporary / sizeof gTemporary[0]) {
        throw cannotWrite(shown_, ENAMETOOLONG);
      }
      handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                           nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      error = handle == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
      if (handle != INVALID_HANDLE_VALUE) {
        // Shared for deletion: the handler's DeleteFileW takes effect when the process ends.
        temporary_ = pattern;
        std::wmemcpy(gTemporary, temporary.c_str(), temporary.size() + 1);
        InterlockedExchange(&gArmed, 1);
        SetConsoleCtrlHandler(&deleteTemporary, TRUE);
      }
    }
    if (handle == INVALID_HANDLE_VALUE) {
      throw cannotWrite(shown_, errnoOf(error));
    }
  }
  handle_ = handle;
  buffer_ = std::make_unique<Buffer>(handle);
  stream_ = std::make_unique<std::ostream>(buffer_.get());
}

ReportFile::~ReportFile() {
  if (handle_ != nullptr) {
    CloseHandle(handle_);
  }
  if (!temporary_.empty() && !committed_) {
    InterlockedExchange(&gArmed, 0);
    DeleteFileW(wide(temporary_).c_str());
  }
}

std::ostream& ReportFile::stream() {
  return *stream_;
}

std::string ReportFile::commit() {
  stream_->flush();
  int error = buffer_->error();
  if (error == 0 && !*stream_) {
    error = EIO;
  }
  if (error == 0 && !temporary_.empty() && !FlushFileBuffers(handle_)) {
    error = errnoOf(GetLastError());
  }
  if (!CloseHandle(handle_) && error == 0) {
    error = errnoOf(GetLastError());
  }
  handle_ = nullptr;
  if (error == 0 && !temporary_.empty() &&
      !MoveFileExW(wide(temporary_).c_str(), wide(path_).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = errnoOf(GetLastError());
  }
  if (error != 0) {
    return cannotWrite(shown_, error).what();
  }
  committed_ = true;
  InterlockedExchange(&gArmed, 0);
  return std::string();
}

std::optional<std::string> sameFileAsOutput(const std::string& output,
                                            const std::vector<std::string>& inputs,
                                            const std::string& annex) {
  const std::optional<Identity> target = identityOf(output);
  if (!target || !target->regular) {
    return std::nullopt;
  }
  std::vector<std::string> names = inputs;
  if (!annex.empty()) {
    names.push_back(annex);
  }
  for (const std::string& name : names) {
    const std::optional<Identity> other =
        name == "-" ? identityOf(GetStdHandle(STD_INPUT_HANDLE)) : identityOf(name);
    if (other && other->volume == target->volume && other->high == target->high &&
        other->low == target->low) {
      return name;
    }
  }
  return std::nullopt;
}

}  // namespace swde::cli
#endif  // _WIN32
