#include "protect/Container.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <future>
#include <span>
#include <vector>

#include "cipher/Cipher.h"
#include "platform/AnsiText.h"
#include "platform/DisplayText.h"
#include "platform/DosTime.h"
#include "platform/FileServices.h"
#include "platform/Folders.h"
#include "platform/Interruption.h"
#include "platform/Random.h"
#include "protect/CaseTwin.h"
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

const std::string kEncryptErrorPrefix = "Error during encryption of ";
const std::string kDecryptErrorPrefix = "Error during decryption of ";
constexpr int kCreateAttempts = 100;
bool verify_containers = true;

std::string CutTo255(std::string text) {
  if (text.size() > 255)
    text.resize(255);
  return text;
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
// The slide show's copies go to a folder of their own there, under their
// stored names; everything in it is a leftover once no show runs.
struct TempRule {
  bool to_temp = false;
  bool slide_show = false;
  std::string Apply(const std::string& path) const {
    if (!to_temp)
      return path;
    EnsureTempFolder();
    const std::string folder = slide_show ? SlideShowFolder() : TempFolder;
    EnsurePrivateFolder(folder);
    return folder + kPathSeparator + FileNameOf(path);
  }
};

struct Header {
  Header() = default;
  Header(const Header&) = delete;
  Header& operator=(const Header&) = delete;
  Header(Header&&) = default;
  Header& operator=(Header&&) = default;
  ~Header() { SecureZero(stored_key.data(), stored_key.size()); }
  std::string stored_name;  // stored bytes
  std::string stored_key;   // stored bytes
};

// The stored key must be the key string byte for byte: the keystream is
// made of those bytes, so any other key (one that differs only in letter
// case too) would decrypt to garbage.
bool IsOurKey(const Header& header) {
  return header.stored_key == KeyString.view();
}

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

// The deciphered header of a container, read into WorkBuffer; the buffer is
// zeroed once the text is parsed, so the key does not linger there.
// When asked, the enciphered bytes are kept too.
Header ReadHeaderText(const UniqueFd& file, std::size_t* count = nullptr,
                      std::vector<std::uint8_t>* enciphered = nullptr) {
  const std::size_t n = ReadSome(file, std::span(WorkBuffer).first(kHeaderSize));
  if (enciphered != nullptr)
    enciphered->assign(WorkBuffer.begin(), WorkBuffer.begin() + static_cast<long>(n));
  DecodeBuffer(static_cast<std::int32_t>(n));
  Header header =
      ParseHeader(std::string_view(reinterpret_cast<const char*>(WorkBuffer.data()), n));
  SecureZero(WorkBuffer.data(), kHeaderSize);
  if (count != nullptr)
    *count = n;
  return header;
}

void WriteHeader(const UniqueFd& target, const std::string& stored_name) {
  // Built in WorkBuffer itself, so no other copy of the key is made.
  const std::string_view key = KeyString.view();
  const std::size_t name_size = std::min(stored_name.size(), kHeaderSize);
  std::size_t used = 0;
  auto append = [&](std::string_view part) {
    const std::size_t n = std::min(part.size(), kHeaderSize - used);
    std::copy_n(part.begin(), n, WorkBuffer.begin() + static_cast<long>(used));
    used += n;
  };
  append(std::string_view(stored_name).substr(0, name_size));
  append("|");
  append(key);
  append("\\");
  // Filler bytes are never read; random ones leak nothing of earlier work.
  FillSecureRandom(std::span(WorkBuffer).subspan(used, kHeaderSize - used));
  EncodeBuffer(static_cast<std::int32_t>(kHeaderSize));
  try {
    WriteAll(target, std::span(WorkBuffer).first(kHeaderSize));
  } catch (...) {
    SecureZero(WorkBuffer.data(), kHeaderSize);
    throw;
  }
  SecureZero(WorkBuffer.data(), kHeaderSize);
}

// Streams the contents from source to target, enciphering or deciphering
// each 4096-byte segment by its own call; returns the digest of the plain bytes.
std::uint64_t TransferSegments(const UniqueFd& source, const UniqueFd& target, int mode,
                               std::uint64_t size, ProgressGauge& gauge) {
  ChunkBuffer chunk(size);
  std::uint64_t digest = kDigestSeed;
  for (;;) {
    ThrowIfInterrupted();
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
    std::size_t n = 0;
    const Header header = ReadHeaderText(file, &n);
    if (n != kHeaderSize || !IsOurKey(header))
      mismatch();
  }
  ChunkBuffer chunk(plain_size);
  std::uint64_t digest = kDigestSeed;
  for (;;) {
    ThrowIfInterrupted();
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

// Creates the transfer's output under path or, when that name is taken (by
// a file that is not ours: stale ones of ours are disposed of before a run),
// under the next free name; the output is pending until it is placed.
UniqueFd CreateOutput(std::string path, Leftover kind, PendingFile& pending) {
  for (int attempt = 1;; ++attempt) {
    try {
      UniqueFd output = CreateNewForWriting(path);
      pending = PendingFile(path, kind);
      return output;
    } catch (const FileError& error) {
      if (error.code().value() != EEXIST || attempt == kCreateAttempts)
        throw;
      path = UniqueName(path);
    }
  }
}

// Renames the finished temporary container to its name (or, should that
// name have been taken meanwhile, the next free one); returns the name used.
std::string PlaceContainer(PendingFile& temporary, std::string container) {
  try {
    temporary.MoveTo(container);
  } catch (const FileError& error) {
    if (error.code().value() != EEXIST)
      throw;
    container = UniqueName(container);
    temporary.MoveTo(container);
  }
  return container;
}

mode_t PermissionsOf(const UniqueFd& fd) {
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0)
    ThrowFileError(fd.path(), "Cannot read the permissions of");
  return st.st_mode & 0666;
}

bool IsContainerName(const std::string& path) {
  const std::string extension = UpperAscii(ExtensionOf(FileNameOf(path)));
  return extension == ".VLP" || extension == ".VLD";
}

// Tells the user, and the run's summary, something that happened to a file.
void Tell(const CryptContext& context, const std::string& text) {
  context.feedback.Notice(text);
  if (context.run != nullptr)
    context.run->Note(text);
}

// A restored file is never planted unasked under a name that hides it (a
// leading dot) or that holds characters a person cannot see: false when
// the user does not want it restored.
bool MayRestoreUnder(const std::string& stored_name, const CryptContext& context) {
  const std::string shown = DisplayText(stored_name);
  std::string why;
  if (stored_name.starts_with("."))
    why = " is a hidden file. Restore it?";
  else if (IsValidUtf8(stored_name) && shown != stored_name)
    why = " has characters in its name that cannot be seen. Restore it?";
  if (why.empty() || context.feedback.Ask(stored_name + why) == kAnswerYes)
    return true;
  Tell(context, shown + " was not restored; " + DisplayText(CryptSourcePath) + " is kept");
  return false;
}

// The final name of a decrypted file. A name that is taken by a container,
// or by a file the run lists or has already written, is never offered for
// replacing: the output goes to the next free name instead.
std::string FinalPlainPath(const std::string& wanted, const CryptContext& context) {
  if (!PathExists(wanted))
    return wanted;
  const bool protected_file =
      IsContainerName(wanted) || (context.run != nullptr && context.run->Holds(wanted));
  if (!protected_file)
    return wanted;
  const std::string free = UniqueName(wanted);
  Tell(context,
       DisplayText(wanted) + " exists and is kept; restored as " + DisplayText(FileNameOf(free)));
  return free;
}

// Puts the decrypted temporary file at its final name; false when the user
// declined to replace an existing file or the rename failed (said why).
bool PlaceDecryptedFile(PendingFile& temporary, const std::string& final_path,
                        const CryptContext& context) {
  Feedback& feedback = context.feedback;
  const std::string name = FileNameOf(final_path);
  try {
    temporary.MoveTo(final_path);
    return true;
  } catch (const FileError& error) {
    if (error.code().value() != EEXIST) {
      feedback.ShowInformation("I can't rename " + DisplayText(name) + ": " +
                               DisplayText(error.what()));
      return false;
    }
  }
  // The question dialog shortens a long name in its middle, keeping the end.
  if (feedback.Ask(name + " exists. Replace?") != kAnswerYes) {
    Tell(context, DisplayText(final_path) + " exists and was not replaced; " +
                      DisplayText(CryptSourcePath) + " was not decrypted");
    return false;
  }
  try {
    temporary.MoveOver(final_path);
  } catch (const FileError& error) {
    feedback.ShowInformation("I can't rename " + DisplayText(name) + ": " +
                             DisplayText(error.what()));
    return false;
  }
  Tell(context, "Replaced " + DisplayText(final_path));
  return true;
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
  const bool encrypting = Mode == kModeEncrypt;

  // Preparation: an unreadable source raises its error before any output
  // exists. A link is refused where its source would be wiped or deleted:
  // that would act on the link, not on the file it names.
  const bool source_goes = encrypting || !KeepSource;
  UniqueFd source = OpenForReading(SourcePath, source_goes ? Links::Refuse : Links::Follow);
  const std::uint64_t size = FileSize(source);
  const std::string source_folder = FolderOf(SourcePath);
  const std::string source_name = FileNameOf(SourcePath);
  const std::string stored_source_name = ToStoredName(source_name);

  TempRule temp_rule;
  std::string target;     // the file the transfer writes
  std::string container;  // mode 1: the container's final name
  Header header;
  if (encrypting) {
    if (const std::string reason =
            UnstorableReason(stored_source_name, std::string(KeyString.view()));
        !reason.empty()) {
      feedback.ShowError("Cannot encrypt " + DisplayText(SourcePath) + ": " + reason);
      return false;
    }
    container = StripExtension(SourcePath) +
                (IsPictureExtension(ExtensionOf(source_name)) ? ".vlp" : ".vld");
    if (PathExists(container))
      container = UniqueName(container);
    // The container is written under a temporary name and renamed into place
    // once it is complete and checked, so a crash never leaves a partial one.
    target = StripExtension(container) + ".~tx";
  } else {
    target = StripExtension(SourcePath) + ".~tx";
    temp_rule.to_temp = context.volumes.FileSystemOf(target) == "CDFS" ||
                        context.purpose == CryptPurpose::Viewer ||
                        context.purpose == CryptPurpose::SlideShow;
    temp_rule.slide_show = context.purpose == CryptPurpose::SlideShow;
    target = temp_rule.Apply(target);
    // The key is checked before anything is written: a wrong key leaves
    // nothing behind, and touches no file that is already there.
    std::vector<std::uint8_t> enciphered;
    header = ReadHeaderText(source, nullptr, &enciphered);
    if (!IsOurKey(header) || WrittenWithCaseTwin(enciphered, KeyString.view(), SourcePath)) {
      WrongKey = true;
      ++WrongKeyCount;
      return false;
    }
    const bool restores_beside = !temp_rule.to_temp && (context.purpose == CryptPurpose::Batch ||
                                                        context.purpose == CryptPurpose::Launcher);
    if (restores_beside &&
        !MayRestoreUnder(SafeStoredName(FromStoredName(header.stored_name), SourcePath), context)) {
      return false;
    }
  }

  // From here until the output is placed or disposed of, a stop request is
  // only recorded; the transfer polls it and cleans up.
  CriticalStretch cleanup_first;
  ProgressGauge gauge(feedback, size);
  PendingFile output_pending;
  try {
    const DosDateTime time = GetFileDosDateTime(source);
    UniqueFd output =
        CreateOutput(target, encrypting ? Leftover::Cipher : Leftover::Plain, output_pending);
    target = output_pending.path();
    if (encrypting)
      WriteHeader(output, stored_source_name);
    std::uint64_t plain_digest = 0;
    // The output is flushed on a thread of its own while the read-back check
    // below reads the files again: the check then costs little more than the
    // flush takes anyway. Declared after output, so that it is joined before
    // the output is closed, also when the check throws.
    std::future<void> flushed;
    plain_digest = TransferSegments(source, output, Mode, size, gauge);
    if (!temp_rule.to_temp && ::fchmod(output.get(), PermissionsOf(source)) != 0) {
      ThrowFileError(target, "Cannot set the permissions of");
    }
    SetFileDosDateTime(output, time);
    flushed = std::async(std::launch::async, [&output] { SyncFile(output); });
    source.Close();
    // The source goes after an encryption (wipe) or a batch decryption (delete).
    const std::uint64_t plain_size = encrypting ? size : size - std::min(size, kHeaderSize);
    // The launcher deletes the container once the user opens the restored
    // file, so its transfer is checked as a batch decryption's is.
    if (verify_containers && (source_goes || context.purpose == CryptPurpose::Launcher))
      VerifyTransfer(SourcePath, target, Mode, plain_size, plain_digest);
    // The output reaches the disk before it is renamed into place, and so
    // before the source may be wiped or deleted.
    flushed.get();
    output.Close();
    if (encrypting)
      container = PlaceContainer(output_pending, container);
  } catch (const std::exception& error) {
    // Plain bytes of a decryption are wiped, an unfinished container removed.
    try {
      output_pending.Dispose(feedback);
    } catch (const std::exception&) {
      output_pending.Abandon();
    }
    feedback.SetGaugePosition(0);
    if (dynamic_cast<const Interrupted*>(&error) != nullptr)
      throw;
    feedback.ShowError((encrypting ? kEncryptErrorPrefix : kDecryptErrorPrefix) +
                       DisplayText(SourcePath) + ": " + DisplayText(error.what()));
    return false;
  }
  feedback.SetGaugePosition(100);
  feedback.SetGaugePosition(0);

  if (encrypting) {
    output_pending.Release();
    if (context.run != nullptr)
      context.run->Wrote(container);
    // The container's name reaches the disk before the source is wiped.
    SyncFolder(FolderForSync(container));
    if (!KeepOriginals) {
      if (context.run != nullptr)
        context.run->Forget(SourcePath);
      try {
        WipeFile(SourcePath, feedback);
      } catch (const FileError& error) {
        // Said as it is: the container holds the file, the wipe did not end.
        throw FileError(error.code().value(), DisplayText(FileNameOf(container)),
                        "The encrypted file is complete and checked:",
                        "the plain file was not wiped: " + DisplayText(error.what()));
      }
    }
    return true;
  }

  const std::string stored_name = SafeStoredName(FromStoredName(header.stored_name), SourcePath);
  std::string final_path;
  if (context.purpose == CryptPurpose::Viewer) {
    final_path = temp_rule.Apply(source_folder + kViewerPlainBase + ExtensionOf(stored_name));
    if (PathExists(final_path))
      WipeFile(final_path, feedback);
  } else {
    // A container that stores its own name (or another container's) is
    // never replaced by a plain file.
    final_path = FinalPlainPath(temp_rule.Apply(source_folder + stored_name), context);
  }
  PlainNamePath = CutTo255(source_folder + stored_name);
  DecryptedPath = final_path;

  if (!PlaceDecryptedFile(output_pending, final_path, context)) {
    output_pending.Dispose(feedback);
    return false;
  }
  DecryptedPath = output_pending.path();
  if (context.run != nullptr)
    context.run->Wrote(DecryptedPath);
  // A plain copy for the caller stays pending (and is wiped on any way out
  // of here); a restored file is the user's from now on.
  if (context.plain_copy == nullptr)
    output_pending.Release();
  // The plain file's name reaches the disk before the container goes.
  SyncFolder(FolderForSync(DecryptedPath));
  if (!KeepSource && context.run != nullptr)
    context.run->Forget(SourcePath);
  if (!KeepSource && !TryRemoveFile(SourcePath)) {
    feedback.ShowError("Cannot delete " + DisplayText(SourcePath) + ": " + std::strerror(errno));
  }
  if (context.plain_copy != nullptr)
    *context.plain_copy = std::move(output_pending);
  return true;
}

}  // namespace vls
