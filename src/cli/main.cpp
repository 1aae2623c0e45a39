// veilstore-cli: encrypt, decrypt and wipe files from a terminal.

#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Console.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  vls::cli::Console console = vls::cli::ProcessConsole();
  return vls::cli::RunCli(arguments, console);
}
