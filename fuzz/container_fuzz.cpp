// Feeds arbitrary bytes to the container reader as a file to decrypt: header
// parse, key check, stored-name handling and transfer. Beside not crashing, it
// checks that nothing is ever written outside the container's folder and the
// temporary folder.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FuzzBox.h"
#include "cipher/Cipher.h"
#include "protect/Container.h"
#include "protect/ProtectState.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path& root = vls::fuzz::FuzzRoot("container");
  vls::WindowsFolder = (root / "windows").string();
  vls::TempFolder = (root / "windows" / "TEMP").string();
  const std::string container = (root / "box" / "in.vld").string();
  vls::fuzz::WriteBytes(container, reinterpret_cast<const char*>(data), size);
  // The key is fixed, so inputs that pass the key check can be found.
  vls::KeyString.Set("fuzz key");
  vls::SilentFeedback feedback;
  vls::fuzz::NoVolumes volumes;
  const auto purpose = static_cast<vls::CryptPurpose>(size % 4);
  try {
    vls::CryptFile(container, vls::kModeDecrypt, size % 2 == 0, {feedback, volumes, purpose});
  } catch (const std::exception&) {
  }
  vls::fuzz::CheckAndEmpty(root);
  return 0;
}
