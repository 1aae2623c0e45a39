#pragma once
// The subcommands of veilstore-cli.

#include <string>
#include <vector>

#include "cli/Console.h"

namespace vls::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Runs the command line (without the program name) and returns the exit status.
int RunCli(const std::vector<std::string>& arguments, Console& console);

}  // namespace vls::cli
