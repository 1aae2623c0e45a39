#include "app/DiskCaps.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QString>
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace vls {
namespace {

bool OneOf(const std::string& value, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), value) != names.end();
}

bool IsCdFileSystem(const std::string& type) {
  return OneOf(type, {"iso9660", "udf"});
}

bool IsRemoteFileSystem(const std::string& type) {
  return OneOf(type,
               {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "9p", "afs", "ceph", "glusterfs",
                "fuse.sshfs", "fuse.glusterfs", "davfs", "fuse.davfs2", "fuse.rclone"});
}

bool IsRamFileSystem(const std::string& type) {
  return OneOf(type, {"tmpfs", "ramfs"});
}

bool IsDiskFileSystem(const std::string& type) {
  return OneOf(
      type, {"ext2", "ext3", "ext4", "xfs", "btrfs", "f2fs", "jfs", "reiserfs", "zfs", "bcachefs",
             "vfat", "msdos", "exfat", "ntfs", "ntfs3", "fuseblk", "hfsplus", "overlay", "nilfs2"});
}

// File systems that compare names without regard to letter case.
bool IsCaseBlind(const std::string& type) {
  return OneOf(type, {"vfat", "msdos", "exfat", "ntfs", "ntfs3", "fuseblk", "iso9660", "udf"});
}

// Whether the block device behind a volume says its media can be removed,
// as USB sticks and card readers do. A partition asks its whole disk.
bool DeviceIsRemovable(const QByteArray& device) {
  if (!device.startsWith("/dev/"))
    return false;
  std::error_code error;
  const std::filesystem::path name = std::filesystem::path(device.toStdString()).filename();
  std::filesystem::path node =
      std::filesystem::canonical(std::filesystem::path("/sys/class/block") / name, error);
  if (error)
    return false;
  if (std::filesystem::exists(node / "partition", error))
    node = node.parent_path();
  QFile flag(QString::fromStdString((node / "removable").string()));
  if (!flag.open(QIODevice::ReadOnly))
    return false;
  return flag.read(1) == "1";
}

// The first count characters of UTF-8 text.
std::string Cut(const std::string& text, std::size_t count) {
  return QString::fromStdString(text).left(static_cast<qsizetype>(count)).toStdString();
}

}  // namespace

std::string SystemVolumeReader::MountPointOf(const std::string& path) {
  // The output of a decryption does not exist yet: ask for its folder.
  QFileInfo info(QString::fromStdString(path));
  QString existing = info.absoluteFilePath();
  while (!QFileInfo::exists(existing)) {
    const QString parent = QFileInfo(existing).absolutePath();
    if (parent == existing)
      break;
    existing = parent;
  }
  const QStorageInfo storage(existing);
  if (!storage.isValid())
    return path;
  return storage.rootPath().toStdString();
}

VolumeReading SystemVolumeReader::Read(const std::string& root) {
  VolumeReading reading;
  const QString folder = QString::fromStdString(root);
  reading.root_exists = QFileInfo(folder).isDir();
  if (!reading.root_exists)
    return reading;
  const QStorageInfo storage(folder);
  struct statvfs facts {};
  if (!storage.isValid() || !storage.isReady() || ::statvfs(root.c_str(), &facts) != 0) {
    return reading;
  }
  reading.readable = true;
  reading.label = storage.name().toStdString();
  reading.fs_type = storage.fileSystemType().toStdString();
  reading.name_max = static_cast<long>(facts.f_namemax);
  reading.read_only = (facts.f_flag & ST_RDONLY) != 0;
  // The file-system id folded to 32 bits; volumes without one (tmpfs, many
  // virtual file systems report 0) use their device number instead.
  const auto fsid = static_cast<std::uint64_t>(facts.f_fsid);
  std::uint64_t id = fsid;
  if (id == 0) {
    struct stat status {};
    if (::stat(root.c_str(), &status) == 0)
      id = static_cast<std::uint64_t>(status.st_dev);
  }
  reading.id = static_cast<std::uint32_t>(id ^ (id >> 32));
  reading.removable = DeviceIsRemovable(storage.device());
  return reading;
}

VolumeReader& SystemVolumes() {
  static SystemVolumeReader reader;
  return reader;
}

TDiskCaps::TDiskCaps(VolumeReader& reader) : reader_(reader), drive_("/") {
  ReadFacts();
}

void TDiskCaps::SetDrive(const std::string& drive) {
  if (drive == drive_)
    return;
  drive_ = drive;
  ReadFacts();
  if (OnDriveChanged)
    OnDriveChanged(*this);
}

std::string TDiskCaps::FileSystemOf(const std::string& path) {
  SetDrive(reader_.MountPointOf(path));
  return file_system_;
}

std::string TDiskCaps::FileSystemName(const std::string& fs_type) {
  if (IsCdFileSystem(fs_type))
    return "CDFS";
  return Cut(fs_type, kVolumeNameMax);
}

int TDiskCaps::DriveTypeOf(const VolumeReading& reading) {
  if (!reading.root_exists)
    return kDriveNoRoot;
  if (!reading.readable)
    return kDriveUnknown;
  const std::string& type = reading.fs_type;
  if (IsCdFileSystem(type))
    return kDriveCdRom;
  if (IsRamFileSystem(type))
    return kDriveRamDisk;
  if (IsRemoteFileSystem(type))
    return kDriveRemote;
  if (reading.removable)
    return kDriveRemovable;
  if (IsDiskFileSystem(type))
    return kDriveFixed;
  return kDriveUnknown;
}

std::uint32_t TDiskCaps::DriveFlagsOf(const VolumeReading& reading) {
  if (!reading.readable)
    return 0;
  std::uint32_t flags = kCasePreservedNames | kUnicodeOnDisk;
  if (!IsCaseBlind(reading.fs_type))
    flags |= kCaseSensitiveSearch | kPersistentAcls;
  if (reading.read_only)
    flags |= kReadOnlyVolume;
  return flags;
}

void TDiskCaps::ReadFacts() {
  const VolumeReading reading = reader_.Read(drive_);
  drive_type_ = DriveTypeOf(reading);
  drive_flags_ = DriveFlagsOf(reading);
  if (!reading.readable) {
    // Nothing to read (no medium, no such folder): every fact is empty, and
    // in particular the file system never reads "CDFS".
    label_.clear();
    serial_.clear();
    component_len_ = 0;
    file_system_.clear();
    return;
  }
  label_ = Cut(reading.label, kVolumeNameMax);
  std::array<char, 9> hex{};
  std::snprintf(hex.data(), hex.size(), "%08X", static_cast<unsigned>(reading.id));
  serial_ = hex.data();
  component_len_ = static_cast<int>(reading.name_max);
  file_system_ = FileSystemName(reading.fs_type);
}

}  // namespace vls
