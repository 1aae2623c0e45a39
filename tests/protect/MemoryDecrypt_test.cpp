// Containers decrypted into memory: both kinds give back every byte without
// a file written anywhere; another key, even one that differs only in letter
// case, or a changed sealed byte gives nothing; and a snapshot of the key
// opens them on another thread after the key string itself is gone.

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <thread>

#include "cipher/Cipher.h"
#include "platform/Interruption.h"
#include "protect/MemoryDecrypt.h"
#include "protect/ProtectState.h"
#include "protect/SealedFormat.h"
#include "protect/SealedKeys.h"
#include "support/TestSupport.h"

namespace vls {
namespace {

std::string Text(const PlainInMemory& plain) {
  return {reinterpret_cast<const char*>(plain.bytes.data()), plain.bytes.size()};
}

class MemoryDecryptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProtectState();
    WindowsFolder = data / "windows";
    TempFolder = data / "windows/TEMP";
    SetSealingCost({1, 8 * 1024});
    test::SetKey("Memory Key");
  }
  void TearDown() override {
    DropKey();
    StrongEncryption = false;
    SetSealingCost({});
    ResetProtectState();
  }
  // A container of plain under name, of the kind asked for; the plain file
  // is wiped by the encryption.
  std::string Container(const std::string& name, const std::string& plain, bool sealed) {
    StrongEncryption = sealed;
    test::WriteFile(dir / name, plain);
    const CryptResult made =
        CryptFile(dir / name, kModeEncrypt, false, {feedback, volumes, CryptPurpose::Batch});
    EXPECT_TRUE(made) << made.message;
    return made.output;
  }

  test::TempDir dir;
  test::TempDir data;
  test::RecordingFeedback feedback;
  test::FixedVolumeFacts volumes;
};

TEST_F(MemoryDecryptTest, BothKindsGiveEveryByteAndWriteNoFile) {
  for (const bool sealed : {false, true}) {
    for (const std::size_t size : {0u, 1u, 4096u, 4097u, 70000u, 300001u}) {
      const std::string plain = test::SampleBytes(size, static_cast<unsigned>(size));
      const std::string container = Container("pic.jpg", plain, sealed);
      const auto before = dir.List();
      CurrentKey key;
      std::uint64_t last_total = 0;
      const PlainInMemory got = DecryptIntoMemory(
          container, key, [&](std::uint64_t, std::uint64_t total) { last_total = total; });
      ASSERT_TRUE(got.done()) << got.message;
      EXPECT_EQ(Text(got), plain) << size << (sealed ? " sealed" : " classic");
      EXPECT_EQ(got.stored_name, "pic.jpg");
      EXPECT_EQ(got.sealed, sealed);
      EXPECT_EQ(dir.List(), before);
      EXPECT_TRUE(test::TempDir::ListOf(TempFolder).empty());
      if (size > 0) {
        EXPECT_EQ(last_total, size);
      }
      // A viewer only reads: a link to a container is followed.
      ASSERT_EQ(::symlink(container.c_str(), (dir / "link.vlp").c_str()), 0);
      EXPECT_EQ(Text(DecryptIntoMemory(dir / "link.vlp", key, {})), plain);
      ::unlink((dir / "link.vlp").c_str());
      ::unlink(container.c_str());
    }
  }
}

TEST_F(MemoryDecryptTest, AnotherKeyGivesNothing) {
  for (const bool sealed : {false, true}) {
    const std::string container = Container("pic.png", "plain picture bytes", sealed);
    for (const char* other : {"memory key", "Memory Key ", "Memory Kez", "x"}) {
      test::SetKey(other);
      CurrentKey key;
      const PlainInMemory got = DecryptIntoMemory(container, key, {});
      EXPECT_EQ(got.outcome, CryptOutcome::WrongKey) << other << (sealed ? " sealed" : "");
      EXPECT_EQ(got.bytes.size(), 0u);
    }
    test::SetKey("Memory Key");
  }
}

TEST_F(MemoryDecryptTest, ChangedOrCutSealedContainerIsRefused) {
  const std::string plain = test::SampleBytes(100000, 7);
  const std::string container = Container("pic.bmp", plain, true);
  const std::string intact = test::ReadFile(container);
  const std::vector<std::string> damaged = {intact.substr(0, intact.size() - 1),
                                            intact.substr(0, 40000), intact + "x", [&] {
                                              std::string changed = intact;
                                              changed[50000] ^= 1;
                                              return changed;
                                            }()};
  for (const std::string& bytes : damaged) {
    test::WriteFile(container, bytes);
    CurrentKey key;
    const PlainInMemory got = DecryptIntoMemory(container, key, {});
    EXPECT_EQ(got.outcome, CryptOutcome::Failed) << bytes.size();
    EXPECT_NE(got.message.find(container), std::string::npos) << got.message;
    EXPECT_EQ(got.bytes.size(), 0u);
  }
}

TEST_F(MemoryDecryptTest, ASnapshotOpensBothKindsOnAnotherThreadAfterTheKeyIsDropped) {
  const std::string plain = test::SampleBytes(50000, 3);
  const std::string classic = Container("a.gif", plain, false);
  const std::string sealed = Container("b.gif", plain, true);
  auto snapshot = std::make_unique<KeySnapshot>();
  DropKey();
  std::string classic_text, sealed_text;
  std::thread worker([&] {
    classic_text = Text(DecryptIntoMemory(classic, *snapshot, {}));
    sealed_text = Text(DecryptIntoMemory(sealed, *snapshot, {}));
  });
  worker.join();
  EXPECT_EQ(classic_text, plain);
  EXPECT_EQ(sealed_text, plain);
  EXPECT_EQ(DerivedKeyCount(), 0u) << "the snapshot derives its own keys";
}

TEST_F(MemoryDecryptTest, AStopFromProgressPassesThrough) {
  const std::string container = Container("big.jpg", test::SampleBytes(3'000'000, 5), false);
  CurrentKey key;
  EXPECT_THROW(DecryptIntoMemory(container, key,
                                 [](std::uint64_t done, std::uint64_t) {
                                   if (done > 0)
                                     throw Interrupted(0);
                                 }),
               Interrupted);
}

}  // namespace
}  // namespace vls
