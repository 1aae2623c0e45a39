#include "cli/Console.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

namespace vls::cli {
namespace {

std::string ReadLineWithoutEcho(const std::string& prompt) {
  std::cerr << prompt << std::flush;
  termios saved{};
  const bool is_tty = ::tcgetattr(STDIN_FILENO, &saved) == 0;
  if (is_tty) {
    termios quiet = saved;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  std::string line;
  std::getline(std::cin, line);
  if (is_tty) {
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
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
