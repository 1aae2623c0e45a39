#pragma once
// TDiskCaps: the facts of one volume (label, serial number, longest name,
// file-system name, drive type, flags), read as a snapshot when the drive is
// set. Here a "drive" is the mount point of a volume. As the VolumeFacts of
// the container routine it answers whether a path lies on a CD file system.

#include <cstdint>
#include <functional>
#include <string>

#include "protect/VolumeFacts.h"

namespace vls {

// What the system says of one volume, before TDiskCaps turns it into its own terms.
struct VolumeReading {
  bool root_exists = false;  // the drive names an existing folder
  bool readable = false;     // the volume's facts could be read
  std::string label;
  std::string fs_type;     // the kernel's name: "ext4", "iso9660", "tmpfs", ...
  std::uint32_t id = 0;    // file-system id (or device number)
  long name_max = 0;       // longest file-name component
  bool read_only = false;  // mounted read-only
  bool removable = false;  // the block device reports removable media
};

// The source of volume facts; tests give TDiskCaps a fake one.
class VolumeReader {
 public:
  virtual ~VolumeReader() = default;
  // Mount point of the volume that holds the path. The path need not exist
  // yet: its nearest existing parent folder counts.
  virtual std::string MountPointOf(const std::string& path) = 0;
  virtual VolumeReading Read(const std::string& root) = 0;
};

// Reads the running system: QStorageInfo, statfs and /sys/class/block.
class SystemVolumeReader : public VolumeReader {
 public:
  std::string MountPointOf(const std::string& path) override;
  VolumeReading Read(const std::string& root) override;
};
VolumeReader& SystemVolumes();

// Drive-type codes.
inline constexpr int kDriveUnknown = 0;
inline constexpr int kDriveNoRoot = 1;
inline constexpr int kDriveRemovable = 2;
inline constexpr int kDriveFixed = 3;
inline constexpr int kDriveRemote = 4;
inline constexpr int kDriveCdRom = 5;
inline constexpr int kDriveRamDisk = 6;

// File-system flags of a volume.
inline constexpr std::uint32_t kCaseSensitiveSearch = 0x00000001;
inline constexpr std::uint32_t kCasePreservedNames = 0x00000002;
inline constexpr std::uint32_t kUnicodeOnDisk = 0x00000004;
inline constexpr std::uint32_t kPersistentAcls = 0x00000008;
inline constexpr std::uint32_t kReadOnlyVolume = 0x00080000;

inline constexpr std::size_t kVolumeNameMax = 11;  // label and file-system name

class TDiskCaps : public VolumeFacts {
 public:
  // Reads the facts of the root folder "/" at once.
  explicit TDiskCaps(VolumeReader& reader = SystemVolumes());

  const std::string& Drive() const { return drive_; }
  // Stores the drive and reads its facts, then fires OnDriveChanged; setting
  // the drive it already holds reads nothing, so a medium changed since is
  // not noticed until another drive has been set.
  void SetDrive(const std::string& drive);

  const std::string& DiskLabel() const { return label_; }
  const std::string& DiskSerial() const { return serial_; }
  int ComponentLen() const { return component_len_; }
  const std::string& FileSystem() const { return file_system_; }
  int DriveType() const { return drive_type_; }
  std::uint32_t DriveFlags() const { return drive_flags_; }

  // Fired after Drive changed and the facts were read again.
  std::function<void(TDiskCaps&)> OnDriveChanged;

  // Sets Drive to the mount point that holds the path and answers FileSystem.
  std::string FileSystemOf(const std::string& path) override;

  // "CDFS" for the CD and DVD file systems, otherwise the kernel's name cut
  // to 11 characters.
  static std::string FileSystemName(const std::string& fs_type);
  static int DriveTypeOf(const VolumeReading& reading);
  static std::uint32_t DriveFlagsOf(const VolumeReading& reading);

 private:
  void ReadFacts();

  VolumeReader& reader_;
  std::string drive_;
  std::string label_;
  std::string serial_;
  int component_len_ = 0;
  std::string file_system_;
  int drive_type_ = kDriveNoRoot;
  std::uint32_t drive_flags_ = 0;
};

}  // namespace vls
