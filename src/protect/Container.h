#pragma once
// The encrypted file container and CryptFile, which turns one plain file into
// a container (mode 1) or one container back into its plain file (mode 2),
// and tells how it went in one result.
//
// Layout: a 255-byte header enciphered by one call of the cipher, then the
// plain bytes in 4096-byte segments, each enciphered by its own call. The
// deciphered header is stored name + "|" + key string + "\" + filler.

#include <cstdint>
#include <string>

#include "protect/ContainerFormat.h"
#include "protect/Feedback.h"
#include "protect/PendingFiles.h"
#include "protect/RunRecord.h"
#include "protect/VolumeFacts.h"

namespace vls {

inline constexpr int kModeEncrypt = 1;
inline constexpr int kModeDecrypt = 2;

// Who decrypts: a batch, or the launcher, which keeps the restored file's
// pending record to offer and then wipe it. (The viewer and the slide show
// decrypt into memory: protect/MemoryDecrypt.h.)
enum class CryptPurpose { Batch, Launcher };

struct CryptContext {
  Feedback& feedback;
  VolumeFacts& volumes;
  CryptPurpose purpose = CryptPurpose::Batch;
  // The run the call belongs to: a decryption never replaces a file the run
  // lists or has written, and tells the run what it had to say.
  RunRecord* run = nullptr;
  // The launcher takes the decrypted plain copy here, still pending, to open
  // it and then wipe or keep it. Without it the copy is left as the user's
  // file.
  PendingFile* plain_copy = nullptr;
};

enum class CryptOutcome {
  Done,      // the output is in place (and the source wiped or deleted, if asked)
  WrongKey,  // the container's stored key is not the key string; nothing written
  Refused,   // not stored or not restored: nothing written, the source kept
  Failed,    // the transfer or a later step failed; the source kept
};

// How one encryption or decryption went.
struct CryptResult {
  CryptOutcome outcome = CryptOutcome::Failed;
  std::string output;           // the container made, or the plain file restored
  std::string stored_name;      // decryption: the name the container stored
  std::string plain_name_path;  // decryption: source folder + stored name (255 bytes at most)
  bool sealed = false;          // the container is (or was written) sealed
  // What went wrong, as the user is told (by CryptFile); "" when there is
  // nothing to tell or the user was told already.
  std::string message;

  bool done() const { return outcome == CryptOutcome::Done; }
  explicit operator bool() const { return done(); }
};

// Mode 1 encrypts SourcePath into a container beside it and, unless
// KeepOriginals is set, wipes the source. Mode 2 decrypts the container
// SourcePath; KeepSource false deletes the container afterwards. A link is
// refused wherever the source would be wiped or deleted, a special file
// always; a failed step leaves the source untouched and no plain byte of the
// output. The result's message is shown through the feedback (an error box
// for a failure, an information box for a refusal), and the process-wide
// values CryptSourcePath, WrongKey, WrongKeyCount, DecryptedPath and
// PlainNamePath are set from the result. Throws only Interrupted, when a
// stop was requested (after the output has been disposed of).
CryptResult CryptFile(const std::string& SourcePath, int Mode, bool KeepSource,
                      const CryptContext& context);

// Says which kind of container the file is, without a password ("sealed
// container, version 1, Argon2id, 3 passes over 256 MiB", "classic
// container"); false, with the reason, when it cannot be read as one.
bool DescribeContainer(const std::string& path, std::string& description);

// Why a plain file could not be stored in a container that reads back, or ""
// when it can. name and key are stored bytes.
std::string UnstorableReason(const std::string& stored_name, const std::string& key);

// The stored name of a container made safe to use as a file name in the
// container's folder: its last path component, or the container's own name
// without extension when that is empty, "." or ".." or holds a NUL.
std::string SafeStoredName(const std::string& stored_name_utf8, const std::string& container_path);

}  // namespace vls
