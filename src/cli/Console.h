#pragma once
// The terminal as the command line sees it, behind streams that tests swap.

#include <functional>
#include <iosfwd>
#include <string>

namespace vls::cli {

struct Console {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  // Standard input is a terminal: questions and passwords may be asked.
  bool interactive = false;
  // Standard error is a terminal: a progress bar is drawn there.
  bool progress_bar = false;
  // Reads one line typed without echo, after showing the prompt.
  std::function<std::string(const std::string& prompt)> read_secret;
};

// The process's own terminal.
Console ProcessConsole();

}  // namespace vls::cli
