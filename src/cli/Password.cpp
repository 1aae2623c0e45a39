#include "cli/Password.h"

#include <fstream>
#include <istream>
#include <ostream>

#include "cipher/KeyString.h"
#include "platform/AnsiText.h"

namespace vls::cli {
namespace {

std::string FirstLine(std::istream& in) {
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  return line;
}

void Wipe(std::string& text) {
  SecureZero(text.data(), text.size());
  text.clear();
}

constexpr int kAttempts = 3;

}  // namespace

std::string PasswordProblem(const std::string& utf8) {
  if (!IsValidUtf8(utf8))
    return "the password is not valid UTF-8 text";
  const std::size_t length = CharacterCount(utf8);
  if (length < kMinPasswordLength || length > kMaxPasswordLength) {
    return "the password must be 5 to 30 characters long";
  }
  return std::string();
}

std::optional<std::string> ObtainPassword(Console& console, const std::string& password_file,
                                          bool confirm) {
  if (!password_file.empty()) {
    std::string password;
    if (password_file == "-") {
      password = FirstLine(console.in);
    } else {
      std::ifstream file(password_file, std::ios::binary);
      if (!file) {
        console.err << "veilstore-cli: cannot read the password file " << password_file << '\n';
        return std::nullopt;
      }
      password = FirstLine(file);
    }
    if (const std::string problem = PasswordProblem(password); !problem.empty()) {
      Wipe(password);
      console.err << "veilstore-cli: " << problem << '\n';
      return std::nullopt;
    }
    return password;
  }
  if (!console.interactive || !console.read_secret) {
    console.err << "veilstore-cli: no terminal to ask the password on; use --password-file\n";
    return std::nullopt;
  }
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string first = console.read_secret("Password (5 to 30 characters long): ");
    if (const std::string problem = PasswordProblem(first); !problem.empty()) {
      Wipe(first);
      console.err << "veilstore-cli: " << problem << '\n';
      continue;
    }
    if (confirm) {
      std::string second = console.read_secret("Repeat It for verification: ");
      const bool same = first == second;
      Wipe(second);
      if (!same) {
        Wipe(first);
        console.err << "veilstore-cli: the two entries differ\n";
        continue;
      }
    }
    return first;
  }
  return std::nullopt;
}

}  // namespace vls::cli
