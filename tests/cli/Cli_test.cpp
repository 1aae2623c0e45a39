// veilstore-cli: commands, answers without a terminal, summaries and exit
// statuses, in process through swapped streams and once as a real process.

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "cipher/Cipher.h"
#include "cli/Commands.h"
#include "protect/ProtectState.h"
#include "protect/SealedFormat.h"
#include "support/TestSupport.h"

namespace vls::cli {
namespace {

using test::Exists;
using test::ReadFile;
using test::WriteFile;

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProtectState();
    WindowsFolder = dir / "windows";
    TempFolder = dir / "windows/TEMP";
    WriteFile(dir / "pw", "good password\n");
    WriteFile(dir / "wrong", "other password\r\n");
  }
  void TearDown() override { ResetProtectState(); }

  int Run(std::vector<std::string> arguments, const std::string& input = "",
          bool interactive = false) {
    in.str(input);
    in.clear();
    out.str("");
    err.str("");
    Console console{in, out, err, interactive, false, nullptr};
    return RunCli(arguments, console);
  }

  test::TempDir dir;
  std::istringstream in;
  std::ostringstream out, err;
};

TEST_F(CliTest, UsageErrorsTouchNothing) {
  EXPECT_EQ(Run({"--help"}), kExitOk);
  EXPECT_NE(out.str().find("Usage: veilstore-cli"), std::string::npos);
  EXPECT_EQ(Run({"--version"}), kExitOk);
  EXPECT_EQ(Run({}), kExitUsage);
  EXPECT_EQ(Run({"shred", "x"}), kExitUsage);
  EXPECT_EQ(Run({"encrypt", "--password-file", dir / "pw"}), kExitUsage);
  EXPECT_EQ(Run({"wipe", "--keep", "x"}), kExitUsage);

  WriteFile(dir / "a.txt", "data");
  WriteFile(dir / "short", "four\n");
  EXPECT_EQ(Run({"encrypt", "--password-file", dir / "short", dir / "a.txt"}), kExitUsage);
  EXPECT_NE(err.str().find("5 to 30 characters"), std::string::npos);
  WriteFile(dir / "long", std::string(31, 'x') + "\n");
  EXPECT_EQ(Run({"encrypt", "--password-file", dir / "long", dir / "a.txt"}), kExitUsage);
  WriteFile(dir / "slash", "back\\slash\n");
  EXPECT_EQ(Run({"encrypt", "--password-file", dir / "slash", dir / "a.txt"}), kExitUsage);
  EXPECT_EQ(Run({"encrypt", dir / "a.txt"}), kExitUsage) << "no terminal to ask the password on";
  EXPECT_EQ(ReadFile(dir / "a.txt"), "data");
  EXPECT_TRUE(KeyString.empty());
}

TEST_F(CliTest, EncryptsAndDecryptsWithProgressLinesAndSummary) {
  WriteFile(dir / "a.txt", "alpha");
  WriteFile(dir / "b.JPG", "bravo");
  ASSERT_EQ(
      Run({"encrypt", "--password-file", "-", dir / "a.txt", dir / "b.JPG"}, "good password\n"),
      kExitOk);
  EXPECT_EQ(out.str(),
            "Encrypting 1/2 " + (dir / "a.txt") + "\nEncrypting 2/2 " + (dir / "b.JPG") + "\n");
  EXPECT_FALSE(Exists(dir / "a.txt"));
  EXPECT_TRUE(KeyString.empty()) << "the key is dropped when the command ends";

  // One container with another key: counted, kept, and the exit status says so.
  WriteFile(dir / "c.txt", "charlie");
  ASSERT_EQ(Run({"encrypt", "--keep", "--password-file", dir / "wrong", dir / "c.txt"}), kExitOk);
  EXPECT_TRUE(Exists(dir / "c.txt"));
  ::remove((dir / "c.txt").c_str());
  EXPECT_EQ(
      Run({"decrypt", "--password-file", dir / "pw", dir / "a.vld", dir / "b.vlp", dir / "c.vld"}),
      kExitFailure);
  EXPECT_NE(out.str().find("2 files decrypted, 1 files with wrong key.\n"), std::string::npos);
  EXPECT_EQ(ReadFile(dir / "a.txt"), "alpha");
  EXPECT_EQ(ReadFile(dir / "b.JPG"), "bravo");
  EXPECT_FALSE(Exists(dir / "a.vld"));
  EXPECT_TRUE(Exists(dir / "c.vld"));
}

TEST_F(CliTest, EncryptionStopsAtTheFirstFailure) {
  WriteFile(dir / "second.txt", "untouched");
  EXPECT_EQ(
      Run({"encrypt", "--password-file", dir / "pw", dir / "missing.txt", dir / "second.txt"}),
      kExitFailure);
  EXPECT_NE(err.str().find("missing.txt"), std::string::npos);
  EXPECT_EQ(ReadFile(dir / "second.txt"), "untouched");
  EXPECT_FALSE(Exists(dir / "second.vld"));
}

TEST_F(CliTest, ReplacingAnExistingFileNeedsYesWithoutATerminal) {
  WriteFile(dir / "a.txt", "inside");
  ASSERT_EQ(Run({"encrypt", "--keep", "--password-file", dir / "pw", dir / "a.txt"}), kExitOk);
  WriteFile(dir / "a.txt", "newer work");
  EXPECT_EQ(Run({"decrypt", "--password-file", dir / "pw", dir / "a.vld"}), kExitFailure);
  EXPECT_EQ(ReadFile(dir / "a.txt"), "newer work");
  EXPECT_TRUE(Exists(dir / "a.vld"));
  EXPECT_EQ(out.str().find("1 files decrypted"), std::string::npos);

  EXPECT_EQ(Run({"decrypt", "--yes", "--keep", "--password-file", dir / "pw", dir / "a.vld"}),
            kExitOk);
  EXPECT_EQ(ReadFile(dir / "a.txt"), "inside");
  EXPECT_TRUE(Exists(dir / "a.vld"));

  // On a terminal the question is asked.
  WriteFile(dir / "a.txt", "newer again");
  EXPECT_EQ(Run({"decrypt", "--password-file", dir / "pw", dir / "a.vld"}, "n\n", true),
            kExitFailure);
  EXPECT_NE(err.str().find("a.txt exists. Replace?"), std::string::npos);
  EXPECT_EQ(ReadFile(dir / "a.txt"), "newer again");
}

TEST_F(CliTest, WipeAsksFirstAndCountsOnlyFilesReallyGone) {
  WriteFile(dir / "x", "x");
  WriteFile(dir / "y", "y");
  EXPECT_EQ(Run({"wipe", dir / "x"}), kExitUsage);
  EXPECT_TRUE(Exists(dir / "x"));
  EXPECT_EQ(Run({"wipe", dir / "x"}, "c\n", true), kExitOk);
  EXPECT_NE(err.str().find("DELETE THE FILES ?"), std::string::npos);
  EXPECT_TRUE(Exists(dir / "x"));

  EXPECT_EQ(Run({"wipe", "--yes", dir / "x", dir / "gone", dir / "y"}), kExitFailure);
  EXPECT_NE(out.str().find("Wiping 2/3 " + (dir / "gone")), std::string::npos);
  EXPECT_NE(out.str().find("2 files wiped."), std::string::npos);
  EXPECT_NE(err.str().find("gone"), std::string::npos);
  EXPECT_TRUE(dir.List() == std::vector<std::string>({"pw", "windows", "wrong"}));
}

TEST_F(CliTest, TheProgramRoundTripsAFileAsAProcess) {
  const std::string cli = std::string(VLS_BIN_DIR) + "/veilstore-cli";
  const std::string data = test::SampleBytes(70000);
  WriteFile(dir / "photo.png", data);
  const std::string env = "XDG_DATA_HOME=" + (dir / "xdg") + " XDG_RUNTIME_DIR= ";
  const std::string encrypt = env + cli + " encrypt --password-file " + (dir / "pw") + " " +
                              (dir / "photo.png") + " </dev/null >/dev/null";
  ASSERT_EQ(std::system(encrypt.c_str()), 0);
  EXPECT_FALSE(Exists(dir / "photo.png"));
  const std::string decrypt = env + cli + " decrypt --password-file " + (dir / "pw") + " " +
                              (dir / "photo.vlp") + " </dev/null >/dev/null";
  ASSERT_EQ(std::system(decrypt.c_str()), 0);
  EXPECT_EQ(ReadFile(dir / "photo.png"), data);
  const std::string wipe = cli + " wipe " + (dir / "photo.png") + " </dev/null 2>/dev/null";
  EXPECT_EQ(WEXITSTATUS(std::system(wipe.c_str())), kExitUsage);
}

// A password that differs only in letter case is a wrong password here too,
// also where it deciphers the stored key byte for byte.
TEST_F(CliTest, APasswordInAnotherLetterCaseIsWrong) {
  WriteFile(dir / "made", "1L30g8\n");
  WriteFile(dir / "typed", "1l30G8\n");
  WriteFile(dir / "ffff.txt", "plain");
  ASSERT_EQ(Run({"encrypt", "--password-file", dir / "made", dir / "ffff.txt"}), kExitOk);
  EXPECT_EQ(Run({"decrypt", "--password-file", dir / "typed", dir / "ffff.vld"}), kExitFailure);
  EXPECT_NE(out.str().find("0 files decrypted, 1 files with wrong key."), std::string::npos);
  EXPECT_TRUE(Exists(dir / "ffff.vld"));
  EXPECT_FALSE(Exists(dir / "ffff.txt"));
}

// --yes answers the replace question, but never for a file the command has
// just restored: two containers of one stored name give two files.
TEST_F(CliTest, YesNeverReplacesWhatTheSameCommandRestored) {
  WriteFile(dir / "a.txt", "first");
  ASSERT_EQ(Run({"encrypt", "--password-file", dir / "pw", dir / "a.txt"}), kExitOk);
  ASSERT_EQ(::rename((dir / "a.vld").c_str(), (dir / "one.vld").c_str()), 0);
  WriteFile(dir / "a.txt", "second");
  ASSERT_EQ(Run({"encrypt", "--password-file", dir / "pw", dir / "a.txt"}), kExitOk);
  EXPECT_EQ(
      Run({"decrypt", "--yes", "--password-file", dir / "pw", dir / "one.vld", dir / "a.vld"}),
      kExitOk);
  EXPECT_EQ(ReadFile(dir / "a.txt"), "first");
  EXPECT_EQ(ReadFile(dir / "a~1.txt"), "second");
  EXPECT_NE(out.str().find("restored as a~1.txt"), std::string::npos) << out.str();
}

// --strong writes sealed containers, which decrypt without being asked for
// their kind; info names the kind without a password.
TEST_F(CliTest, StrongContainersRoundTripAndInfoNamesTheirKind) {
  SetSealingCost({1, 8 * 1024});
  WriteFile(dir / "s.txt", "sealed");
  WriteFile(dir / "c.txt", "classic");
  ASSERT_EQ(Run({"encrypt", "--strong", "--password-file", dir / "pw", dir / "s.txt"}), kExitOk);
  ASSERT_EQ(Run({"encrypt", "--password-file", dir / "pw", dir / "c.txt"}), kExitOk);
  EXPECT_EQ(Run({"info", dir / "s.vld", dir / "c.vld", dir / "pw"}), kExitFailure);
  EXPECT_NE(out.str().find("s.vld: sealed container, version 1, Argon2id, 1 passes over 8 MiB"),
            std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("c.vld: classic container"), std::string::npos);
  EXPECT_NE(out.str().find("pw: not a container"), std::string::npos);
  EXPECT_EQ(Run({"decrypt", "--password-file", dir / "pw", dir / "s.vld", dir / "c.vld"}), kExitOk);
  EXPECT_EQ(ReadFile(dir / "s.txt"), "sealed");
  EXPECT_EQ(ReadFile(dir / "c.txt"), "classic");
  SetSealingCost({});
}

}  // namespace
}  // namespace vls::cli
