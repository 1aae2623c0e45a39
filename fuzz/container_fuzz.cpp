// Feeds arbitrary bytes to the container reader as a file to decrypt: header
// parse, key check, stored-name handling and transfer, to the disk (a batch,
// the launcher) or into memory (the viewer). Beside not crashing, it checks
// that nothing is ever written outside the container's folder and the
// temporary folder, and nothing at all on the way into memory.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FuzzBox.h"
#include "cipher/Cipher.h"
#include "protect/Container.h"
#include "protect/MemoryDecrypt.h"
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
  try {
    if (size % 3 == 2) {
      vls::CurrentKey key;
      vls::DecryptIntoMemory(container, key, {});
      if (!vls::fuzz::OnlyInput(root, container))
        std::abort();  // the way into memory wrote a file
    } else {
      const auto purpose = size % 3 == 0 ? vls::CryptPurpose::Batch : vls::CryptPurpose::Launcher;
      vls::CryptFile(container, vls::kModeDecrypt, size % 2 == 0, {feedback, volumes, purpose});
    }
  } catch (const std::exception&) {
  }
  vls::fuzz::CheckAndEmpty(root);
  return 0;
}
