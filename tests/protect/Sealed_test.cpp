// Sealed containers: they round-trip every size and name, refuse every
// change, cut and addition and every other password the way a wrong key is
// refused, cost one key derivation per run, and lose the derived keys with
// the key string.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include "cipher/Cipher.h"
#include "protect/Batch.h"
#include "protect/Container.h"
#include "protect/ProtectState.h"
#include "protect/SealedFormat.h"
#include "protect/SealedKeys.h"
#include "support/TestSupport.h"

namespace vls {
namespace {

using test::Exists;
using test::ReadFile;
using test::WriteFile;

class SealedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProtectState();
    WindowsFolder = data / "windows";
    TempFolder = data / "windows/TEMP";
    StrongEncryption = true;
    SetSealingCost({1, 8 * 1024});  // cheap for tests; files store their own cost
    test::SetKey("sealed password");
  }
  void TearDown() override {
    DropKey();
    SetSealingCost({});
    ResetProtectState();
  }
  CryptResult Encrypt(const std::string& path) {
    return CryptFile(path, kModeEncrypt, false, {feedback, volumes, CryptPurpose::Batch});
  }
  CryptResult Decrypt(const std::string& path, bool keep = false) {
    return CryptFile(path, kModeDecrypt, keep, {feedback, volumes, CryptPurpose::Batch});
  }

  test::TempDir dir;
  test::TempDir data;
  test::RecordingFeedback feedback;
  test::FixedVolumeFacts volumes;
};

TEST_F(SealedTest, EverySizeAndNameRoundTripsWithItsTime) {
  struct Case {
    std::string name;
    std::size_t size;
  };
  const std::vector<Case> cases = {{"empty.txt", 0},        {"one.bin", 1},
                                   {"chunk.bin", 65536},    {"chunk1.bin", 65537},
                                   {"caf\xE9.jpg", 200000}, {"NOEXT", 3}};
  for (const Case& c : cases) {
    const std::string plain = test::SampleBytes(c.size, static_cast<unsigned>(c.size));
    WriteFile(dir / c.name, plain);
    const struct utimbuf when { 1600000001, 1600000001 };
    ::utime((dir / c.name).c_str(), &when);
    const CryptResult made = Encrypt(dir / c.name);
    ASSERT_TRUE(made) << c.name << " " << made.message;
    const std::string container = ReadFile(made.output);
    EXPECT_TRUE(HasSealedSignature(
        std::span(reinterpret_cast<const std::uint8_t*>(container.data()), container.size())));
    EXPECT_EQ(container.find("sealed password"), std::string::npos);
    ASSERT_TRUE(Decrypt(made.output)) << c.name;
    EXPECT_EQ(ReadFile(dir / c.name), plain) << c.name;
    struct stat st {};
    ::stat((dir / c.name).c_str(), &st);
    EXPECT_EQ(st.st_mtime, 1600000001) << "to the second, not rounded to two";
    ::unlink((dir / c.name).c_str());
  }
  EXPECT_TRUE(feedback.errors.empty());
}

// Any change, cut or addition, and any other password: refused, the
// container kept as it was, and nothing of the plain file left.
TEST_F(SealedTest, EveryChangeCutAndOtherPasswordIsRefused) {
  WriteFile(dir / "letter.txt", test::SampleBytes(150000));
  KeepOriginals = true;
  const std::string good = ReadFile(Encrypt(dir / "letter.txt").output);
  ::unlink((dir / "letter.txt").c_str());
  struct Case {
    const char* what;
    std::function<std::string(std::string)> change;
    CryptOutcome outcome;
  };
  auto flip = [](std::size_t at) {
    return [at](std::string bytes) {
      bytes[at < bytes.size() ? at : bytes.size() - 1] ^= 0x01;
      return bytes;
    };
  };
  const std::vector<Case> cases = {
      {"salt", flip(20), CryptOutcome::WrongKey},
      {"cost", flip(15), CryptOutcome::WrongKey},
      {"facts", flip(100), CryptOutcome::WrongKey},
      {"contents", flip(70000), CryptOutcome::Failed},
      {"last byte", flip(std::string::npos), CryptOutcome::Failed},
      {"cut short", [](std::string b) { return b.substr(0, b.size() - 10); }, CryptOutcome::Failed},
      {"last part gone", [](std::string b) { return b.substr(0, 348 + 2 * 65553); },
       CryptOutcome::Failed},
      {"a byte added", [](std::string b) { return b + "x"; }, CryptOutcome::Failed},
      {"another password", [](std::string b) { return b; }, CryptOutcome::WrongKey},
  };
  for (const Case& c : cases) {
    const std::string changed = c.change(good);
    WriteFile(dir / "letter.vld", changed);
    test::SetKey(std::string(c.what) == "another password" ? "Sealed password" : "sealed password");
    const int wrong_before = WrongKeyCount;
    EXPECT_EQ(Decrypt(dir / "letter.vld").outcome, c.outcome) << c.what;
    EXPECT_EQ(WrongKeyCount - wrong_before, c.outcome == CryptOutcome::WrongKey ? 1 : 0);
    EXPECT_EQ(ReadFile(dir / "letter.vld"), changed) << c.what;
    EXPECT_EQ(dir.List(), std::vector<std::string>{"letter.vld"}) << c.what;
  }
}

// A file that asks for more work than is sane is refused, not obeyed.
TEST_F(SealedTest, AnExcessiveCostOrAnUnknownVersionIsRefused) {
  WriteFile(dir / "a.txt", "plain");
  const std::string good = ReadFile(Encrypt(dir / "a.txt").output);
  struct Case {
    std::size_t at;
    std::string bytes;
  };
  const std::vector<Case> cases = {{8, std::string(1, '\x02')},          // version 2
                                   {10, std::string("\x0B\0\0\0", 4)},   // 11 passes
                                   {14, std::string("\0\0\x20\0", 4)}};  // 2 GiB
  for (const Case& c : cases) {
    std::string changed = good;
    changed.replace(c.at, c.bytes.size(), c.bytes);
    WriteFile(dir / "a.vld", changed);
    const CryptResult result = Decrypt(dir / "a.vld");
    EXPECT_EQ(result.outcome, CryptOutcome::Failed) << c.at;
    EXPECT_NE(result.message.find("Cannot decrypt"), std::string::npos) << result.message;
  }
}

// A run of many files derives one key; every key goes with the key string.
TEST_F(SealedTest, ARunCostsOneDerivationAndItsKeysGoWithTheKey) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"})
    WriteFile(dir / name, name);
  for (const char* name : {"a.txt", "b.txt", "c.txt"})
    ASSERT_TRUE(Encrypt(dir / name));
  EXPECT_EQ(DerivedKeyCount(), 1u);
  EXPECT_EQ(ReadFile(dir / "a.vld").substr(18, 16), ReadFile(dir / "c.vld").substr(18, 16))
      << "one salt for the run";
  DropKey();
  test::SetKey("sealed password");
  EXPECT_EQ(DerivedKeyCount(), 0u);
  for (const char* name : {"a.vld", "b.vld", "c.vld"})
    ASSERT_TRUE(Decrypt(dir / name));
  EXPECT_EQ(DerivedKeyCount(), 1u);
}

// One decryption run reads both kinds, and counts wrong keys of both alike.
TEST_F(SealedTest, ABatchReadsBothKindsAndCountsWrongKeysAlike) {
  WriteFile(dir / "sealed.txt", "sealed");
  WriteFile(dir / "classic.txt", "classic");
  WriteFile(dir / "other.txt", "other");
  ASSERT_TRUE(Encrypt(dir / "sealed.txt"));
  StrongEncryption = false;
  ASSERT_TRUE(Encrypt(dir / "classic.txt"));
  StrongEncryption = true;
  test::SetKey("another password");
  ASSERT_TRUE(Encrypt(dir / "other.txt"));

  struct Rows : BatchWindow {
    std::vector<std::string> paths;
    void RequestEncryptionKey() override {}
    void RequestDecryptionKey() override { test::SetKey("sealed password"); }
    void BringToFront() override {}
    void SetBusy(bool) override {}
    void DisableListButtons() override {}
    void SetStatusLine(const std::string&, bool) override {}
    std::size_t RowCount() const override { return paths.size(); }
    std::string RowPath(std::size_t i) const override { return paths[i]; }
    void ClearList() override {}
    void RereadFolder() override {}
  } rows;
  rows.paths = {dir / "sealed.vld", dir / "classic.vld", dir / "other.vld"};
  BatchDrivers(rows, feedback, volumes).DecryptAll();
  EXPECT_EQ(feedback.information.back(), "2 files decrypted, 1 files with wrong key.");
  EXPECT_EQ(ReadFile(dir / "sealed.txt"), "sealed");
  EXPECT_EQ(ReadFile(dir / "classic.txt"), "classic");
  EXPECT_TRUE(Exists(dir / "other.vld"));
  EXPECT_EQ(DerivedKeyCount(), 0u) << "the run dropped the key";
}

// A container kept from the day the format was made (and read once with
// libsodium alone by tests/data/containers/check-sealed.py): any change of
// the format fails here.
TEST_F(SealedTest, TheKeptContainerOpensToItsKnownAnswer) {
  const std::string kept = std::string(VLS_TEST_DATA_DIR) + "/containers/sealed-v1.vld";
  const std::string bytes = ReadFile(kept);
  ASSERT_EQ(bytes.size(), 58u + 290u + 32u + 17u);
  EXPECT_EQ(bytes.substr(0, 10), std::string("\x89VLS\r\n\x1A\n\x01\x01", 10));
  EXPECT_EQ(bytes.substr(10, 8), std::string("\x02\0\0\0\0\x40\0\0", 8)) << "2 passes, 16 MiB";
  WriteFile(dir / "vector.vld", bytes);
  test::SetKey("correct horse 2026");
  ASSERT_TRUE(Decrypt(dir / "vector.vld"));
  EXPECT_EQ(ReadFile(dir / "vector.txt"), "Sealed known answer: 0123456789\n");
  struct stat st {};
  ::stat((dir / "vector.txt").c_str(), &st);
  EXPECT_EQ(st.st_mtime, 1767225600);
}

}  // namespace
}  // namespace vls
