#include "protect/Container.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <future>
#include <optional>
#include <vector>

#include "cipher/Cipher.h"
#include "platform/AnsiText.h"
#include "platform/DisplayText.h"
#include "platform/DosTime.h"
#include "platform/FileServices.h"
#include "platform/Interruption.h"
#include "protect/CaseTwin.h"
#include "protect/CryptStages.h"
#include "protect/PathNames.h"
#include "protect/Placement.h"
#include "protect/ProtectState.h"
#include "protect/SealedFormat.h"
#include "protect/Wipe.h"

namespace vls {

CryptResult Failure(std::string message, std::string output) {
  CryptResult result;
  result.outcome = CryptOutcome::Failed;
  result.message = std::move(message);
  result.output = std::move(output);
  return result;
}

namespace {

// An output that is not placed goes: wiped when it holds plain bytes,
// removed when it is an unfinished container.
void DisposeOfOutput(PendingFile& output, Feedback& feedback) {
  try {
    output.Dispose(feedback);
  } catch (const std::exception&) {
    output.Abandon();  // listed still: the next run disposes of it
  }
  feedback.SetGaugePosition(0);
}

}  // namespace

CryptResult NotWipedAfterAll(const std::string& container, const std::exception& error) {
  return Failure("The encrypted file " + DisplayText(container) +
                     " is complete and checked, but the plain file was not wiped: " +
                     DisplayText(error.what()),
                 container);
}

CryptResult StageEncryption(const std::string& source_path, const CryptContext& context,
                            StageFlush flush, StagedOutput& staged) {
  Feedback& feedback = context.feedback;
  UniqueFd source;
  std::uint64_t size = 0;
  try {
    // A link is refused: the wipe afterwards would act on the link, not on
    // the file it names.
    source = OpenForReading(source_path, Links::Refuse);
    size = FileSize(source);
  } catch (const FileError& error) {
    return Failure(DisplayText(error.what()));
  }
  const std::string source_name = FileNameOf(source_path);
  // A sealed container keeps the name's bytes as they are; a classic one its
  // stored form, which must read back with the key beside it.
  const bool sealed = StrongEncryption;
  const std::string stored_name = sealed ? source_name : ToStoredName(source_name);
  if (const std::string reason =
          sealed ? std::string() : UnstorableReason(stored_name, std::string(KeyString.view()));
      !reason.empty()) {
    return Failure("Cannot encrypt " + DisplayText(source_path) + ": " + reason);
  }
  std::string container = StripExtension(source_path) +
                          (IsPictureExtension(ExtensionOf(source_name)) ? ".vlp" : ".vld");
  if (PathExists(container))
    container = UniqueName(container);

  // From here until the output is placed or disposed of, a stop request is
  // only recorded; the transfer polls it and cleans up.
  CriticalStretch cleanup_first;
  ProgressGauge gauge(feedback, size);
  PendingFile output_pending;
  try {
    const DosDateTime time = GetFileDosDateTime(source);
    // Written under a temporary name and renamed into place once complete
    // and checked, so a crash never leaves a partial container.
    UniqueFd output =
        CreateOutput(StripExtension(container) + ".~tx", Leftover::Cipher, output_pending);
    // The output is flushed on a thread of its own while the read-back
    // check reads the files again: the check then costs little more than
    // the flush takes anyway. Declared after output, so that it is joined
    // before the output is closed, also when the check throws.
    std::future<void> flushed;
    std::uint64_t digest = 0;
    if (sealed) {
      digest = WriteSealed(source, output, {size, GetFileTime(source), stored_name}, gauge);
    } else {
      WriteHeader(output, stored_name);
      digest = TransferSegments(source, output, true, size, gauge);
    }
    if (::fchmod(output.get(), PermissionsOf(source)) != 0)
      ThrowFileError(output_pending.path(), "Cannot set the permissions of");
    SetFileDosDateTime(output, time);
    if (flush == StageFlush::Now)
      flushed = std::async(std::launch::async, [&output] { SyncFile(output); });
    source.Close();
    // The gauge runs again through the check, which reads both files.
    if (VerifyingContainers() && sealed) {
      ProgressGauge checked(feedback, 2 * size);
      VerifySealedPlain(source_path, size, digest, &checked);
      VerifySealed(output_pending.path(), digest, &checked);
    } else if (VerifyingContainers()) {
      ProgressGauge checked(feedback, 2 * size);
      VerifyTransfer(source_path, output_pending.path(), true, size, digest, &checked);
    }
    // The container reaches the disk before it is renamed into place, and
    // so before the source may be wiped.
    // A cancel meanwhile is seen at the next file: this one is complete and
    // checked by then.
    if (flushed.valid())
      WaitKeepingResponsive(flushed);
    output.Close();
  } catch (const Interrupted&) {
    DisposeOfOutput(output_pending, feedback);
    throw;
  } catch (const std::exception& error) {
    DisposeOfOutput(output_pending, feedback);
    return Failure(kEncryptErrorPrefix + DisplayText(source_path) + ": " +
                   DisplayText(error.what()));
  }
  staged.source = source_path;
  staged.output = std::move(output_pending);
  staged.target = container;
  staged.result.outcome = CryptOutcome::Done;
  staged.result.sealed = sealed;
  return staged.result;
}

namespace {

// Copies the plain bytes into a new container beside the source and, unless
// KeepOriginals is set, wipes the source.
CryptResult EncryptFile(const std::string& source_path, const CryptContext& context) {
  Feedback& feedback = context.feedback;
  // Until the container is placed and the source wiped, a stop request is
  // only recorded.
  CriticalStretch cleanup_first;
  StagedOutput staged;
  if (CryptResult result = StageEncryption(source_path, context, StageFlush::Now, staged); !result)
    return result;
  std::string container;
  try {
    container = PlaceContainer(staged.output, staged.target);
  } catch (const std::exception& error) {
    DisposeOfOutput(staged.output, feedback);
    return Failure(kEncryptErrorPrefix + DisplayText(source_path) + ": " +
                   DisplayText(error.what()));
  }
  feedback.SetGaugePosition(100);
  feedback.SetGaugePosition(0);
  staged.output.Release();
  if (context.run != nullptr)
    context.run->Wrote(container);

  try {
    // The container's name reaches the disk before the source is wiped.
    SyncFolder(FolderForSync(container));
    if (!KeepOriginals) {
      if (context.run != nullptr)
        context.run->Forget(source_path);
      WipeFile(source_path, feedback);
    }
  } catch (const FileError& error) {
    return NotWipedAfterAll(container, error);
  }
  CryptResult result = staged.result;
  result.output = container;
  return result;
}

}  // namespace

CryptResult StageDecryption(const std::string& source_path, bool keep_source,
                            const CryptContext& context, StageFlush flush, StagedOutput& staged) {
  Feedback& feedback = context.feedback;
  CryptResult result;
  UniqueFd source;
  std::uint64_t size = 0;
  TempRule temp_rule;
  std::string target;
  Header header;  // of a classic container; a sealed one's stored name goes in it too
  std::optional<SealedReader> sealed;
  try {
    // A link is refused where the container goes afterwards: the delete
    // would act on the link, not on the file it names.
    source = OpenForReading(source_path, keep_source ? Links::Follow : Links::Refuse);
    size = FileSize(source);
    target = StripExtension(source_path) + ".~tx";
    temp_rule.to_temp = context.volumes.FileSystemOf(target) == "CDFS";
    target = temp_rule.Apply(target);
    // The key is checked before anything is written: a wrong key leaves
    // nothing behind, and touches no file that is already there.
    if (IsSealedContainer(source)) {
      sealed.emplace(source);
      std::string why;
      const SealedOpen opened = sealed->Open(why);
      if (opened == SealedOpen::OtherKey) {
        result.outcome = CryptOutcome::WrongKey;
        return result;
      }
      if (opened == SealedOpen::Refused)
        return Failure("Cannot decrypt " + DisplayText(source_path) + ": " + why);
      header.stored_name = sealed->facts().name;
    } else {
      std::vector<std::uint8_t> enciphered;
      header = ReadHeaderText(source, nullptr, &enciphered);
      if (!IsOurKey(header) || WrittenWithCaseTwin(enciphered, KeyString.view(), source_path)) {
        result.outcome = CryptOutcome::WrongKey;
        return result;
      }
      header.stored_name = FromStoredName(header.stored_name);
    }
  } catch (const std::exception& error) {
    return Failure(DisplayText(error.what()));
  }
  const std::string source_folder = FolderOf(source_path);
  const std::string stored_name = SafeStoredName(header.stored_name, source_path);
  result.stored_name = stored_name;
  result.sealed = sealed.has_value();
  result.plain_name_path = CutTo255(source_folder + stored_name);
  if (!temp_rule.to_temp && !MayRestoreUnder(stored_name, context)) {
    result.outcome = CryptOutcome::Refused;
    return result;
  }

  CriticalStretch cleanup_first;
  ProgressGauge gauge(feedback, size);
  PendingFile output_pending;
  try {
    const DosDateTime time = GetFileDosDateTime(source);
    UniqueFd output = CreateOutput(target, Leftover::Plain, output_pending);
    std::future<void> flushed;
    const std::uint64_t digest = sealed ? sealed->Transfer(&output, &gauge)
                                        : TransferSegments(source, output, false, size, gauge);
    if (!temp_rule.to_temp && ::fchmod(output.get(), PermissionsOf(source)) != 0)
      ThrowFileError(output_pending.path(), "Cannot set the permissions of");
    if (sealed) {
      SetFileTime(output, static_cast<std::time_t>(sealed->facts().modified));
    } else {
      SetFileDosDateTime(output, time);
    }
    if (flush == StageFlush::Now)
      flushed = std::async(std::launch::async, [&output] { SyncFile(output); });
    source.Close();
    // Checked before the container goes: after a batch decryption, or once
    // the user opens a launched file.
    const bool check =
        VerifyingContainers() && (!keep_source || context.purpose == CryptPurpose::Launcher);
    const std::uint64_t plain_size =
        sealed ? sealed->facts().plain_size : size - std::min(size, kHeaderSize);
    if (check && sealed) {
      ProgressGauge checked(feedback, 2 * plain_size);
      VerifySealed(source_path, digest, &checked);
      VerifySealedPlain(output_pending.path(), plain_size, digest, &checked);
    } else if (check) {
      ProgressGauge checked(feedback, 2 * plain_size);
      VerifyTransfer(source_path, output_pending.path(), false, plain_size, digest, &checked);
    }
    // A cancel meanwhile is seen at the next file: this one is complete and
    // checked by then.
    if (flushed.valid())
      WaitKeepingResponsive(flushed);
    output.Close();
  } catch (const Interrupted&) {
    DisposeOfOutput(output_pending, feedback);
    throw;
  } catch (const std::exception& error) {
    DisposeOfOutput(output_pending, feedback);
    return Failure(kDecryptErrorPrefix + DisplayText(source_path) + ": " +
                   DisplayText(error.what()));
  }
  staged.source = source_path;
  staged.output = std::move(output_pending);
  staged.target = temp_rule.Apply(source_folder + stored_name);
  staged.result = result;
  staged.result.outcome = CryptOutcome::Done;
  return staged.result;
}

namespace {

// Restores the plain file a container holds: beside it, or into TempFolder
// from a read-only (CD) volume; keep_source false deletes the container
// afterwards.
CryptResult DecryptFile(const std::string& source_path, bool keep_source,
                        const CryptContext& context) {
  Feedback& feedback = context.feedback;
  StagedOutput staged;
  CryptResult result = StageDecryption(source_path, keep_source, context, StageFlush::Now, staged);
  if (!result)
    return result;
  PendingFile& output_pending = staged.output;
  feedback.SetGaugePosition(100);
  feedback.SetGaugePosition(0);

  try {
    // A container that stores its own name (or another container's) is
    // never replaced by a plain file.
    const std::string final_path = FinalPlainPath(staged.target, context);
    std::string why;
    if (!PlaceDecryptedFile(output_pending, final_path, context, why)) {
      output_pending.Dispose(feedback);
      result.outcome = CryptOutcome::Refused;
      result.message = why;
      return result;
    }
    result.output = output_pending.path();
    if (context.run != nullptr)
      context.run->Wrote(result.output);
    // A plain copy for the caller stays pending (and is wiped on any way out
    // of here); a restored file is the user's from now on.
    if (context.plain_copy == nullptr)
      output_pending.Release();
    // The plain file's name reaches the disk before the container goes.
    SyncFolder(FolderForSync(result.output));
  } catch (const FileError& error) {
    return Failure(
        kDecryptErrorPrefix + DisplayText(source_path) + ": " + DisplayText(error.what()),
        output_pending.active() ? std::string() : result.output);
  }
  result.outcome = CryptOutcome::Done;
  if (!keep_source) {
    if (context.run != nullptr)
      context.run->Forget(source_path);
    if (!TryRemoveFile(source_path))
      result.message = "Cannot delete " + DisplayText(source_path) + ": " + std::strerror(errno);
  }
  if (context.plain_copy != nullptr)
    *context.plain_copy = std::move(output_pending);
  return result;
}

// The process-wide values the callers read, set from the result in one place.
void Publish(const std::string& source, int mode, const CryptResult& result) {
  CryptSourcePath = source;
  WrongKey = result.outcome == CryptOutcome::WrongKey;
  if (WrongKey)
    ++WrongKeyCount;
  if (mode == kModeDecrypt) {
    DecryptedPath = result.output;
    PlainNamePath = result.plain_name_path;
  }
}

}  // namespace

bool DescribeContainer(const std::string& path, std::string& description) {
  try {
    UniqueFd file = OpenForReading(path);
    if (!IsSealedContainer(file)) {
      if (FileSize(file) < kHeaderSize) {
        description = "not a container (shorter than a container's header)";
        return false;
      }
      description = "classic container";
      return true;
    }
    SealedHeader header;
    std::array<std::uint8_t, kSealedHeaderSize> bytes{};
    if (const std::string why = ReadSealedHeader(file, header, bytes); !why.empty()) {
      description = "sealed container that cannot be read: " + why;
      return false;
    }
    description = "sealed container, version " + std::to_string(header.version) + ", Argon2id, " +
                  std::to_string(header.cost.passes) + " passes over " +
                  std::to_string(header.cost.memory_kib / 1024) + " MiB";
    return true;
  } catch (const FileError& error) {
    description = DisplayText(error.what());
    return false;
  }
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

void PublishAndTell(const std::string& source, int mode, const CryptResult& result,
                    const CryptContext& context) {
  Publish(source, mode, result);
  if (!result.message.empty()) {
    if (result.outcome == CryptOutcome::Refused) {
      context.feedback.ShowInformation(result.message);
    } else {
      context.feedback.ShowError(result.message);
    }
  }
}

CryptResult CryptFile(const std::string& SourcePath, int Mode, bool KeepSource,
                      const CryptContext& context) {
  CryptSourcePath = SourcePath;
  ComputeKeySum();
  CryptResult result = Mode == kModeEncrypt ? EncryptFile(SourcePath, context)
                                            : DecryptFile(SourcePath, KeepSource, context);
  PublishAndTell(SourcePath, Mode, result, context);
  return result;
}

}  // namespace vls
