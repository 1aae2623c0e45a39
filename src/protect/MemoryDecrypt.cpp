#include "protect/MemoryDecrypt.h"

#include <algorithm>
#include <array>
#include <new>

#include "platform/AnsiText.h"
#include "platform/DisplayText.h"
#include "platform/FileServices.h"
#include "platform/Interruption.h"
#include "protect/CaseTwin.h"
#include "protect/ContainerFormat.h"
#include "protect/SealedFormat.h"

namespace vls {
namespace {

constexpr std::size_t kSegment = kWorkBufferSize;
constexpr std::size_t kChunk = 256 * kSegment;

void Fail(PlainInMemory& result, std::string message) {
  result.bytes.Release();
  result.outcome = CryptOutcome::Failed;
  result.message = std::move(message);
}

// Holds plain_size bytes, or says why not.
bool Allocate(PlainInMemory& result, const std::string& path, std::uint64_t plain_size) {
  if (plain_size > kMaxPlainInMemory) {
    Fail(result, "Cannot decrypt " + DisplayText(path) + " into memory: it holds " +
                     std::to_string(plain_size) + " bytes, more than " +
                     std::to_string(kMaxPlainInMemory >> 20) + " MiB");
    return false;
  }
  result.bytes = PrivateBytes(static_cast<std::size_t>(plain_size));
  return true;
}

void ReadClassic(const UniqueFd& file, const std::string& path, ContainerKey& key,
                 const MemoryProgress& progress, PlainInMemory& result) {
  const std::span<const std::uint8_t> shift = key.Keystream();
  std::array<std::uint8_t, kHeaderSize> enciphered{};
  std::size_t n = 0;
  while (n < enciphered.size()) {
    const std::size_t got = ReadSome(file, std::span(enciphered).subspan(n));
    if (got == 0)
      break;
    n += got;
  }
  std::array<char, kHeaderSize> text{};
  for (std::size_t p = 0; p < n; ++p)
    text[p] = static_cast<char>(enciphered[p] - shift[p]);
  const Header header = ParseHeader(std::string_view(text.data(), n));
  SecureZero(text.data(), text.size());
  if (header.stored_key != key.Password() ||
      WrittenWithCaseTwin(std::span(enciphered).first(n), key.Password(), path)) {
    result.outcome = CryptOutcome::WrongKey;
    return;
  }
  result.stored_name = SafeStoredName(FromStoredName(header.stored_name), path);

  const std::uint64_t size = FileSize(file);
  if (!Allocate(result, path, size - std::min<std::uint64_t>(size, n)))
    return;
  std::span<std::uint8_t> plain = result.bytes.span();
  std::size_t done = 0;
  while (done < plain.size()) {
    if (progress)
      progress(done, plain.size());
    const std::size_t got =
        ReadSome(file, plain.subspan(done, std::min(kChunk, plain.size() - done)));
    if (got == 0)
      throw FileError(EIO, path, "Changed while it was read:", "it is shorter than it was");
    done += got;
  }
  // Each 4096-byte segment of the contents was enciphered by its own call.
  for (std::size_t offset = 0; offset < plain.size(); offset += kSegment) {
    const std::size_t count = std::min(kSegment, plain.size() - offset);
    std::uint8_t* segment = plain.data() + offset;
    for (std::size_t p = 0; p < count; ++p)
      segment[p] = static_cast<std::uint8_t>(segment[p] - shift[p]);
  }
  result.outcome = CryptOutcome::Done;
}

void ReadSealedContainer(const UniqueFd& file, const std::string& path, ContainerKey& key,
                         const MemoryProgress& progress, PlainInMemory& result) {
  std::size_t done = 0;
  SealedReader reader(file, &key, [&] {
    if (progress)
      progress(done, result.bytes.size());
  });
  std::string why;
  const SealedOpen opened = reader.Open(why);
  if (opened == SealedOpen::OtherKey) {
    result.outcome = CryptOutcome::WrongKey;
    return;
  }
  if (opened == SealedOpen::Refused) {
    Fail(result, "Cannot decrypt " + DisplayText(path) + ": " + why);
    return;
  }
  result.sealed = true;
  result.stored_name = SafeStoredName(reader.facts().name, path);
  if (!Allocate(result, path, reader.facts().plain_size))
    return;
  // The reader refuses a message that would go past the size the facts
  // give before it hands it on, so the copy stays inside the bytes.
  reader.Transfer(SealedReader::Sink([&](std::span<const std::uint8_t> plain) {
                    std::copy(plain.begin(), plain.end(), result.bytes.data() + done);
                    done += plain.size();
                  }),
                  nullptr);
  result.outcome = CryptOutcome::Done;
}

}  // namespace

PlainInMemory DecryptIntoMemory(const std::string& path, ContainerKey& key,
                                const MemoryProgress& progress) {
  PlainInMemory result;
  try {
    const UniqueFd file = OpenForReading(path);
    if (IsSealedContainer(file)) {
      ReadSealedContainer(file, path, key, progress, result);
    } else {
      ReadClassic(file, path, key, progress, result);
    }
  } catch (const Interrupted&) {
    result.bytes.Release();
    throw;
  } catch (const std::bad_alloc&) {
    Fail(result, "Not enough memory to decrypt " + DisplayText(path));
  } catch (const std::exception& error) {
    Fail(result,
         "Error during decryption of " + DisplayText(path) + ": " + DisplayText(error.what()));
  }
  if (result.outcome != CryptOutcome::Done)
    result.bytes.Release();
  return result;
}

}  // namespace vls
