// veilstore-cli: encrypt, decrypt and wipe files from a terminal.

#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "platform/Interruption.h"

int main(int argc, char** argv) {
  // Ctrl-C, a kill or a closed terminal ends the program at once, except
  // while a file holds plain bytes: that file is wiped first.
  vls::InstallInterruptHandlers(vls::InterruptStyle::ExitAtOnce);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  vls::cli::Console console = vls::cli::ProcessConsole();
  const int status = vls::cli::RunCli(arguments, console);
  if (const int signal = vls::InterruptSignal(); signal != 0)
    vls::ExitForSignal(signal);
  return status;
}
