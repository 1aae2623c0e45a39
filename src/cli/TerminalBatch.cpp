#include "cli/TerminalBatch.h"

#include <ostream>

#include "cipher/Cipher.h"
#include "cli/Password.h"
#include "platform/AnsiText.h"
#include "platform/DisplayText.h"

namespace vls::cli {

void TerminalBatch::RequestKey(bool confirm) {
  auto password = ObtainPassword(console_, password_file_, confirm);
  if (!password) {
    password_refused_ = true;
    return;
  }
  std::string key = ToAnsi(*password);
  SecureZero(password->data(), password->size());
  if (confirm && key.find('\\') != std::string::npos) {
    // Refused before any file: no container could be read back.
    console_.err << "veilstore-cli: the password may not contain \"\\\": an encrypted file "
                    "could not be read back\n";
    password_refused_ = true;
  } else {
    KeyString.Set(key);
  }
  SecureZero(key.data(), key.size());
}

void TerminalBatch::RequestEncryptionKey() {
  RequestKey(true);
}

void TerminalBatch::RequestDecryptionKey() {
  RequestKey(false);
}

void TerminalBatch::SetStatusLine(const std::string& text, bool) {
  // Each line once: the trailing blanks only overwrite a status line.
  const auto end = text.find_last_not_of(' ');
  if (end == std::string::npos)
    return;
  console_.out << text.substr(0, end + 1) << std::endl;
}

void TerminalBatch::FileDone(const std::string& path, const CryptResult& result) {
  if (result.outcome == CryptOutcome::WrongKey) {
    console_.err << "veilstore-cli: wrong key for " << DisplayText(path) << '\n';
  } else if (!result) {
    console_.err << "veilstore-cli: not processed: " << DisplayText(path) << '\n';
  }
}

}  // namespace vls::cli
