#include "cli/Commands.h"

#include <ostream>
#include <stdexcept>

#include "cipher/Cipher.h"
#include "cli/Password.h"
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
    "  encrypt [--keep] [--no-verify] [--password-file FILE] PATH...\n"
    "      Encrypt each file into a .vlp (pictures) or .vld container beside it,\n"
    "      stopping at the first failure. The plain file is wiped unless --keep.\n"
    "      Each container is read back and checked before the plain file is\n"
    "      wiped; --no-verify skips that check (for measurements).\n"
    "  decrypt [--keep] [--yes] [--password-file FILE] PATH...\n"
    "      Decrypt each container beside it; the container is deleted unless --keep.\n"
    "      --yes replaces existing files without asking.\n"
    "  wipe [--yes] PATH...\n"
    "      Overwrite, rename and delete each file. Asks first; --yes does not.\n"
    "\n"
    "  --password-file FILE  read the password from the first line of FILE\n"
    "                        (\"-\" reads standard input); otherwise it is asked\n"
    "                        on the terminal.\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 every file processed, 1 a file failed, 2 bad usage.\n";

struct Options {
  std::string command;
  bool keep = false;
  bool yes = false;
  bool verify = true;
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
  if (options.command != "encrypt" && options.command != "decrypt" && options.command != "wipe") {
    return fail("unknown command " + options.command);
  }
  bool only_paths = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (only_paths || a.empty() || a[0] != '-' || a == "-") {
      options.paths.push_back(a);
    } else if (a == "--") {
      only_paths = true;
    } else if (a == "--keep" && options.command != "wipe") {
      options.keep = true;
    } else if (a == "--no-verify" && options.command == "encrypt") {
      options.verify = false;
    } else if (a == "--yes" && options.command != "encrypt") {
      options.yes = true;
    } else if (a == "--password-file" && options.command != "wipe") {
      if (++i == arguments.size())
        return fail("--password-file needs a file");
      options.password_file = arguments[i];
    } else if (a.rfind("--password-file=", 0) == 0 && options.command != "wipe") {
      options.password_file = a.substr(16);
    } else {
      return fail("unknown option " + a + " for " + options.command);
    }
  }
  if (options.paths.empty())
    return fail("no files given");
  return true;
}

// Clears the key whatever way the command ends.
struct KeyGuard {
  ~KeyGuard() { DropKey(); }
};

bool SetKeyFrom(Console& console, const Options& options, bool confirm) {
  auto password = ObtainPassword(console, options.password_file, confirm);
  if (!password)
    return false;
  std::string key = ToAnsi(*password);
  KeyString.Set(key);
  SecureZero(key.data(), key.size());
  SecureZero(password->data(), password->size());
  return true;
}

// Finishes what earlier runs left half done, and lists the run's files.
void StartRun(const Options& options, Feedback& feedback, RunRecord& run) {
  for (const std::string& failure : DisposeOfStaleLeftovers(feedback))
    feedback.ShowError("left by an earlier run and not wiped: " + failure);
  for (const std::string& path : options.paths)
    run.List(path);
}

std::string Progress(const char* verb, std::size_t i, std::size_t n, const std::string& path) {
  return std::string(verb) + " " + std::to_string(i) + "/" + std::to_string(n) + " " +
         DisplayText(path);
}

int Encrypt(const Options& options, Console& console) {
  KeyGuard guard;
  if (!SetKeyFrom(console, options, true))
    return kExitUsage;
  if (KeyString.view().find('\\') != std::string_view::npos) {
    console.err << "veilstore-cli: the password may not contain \"\\\": an encrypted file "
                   "could not be read back\n";
    return kExitUsage;
  }
  KeepOriginals = options.keep;
  SetVerifyContainers(options.verify);
  TerminalFeedback feedback(console, kAnswerNo);
  KernelVolumeFacts volumes;
  RunRecord run;
  StartRun(options, feedback, run);
  const CryptContext context{feedback, volumes, CryptPurpose::Batch, &run};
  const std::size_t n = options.paths.size();
  for (std::size_t i = 0; i < n; ++i) {
    const std::string& path = options.paths[i];
    ThrowIfInterrupted();
    console.out << Progress("Encrypting", i + 1, n, path) << std::endl;
    try {
      if (!CryptFile(path, kModeEncrypt, false, context))
        return kExitFailure;
    } catch (const Interrupted&) {
      throw;
    } catch (const std::exception& error) {
      feedback.ShowError(error.what());
      return kExitFailure;
    }
  }
  return kExitOk;
}

int Decrypt(const Options& options, Console& console) {
  KeyGuard guard;
  if (!SetKeyFrom(console, options, false))
    return kExitUsage;
  TerminalFeedback feedback(console, options.yes ? kAnswerYes : kAnswerNo);
  KernelVolumeFacts volumes;
  RunRecord run;
  StartRun(options, feedback, run);
  const CryptContext context{feedback, volumes, CryptPurpose::Batch, &run};
  WrongKeyCount = 0;
  int decrypted = 0;
  const std::size_t n = options.paths.size();
  for (std::size_t i = 0; i < n; ++i) {
    const std::string& path = options.paths[i];
    ThrowIfInterrupted();
    console.out << Progress("Decrypting", i + 1, n, path) << std::endl;
    try {
      if (CryptFile(path, kModeDecrypt, options.keep, context)) {
        ++decrypted;
      } else if (WrongKey) {
        console.err << "veilstore-cli: wrong key for " << DisplayText(path) << '\n';
      } else {
        console.err << "veilstore-cli: not decrypted: " << DisplayText(path) << '\n';
      }
    } catch (const Interrupted&) {
      throw;
    } catch (const std::exception& error) {
      feedback.ShowError(error.what());
    }
  }
  if (WrongKeyCount != 0) {
    console.out << decrypted << " files decrypted, " << WrongKeyCount << " files with wrong key."
                << std::endl;
  } else {
    console.out << decrypted << " files decrypted." << std::endl;
  }
  return static_cast<std::size_t>(decrypted) == n ? kExitOk : kExitFailure;
}

int Wipe(const Options& options, Console& console) {
  TerminalFeedback feedback(console, options.yes ? kAnswerYes : kAnswerCancel);
  if (!options.yes) {
    if (!console.interactive) {
      console.err << "veilstore-cli: no terminal to confirm the wipe on; nothing was touched "
                     "(use --yes)\n";
      return kExitUsage;
    }
    if (feedback.Ask("DELETE THE FILES ?") != kAnswerYes)
      return kExitOk;
  }
  for (const std::string& failure : DisposeOfStaleLeftovers(feedback))
    feedback.ShowError("left by an earlier run and not wiped: " + failure);
  int wiped = 0;
  const std::size_t n = options.paths.size();
  for (std::size_t i = 0; i < n; ++i) {
    const std::string& path = options.paths[i];
    ThrowIfInterrupted();
    console.out << Progress("Wiping", i + 1, n, path) << std::endl;
    try {
      WipeFile(path, feedback);
      ++wiped;
    } catch (const std::exception& error) {
      feedback.ShowError(std::string("not wiped: ") + error.what());
    }
  }
  console.out << wiped << " files wiped." << std::endl;
  return static_cast<std::size_t>(wiped) == n ? kExitOk : kExitFailure;
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
  try {
    if (options.command == "encrypt")
      return Encrypt(options, console);
    if (options.command == "decrypt")
      return Decrypt(options, console);
    return Wipe(options, console);
  } catch (const Interrupted& stop) {
    // Whatever the stopped file had written is gone by now.
    console.err << "veilstore-cli: stopped\n";
    return 128 + stop.signal();
  }
}

}  // namespace vls::cli
