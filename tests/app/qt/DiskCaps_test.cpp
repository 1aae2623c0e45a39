// Volume facts: the real volume of the folder the tests run in, the snapshot
// rule, the "CDFS" answer and its effect on where a decryption goes. Facts of
// other volumes are injected through a fake reader: no test mounts a disc.

#include "app/DiskCaps.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStorageInfo>
#include <filesystem>
#include <map>
#include <regex>

#include "cipher/Cipher.h"
#include "protect/Container.h"
#include "protect/ProtectState.h"
#include "support/TestSupport.h"

namespace vls {
namespace {

// Volumes by mount point; a path belongs to the longest mount point it starts with.
class FakeVolumes : public VolumeReader {
 public:
  std::map<std::string, VolumeReading> volumes;
  std::vector<std::string> reads;

  void Mount(const std::string& root, const std::string& fs_type, std::uint32_t id = 0x1234ABCD) {
    VolumeReading reading;
    reading.root_exists = true;
    reading.readable = true;
    reading.label = "LABEL";
    reading.fs_type = fs_type;
    reading.id = id;
    reading.name_max = 255;
    volumes[root] = reading;
  }
  std::string MountPointOf(const std::string& path) override {
    std::string best = "/";
    for (const auto& [root, reading] : volumes) {
      if (path.rfind(root, 0) == 0 && root.size() > best.size())
        best = root;
    }
    return best;
  }
  VolumeReading Read(const std::string& root) override {
    reads.push_back(root);
    const auto found = volumes.find(root);
    return found == volumes.end() ? VolumeReading{} : found->second;
  }
};

TEST(DiskCapsTest, ReadsTheVolumeTheTestsRunIn) {
  const std::string here = std::filesystem::current_path().string();
  const QStorageInfo storage(QString::fromStdString(here));
  ASSERT_TRUE(storage.isValid());

  TDiskCaps caps;
  EXPECT_EQ(caps.Drive(), "/");
  const std::string fs = caps.FileSystemOf(here + "/not-yet-written.~tx");
  EXPECT_EQ(caps.Drive(), storage.rootPath().toStdString());
  EXPECT_EQ(fs, TDiskCaps::FileSystemName(storage.fileSystemType().toStdString()));
  EXPECT_EQ(caps.FileSystem(), fs);
  EXPECT_FALSE(fs.empty());
  EXPECT_LE(QString::fromStdString(fs).size(), 11);
  EXPECT_LE(QString::fromStdString(caps.DiskLabel()).size(), 11);
  EXPECT_TRUE(std::regex_match(caps.DiskSerial(), std::regex("[0-9A-F]{8}"))) << caps.DiskSerial();
  EXPECT_GT(caps.ComponentLen(), 0);
  EXPECT_NE(caps.DriveType(), kDriveNoRoot);
  EXPECT_NE(caps.DriveFlags() & kCasePreservedNames, 0U);
  EXPECT_EQ((caps.DriveFlags() & kReadOnlyVolume) != 0, storage.isReadOnly());
}

TEST(DiskCapsTest, AFolderThatIsNoVolumeRootStillNamesItsVolume) {
  TDiskCaps caps;
  caps.SetDrive("/no/such/folder/anywhere");
  EXPECT_EQ(caps.DriveType(), kDriveNoRoot);
  EXPECT_EQ(caps.FileSystem(), "");
  EXPECT_EQ(caps.DiskSerial(), "");
  EXPECT_EQ(caps.ComponentLen(), 0);
}

TEST(DiskCapsTest, SettingTheSameDriveAgainReadsNothing) {
  FakeVolumes volumes;
  volumes.Mount("/", "ext4");
  volumes.Mount("/media/cdrom", "iso9660", 0x0000BEEF);
  TDiskCaps caps(volumes);
  ASSERT_EQ(volumes.reads, std::vector<std::string>{"/"});  // read at creation
  int changes = 0;
  caps.OnDriveChanged = [&](TDiskCaps& changed) {
    EXPECT_EQ(&changed, &caps);
    ++changes;
  };

  caps.SetDrive("/media/cdrom");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(caps.FileSystem(), "CDFS");
  EXPECT_EQ(caps.DiskSerial(), "0000BEEF");

  // Another medium goes in: not noticed while the drive stays the same.
  volumes.Mount("/media/cdrom", "vfat", 0x11112222);
  caps.SetDrive("/media/cdrom");
  EXPECT_EQ(caps.FileSystemOf("/media/cdrom/photo.~tx"), "CDFS");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(volumes.reads.size(), 2U);

  // Only after another drive has been set.
  caps.SetDrive("/");
  caps.SetDrive("/media/cdrom");
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(caps.FileSystem(), "vfat");
  EXPECT_EQ(caps.DiskSerial(), "11112222");
  EXPECT_EQ(volumes.reads.size(), 4U);
}

TEST(DiskCapsTest, NamesAndTypesOfFileSystems) {
  EXPECT_EQ(TDiskCaps::FileSystemName("iso9660"), "CDFS");
  EXPECT_EQ(TDiskCaps::FileSystemName("udf"), "CDFS");
  EXPECT_EQ(TDiskCaps::FileSystemName("vfat"), "vfat");
  EXPECT_EQ(TDiskCaps::FileSystemName("fuse.glusterfs"), "fuse.gluste");

  const auto type_of = [](const std::string& fs, bool removable = false) {
    VolumeReading reading;
    reading.root_exists = reading.readable = true;
    reading.fs_type = fs;
    reading.removable = removable;
    return TDiskCaps::DriveTypeOf(reading);
  };
  EXPECT_EQ(type_of("iso9660"), kDriveCdRom);
  EXPECT_EQ(type_of("udf", true), kDriveCdRom);
  EXPECT_EQ(type_of("tmpfs"), kDriveRamDisk);
  EXPECT_EQ(type_of("ramfs"), kDriveRamDisk);
  EXPECT_EQ(type_of("nfs4"), kDriveRemote);
  EXPECT_EQ(type_of("cifs"), kDriveRemote);
  EXPECT_EQ(type_of("vfat", true), kDriveRemovable);
  EXPECT_EQ(type_of("ext4"), kDriveFixed);
  EXPECT_EQ(type_of("proc"), kDriveUnknown);
  VolumeReading unreadable;
  unreadable.root_exists = true;
  EXPECT_EQ(TDiskCaps::DriveTypeOf(unreadable), kDriveUnknown);
  EXPECT_EQ(TDiskCaps::DriveTypeOf(VolumeReading{}), kDriveNoRoot);
}

TEST(DiskCapsTest, AnUnreadableVolumeNeverReadsCdfs) {
  FakeVolumes volumes;
  volumes.Mount("/", "ext4");
  volumes.Mount("/media/cdrom", "iso9660");
  volumes.volumes["/media/cdrom"].readable = false;  // the drive is there, the disc is not
  TDiskCaps caps(volumes);
  EXPECT_EQ(caps.FileSystemOf("/media/cdrom/a.~tx"), "");
  EXPECT_EQ(caps.DriveType(), kDriveUnknown);
  EXPECT_EQ(caps.DiskLabel(), "");
  EXPECT_EQ(caps.DriveFlags(), 0U);
}

TEST(DiskCapsTest, LongLabelsAreCutToElevenCharacters) {
  FakeVolumes volumes;
  volumes.Mount("/", "ext4");
  volumes.Mount("/media/usb", "vfat");
  volumes.volumes["/media/usb"].label = "\xc3\xa9t\xc3\xa9-photos-2024";  // été-photos-2024
  TDiskCaps caps(volumes);
  caps.SetDrive("/media/usb");
  EXPECT_EQ(caps.DiskLabel(), "\xc3\xa9t\xc3\xa9-photos-");
}

// CryptFile asks its VolumeFacts where a decryption may write: beside the
// container, or into TempFolder when the container lies on a CD file system.
class DiskCapsCryptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProtectState();
    WindowsFolder = dir / "windows";
    TempFolder = dir / "windows/TEMP";
    std::filesystem::create_directories(dir / "disc");
    test::SetKey("secret");
    test::WriteFile(dir / "disc/notes.txt", contents);
    test::FixedVolumeFacts local("ext4");
    ASSERT_TRUE(CryptFile(dir / "disc/notes.txt", kModeEncrypt, false,
                          {feedback, local, CryptPurpose::Batch}));
    ASSERT_TRUE(test::Exists(dir / "disc/notes.vld"));
  }
  void TearDown() override {
    DropKey();
    ResetProtectState();
  }

  test::TempDir dir;
  test::RecordingFeedback feedback;
  const std::string contents = test::SampleBytes(10000);
};

TEST_F(DiskCapsCryptTest, ACdfsVolumeSendsTheDecryptionToTempFolder) {
  FakeVolumes volumes;
  volumes.Mount("/", "ext4");
  volumes.Mount(dir / "disc", "iso9660");
  TDiskCaps caps(volumes);
  ASSERT_TRUE(
      CryptFile(dir / "disc/notes.vld", kModeDecrypt, true, {feedback, caps, CryptPurpose::Batch}));
  EXPECT_EQ(caps.Drive(), dir / "disc");
  EXPECT_EQ(DecryptedPath, TempFolder + "/notes.txt");
  EXPECT_EQ(test::ReadFile(DecryptedPath), contents);
  EXPECT_FALSE(test::Exists(dir / "disc/notes.txt"));
}

TEST_F(DiskCapsCryptTest, AFixedVolumeKeepsTheDecryptionBesideTheContainer) {
  FakeVolumes volumes;
  volumes.Mount("/", "iso9660");  // only the disc folder is a fixed disk here
  volumes.Mount(dir / "disc", "ext4");
  TDiskCaps caps(volumes);
  ASSERT_TRUE(
      CryptFile(dir / "disc/notes.vld", kModeDecrypt, true, {feedback, caps, CryptPurpose::Batch}));
  EXPECT_EQ(DecryptedPath, dir / "disc/notes.txt");
  EXPECT_EQ(test::ReadFile(DecryptedPath), contents);
}

}  // namespace
}  // namespace vls
