#include "cli/Console.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "platform/Interruption.h"

namespace vls::cli {
namespace {

// The terminal's settings while a password is typed without echo, given
// back by the stop handler should Ctrl-C end the program then.
termios echo_settings{};
volatile sig_atomic_t echo_off = 0;

void GiveEchoBack() {
  if (echo_off != 0)
    ::tcsetattr(STDIN_FILENO, TCSANOW, &echo_settings);
}

std::string ReadLineWithoutEcho(const std::string& prompt) {
  std::cerr << prompt << std::flush;
  const bool is_tty = ::tcgetattr(STDIN_FILENO, &echo_settings) == 0;
  if (is_tty) {
    SetInterruptExitHook(GiveEchoBack);
    termios quiet = echo_settings;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    echo_off = 1;
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  std::string line;
  std::getline(std::cin, line);
  if (is_tty) {
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &echo_settings);
    echo_off = 0;
    std::cerr << '\n';
  }
  return line;
}

}  // namespace

Console ProcessConsole() {
  return Console{std::cin,
                 std::cout,
                 std::cerr,
                 ::isatty(STDIN_FILENO) == 1,
                 ::isatty(STDERR_FILENO) == 1,
                 ReadLineWithoutEcho};
}

}  // namespace vls::cli
