// swde — semantic checks of SWDE cadastral exchange objects.
//
// What a command-line tool of swde sets up before it reads its arguments. On Windows: the
// standard streams in binary mode (else every LF written becomes CR LF and a Ctrl+Z byte ends
// the input), the console's output code page UTF-8 while the tool runs (restored when it ends,
// also by Ctrl+C or the console closed), and wildcards in the arguments expanded by the C
// run-time, as cmd leaves them to the program. File names and arguments are UTF-8 through the
// programs' manifest (the active code page; cmake/SwdeWindows.cmake). Elsewhere nothing.
// Included by each tool's main.cpp only: it defines the run-time's wildcard switch.
#ifndef SWDE_TOOLS_COMMON_PROCESS_HPP_
#define SWDE_TOOLS_COMMON_PROCESS_HPP_

#ifdef _WIN32
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// mingw-w64's start-up code expands *, ? and [...] in the arguments when this is set.
extern "C" int _dowildcard;
int _dowildcard = -1;
#else
#include <unistd.h>
#endif

namespace swde::tools {

#ifdef _WIN32
namespace detail {
inline UINT gConsoleOutput = 0;  // the code page to restore; 0 when there is no console

inline void restoreConsole() {
  if (gConsoleOutput != 0) {
    SetConsoleOutputCP(gConsoleOutput);
  }
}

inline BOOL WINAPI restoreConsoleOnEvent(DWORD /*event*/) {
  restoreConsole();
  return FALSE;
}
}  // namespace detail
#endif

// Lives for the whole of main().
class ProcessSetup {
 public:
  ProcessSetup() {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    detail::gConsoleOutput = GetConsoleOutputCP();
    if (detail::gConsoleOutput != 0) {
      SetConsoleOutputCP(CP_UTF8);
      SetConsoleCtrlHandler(&detail::restoreConsoleOnEvent, TRUE);
    }
#endif
  }
  ~ProcessSetup() {
#ifdef _WIN32
    detail::restoreConsole();
#endif
  }
  ProcessSetup(const ProcessSetup&) = delete;
  ProcessSetup& operator=(const ProcessSetup&) = delete;
};

// Whether standard error is a terminal: on Windows a console (not a file, a pipe or NUL).
inline bool errorIsTerminal() {
#ifdef _WIN32
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

}  // namespace swde::tools

#endif  // SWDE_TOOLS_COMMON_PROCESS_HPP_
