#pragma once
// The steps of CryptFile that a group of files shares out differently: the
// output written and checked under its temporary name (staged), and the
// result told and published. Used by the container routines of this folder.

#include <exception>
#include <string>

#include "protect/Container.h"
#include "protect/PendingFiles.h"

namespace vls {

// An output complete and checked under its temporary name, not yet in place.
struct StagedOutput {
  std::string source;
  PendingFile output;  // the temporary
  std::string target;  // the name it is to take
  CryptResult result;  // what is known so far (stored name, sealed, ...)
};

inline const std::string kEncryptErrorPrefix = "Error during encryption of ";
inline const std::string kDecryptErrorPrefix = "Error during decryption of ";

// A failed result with its message (and the output that stays, if any).
CryptResult Failure(std::string message, std::string output = std::string());
// The container holds the file, but the plain file was not wiped: said as it is.
CryptResult NotWipedAfterAll(const std::string& container, const std::exception& error);

// Whether the output is flushed as it is staged: a single file is (the flush
// runs while the check reads the files again); a group flushes its outputs
// together afterwards.
enum class StageFlush { Now, Later };

// Writes and checks the container of source_path under a temporary name.
// Returns Done with staged filled, or why not (nothing staged, the source
// untouched). Throws Interrupted after disposing of the output.
CryptResult StageEncryption(const std::string& source_path, const CryptContext& context,
                            StageFlush flush, StagedOutput& staged);

// Writes and checks the plain file of the container source_path under a
// temporary name; staged.target is the name it asks for (before the run's
// protected names are kept from it). Returns Done with staged filled, or why
// not (WrongKey, Refused, Failed: nothing staged, the container untouched).
// Throws Interrupted after disposing of the output.
CryptResult StageDecryption(const std::string& source_path, bool keep_source,
                            const CryptContext& context, StageFlush flush, StagedOutput& staged);

// Sets the process-wide values from a result and shows its message, as
// CryptFile does for each file.
void PublishAndTell(const std::string& source, int mode, const CryptResult& result,
                    const CryptContext& context);

}  // namespace vls
