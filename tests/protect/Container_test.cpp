// The container: its exact bytes, names, times, wrong keys, the temp rule,
// the replace question, and the faults it must never turn into data loss.

#include "protect/Container.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>

#include "cipher/Cipher.h"
#include "platform/DosTime.h"
#include "platform/FileError.h"
#include "protect/PendingFiles.h"
#include "protect/ProtectState.h"
#include "protect/RunRecord.h"
#include "protect/SealedFormat.h"
#include "support/TestSupport.h"

namespace vls {
namespace {

using test::Exists;
using test::ReadFile;
using test::WriteFile;

// An independent transcription of the keystream, for checking stored bytes.
std::string Encipher(std::string bytes, const std::string& key) {
  int sum = 0;
  for (unsigned char c : key)
    sum += c;
  const int key_sum = sum % 255;
  int t = key_sum;
  std::size_t i = 0;
  for (auto& byte : bytes) {
    t -= 1;
    if (t == 0)
      t = key_sum;
    i = i % key.size() + 1;
    const int d = (t & 1) == 0 ? t : -t;
    byte = static_cast<char>(static_cast<unsigned char>(byte) +
                             static_cast<unsigned char>(key[i - 1]) + d);
  }
  return bytes;
}

std::string Decipher(std::string bytes, const std::string& key) {
  const std::string shift = Encipher(std::string(bytes.size(), '\0'), key);
  for (std::size_t p = 0; p < bytes.size(); ++p)
    bytes[p] = static_cast<char>(bytes[p] - shift[p]);
  return bytes;
}

class ContainerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProtectState();
    WindowsFolder = dir / "windows";
    TempFolder = dir / "windows/TEMP";
    ::mkdir((dir / "docs").c_str(), 0755);
    test::SetKey(key);
  }
  void TearDown() override {
    DropKey();
    ResetProtectState();
  }

  bool Encrypt(const std::string& path) {
    return CryptFile(path, kModeEncrypt, false, {feedback, volumes, CryptPurpose::Batch}).done();
  }
  bool Decrypt(const std::string& path, CryptPurpose purpose = CryptPurpose::Batch,
               bool keep = false) {
    return CryptFile(path, kModeDecrypt, keep, {feedback, volumes, purpose}).done();
  }
  std::string Docs(const std::string& name) const { return dir / ("docs/" + name); }

  // A container written by hand, byte for byte, holding this header text.
  void WriteContainer(const std::string& path, const std::string& header_text,
                      const std::string& plain) {
    std::string header = header_text;
    header.resize(kHeaderSize, 'f');
    std::string bytes = Encipher(header, key);
    for (std::size_t at = 0; at < plain.size(); at += 4096) {
      bytes += Encipher(plain.substr(at, 4096), key);
    }
    WriteFile(path, bytes);
  }

  test::TempDir dir;
  test::RecordingFeedback feedback;
  test::FixedVolumeFacts volumes;
  std::string key = "Pass word";
};

TEST_F(ContainerTest, StoresHeaderAndSegmentsExactlyAndRoundTrips) {
  for (std::size_t size : {0u, 1u, 4096u, 4097u, 300000u}) {
    const std::string plain = test::SampleBytes(size, static_cast<unsigned>(size));
    WriteFile(Docs("letter.doc"), plain);
    ASSERT_TRUE(Encrypt(Docs("letter.doc")));
    EXPECT_FALSE(Exists(Docs("letter.doc"))) << "the plain source is wiped";

    const std::string stored = ReadFile(Docs("letter.vld"));
    ASSERT_EQ(stored.size(), kHeaderSize + size);
    const std::string header = Decipher(stored.substr(0, kHeaderSize), key);
    EXPECT_EQ(header.substr(0, 21), "letter.doc|Pass word\\");
    for (std::size_t at = 0; at < size; at += 4096) {  // every segment restarts the stream
      ASSERT_EQ(Decipher(stored.substr(kHeaderSize + at, 4096), key), plain.substr(at, 4096));
    }

    ASSERT_TRUE(Decrypt(Docs("letter.vld")));
    EXPECT_EQ(ReadFile(Docs("letter.doc")), plain);
    EXPECT_FALSE(Exists(Docs("letter.vld"))) << "a batch decryption deletes the container";
    EXPECT_EQ(DecryptedPath, Docs("letter.doc"));
    EXPECT_EQ(PlainNamePath, Docs("letter.doc"));
  }
  EXPECT_TRUE(feedback.errors.empty());
  EXPECT_EQ(feedback.gauge.back(), 0);
}

// A large file's gauge runs through the transfer and again through the
// read-back check, for both kinds, so the window never looks stuck.
TEST_F(ContainerTest, TheGaugeRunsAgainThroughTheReadBackCheck) {
  for (const bool sealed : {false, true}) {
    StrongEncryption = sealed;
    SetSealingCost({1, 8 * 1024});
    WriteFile(Docs("big.bin"), test::SampleBytes(1 << 20));
    for (const bool encrypting : {true, false}) {
      feedback.gauge.clear();
      ASSERT_TRUE(encrypting ? Encrypt(Docs("big.bin")) : Decrypt(Docs("big.vld")));
      int full_runs = 0;  // climbs from 0 to 90 and more
      int top = 0;
      for (const int position : feedback.gauge) {
        full_runs += position == 0 && top >= 90;
        top = position == 0 ? 0 : std::max(top, position);
      }
      // The transfer, the check, and for an encryption the source's wipe.
      EXPECT_EQ(full_runs + (top >= 90), encrypting ? 3 : 2)
          << "sealed " << sealed << ", encrypting " << encrypting;
    }
  }
  StrongEncryption = false;
  SetSealingCost({});
}

TEST_F(ContainerTest, ReadsContainersWrittenByHandWithAnyFiller) {
  WriteContainer(Docs("old.vld"), "notes.txt|Pass word\\", "written elsewhere");
  ASSERT_TRUE(Decrypt(Docs("old.vld")));
  EXPECT_EQ(ReadFile(Docs("notes.txt")), "written elsewhere");
}

TEST_F(ContainerTest, KeySumZeroKeysWork) {
  key = std::string("\xff\xff\xff\xff\xff", 5);              // sums to 5 * 255
  test::SetKey("\xc3\xbf\xc3\xbf\xc3\xbf\xc3\xbf\xc3\xbf");  // five U+00FF, stored as 0xFF
  WriteFile(Docs("zero.txt"), test::SampleBytes(5000));
  ASSERT_TRUE(Encrypt(Docs("zero.txt")));
  const std::string stored = ReadFile(Docs("zero.vld"));
  EXPECT_EQ(Decipher(stored.substr(kHeaderSize, 4096), key),
            test::SampleBytes(5000).substr(0, 4096));
}

TEST_F(ContainerTest, NamesPicturesAndDataAndAvoidsTakenNames) {
  WriteFile(Docs("photo.JPG"), "jpg");
  WriteFile(Docs("data.jpeg"), "jpeg");
  WriteFile(Docs("notes"), "none");
  WriteFile(Docs("photo.vlp"), "taken");
  ASSERT_TRUE(Encrypt(Docs("photo.JPG")));
  WriteFile(Docs("photo.JPG"), "jpg again");
  ASSERT_TRUE(Encrypt(Docs("photo.JPG")));
  ASSERT_TRUE(Encrypt(Docs("data.jpeg")));
  ASSERT_TRUE(Encrypt(Docs("notes")));
  EXPECT_EQ(ReadFile(Docs("photo.vlp")), "taken");
  EXPECT_TRUE(Exists(Docs("photo~1.vlp")));
  EXPECT_TRUE(Exists(Docs("photo~2.vlp")));
  EXPECT_TRUE(Exists(Docs("data.vld")));
  EXPECT_TRUE(Exists(Docs("notes.vld")));
}

TEST_F(ContainerTest, CarriesTheFileTimeAsALocalDosDateTime) {
  WriteFile(Docs("dated.txt"), "x");
  struct utimbuf times {
    1600000001, 1600000001
  };  // odd second: DOS keeps even ones
  ::utime(Docs("dated.txt").c_str(), &times);
  ASSERT_TRUE(Encrypt(Docs("dated.txt")));
  struct stat st {};
  ::stat(Docs("dated.vld").c_str(), &st);
  EXPECT_EQ(st.st_mtime, FromDosDateTime(ToDosDateTime(1600000001)));
  EXPECT_LE(std::llabs(static_cast<long long>(st.st_mtime) - 1600000001), 2);
  ASSERT_TRUE(Decrypt(Docs("dated.vld")));
  ::stat(Docs("dated.txt").c_str(), &st);
  EXPECT_EQ(st.st_mtime, FromDosDateTime(ToDosDateTime(1600000001)));
}

TEST_F(ContainerTest, WrongKeysAndNonContainersAreRejectedAndLoseNothing) {
  WriteFile(Docs("a.txt"), "secret");
  ASSERT_TRUE(Encrypt(Docs("a.txt")));
  const std::string container = ReadFile(Docs("a.vld"));
  WriteFile(Docs("junk.vld"), test::SampleBytes(1000));
  WriteFile(Docs("short.vld"), "tiny");
  WriteFile(Docs("empty.vld"), "");

  test::SetKey("other key");
  WrongKeyCount = 0;
  for (const char* name : {"a.vld", "junk.vld", "short.vld", "empty.vld"}) {
    EXPECT_FALSE(Decrypt(Docs(name))) << name;
    EXPECT_TRUE(WrongKey) << name;
  }
  EXPECT_EQ(WrongKeyCount, 4);
  EXPECT_EQ(ReadFile(Docs("a.vld")), container);
  EXPECT_FALSE(Exists(Docs("a.~tx")));
  EXPECT_FALSE(Exists(Docs("a.txt")));
}

TEST_F(ContainerTest, CdVolumesDecryptIntoThePrivateTempFolder) {
  WriteContainer(Docs("photo.vlp"), "photo.JPG|Pass word\\", "jpeg bytes");
  test::FixedVolumeFacts cd("CDFS");
  ASSERT_TRUE(
      CryptFile(Docs("photo.vlp"), kModeDecrypt, true, {feedback, cd, CryptPurpose::Launcher}));
  EXPECT_EQ(DecryptedPath, TempFolder + "/photo.JPG");
  EXPECT_EQ(PlainNamePath, Docs("photo.JPG"));
  EXPECT_EQ(ReadFile(DecryptedPath), "jpeg bytes");
  EXPECT_TRUE(Exists(Docs("photo.vlp")));
  EXPECT_FALSE(Exists(Docs("photo.JPG")));
  struct stat st {};
  ::stat(TempFolder.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ::stat(DecryptedPath.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0077, 0u) << "plain copies are private";

  WriteContainer(Docs("next.vlp"), "next.JPG|Pass word\\", "next picture");
  ASSERT_TRUE(
      CryptFile(Docs("next.vlp"), kModeDecrypt, true, {feedback, cd, CryptPurpose::Launcher}));
  EXPECT_EQ(DecryptedPath, TempFolder + "/next.JPG");
  test::FixedVolumeFacts cd_lower("cdfs");  // the file-system name is matched exactly
  ASSERT_TRUE(CryptFile(Docs("next.vlp"), kModeDecrypt, true,
                        {feedback, cd_lower, CryptPurpose::Launcher}));
  EXPECT_EQ(DecryptedPath, Docs("next.JPG"));
}

TEST_F(ContainerTest, AnExistingPlainFileIsReplacedOnlyAfterYes) {
  WriteContainer(Docs("c.vld"), "letter.doc|Pass word\\", "from the container");
  WriteFile(Docs("letter.doc"), "already here");

  feedback.answers = {kAnswerNo};
  EXPECT_FALSE(Decrypt(Docs("c.vld")));
  EXPECT_EQ(feedback.questions.back(), "letter.doc exists. Replace?");
  EXPECT_EQ(ReadFile(Docs("letter.doc")), "already here");
  EXPECT_TRUE(Exists(Docs("c.vld")));
  EXPECT_FALSE(Exists(Docs("c.~tx")));

  feedback.answers = {kAnswerYes};
  EXPECT_TRUE(Decrypt(Docs("c.vld")));
  EXPECT_EQ(ReadFile(Docs("letter.doc")), "from the container");
  EXPECT_FALSE(Exists(Docs("c.vld")));
}

TEST_F(ContainerTest, StoredNamesCannotEscapeTheFolder) {
  struct Case {
    std::string stored, expected;
  };
  const std::vector<Case> cases = {{"../../evil.txt", "evil.txt"},
                                   {"/etc/passwd", "passwd"},
                                   {"", "crafted"},
                                   {"..", "crafted"},
                                   {".", "crafted"},
                                   {std::string("a\0b", 3), "crafted"}};
  for (const auto& c : cases) {
    WriteContainer(Docs("crafted.vld"), c.stored + "|Pass word\\", "payload");
    ASSERT_TRUE(Decrypt(Docs("crafted.vld")));
    EXPECT_EQ(DecryptedPath, Docs(c.expected));
    EXPECT_EQ(ReadFile(Docs(c.expected)), "payload");
    ::unlink(Docs(c.expected).c_str());
  }
  EXPECT_FALSE(Exists(dir / "evil.txt"));
}

TEST_F(ContainerTest, AContainerIsNeverReplacedByItsOwnPlainFile) {
  // The stored name equals the container's name, and the container is called *.~tx.
  WriteContainer(Docs("same.vld"), "same.vld|Pass word\\", "inner");
  ASSERT_TRUE(
      CryptFile(Docs("same.vld"), kModeDecrypt, true, {feedback, volumes, CryptPurpose::Launcher}));
  EXPECT_EQ(ReadFile(DecryptedPath), "inner");
  EXPECT_NE(DecryptedPath, Docs("same.vld"));
  EXPECT_NE(ReadFile(Docs("same.vld")), "inner");

  WriteContainer(Docs("work.~tx"), "work.txt|Pass word\\", "tx payload");
  ASSERT_TRUE(Decrypt(Docs("work.~tx")));
  EXPECT_EQ(ReadFile(Docs("work.txt")), "tx payload");
}

TEST_F(ContainerTest, RefusesFilesWhoseContainerCouldNotBeReadBack) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a|b.txt", "Pass word"},
      {"a\\b.txt", "Pass word"},
      {"ok.txt", "back\\slash"},
      {std::string(250, 'n'), "Pass word"}};
  for (const auto& [name, password] : cases) {
    test::SetKey(password);
    WriteFile(Docs(name), "keep me");
    feedback.errors.clear();
    EXPECT_FALSE(Encrypt(Docs(name))) << name;
    ASSERT_EQ(feedback.errors.size(), 1u);
    EXPECT_NE(feedback.errors[0].find("Cannot encrypt"), std::string::npos);
    EXPECT_EQ(ReadFile(Docs(name)), "keep me");
    ::unlink(Docs(name).c_str());
  }
  EXPECT_TRUE(dir.List() == std::vector<std::string>{"docs"});
}

TEST_F(ContainerTest, HeaderFillerCarriesNoEarlierData) {
  WorkBuffer.fill('P');  // what a previous file left behind
  WriteFile(Docs("f.txt"), "x");
  ASSERT_TRUE(Encrypt(Docs("f.txt")));
  const std::string header = Decipher(ReadFile(Docs("f.vld")).substr(0, kHeaderSize), key);
  const std::string filler = header.substr(std::string("f.txt|Pass word\\").size());
  EXPECT_NE(filler, std::string(filler.size(), 'P'));
  EXPECT_LT(std::count(filler.begin(), filler.end(), 'P'), 10);
}

// Writes beyond a file-size limit fail (EFBIG), which stands for a full disk.
using test::FileSizeLimit;

TEST_F(ContainerTest, AFailedWriteKeepsTheSourceAndLeavesNoOutput) {
  const std::string plain = test::SampleBytes(200000);
  WriteFile(Docs("big.txt"), plain);
  {
    FileSizeLimit limit(100000);
    EXPECT_FALSE(Encrypt(Docs("big.txt")));
  }
  // Which file, what was being done, and the system's reason.
  ASSERT_EQ(feedback.errors.size(), 1u);
  EXPECT_EQ(feedback.errors[0].rfind("Error during encryption of " + Docs("big.txt") + ": ", 0),
            0u);
  EXPECT_NE(feedback.errors[0].find("File too large"), std::string::npos);
  EXPECT_EQ(ReadFile(Docs("big.txt")), plain);
  EXPECT_FALSE(Exists(Docs("big.vld")));

  KeepOriginals = true;
  ASSERT_TRUE(Encrypt(Docs("big.txt")));
  ::unlink(Docs("big.txt").c_str());
  const std::string container = ReadFile(Docs("big.vld"));
  {
    FileSizeLimit limit(100000);
    EXPECT_FALSE(Decrypt(Docs("big.vld")));
  }
  EXPECT_EQ(ReadFile(Docs("big.vld")), container);
  EXPECT_FALSE(Exists(Docs("big.~tx")));
  EXPECT_FALSE(Exists(Docs("big.txt")));
  EXPECT_EQ(feedback.errors.back().rfind("Error during decryption of " + Docs("big.vld"), 0), 0u);
}

TEST_F(ContainerTest, AMissingSourceFailsBeforeAnyOutputAndSaysWhy) {
  EXPECT_FALSE(Encrypt(Docs("missing.txt")));
  EXPECT_FALSE(Decrypt(Docs("missing.vld")));
  EXPECT_TRUE(dir.List() == std::vector<std::string>{"docs"});
  ASSERT_EQ(feedback.errors.size(), 2u);
  EXPECT_NE(feedback.errors[1].find(Docs("missing.vld")), std::string::npos);
}

// Keys that differ from the right one only in letter case. For some of them
// and some name lengths the stored key deciphers to the typed key up to
// case, and for a few exactly.
TEST_F(ContainerTest, AKeyThatDiffersOnlyInLetterCaseIsWrong) {
  struct Case {
    std::string made_with, typed, name;
    std::string suffix = "";  // added to the container's name when that is taken
  };
  const std::vector<Case> cases = {{"HdGaJdU9", "hDgAjDu9", "f.txt"},  // Caps Lock
                                   {"3t80I3", "3T80i3", "ffff.txt"},   // Caps Lock
                                   {"MyKey99", "MYkey99", "f.txt"},
                                   {"MyKey99", "MykEy99", "fff.txt"},
                                   {"MyKey99", "mYKey99", "ffffffff.txt"},
                                   {"Secret1", "SECRET1", "notes.txt"},
                                   // These open the header byte for byte; only the
                                   // stored name tells the key that wrote it.
                                   {"1L30g8", "1l30G8", "ffff.txt"},
                                   {"1l30G8", "1L30g8", "ffff.txt"},
                                   {"1L30g8", "1l30G8", "ffff.txt", "~1"}};
  for (const Case& c : cases) {
    test::SetKey(c.made_with);
    const std::string base = c.name.substr(0, c.name.size() - 4);
    if (!c.suffix.empty())
      WriteFile(Docs(base + ".vld"), "taken");
    WriteFile(Docs(c.name), "plain bytes");
    ASSERT_TRUE(Encrypt(Docs(c.name)));
    if (!c.suffix.empty())
      ::unlink(Docs(base + ".vld").c_str());
    const std::string container = Docs(base + c.suffix + ".vld");
    const std::string stored = ReadFile(container);
    test::SetKey(c.typed);
    EXPECT_FALSE(Decrypt(container)) << c.typed << " for " << c.name;
    EXPECT_TRUE(WrongKey);
    EXPECT_EQ(ReadFile(container), stored);
    EXPECT_FALSE(Exists(Docs(c.name)));
    test::SetKey(c.made_with);  // the right key still opens it, also renamed
    ASSERT_EQ(::rename(container.c_str(), Docs("renamed.vld").c_str()), 0);
    EXPECT_TRUE(Decrypt(Docs("renamed.vld"))) << c.made_with;
    EXPECT_EQ(ReadFile(Docs(c.name)), "plain bytes");
    ::unlink(Docs(c.name).c_str());
  }
}

// Every name a Linux folder can hold comes back byte for byte, in the folder
// it came from, and no two names become one.
TEST_F(ContainerTest, NamesComeBackByteForByteInTheirOwnFolder) {
  const std::vector<std::string> names = {
      "caf\xC3\xA9.txt",          // café, stored as Windows-1252
      "caf\xE9.txt",              // Latin-1 bytes: not UTF-8
      "caf\xC3\x83\xC2\xA9.txt",  // cafÃ©: its Windows-1252 form is UTF-8 for café
      "\xC2\x81\xC2\x9F.dat",     // U+0081, U+009F: no Windows-1252 form
      "\xE2\x82\xAC"
      "uro.doc",               // €, Windows-1252 0x80
      "\xC3\xBF\xC3\x80.jpg",  // ÿÀ
      "\xED\xB2\x80.bin",      // bytes of an escape, taken literally
      "README",                // no extension
      "a\xFF\xFE"};
  ::mkdir(Docs("my.docs").c_str(), 0755);
  KeepOriginals = false;
  for (const std::string& name : names)
    WriteFile(Docs("my.docs/" + name), "contents of " + name);
  for (const std::string& name : names)
    ASSERT_TRUE(Encrypt(Docs("my.docs/" + name))) << name;
  const std::vector<std::string> containers = test::TempDir::ListOf(Docs("my.docs"));
  EXPECT_EQ(containers.size(), names.size());
  EXPECT_TRUE(Exists(Docs("my.docs/README.vld"))) << "a dotted folder is not an extension";
  feedback.answers.assign(names.size(), kAnswerYes);  // U+0081 cannot be seen: asked
  for (const std::string& container : containers)
    ASSERT_TRUE(Decrypt(Docs("my.docs/" + container))) << container;
  EXPECT_EQ(feedback.questions.size(), 1u);
  std::vector<std::string> expected = names;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(test::TempDir::ListOf(Docs("my.docs")), expected);
  for (const std::string& name : names)
    EXPECT_EQ(ReadFile(Docs("my.docs/" + name)), "contents of " + name);
}

// Two containers of one stored name, and a crafted one that names another
// container, all answered Yes: nothing the run lists or wrote is replaced.
TEST_F(ContainerTest, ARunNeverReplacesWhatItWroteOrAContainer) {
  WriteContainer(Docs("a.vld"), "same.txt|Pass word\\", "first");
  WriteContainer(Docs("b.vld"), "same.txt|Pass word\\", "second");
  WriteContainer(Docs("c.vld"), "other.VLD|Pass word\\", "crafted");
  WriteContainer(Docs("d.vld"), "listed.txt|Pass word\\", "from d");
  WriteFile(Docs("other.VLD"), "a real container");
  WriteFile(Docs("listed.txt"), "a row of the run");
  RunRecord run;
  for (const char* row : {"a.vld", "b.vld", "c.vld", "d.vld", "listed.txt"})
    run.List(Docs(row));
  feedback.answers = {kAnswerYes, kAnswerYes, kAnswerYes, kAnswerYes};
  for (const char* row : {"a.vld", "b.vld", "c.vld", "d.vld"})
    ASSERT_TRUE(
        CryptFile(Docs(row), kModeDecrypt, false, {feedback, volumes, CryptPurpose::Batch, &run}));
  EXPECT_TRUE(feedback.questions.empty());
  EXPECT_EQ(ReadFile(Docs("same.txt")), "first");
  EXPECT_EQ(ReadFile(Docs("same~1.txt")), "second");
  EXPECT_EQ(ReadFile(Docs("other.VLD")), "a real container");
  EXPECT_EQ(ReadFile(Docs("other~1.VLD")), "crafted");
  EXPECT_EQ(ReadFile(Docs("listed.txt")), "a row of the run");
  EXPECT_EQ(ReadFile(Docs("listed~1.txt")), "from d");
  EXPECT_EQ(run.notes().size(), 3u) << "each output under another name is told";

  // A file of the user's that the run does not hold is replaced after Yes, and said so.
  WriteContainer(Docs("e.vld"), "mine.txt|Pass word\\", "new");
  WriteFile(Docs("mine.txt"), "old");
  feedback.answers = {kAnswerYes};
  ASSERT_TRUE(CryptFile(Docs("e.vld"), kModeDecrypt, false,
                        {feedback, volumes, CryptPurpose::Batch, &run}));
  EXPECT_EQ(ReadFile(Docs("mine.txt")), "new");
  EXPECT_EQ(run.notes().back(), "Replaced " + Docs("mine.txt"));
}

// A file that happens to carry a temporary's name is not ours: it is never
// removed, overwritten or followed, whatever the key.
TEST_F(ContainerTest, TemporaryNamesNeverTouchAFileThatIsNotOurs) {
  WriteContainer(Docs("t.vld"), "t.txt|Pass word\\", "plain");
  WriteContainer(Docs("u.vld"), "u.txt|Pass word\\", "plain");
  WriteFile(Docs("t.~tx"), "the user's own");
  WriteFile(Docs("victim"), "elsewhere");
  ASSERT_EQ(::symlink(Docs("victim").c_str(), Docs("u.~tx").c_str()), 0);
  test::SetKey("Wrong key");
  EXPECT_FALSE(Decrypt(Docs("t.vld")));
  test::SetKey(key);
  EXPECT_TRUE(Decrypt(Docs("t.vld")));
  EXPECT_TRUE(Decrypt(Docs("u.vld")));
  EXPECT_EQ(ReadFile(Docs("t.~tx")), "the user's own");
  EXPECT_EQ(ReadFile(Docs("victim")), "elsewhere");
  EXPECT_EQ(ReadFile(Docs("t.txt")), "plain");
  EXPECT_EQ(ReadFile(Docs("u.txt")), "plain");
}

// Pipes and devices would hang or act; links would send the wipe or the
// delete to another file. All are refused before anything is written.
TEST_F(ContainerTest, SpecialFilesAndLinksAreRefusedBeforeAnythingIsWritten) {
  ASSERT_EQ(::mkfifo(Docs("pipe.txt").c_str(), 0600), 0);
  WriteFile(Docs("real.txt"), "real");
  ASSERT_EQ(::symlink(Docs("real.txt").c_str(), Docs("link.txt").c_str()), 0);
  KeepOriginals = true;
  ASSERT_TRUE(Encrypt(Docs("real.txt")));
  ASSERT_EQ(::symlink(Docs("real.vld").c_str(), Docs("link.vld").c_str()), 0);
  const auto before = test::TempDir::ListOf(Docs(""));
  EXPECT_FALSE(Encrypt(Docs("pipe.txt")));
  EXPECT_FALSE(Encrypt(Docs("link.txt")));
  EXPECT_FALSE(Encrypt("/dev/zero"));
  EXPECT_FALSE(Decrypt(Docs("link.vld")));
  EXPECT_EQ(test::TempDir::ListOf(Docs("")), before);
}

// The header passes through WorkBuffer in plain, key included.
TEST_F(ContainerTest, NoKeyStaysInTheWorkBuffer) {
  auto holds_key = [&] {
    const std::string buffer(WorkBuffer.begin(), WorkBuffer.end());
    return buffer.find(key) != std::string::npos;
  };
  WriteFile(Docs("k.txt"), "plain");
  ASSERT_TRUE(Encrypt(Docs("k.txt")));
  EXPECT_FALSE(holds_key());
  KeepOriginals = true;
  ASSERT_TRUE(Decrypt(Docs("k.vld"), CryptPurpose::Batch, true));
  EXPECT_FALSE(holds_key());
  const std::string right_key = key;
  key = "Other key";  // what a wrong attempt leaves: the stored key in plain
  test::SetKey(key);
  EXPECT_FALSE(Decrypt(Docs("k.vld")));
  key = right_key;
  EXPECT_FALSE(holds_key());
}

// The plain copy handed to the launcher stays listed until it is offered,
// and whatever way the caller leaves, it is wiped.
TEST_F(ContainerTest, APlainCopyHandedOutIsWipedWhenDropped) {
  WriteContainer(Docs("p.vlp"), "p.png|Pass word\\", "picture bytes");
  std::string copy;
  {
    PendingFile plain_copy;
    test::FixedVolumeFacts cd("CDFS");
    ASSERT_TRUE(CryptFile(Docs("p.vlp"), kModeDecrypt, true,
                          {feedback, cd, CryptPurpose::Launcher, nullptr, &plain_copy}));
    copy = plain_copy.path();
    EXPECT_EQ(copy, DecryptedPath);
    EXPECT_EQ(ReadFile(copy), "picture bytes");
  }
  EXPECT_FALSE(Exists(copy));
  EXPECT_TRUE(test::TempDir::ListOf(TempFolder).empty());
}

// A stored name that would hide the restored file, or that holds characters
// nobody can see, is named to the user before anything is written.
TEST_F(ContainerTest, HiddenAndInvisibleNamesAreRestoredOnlyAfterYes) {
  const std::vector<std::string> names = {".bash_aliases", "invoice\xE2\x80\xAEtxt.exe",
                                          "zero\xE2\x80\x8Bwidth.txt", "line\nbreak.txt"};
  for (const std::string& name : names) {
    WriteContainer(Docs("c.vld"), name + "|Pass word\\", "plain");
    feedback.answers = {kAnswerNo};
    EXPECT_FALSE(Decrypt(Docs("c.vld"))) << name;
    EXPECT_EQ(test::TempDir::ListOf(Docs("")), std::vector<std::string>{"c.vld"});
    EXPECT_NE(feedback.questions.back().find(name), std::string::npos);
    feedback.answers = {kAnswerYes};
    EXPECT_TRUE(Decrypt(Docs("c.vld"))) << name;
    EXPECT_EQ(ReadFile(Docs(name)), "plain");
    ::unlink(Docs(name).c_str());
  }
}

// A TempFolder that others could reach is not used: the copy goes to a fresh
// private folder instead.
TEST_F(ContainerTest, PlainCopiesNeverGoWhereOthersCanReach) {
  ::mkdir(Docs("shared").c_str(), 0777);
  ::chmod(Docs("shared").c_str(), 0777);
  TempFolder = Docs("shared/TEMP");
  WriteContainer(Docs("p.vlp"), "p.png|Pass word\\", "picture bytes");
  PendingFile plain_copy;
  test::FixedVolumeFacts cd("CDFS");
  ASSERT_TRUE(CryptFile(Docs("p.vlp"), kModeDecrypt, true,
                        {feedback, cd, CryptPurpose::Launcher, nullptr, &plain_copy}));
  EXPECT_EQ(DecryptedPath.find(Docs("shared")), std::string::npos) << DecryptedPath;
  struct stat st {};
  ASSERT_EQ(::stat(TempFolder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  plain_copy.Dispose(feedback);
  ::rmdir(TempFolder.c_str());
}

}  // namespace
}  // namespace vls
