#include "cli/Commands.h"

#include <ostream>
#include <stdexcept>

#include "cipher/Cipher.h"
#include "cli/TerminalBatch.h"
#include "cli/TerminalFeedback.h"
#include "platform/AnsiText.h"
#include "platform/DisplayText.h"
#include "platform/FileServices.h"
#include "platform/Interruption.h"
#include "protect/Container.h"
#include "protect/PendingFiles.h"
#include "protect/ProtectState.h"
#include "protect/Wipe.h"

namespace vls::cli {
namespace {

constexpr const char* kUsage =
    "Usage: veilstore-cli COMMAND [OPTIONS] PATH...\n"
    "\n"
    "Commands:\n"
    "  encrypt [--strong] [--keep] [--no-verify] [--password-file FILE] PATH...\n"
    "      Encrypt each file into a .vlp (pictures) or .vld container beside it,\n"
    "      stopping at the first failure. The plain file is wiped unless --keep.\n"
    "      Each container is read back and checked before the plain file is\n"
    "      wiped; --no-verify skips that check (for measurements).\n"
    "      --strong writes sealed containers (Argon2id and an authenticated\n"
    "      cipher), which version 3.3 and older cannot read.\n"
    "  decrypt [--keep] [--yes] [--password-file FILE] PATH...\n"
    "      Decrypt each container beside it; the container is deleted unless --keep.\n"
    "      --yes replaces existing files without asking.\n"
    "  wipe [--yes] PATH...\n"
    "      Overwrite, rename and delete each file. Asks first; --yes does not.\n"
    "  info PATH...\n"
    "      Say which kind each container is, and for a sealed one the cost of\n"
    "      its key derivation. Needs no password.\n"
    "\n"
    "  --password-file FILE  read the password from the first line of FILE\n"
    "                        (\"-\" reads standard input); otherwise it is asked\n"
    "                        on the terminal.\n"
    "  --no-group-commit     (encrypt, decrypt, wipe) flush each file on its own\n"
    "                        instead of many small files together (for\n"
    "                        measurements).\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 every file processed, 1 a file failed, 2 bad usage.\n";

struct Options {
  std::string command;
  bool keep = false;
  bool yes = false;
  bool verify = true;
  bool strong = false;
  bool group_commit = true;
  std::string password_file;
  std::vector<std::string> paths;
};

// Parses the arguments; returns false (after saying why) on bad usage.
bool Parse(const std::vector<std::string>& arguments, Options& options, Console& console) {
  auto fail = [&](const std::string& why) {
    console.err << "veilstore-cli: " << why << "\n" << kUsage;
    return false;
  };
  if (arguments.empty())
    return fail("no command given");
  options.command = arguments[0];
  if (options.command != "encrypt" && options.command != "decrypt" && options.command != "wipe" &&
      options.command != "info") {
    return fail("unknown command " + options.command);
  }
  bool only_paths = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (only_paths || a.empty() || a[0] != '-' || a == "-") {
      options.paths.push_back(a);
    } else if (a == "--") {
      only_paths = true;
    } else if (a == "--keep" && (options.command == "encrypt" || options.command == "decrypt")) {
      options.keep = true;
    } else if (a == "--strong" && options.command == "encrypt") {
      options.strong = true;
    } else if (a == "--no-group-commit" && options.command != "info") {
      options.group_commit = false;
    } else if (a == "--no-verify" && options.command == "encrypt") {
      options.verify = false;
    } else if (a == "--yes" && (options.command == "decrypt" || options.command == "wipe")) {
      options.yes = true;
    } else if (a == "--password-file" &&
               (options.command == "encrypt" || options.command == "decrypt")) {
      if (++i == arguments.size())
        return fail("--password-file needs a file");
      options.password_file = arguments[i];
    } else if (a.rfind("--password-file=", 0) == 0 &&
               (options.command == "encrypt" || options.command == "decrypt")) {
      options.password_file = a.substr(16);
    } else {
      return fail("unknown option " + a + " for " + options.command);
    }
  }
  if (options.paths.empty())
    return fail("no files given");
  return true;
}

// The exit status of a run that got its go-ahead: every file processed, or not.
int StatusOf(const BatchCounts& counts) {
  return counts.done == counts.rows ? kExitOk : kExitFailure;
}

// Which kind each container is; no password needed.
int Info(const Options& options, Console& console) {
  int status = kExitOk;
  for (const std::string& path : options.paths) {
    std::string description;
    if (!DescribeContainer(path, description))
      status = kExitFailure;
    console.out << DisplayText(path) << ": " << description << '\n';
  }
  return status;
}

// The command over the batch engine, with the terminal as its window.
int RunBatch(const Options& options, Console& console) {
  TerminalBatch terminal(console, options.paths, options.password_file);
  const int default_answer = options.yes                 ? kAnswerYes
                             : options.command == "wipe" ? kAnswerCancel
                                                         : kAnswerNo;
  TerminalFeedback feedback(console, default_answer);
  KernelVolumeFacts volumes;
  BatchDrivers drivers(terminal, feedback, volumes);
  drivers.SetGroupCommit(options.group_commit);
  BatchCounts counts;
  if (options.command == "encrypt") {
    KeepOriginals = options.keep;
    StrongEncryption = options.strong;
    SetVerifyContainers(options.verify);
    counts = drivers.EncryptAll();
  } else if (options.command == "decrypt") {
    drivers.SetKeepContainers(options.keep);
    counts = drivers.DecryptAll();
  } else {
    if (!options.yes && !console.interactive) {
      console.err << "veilstore-cli: no terminal to confirm the wipe on; nothing was touched "
                     "(use --yes)\n";
      return kExitUsage;
    }
    counts = drivers.WipeAll();
    if (!counts.started)
      return kExitOk;  // the question was answered no
  }
  if (counts.interrupted)
    throw Interrupted(InterruptSignal());
  if (!counts.started)
    return terminal.password_refused() ? kExitUsage : kExitFailure;
  return StatusOf(counts);
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, Console& console) {
  for (const auto& a : arguments) {
    if (a == "--")
      break;
    if (a == "--help" || a == "-h") {
      console.out << kUsage;
      return kExitOk;
    }
    if (a == "--version") {
      console.out << "veilstore-cli " << VLS_VERSION << '\n';
      return kExitOk;
    }
  }
  Options options;
  if (!Parse(arguments, options, console))
    return kExitUsage;
  InitFolders();
  if (options.command == "info")
    return Info(options, console);
  try {
    return RunBatch(options, console);
  } catch (const Interrupted& stop) {
    // Whatever the stopped file had written is gone by now.
    console.err << "veilstore-cli: stopped\n";
    return 128 + stop.signal();
  }
}

}  // namespace vls::cli
