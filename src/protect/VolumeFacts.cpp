#include "protect/VolumeFacts.h"

#include <sys/statfs.h>

#include "platform/FileServices.h"

namespace vls {

std::string KernelVolumeFacts::FileSystemOf(const std::string& path) {
  constexpr long kIso9660Magic = 0x9660;
  constexpr long kUdfMagic = 0x15013346;
  struct statfs facts {};
  // The output may not exist yet: ask for the folder that will hold it.
  if (::statfs(FolderForSync(path).c_str(), &facts) != 0)
    return std::string();
  const long type = static_cast<long>(facts.f_type);
  if (type == kIso9660Magic || type == kUdfMagic)
    return "CDFS";
  return "LOCAL";
}

}  // namespace vls
