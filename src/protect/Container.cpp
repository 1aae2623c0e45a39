#include "protect/Container.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <future>
#include <span>
#include <vector>

#include "cipher/Cipher.h"
#include "platform/AnsiText.h"
#include "platform/DosTime.h"
#include "platform/FileServices.h"
#include "platform/Folders.h"
#include "platform/Random.h"
#include "protect/PathNames.h"
#include "protect/ProtectState.h"
#include "protect/Rounding.h"
#include "protect/Wipe.h"

namespace vls {
namespace {

constexpr std::size_t kSegment = kWorkBufferSize;
// Reads and writes move up to this many bytes at once; each 4096-byte
// segment is still enciphered by its own call.
constexpr std::size_t kMaxChunk = 256 * kSegment;

const std::string kErrorPrefix = "Error during encryption of ";
bool verify_containers = true;

std::string CutTo255(std::string text) {
  if (text.size() > 255)
    text.resize(255);
  return text;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return UpperAscii(std::string(a)) == UpperAscii(std::string(b));
}

// The I/O buffer of one call; plain text passes through it, so it is zeroed
// before it is released.
class ChunkBuffer {
 public:
  explicit ChunkBuffer(std::uint64_t file_size)
      : bytes_(std::clamp<std::uint64_t>((file_size + kSegment - 1) / kSegment * kSegment, kSegment,
                                         kMaxChunk)) {}
  ~ChunkBuffer() { SecureZero(bytes_.data(), bytes_.size()); }
  std::span<std::uint8_t> span() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Moves the gauge by 5 every time more than 5 % of the file has gone through.
class ProgressGauge {
 public:
  ProgressGauge(Feedback& feedback, std::uint64_t size)
      : feedback_(feedback), step_(ProgressStep(size)) {
    feedback_.SetGaugeColor(GaugeColor::Red);
    feedback_.SetGaugePosition(0);
  }
  void Sent(std::uint64_t n) {
    sent_ += n;
    if (sent_ > step_) {
      position_ = std::min(position_ + 5, 100);
      feedback_.SetGaugePosition(position_);
      sent_ = 0;
    }
  }

 private:
  Feedback& feedback_;
  std::uint64_t step_;
  std::uint64_t sent_ = 0;
  int position_ = 0;
};

// Where the temp rule sends a path: into TempFolder when the source lies on
// a CD file system or the caller is the viewer or the slide show.
struct TempRule {
  bool to_temp = false;
  std::string Apply(const std::string& path) const {
    if (!to_temp)
      return path;
    InitFolders();
    EnsurePrivateFolder(TempFolder);
    return TempFolder + kPathSeparator + FileNameOf(path);
  }
};

struct Header {
  std::string stored_name;  // stored bytes
  std::string stored_key;   // stored bytes
};

Header ParseHeader(std::string_view text) {
  Header header;
  const auto bar = text.find('|');
  std::size_t key_start = 0;
  if (bar != std::string_view::npos) {
    header.stored_name = std::string(text.substr(0, bar));
    key_start = bar + 1;
  }
  const auto backslash = text.find('\\', key_start);
  if (backslash != std::string_view::npos) {
    header.stored_key = std::string(text.substr(key_start, backslash - key_start));
  }
  return header;
}

void WriteHeader(const UniqueFd& target, const std::string& stored_name) {
  const std::string text = CutTo255(stored_name + "|" + std::string(KeyString.view()) + "\\");
  // Filler bytes are never read; random ones leak nothing of earlier work.
  FillSecureRandom(std::span(WorkBuffer).subspan(text.size(), kHeaderSize - text.size()));
  std::copy(text.begin(), text.end(), WorkBuffer.begin());
  EncodeBuffer(static_cast<std::int32_t>(kHeaderSize));
  WriteAll(target, std::span(WorkBuffer).first(kHeaderSize));
}

// Reads the header of a container; sets WrongKey when its key is not ours.
Header ReadHeader(const UniqueFd& source) {
  const std::size_t n = ReadSome(source, std::span(WorkBuffer).first(kHeaderSize));
  DecodeBuffer(static_cast<std::int32_t>(n));
  Header header =
      ParseHeader(std::string_view(reinterpret_cast<const char*>(WorkBuffer.data()), n));
  if (!EqualIgnoringAsciiCase(header.stored_key, KeyString.view())) {
    WrongKey = true;
    ++WrongKeyCount;
  }
  return header;
}

// Streams the contents from source to target, enciphering or deciphering
// each 4096-byte segment by its own call; returns the digest of the plain bytes.
std::uint64_t TransferSegments(const UniqueFd& source, const UniqueFd& target, int mode,
                               std::uint64_t size, ProgressGauge& gauge) {
  ChunkBuffer chunk(size);
  std::uint64_t digest = kDigestSeed;
  for (;;) {
    const std::size_t n = ReadSome(source, chunk.span());
    if (n == 0)
      break;
    const auto bytes = chunk.span().first(n);
    if (mode == kModeEncrypt)
      digest = Digest(digest, bytes);
    for (std::size_t offset = 0; offset < n; offset += kSegment) {
      const auto segment = bytes.subspan(offset, std::min(kSegment, n - offset));
      if (mode == kModeEncrypt) {
        EncodeSegment(segment);
      } else {
        DecodeSegment(segment);
      }
      gauge.Sent(segment.size());
    }
    if (mode == kModeDecrypt)
      digest = Digest(digest, bytes);
    WriteAll(target, bytes);
  }
  return digest;
}

// The digest of the plain bytes a file holds: deciphered for a container
// (whose size and stored key must be right), as they are for a plain file.
// Throws FileError when the file does not hold plain_size bytes of our key.
std::uint64_t PlainDigestOf(const std::string& path, bool container, std::uint64_t plain_size) {
  UniqueFd file = OpenForReading(path);
  auto mismatch = [&] {
    errno = EIO;
    ThrowFileError(path, "Does not read back as written:");
  };
  if (FileSize(file) != (container ? kHeaderSize : 0) + plain_size)
    mismatch();
  if (container) {
    const std::size_t n = ReadSome(file, std::span(WorkBuffer).first(kHeaderSize));
    DecodeBuffer(static_cast<std::int32_t>(n));
    const Header header =
        ParseHeader(std::string_view(reinterpret_cast<const char*>(WorkBuffer.data()), n));
    if (n != kHeaderSize || !EqualIgnoringAsciiCase(header.stored_key, KeyString.view())) {
      mismatch();
    }
  }
  ChunkBuffer chunk(plain_size);
  std::uint64_t digest = kDigestSeed;
  for (;;) {
    const std::size_t got = ReadSome(file, chunk.span());
    if (got == 0)
      break;
    const auto bytes = chunk.span().first(got);
    if (container) {
      for (std::size_t offset = 0; offset < got; offset += kSegment) {
        DecodeSegment(bytes.subspan(offset, std::min(kSegment, got - offset)));
      }
    }
    digest = Digest(digest, bytes);
  }
  return digest;
}

// Before a source is wiped or deleted: the source read again and the output
// read back from the disk both hold the plain bytes that went through the
// transfer, so neither a bad read nor a bad write can cost the data.
void VerifyTransfer(const std::string& source, const std::string& output, int mode,
                    std::uint64_t plain_size, std::uint64_t plain_digest) {
  const bool source_is_container = mode == kModeDecrypt;
  if (PlainDigestOf(source, source_is_container, plain_size) != plain_digest ||
      PlainDigestOf(output, !source_is_container, plain_size) != plain_digest) {
    errno = EIO;
    ThrowFileError(output, "Does not read back as written:");
  }
}

// Renames the finished temporary container to its name (or, should that
// name have been taken meanwhile, the next free one); returns the name used.
std::string PlaceContainer(const std::string& temporary, std::string container) {
  try {
    RenameNoReplace(temporary, container);
  } catch (const FileError& error) {
    if (error.code().value() != EEXIST)
      throw;
    container = UniqueName(container);
    RenameNoReplace(temporary, container);
  }
  return container;
}

mode_t PermissionsOf(const UniqueFd& fd) {
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0)
    ThrowFileError(fd.path(), "Cannot read the permissions of");
  return st.st_mode & 0666;
}

// Puts the decrypted temporary file at its final name; false when the user
// declined to replace an existing file or the rename failed.
bool PlaceDecryptedFile(const std::string& temporary, const std::string& final_path,
                        Feedback& feedback) {
  try {
    RenameNoReplace(temporary, final_path);
    return true;
  } catch (const FileError& error) {
    const std::string name = FileNameOf(final_path);
    if (error.code().value() == EEXIST) {
      if (feedback.Ask(CutTo255(name + " exists. Replace?")) != kAnswerYes)
        return false;
      try {
        RenameReplace(temporary, final_path);
        return true;
      } catch (const FileError&) {
      }
    }
    feedback.ShowInformation("I can't rename " + name);
    return false;
  }
}

}  // namespace

void SetVerifyContainers(bool on) {
  verify_containers = on;
}

std::string UnstorableReason(const std::string& stored_name, const std::string& key) {
  if (key.find('\\') != std::string::npos) {
    return "the password contains \"\\\", which an encrypted file cannot store.";
  }
  if (stored_name.find_first_of("|\\") != std::string::npos) {
    return "the file name contains \"|\" or \"\\\", which an encrypted file cannot store.";
  }
  if (stored_name.size() + key.size() + 2 > kHeaderSize) {
    return "the file name is too long to be stored with this password.";
  }
  return std::string();
}

std::string SafeStoredName(const std::string& stored_name_utf8, const std::string& container_path) {
  std::string name = FileNameOf(stored_name_utf8);
  if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string::npos) {
    name = FileNameOf(StripExtension(container_path));
  }
  return name;
}

bool CryptFile(const std::string& SourcePath, int Mode, bool KeepSource,
               const CryptContext& context) {
  Feedback& feedback = context.feedback;
  WrongKey = false;
  CryptSourcePath = SourcePath;
  ComputeKeySum();

  // Preparation: an unreadable source raises its error before any output exists.
  UniqueFd source = OpenForReading(SourcePath);
  const std::uint64_t size = FileSize(source);
  const std::string source_folder = FolderOf(SourcePath);
  const std::string source_name = FileNameOf(SourcePath);

  TempRule temp_rule;
  std::string target;     // the file the transfer writes
  std::string container;  // mode 1: the container's final name
  if (Mode == kModeEncrypt) {
    const std::string stored = ToAnsi(source_name);
    if (const std::string reason = UnstorableReason(stored, std::string(KeyString.view()));
        !reason.empty()) {
      feedback.ShowError("Cannot encrypt " + SourcePath + ": " + reason);
      return false;
    }
    container = StripExtension(SourcePath) +
                (IsPictureExtension(ExtensionOf(source_name)) ? ".vlp" : ".vld");
    if (PathExists(container))
      container = UniqueName(container);
    // The container is written under a temporary name and renamed into place
    // once it is complete and checked, so a crash never leaves a partial one.
    target = StripExtension(container) + ".~tx";
    if (PathExists(target))
      target = UniqueName(target);
  } else {
    target = StripExtension(SourcePath) + ".~tx";
    temp_rule.to_temp = context.volumes.FileSystemOf(target) == "CDFS" ||
                        context.purpose == CryptPurpose::Viewer ||
                        context.purpose == CryptPurpose::SlideShow;
    target = temp_rule.Apply(target);
    // A container that is itself named *.~tx must not be taken for a stale temporary.
    if (target == SourcePath)
      target = UniqueName(target);
  }

  ProgressGauge gauge(feedback, size);
  Header header;
  bool created = false;
  try {
    const DosDateTime time = GetFileDosDateTime(source);
    if (Mode == kModeDecrypt)
      TryRemoveFile(target);  // a stale temporary is overwritten
    UniqueFd output = Mode == kModeEncrypt ? CreateNewForWriting(target) : CreateForWriting(target);
    created = true;
    if (Mode == kModeEncrypt) {
      WriteHeader(output, ToAnsi(source_name));
    } else {
      header = ReadHeader(source);
    }
    std::uint64_t plain_digest = 0;
    // The output is flushed on a thread of its own while the read-back check
    // below reads the files again: the check then costs little more than the
    // flush takes anyway. Declared after output, so that it is joined before
    // the output is closed, also when the check throws.
    std::future<void> flushed;
    if (!WrongKey) {
      plain_digest = TransferSegments(source, output, Mode, size, gauge);
      if (!temp_rule.to_temp && ::fchmod(output.get(), PermissionsOf(source)) != 0) {
        ThrowFileError(target, "Cannot set the permissions of");
      }
      SetFileDosDateTime(output, time);
      flushed = std::async(std::launch::async, [&output] { SyncFile(output); });
    }
    source.Close();
    // The source goes after an encryption (wipe) or a batch decryption (delete).
    const std::uint64_t plain_size =
        Mode == kModeEncrypt ? size : size - std::min(size, kHeaderSize);
    if (!WrongKey && verify_containers && (Mode == kModeEncrypt || !KeepSource)) {
      VerifyTransfer(SourcePath, target, Mode, plain_size, plain_digest);
    }
    // The output reaches the disk before it is renamed into place, and so
    // before the source may be wiped or deleted.
    if (flushed.valid())
      flushed.get();
    output.Close();
    if (Mode == kModeEncrypt)
      container = PlaceContainer(target, container);
  } catch (const std::exception&) {
    if (created)
      TryRemoveFile(target);
    feedback.SetGaugePosition(0);
    feedback.ShowError(kErrorPrefix + SourcePath);
    return false;
  }
  feedback.SetGaugePosition(100);
  feedback.SetGaugePosition(0);

  if (WrongKey) {
    TryRemoveFile(target);
    return false;
  }

  if (Mode == kModeEncrypt) {
    // The container's name reaches the disk before the source is wiped.
    SyncFolder(FolderForSync(container));
    if (!KeepOriginals)
      WipeFile(SourcePath, feedback);
    return true;
  }

  const std::string stored_name = SafeStoredName(FromAnsi(header.stored_name), SourcePath);
  std::string final_path;
  if (context.purpose == CryptPurpose::Viewer) {
    final_path = temp_rule.Apply(source_folder + kViewerPlainBase + ExtensionOf(stored_name));
    if (PathExists(final_path))
      WipeFile(final_path, feedback);
  } else {
    final_path = temp_rule.Apply(source_folder + stored_name);
    // A container that stores its own name must never be replaced by its plain
    // file (and that file then deleted as "the container").
    if (final_path == SourcePath)
      final_path = UniqueName(final_path);
  }
  PlainNamePath = CutTo255(source_folder + stored_name);
  DecryptedPath = final_path;

  if (!PlaceDecryptedFile(target, final_path, feedback)) {
    WipeFile(target, feedback);
    return false;
  }
  // The plain file's name reaches the disk before the container goes.
  SyncFolder(FolderForSync(final_path));
  if (!KeepSource && !TryRemoveFile(SourcePath)) {
    feedback.ShowError("Cannot delete " + SourcePath);
  }
  return true;
}

}  // namespace vls
