#pragma once
// What the container routine needs to know of a volume: the name of the file
// system that holds a path ("CDFS" for a CD or DVD file system), so that
// decryptions from read-only discs go to TempFolder.

#include <string>

namespace vls {

class VolumeFacts {
 public:
  virtual ~VolumeFacts() = default;
  // File-system name of the volume that holds the path; never "CDFS" when
  // the volume cannot be read.
  virtual std::string FileSystemOf(const std::string& path) = 0;
};

// Asks the kernel for the file-system type of the path's volume.
class KernelVolumeFacts : public VolumeFacts {
 public:
  std::string FileSystemOf(const std::string& path) override;
};

}  // namespace vls
