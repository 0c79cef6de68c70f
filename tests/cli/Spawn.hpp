// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TESTS_CLI_SPAWN_HPP_
#define SWDE_TESTS_CLI_SPAWN_HPP_

// The tool's tests run it as a user does: child processes with their standard streams where the
// test wants them, waited for with what they cost, in scratch directories.

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace swde_test {

// A fresh directory under /tmp, removed with all it holds.
struct TempDir {
  TempDir() {
    char pattern[] = "/tmp/swde-test-XXXXXX";
    path = mkdtemp(pattern);
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  std::string operator/(const std::string& name) const { return path + "/" + name; }
  long Files() const { return std::distance(std::filesystem::directory_iterator(path), {}); }
  std::string path;
};

inline void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Where a child's standard output and error go. With `defaultSignals`, SIGINT, SIGTERM and SIGHUP
// take their default action in it even under a runner that ignores them (the tool keeps a signal
// ignored that was ignored when it started).
struct Streams {
  std::string out = "/dev/null";
  std::string err = "/dev/null";
  int outFlags = O_WRONLY | O_CREAT | O_TRUNC;
  bool defaultSignals = false;
};

// Starts the program args[0] with `args`.
inline pid_t Start(std::vector<std::string> args, const Streams& streams = {}) {
  std::vector<char*> argv;
  for (std::string& word : args) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, streams.out.c_str(), streams.outFlags,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, streams.err.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (streams.defaultSignals) {
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
      sigaddset(&defaults, signal);
    }
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  }
  pid_t pid = -1;
  posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// How a child ended (its wait status, -1 if it never started) and what it cost, by wait4.
struct Ended {
  int status = -1;
  double cpu = 0;     // user + system seconds
  double memory = 0;  // peak resident bytes
};

inline Ended Wait(pid_t pid) {
  Ended ended;
  rusage usage{};
  if (pid > 0 && wait4(pid, &ended.status, 0, &usage) == pid) {
    const auto seconds = [](const timeval& t) {
      return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    ended.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    ended.memory = double(usage.ru_maxrss) * 1024;  // kilobytes on Linux
  }
  return ended;
}

}  // namespace swde_test

#endif  // SWDE_TESTS_CLI_SPAWN_HPP_
