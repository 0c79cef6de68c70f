// swde — semantic checks of SWDE cadastral exchange objects.
#ifndef SWDE_TOOLS_SWDE_CHECK_REPORTFILE_HPP_
#define SWDE_TOOLS_SWDE_CHECK_REPORTFILE_HPP_

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace swde::cli {

// The file --output names, written so that it is never seen half-written: the report goes to a
// temporary file beside it, which commit() renames into place once the report is complete. Until
// then the old file stays as it was; a run that fails, or is stopped by SIGINT, SIGTERM or
// SIGHUP (unless the signal was ignored when the run began), removes its temporary file and
// leaves the old one. Two runs writing one file each write their own temporary file, so the last
// to finish wins, whole.
//
// Only a regular file, or a name that does not exist yet, is replaced so. A symbolic link is
// followed to its target, even one that does not exist yet: the target is replaced (or created)
// and the link stays. A name of an open descriptor (/dev/stdout, /dev/fd/N, /proc/self/fd/N) is
// written through that descriptor, at its offset and with its O_APPEND, so that
// `--output /dev/stdout >> log` appends to the log. Anything else that exists (a terminal,
// /dev/null, a FIFO) is opened and written in place.
class ReportFile {
 public:
  // Creates the temporary file, or opens what is written in place. Throws std::runtime_error
  // ("PATH: cannot write: REASON").
  explicit ReportFile(const std::string& path);
  // Removes the temporary file unless commit() succeeded.
  ~ReportFile();
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  std::ostream& stream();
  // Writes out what is buffered and puts the file in place. Returns an empty string, or what
  // went wrong ("PATH: cannot write: REASON"); the temporary file is then gone.
  std::string commit();

 private:
  class Buffer;

  std::string shown_;      // the path as given, for messages
  std::string path_;       // where the report goes, links followed
  std::string temporary_;  // empty when writing to path_ directly
#ifdef _WIN32
  void* handle_ = nullptr;  // a HANDLE (ReportFileWindows.cpp)
#else
  int fd_ = -1;
#endif
  std::unique_ptr<Buffer> buffer_;
  std::unique_ptr<std::ostream> stream_;
  bool committed_ = false;
};

// Of `inputs` (paths, "-" for standard input) and the annex (empty: the built-in one), the
// first that is the same regular file as `output`, compared by device and inode (on Windows by
// volume serial number and file index), through any name; nothing when none is (or when
// `output` does not exist yet).
std::optional<std::string> sameFileAsOutput(const std::string& output,
                                            const std::vector<std::string>& inputs,
                                            const std::string& annex);

}  // namespace swde::cli

#endif  // SWDE_TOOLS_SWDE_CHECK_REPORTFILE_HPP_
