#include "protect/Placement.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/AnsiText.h"
#include "platform/DisplayText.h"
#include "platform/FileServices.h"
#include "platform/Folders.h"
#include "protect/PathNames.h"
#include "protect/ProtectState.h"

namespace vls {
namespace {

constexpr int kCreateAttempts = 100;

bool IsContainerName(const std::string& path) {
  const std::string extension = UpperAscii(ExtensionOf(FileNameOf(path)));
  return extension == ".VLP" || extension == ".VLD";
}

}  // namespace

std::string TempRule::Apply(const std::string& path) const {
  if (!to_temp)
    return path;
  EnsureTempFolder();
  EnsurePrivateFolder(TempFolder);
  return TempFolder + kPathSeparator + FileNameOf(path);
}

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

void Tell(const CryptContext& context, const std::string& text) {
  context.feedback.Notice(text);
  if (context.run != nullptr)
    context.run->Note(text);
}

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

std::string FinalPlainPath(const std::string& wanted, const CryptContext& context,
                           const NameClaims& claimed) {
  const NameClaims taken = claimed ? claimed : [](const std::string&) { return false; };
  // A name another file of the group restores under is kept from this one
  // as if that file were in place already, whatever the user would answer.
  const bool protected_file =
      taken(wanted) ||
      (PathExists(wanted) &&
       (IsContainerName(wanted) || (context.run != nullptr && context.run->Holds(wanted))));
  if (!protected_file)
    return wanted;
  const std::string free = UniqueName(wanted, taken);
  Tell(context,
       DisplayText(wanted) + " exists and is kept; restored as " + DisplayText(FileNameOf(free)));
  return free;
}

bool AgreeToReplace(const std::string& final_path, const CryptContext& context) {
  // The question dialog shortens a long name in its middle, keeping the end.
  if (context.feedback.Ask(FileNameOf(final_path) + " exists. Replace?") == kAnswerYes)
    return true;
  Tell(context, DisplayText(final_path) + " exists and was not replaced; " +
                    DisplayText(CryptSourcePath) + " was not decrypted");
  return false;
}

bool PlaceDecryptedFile(PendingFile& temporary, const std::string& final_path,
                        const CryptContext& context, std::string& why, bool replace_agreed) {
  const std::string name = FileNameOf(final_path);
  if (!replace_agreed) {
    try {
      temporary.MoveTo(final_path);
      return true;
    } catch (const FileError& error) {
      if (error.code().value() != EEXIST) {
        why = "I can't rename " + DisplayText(name) + ": " + DisplayText(error.what());
        return false;
      }
    }
    if (!AgreeToReplace(final_path, context))
      return false;
  }
  try {
    temporary.MoveOver(final_path);
  } catch (const FileError& error) {
    why = "I can't rename " + DisplayText(name) + ": " + DisplayText(error.what());
    return false;
  }
  Tell(context, "Replaced " + DisplayText(final_path));
  return true;
}

}  // namespace vls
