#include "ui/display_probe.h"

#include <QGuiApplication>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace kelvora::gui {

namespace {

// A display that accepts the connection but never answers (a dead remote X
// server) must not hold the start for long.
constexpr unsigned kProbeSeconds = 5;

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr || *value == '\0' ? std::string(name) + " unset"
                                            : std::string(name) + "=" + value;
}

}  // namespace

bool CanOpenDisplay(int argc, char* argv[]) {
  const pid_t child = ::fork();
  if (child < 0) return true;  // cannot ask: let Qt try in this process
  if (child == 0) {
    // Qt's own messages about the failed connection are not for the user:
    // the parent says what happened in one line.
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
      ::dup2(null, STDOUT_FILENO);
      ::dup2(null, STDERR_FILENO);
    }
    ::alarm(kProbeSeconds);
    // The child's own copy of the arguments: Qt takes its options out of
    // them here as it will in the program.
    QGuiApplication probe(argc, argv);
    ::_exit(0);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return true;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string NoDisplayNotice() {
  return "kelvora: no display can be opened (" + Variable("DISPLAY") + ", " +
         Variable("WAYLAND_DISPLAY") +
         "); 'kelvora-cli watch' shows the read-out in a terminal.";
}

}  // namespace kelvora::gui
