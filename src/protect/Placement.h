#pragma once
// Where the output of a container routine goes and how it is put there: the
// temporary's name, the final name, what is never replaced and what is asked
// first. Used by the container routines of this folder only.

#include <sys/types.h>

#include <functional>
#include <string>

#include "protect/Container.h"
#include "protect/PendingFiles.h"

namespace vls {

class UniqueFd;

// Where the temp rule sends a path: into TempFolder when the source lies on
// a CD file system.
struct TempRule {
  bool to_temp = false;
  std::string Apply(const std::string& path) const;
};

// Creates the transfer's output under path or, when that name is taken (by a
// file that is not ours: stale ones of ours are disposed of before a run),
// under the next free name; the output is pending until it is placed.
UniqueFd CreateOutput(std::string path, Leftover kind, PendingFile& pending);

// Renames the finished temporary container to its name (or, should that name
// have been taken meanwhile, the next free one); returns the name used.
std::string PlaceContainer(PendingFile& temporary, std::string container);

// The permission bits of an open file (read, write; never execute).
mode_t PermissionsOf(const UniqueFd& fd);

// Tells the user, and the run's summary, something that happened to a file.
void Tell(const CryptContext& context, const std::string& text);

// A restored file is never planted unasked under a name that hides it (a
// leading dot) or that holds characters a person cannot see: false when the
// user does not want it restored.
bool MayRestoreUnder(const std::string& stored_name, const CryptContext& context);

// The final name of a decrypted file. A name that is taken by a container,
// or by a file the run lists or has already written, is never offered for
// replacing: the output goes to the next free name instead. So is a name
// claimed() says is spoken for (by another file of a group, not yet in place).
using NameClaims = std::function<bool(const std::string&)>;
std::string FinalPlainPath(const std::string& wanted, const CryptContext& context,
                           const NameClaims& claimed = nullptr);

// Asks "NAME exists. Replace?"; on any answer but Yes tells the run that the
// file was not replaced and returns false.
bool AgreeToReplace(const std::string& final_path, const CryptContext& context);

// Puts the decrypted temporary file at its final name, asking before it
// replaces a file (unless the user already agreed to replace it); false (and
// why, unless the user declined) when it was not.
bool PlaceDecryptedFile(PendingFile& temporary, const std::string& final_path,
                        const CryptContext& context, std::string& why, bool replace_agreed = false);

}  // namespace vls
