// Feeds the sealed container reader: either the bytes as they come (the
// header's checks, the facts), or a container made from them with a fixed
// password and then changed where the bytes say (a flipped bit, a cut, an
// addition), so that every message of a real stream is met. Beside not
// crashing, a refused container must leave nothing behind but itself, and
// nothing may be written outside the folders in use.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzBox.h"
#include "cipher/Cipher.h"
#include "protect/Container.h"
#include "protect/MemoryDecrypt.h"
#include "protect/ProtectState.h"
#include "protect/SealedFormat.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& bytes) {
  vls::fuzz::WriteBytes(path, bytes.data(), bytes.size());
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A derivation as cheap as the library allows: the fuzzer's time goes to the
// reader, not to Argon2. A raw input that asks for more is only described.
constexpr vls::KdfCost kCheap{1, 8};

bool Cheap(const std::string& container) {
  if (container.size() < 18)
    return true;
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(container[i]); };
  const std::uint32_t passes =
      byte(10) | byte(11) << 8 | byte(12) << 16 | std::uint32_t{byte(13)} << 24;
  const std::uint32_t kib =
      byte(14) | byte(15) << 8 | byte(16) << 16 | std::uint32_t{byte(17)} << 24;
  return passes <= 2 && kib <= 64;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1)
    return 0;
  const fs::path& root = vls::fuzz::FuzzRoot("sealed");
  vls::WindowsFolder = (root / "windows").string();
  vls::TempFolder = (root / "windows" / "TEMP").string();
  vls::SetSealingCost(kCheap);
  vls::KeyString.Set("fuzz key");
  vls::SilentFeedback feedback;
  vls::fuzz::NoVolumes volumes;
  const fs::path container = root / "box" / "in.vld";
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);

  std::string bytes;
  if (data[0] % 2 == 0) {
    bytes = input;
  } else {
    // A real container of the input's bytes, changed where its last bytes say.
    Write(root / "box" / "in.txt", input);
    vls::StrongEncryption = true;
    vls::KeepOriginals = false;
    vls::CryptFile((root / "box" / "in.txt").string(), vls::kModeEncrypt, false,
                   {feedback, volumes, vls::CryptPurpose::Batch});
    vls::StrongEncryption = false;
    bytes = Read(container);
    if (bytes.empty())
      std::abort();  // a sealed container of any bytes must be made
    const std::size_t at = (data[0] * 131u + size) % (bytes.size() + 1);
    switch (data[0] % 8) {
      case 1:
        bytes[at % bytes.size()] ^= static_cast<char>(1u << (data[0] % 7));
        break;
      case 3:
        bytes.resize(at);
        break;
      case 5:
        bytes.push_back(static_cast<char>(data[0]));
        break;
      default:
        break;  // unchanged: it must open
    }
  }
  Write(container, bytes);
  vls::KeyString.Set("fuzz key");
  std::string description;
  vls::DescribeContainer(container.string(), description);
  if (Cheap(bytes)) {
    vls::CurrentKey key;
    const vls::PlainInMemory memory = vls::DecryptIntoMemory(container.string(), key, {});
    const auto result = vls::CryptFile(container.string(), vls::kModeDecrypt, true,
                                       {feedback, volumes, vls::CryptPurpose::Batch});
    if (!result && fs::exists(root / "box" / "in.txt"))
      std::abort();  // a refused container left a plain file
    if (!result && data[0] % 8 == 7)
      std::abort();  // an unchanged container did not open
    // Into memory, the same container opens (with the same bytes) or not.
    if (memory.done() != result.done())
      std::abort();
    if (result && std::string(reinterpret_cast<const char*>(memory.bytes.data()),
                              memory.bytes.size()) != Read(root / "box" / "in.txt"))
      std::abort();
  }
  vls::fuzz::CheckAndEmpty(root);
  vls::DropKey();
  return 0;
}
