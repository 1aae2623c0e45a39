#pragma once
// The encrypted file container and CryptFile, which turns one plain file into
// a container (mode 1) or one container back into its plain file (mode 2).
//
// Layout: a 255-byte header enciphered by one call of the cipher, then the
// plain bytes in 4096-byte segments, each enciphered by its own call. The
// deciphered header is stored name + "|" + key string + "\" + filler.

#include <cstdint>
#include <string>

#include "protect/Feedback.h"
#include "protect/PendingFiles.h"
#include "protect/RunRecord.h"
#include "protect/VolumeFacts.h"

namespace vls {

inline constexpr int kModeEncrypt = 1;
inline constexpr int kModeDecrypt = 2;
inline constexpr std::size_t kHeaderSize = 255;

// Who decrypts, which decides where the plain output goes: the viewer page
// and the slide show put it in TempFolder, the batch and the launcher beside
// the container.
enum class CryptPurpose { Batch, Viewer, SlideShow, Launcher };

struct CryptContext {
  Feedback& feedback;
  VolumeFacts& volumes;
  CryptPurpose purpose = CryptPurpose::Batch;
  // The run the call belongs to: a decryption never replaces a file the run
  // lists or has written, and tells the run what it had to say.
  RunRecord* run = nullptr;
  // The viewer, the slide show and the launcher take the decrypted plain
  // copy here, still pending, to show or open it and then wipe or keep it.
  // Without it the copy is left as the user's file.
  PendingFile* plain_copy = nullptr;
};

// Mode 1 encrypts SourcePath into a container beside it and, unless
// KeepOriginals is set, wipes the source. Mode 2 decrypts the container
// SourcePath; KeepSource false deletes the container afterwards. Returns
// false on a wrong key, a refused or failed final rename, a file that cannot
// be stored, or a failed transfer (reported through the feedback; the source
// is then untouched and no plain byte of the output is left). Throws
// FileError when the source cannot be opened (a link is refused wherever
// the source would be wiped or deleted, a special file always), whatever
// the wipe of the source throws, and Interrupted when a stop was requested
// (after the output has been disposed of).
bool CryptFile(const std::string& SourcePath, int Mode, bool KeepSource,
               const CryptContext& context);

// Whether a transfer is checked before its source is wiped or deleted: the
// source read again and the output read back must both hold the plain bytes
// that went through (on by default; the benchmark measures its cost).
void SetVerifyContainers(bool on);

// Why a plain file could not be stored in a container that reads back, or ""
// when it can. name and key are stored bytes.
std::string UnstorableReason(const std::string& stored_name, const std::string& key);

// The stored name of a container made safe to use as a file name in the
// container's folder: its last path component, or the container's own name
// without extension when that is empty, "." or ".." or holds a NUL.
std::string SafeStoredName(const std::string& stored_name_utf8, const std::string& container_path);

}  // namespace vls
