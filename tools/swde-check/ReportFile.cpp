// swde — semantic checks of SWDE cadastral exchange objects.
//
// POSIX: mkstemp beside the target, write(2) through a small stream buffer (so a full disk is
// reported with its reason), fsync, rename(2). The signal handler only calls unlink(2) on a path
// kept in a static buffer, then dies of the signal as the default action would. Links are read
// one at a time with readlink(2), so that a name of an open descriptor (/dev/stdout is a link to
// /proc/self/fd/1, itself a link to whatever the descriptor has open) is seen as such.
#ifndef _WIN32  // ReportFileWindows.cpp there
#include "ReportFile.hpp"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <pthread.h>
#include <stdexcept>
#include <streambuf>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "WriteBuffer.hpp"

namespace swde::cli {
namespace {

// The temporary file to remove if a signal ends the run; empty when there is none.
char gTemporary[PATH_MAX + 1];
volatile std::sig_atomic_t gArmed = 0;

extern "C" void removeTemporaryAndDie(int signal) {
  if (gArmed != 0) {
    ::unlink(gTemporary);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void arm(const std::string& path) {
  if (path.size() > PATH_MAX) {
    return;
  }
  std::memcpy(gTemporary, path.c_str(), path.size() + 1);
  gArmed = 1;
  struct sigaction action {};
  action.sa_handler = &removeTemporaryAndDie;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal ignored when the run began (under nohup, or in a shell's background job) stays
    // ignored: whoever started the run meant it to outlive that signal.
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
      continue;
    }
    ::sigaction(signal, &action, nullptr);
  }
}

void disarm() {
  gArmed = 0;
}

std::runtime_error cannotWrite(const std::string& path, int error) {
  return std::runtime_error(path + ": cannot write: " + std::strerror(error));
}

// The descriptor that `path` names as an entry of the process's descriptor directory
// (/dev/fd/N, /proc/self/fd/N, /proc/PID/fd/N with our PID, through any spelling of the
// directory); nothing for any other path.
std::optional<int> descriptorNamed(const std::string& path) {
  const std::filesystem::path name(path);
  const std::string number = name.filename().string();
  if (number.empty() || number.size() > 9 ||
      !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  const std::string directory = name.has_parent_path() ? name.parent_path().string() : ".";
  struct stat at {};
  if (::stat(directory.c_str(), &at) != 0) {
    return std::nullopt;
  }
  for (const char* descriptors : {"/proc/self/fd", "/dev/fd"}) {
    struct stat own {};
    if (::stat(descriptors, &own) == 0 && own.st_dev == at.st_dev && own.st_ino == at.st_ino) {
      return std::stoi(number);
    }
  }
  return std::nullopt;
}

}  // namespace

// Writes to a file descriptor, again where a signal interrupted the write.
struct DescriptorWrite {
  int fd;
  long long operator()(const char* data, std::size_t size, int& error) const {
    for (;;) {
      const ssize_t wrote = ::write(fd, data, size);
      if (wrote >= 0 || errno != EINTR) {
        error = wrote < 0 ? errno : error;
        return wrote;
      }
    }
  }
};

class ReportFile::Buffer : public WriteBuffer<DescriptorWrite> {
 public:
  explicit Buffer(int fd) : WriteBuffer(DescriptorWrite{fd}) {}
};

ReportFile::ReportFile(const std::string& path) : shown_(path), path_(path) {
  // Follow the links one by one, up to a descriptor's name or a path that is no link (or does
  // not exist: the target of a dangling link is created, and the link kept).
  constexpr int kMostLinks = 40;  // as the kernel's own limit
  for (int links = 0;; ++links) {
    if (const std::optional<int> descriptor = descriptorNamed(path_)) {
      // The descriptor itself, not the file it has open reopened: a shell's ">>" (O_APPEND) and
      // its offset hold, and a pipe or a terminal is written like standard output.
      fd_ = ::fcntl(*descriptor, F_DUPFD_CLOEXEC, 0);
      if (fd_ < 0) {
        throw cannotWrite(shown_, errno);
      }
      buffer_ = std::make_unique<Buffer>(fd_);
      stream_ = std::make_unique<std::ostream>(buffer_.get());
      return;
    }
    struct stat link {};
    if (::lstat(path_.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
      break;
    }
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(path_, error);
    if (error) {
      throw cannotWrite(shown_, error.value());
    }
    if (links == kMostLinks) {
      throw cannotWrite(shown_, ELOOP);
    }
    path_ = target.is_absolute() ? target.string()
                                 : (std::filesystem::path(path_).parent_path() / target).string();
  }
  struct stat existing {};
  const bool exists = ::stat(path_.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) {
    // A terminal, /dev/null, a FIFO: written in place, there is nothing to replace.
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) {
      throw cannotWrite(shown_, errno);
    }
  } else {
    const std::filesystem::path target(path_);
    std::string pattern =
        (target.parent_path() / ("." + target.filename().string())).string() + ".swde-check-XXXXXX";
    // The signals wait while the file is made and the handler that removes it is set.
    sigset_t signals;
    sigset_t before;
    sigemptyset(&signals);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
      sigaddset(&signals, signal);
    }
    ::pthread_sigmask(SIG_BLOCK, &signals, &before);
    fd_ = ::mkstemp(pattern.data());
    const int made = errno;
    if (fd_ >= 0) {
      temporary_ = pattern;
      arm(temporary_);
    }
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (fd_ < 0) {
      throw cannotWrite(shown_, made);
    }
    mode_t mode = 0;
    if (exists) {
      mode = existing.st_mode & 07777;
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }
    ::fchmod(fd_, mode);
  }
  buffer_ = std::make_unique<Buffer>(fd_);
  stream_ = std::make_unique<std::ostream>(buffer_.get());
}

ReportFile::~ReportFile() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
  if (!temporary_.empty() && !committed_) {
    ::unlink(temporary_.c_str());
    disarm();
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
  if (error == 0 && !temporary_.empty() && ::fsync(fd_) != 0) {
    error = errno;
  }
  if (::close(fd_) != 0 && error == 0) {
    error = errno;
  }
  fd_ = -1;
  if (error == 0 && !temporary_.empty() && ::rename(temporary_.c_str(), path_.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    return cannotWrite(shown_, error).what();
  }
  committed_ = true;
  disarm();
  return std::string();
}

std::optional<std::string> sameFileAsOutput(const std::string& output,
                                            const std::vector<std::string>& inputs,
                                            const std::string& annex) {
  struct stat target {};
  if (::stat(output.c_str(), &target) != 0 || !S_ISREG(target.st_mode)) {
    return std::nullopt;
  }
  const auto same = [&target](const struct stat& other) {
    return other.st_dev == target.st_dev && other.st_ino == target.st_ino;
  };
  std::vector<std::string> names = inputs;
  if (!annex.empty()) {
    names.push_back(annex);
  }
  for (const std::string& name : names) {
    struct stat other {};
    const int status = name == "-" ? ::fstat(STDIN_FILENO, &other) : ::stat(name.c_str(), &other);
    if (status == 0 && same(other)) {
      return name;
    }
  }
  return std::nullopt;
}

}  // namespace swde::cli
#endif  // _WIN32
