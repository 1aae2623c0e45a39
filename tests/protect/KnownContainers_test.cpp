// Containers made apart from the program (tests/data/containers, written by
// make-containers.py there) with fixed names, keys and contents: each opens
// to its name and bytes, and encrypting the same file with the same key
// writes the same bytes again, all but the random header filler.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cipher/Cipher.h"
#include "protect/Container.h"
#include "protect/ProtectState.h"
#include "support/TestSupport.h"

namespace vls {
namespace {

using test::ReadFile;
using test::WriteFile;

struct KnownContainer {
  std::string file;         // in tests/data/containers
  std::string name;         // the plain file's name, as the system gives it
  std::string key;          // as typed (UTF-8)
  std::string stored_name;  // both as the header holds them
  std::string stored_key;
  std::size_t size;  // of the plain contents
};

const std::vector<KnownContainer> kKnown = {
    {"letter.vld", "letter.txt", "Pass word", "letter.txt", "Pass word", 5000},
    {"cafe.vld", "caf\xC3\xA9.txt", "cl\xC3\xA9", "caf\xE9.txt", "cl\xE9", 300},
    // The euro sign: U+20AC, Windows-1252 0x80 (octal 200).
    {"euro.vld", "\u20ACuro.doc", "\u20AC5", "\200uro.doc", "\2005", 4096},
    {"control.vld", "\xC2\x81\xC2\x9F.dat", "\xC2\x81k\xC2\x9F", "\xC2\x81\xC2\x9F.dat",
     "\xC2\x81k\xC2\x9F", 10},
    {"sumzero.vlp", "photo.JPG", "\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF", "photo.JPG",
     "\xFF\xFF\xFF\xFF\xFF", 4097},
    {"stray.vld", "a\xFF\xFE", "Stray", "a\xED\xB3\xBF\xED\xB3\xBE", "Stray", 1},
    {"empty.vld", "empty", "x", "empty", "x", 0},
};

// The contents of every case: byte i is (31 i + 7) mod 251.
std::string PlainOf(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>((31 * i + 7) % 251);
  return bytes;
}

std::string KnownBytes(const std::string& file) {
  return ReadFile(std::string(VLS_TEST_DATA_DIR) + "/containers/" + file);
}

class KnownContainersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProtectState();
    WindowsFolder = data.path();
    TempFolder = data / "TEMP";
  }
  void TearDown() override {
    DropKey();
    ResetProtectState();
  }

  test::TempDir dir;
  test::TempDir data;
  test::RecordingFeedback feedback;
  test::FixedVolumeFacts volumes;
};

TEST_F(KnownContainersTest, EachOpensToItsNameAndBytes) {
  for (const KnownContainer& known : kKnown) {
    test::TempDir folder;
    WriteFile(folder / known.file, KnownBytes(known.file));
    test::SetKey(known.key);
    feedback.answers = {kAnswerYes};  // a name with unseen characters is asked about
    ASSERT_TRUE(CryptFile(folder / known.file, kModeDecrypt, false,
                          {feedback, volumes, CryptPurpose::Batch}))
        << known.file;
    EXPECT_EQ(folder.List(), std::vector<std::string>{known.name}) << known.file;
    EXPECT_EQ(ReadFile(folder / known.name), PlainOf(known.size)) << known.file;
  }
  EXPECT_TRUE(feedback.errors.empty());
}

TEST_F(KnownContainersTest, EncryptingTheSameFileWritesTheSameBytes) {
  for (const KnownContainer& known : kKnown) {
    test::TempDir folder;
    WriteFile(folder / known.name, PlainOf(known.size));
    test::SetKey(known.key);
    ASSERT_TRUE(CryptFile(folder / known.name, kModeEncrypt, false,
                          {feedback, volumes, CryptPurpose::Batch}))
        << known.file;
    const auto dot = known.name.rfind('.');
    const std::string base = dot == std::string::npos ? known.name : known.name.substr(0, dot);
    const std::string container = base + known.file.substr(known.file.rfind('.'));
    ASSERT_EQ(folder.List(), std::vector<std::string>{container}) << known.file;

    const std::string written = ReadFile(folder / container);
    const std::string expected = KnownBytes(known.file);
    ASSERT_EQ(written.size(), expected.size()) << known.file;
    const std::size_t text = known.stored_name.size() + known.stored_key.size() + 2;
    EXPECT_EQ(written.substr(0, text), expected.substr(0, text)) << known.file << ": header";
    EXPECT_TRUE(written.compare(kHeaderSize, std::string::npos, expected, kHeaderSize) == 0)
        << known.file << ": contents";
  }
}

}  // namespace
}  // namespace vls
