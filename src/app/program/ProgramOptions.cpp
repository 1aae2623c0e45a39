#include "app/program/ProgramOptions.h"

#include <QCommandLineParser>

namespace vls {
namespace {

constexpr const char* kUsage =
    "Usage: veilstore [OPTION]... [FILE]\n"
    "Protects files with a password: encrypts them into containers (.vlp for\n"
    "pictures, .vld for other files), decrypts and wipes them, and shows\n"
    "encrypted pictures without leaving a readable copy on the disk.\n"
    "\n"
    "FILE opens an encrypted file: a .vlp picture on the Viewer page, a .vld\n"
    "file on the Launcher page. While Veilstore runs, a second start with a\n"
    "file hands the file to the open window and ends.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n"
    "\n"
    "veilstore-cli does the same work from a terminal (veilstore-cli --help).\n";

// The program's two options over the arguments; unknown options are passed
// over, since the window toolkit has its own.
struct Options {
  explicit Options(const QStringList& arguments) {
    // "-platform" is one option, not the letters p, l, a, ... of short ones.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(help);
    parser.addOption(version);
    parser.parse(arguments);
  }
  QCommandLineOption help{{"h", "help"}};
  QCommandLineOption version{{"v", "version"}};
  QCommandLineParser parser;
};

}  // namespace

std::optional<std::string> EarlyAnswer(const QStringList& arguments) {
  const Options options(arguments);
  if (options.parser.isSet(options.help))
    return kUsage;
  if (options.parser.isSet(options.version))
    return std::string("veilstore ") + VLS_VERSION + "\n";
  return std::nullopt;
}

QStringList NamedFiles(const QStringList& arguments) {
  return Options(arguments).parser.positionalArguments();
}

}  // namespace vls
